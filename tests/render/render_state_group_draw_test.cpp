#include <gtest/gtest.h>

#include "render/render_state_group.h"
#include "support/draw_scene.h"

namespace orix {
namespace {

// Near red square; a farther blue one inside a group with depth testing off is drawn over it;
// a still farther green one after the group is hidden by the red one again.
TEST(RenderStateGroupDrawing, DepthTestingIsOffInsideAndBackOnAfter) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    DrawProbe nearRed(0xFFFF0000, 40);
    RenderStateGroup group;
    group.SetZEnable(0);
    DrawProbe farBlue(0xFF0000FF, 20);
    farBlue.position = {0, 0, 50};
    DrawProbe fartherGreen(0xFF00FF00, 100);
    fartherGreen.position = {0, 0, 60};
    ds.scene->AddObjects({&nearRed, &group, &fartherGreen});
    group.AddChild(&farBlue);

    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0x0000FFu);        // drawn through the red square
    EXPECT_EQ(ds.Pixel(320 + 60, 240), 0xFF0000u);   // red, green hidden behind it
    EXPECT_EQ(ds.Pixel(320 + 200, 240), 0x00FF00u);  // green where nothing is nearer
    uint32_t z = 0;
    ds.device->GetRenderState(RS_ZENABLE, &z);
    EXPECT_EQ(z, 1u);
    group.children.clear();
}

}  // namespace
}  // namespace orix
