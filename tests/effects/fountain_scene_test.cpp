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

TEST(FountainScene, LongRunFreesWhatLandedAndFaded) {
    // No device: the particles, ribbons and strips are all built, only the draw calls are not
    // made; and 100 ms frames keep the trails short. Together they keep 10,000 frames quick.
    FixedStepClock clock(1000, 100);
    Engine engine(clock);
    theEngine = &engine;
    Scene scene(&engine);
    currentScene = &scene;
    {
        FountainSettings settings;
        settings.particlesPerBurst = 4;
        settings.land = false;
        FountainScene fountain(scene, settings);
        size_t most[3] = {0, 0, 0};
        size_t longest = 0;
        size_t atThousand = 0;
        for (int frame = 1; frame <= 10000; ++frame) {
            engine.Render();
            most[0] = std::max(most[0], fountain.LiveEmitters());
            most[1] = std::max(most[1], fountain.LiveParticles());
            most[2] = std::max(most[2], fountain.LiveRibbons());
            if (frame % 250 == 0) {
                for (SceneObject* r : scene.children.back()->children) {
                    longest = std::max(longest, static_cast<TrailRibbon*>(r)->points.size());
                }
            }
            if (frame == 1000) atThousand = fountain.LiveRibbons();
        }
        // A burst lives about two seconds and one starts every 0.2 s; each particle's ribbon
        // outlives it by its lifetime (about 14 bursts, 46 particles, 61 ribbons of 25 points).
        // Bounds with some room, far below what 10,000 frames would pile up.
        EXPECT_LE(most[0], 20u);
        EXPECT_LE(most[1], 60u);
        EXPECT_LE(most[2], 80u);
        EXPECT_GT(most[1], 10u);
        EXPECT_LE(longest, 40u);
        EXPECT_LE(fountain.LiveRibbons(), atThousand + 8);
    }
    EXPECT_EQ(scene.children.size(), 0u);
    theEngine = nullptr;
    currentScene = nullptr;
}

}  // namespace
}  // namespace orix
