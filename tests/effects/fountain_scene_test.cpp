#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/fountain_scene.h"
#include "device/engine.h"
#include "device/globals.h"
#include "effects/trail_ribbon.h"
#include "platform/clock.h"
#include "scene/scene.h"
#include "support/offscreen_device.h"

namespace orix {
namespace {

TEST(FountainScene, FramesShowFallingParticlesWithFadingTrails) {
    OffscreenDevice od = MakeOffscreenDevice(640, 480, 32);
    if (!od.device) GTEST_SKIP() << "no offscreen device here";
    FixedStepClock clock(1000, 33);
    Engine engine(clock, od.device.get());
    theEngine = &engine;
    engine.CreateDeviceObjects();
    {
        Scene scene(&engine);
        currentScene = &scene;
        FountainScene fountain(scene);
        for (int frame = 1; frame <= 90; ++frame) {
            engine.Render();
            if (frame % 30 != 0) continue;
            FrameImage image;
            ASSERT_TRUE(od.device->ReadFrame(&image));
            // Above the horizon: glowing drops and trails in many shades of blue (the fade).
            size_t glowing = 0;
            std::set<uint32_t> blues;
            for (uint32_t y = 0; y < 200; ++y) {
                for (uint32_t x = 0; x < 640; ++x) {
                    uint32_t c = image.Rgb(x, y);
                    uint32_t r = c >> 16 & 0xFF, b = c & 0xFF;
                    if (b > 60 && b > r) {
                        ++glowing;
                        blues.insert(b);
                    }
                }
            }
            EXPECT_GT(glowing, 1500u) << "frame " << frame;
            EXPECT_GT(blues.size(), 40u) << "frame " << frame;
            // The land fills the bottom of the picture.
            uint32_t ground = image.Rgb(40, 470);
            EXPECT_GT(ground >> 8 & 0xFF, 30u) << std::hex << ground;
            EXPECT_GT(ground >> 8 & 0xFF, ground >> 16 & 0xFF) << std::hex << ground;
            if (frame == 90) {
                EXPECT_GT(fountain.LiveParticles(), 20u);
                EXPECT_GT(fountain.LiveRibbons(), fountain.LiveParticles());
            }
        }
    }
    EXPECT_EQ(engine.GetScene(), nullptr);
    theEngine = nullptr;
    currentScene = nullptr;
}

}  // namespace
}  // namespace orix
