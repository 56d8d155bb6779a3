#include <gtest/gtest.h>

#include "device/globals.h"
#include "math/vertex.h"
#include "support/draw_scene.h"

namespace orix {
namespace {

// An overlay list stand-in: one green square in screen pixels near the lower right corner.
struct CornerOverlay : FrameNode {
    std::vector<uint32_t> flags;
    void Update(uint32_t f) override {
        flags.push_back(f);
        TLVertex v[4];
        const float xy[4][2] = {{600, 440}, {630, 440}, {600, 470}, {630, 470}};
        for (int i = 0; i < 4; ++i) {
            v[i].sx = xy[i][0], v[i].sy = xy[i][1], v[i].sz = 0, v[i].rhw = 1;
            v[i].color = 0xFF00FF00;
        }
        theEngine->device->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, v, 4, 0);
    }
};

TEST(EngineDrawing, RenderPassClearsDrawsTheSceneThenTheOverlays) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    ds.SetBackground(0, 0, 1);
    DrawProbe probe(0xFFFF0000, 40);
    ds.scene->AddChild(&probe);
    CornerOverlay overlay;
    ds.engine->LinkOverlays(&overlay);

    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0xFF0000u);  // the scene's square in the middle
    EXPECT_EQ(ds.Pixel(615, 455), 0x00FF00u);  // the overlay in the corner
    EXPECT_EQ(ds.Pixel(20, 20), 0x0000FFu);    // the cleared background
    EXPECT_EQ(ds.device->GetFrameStats().drawCalls, 2u);
    EXPECT_EQ(ds.device->GetFrameStats().clears, 1u);
    EXPECT_EQ(overlay.flags, std::vector<uint32_t>{255u});

    // The next frame starts from a clean target: the moved square leaves no trail.
    probe.position = {60, 0, 0};
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0x0000FFu);
    ds.engine->LinkOverlays(nullptr);
}

}  // namespace
}  // namespace orix
