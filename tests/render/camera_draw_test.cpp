#include <gtest/gtest.h>

#include "render/camera.h"
#include "support/draw_scene.h"

namespace orix {
namespace {

TEST(CameraDrawing, TheActiveCamerasViewPlacesWhatIsDrawn) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    DrawProbe probe(0xFFFFFFFF, 20);
    ds.scene->AddChild(&probe);
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0xFFFFFFu);

    // Turning the view to the right (+x) moves the square to the left of the picture.
    ds.camera->SetView({0, 0, -100}, {40, 0, 0}, {0, 1, 0});
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0x000000u);
    int leftmost = -1;
    FrameImage image;
    ASSERT_TRUE(ds.device->ReadFrame(&image));
    for (uint32_t x = 0; x < 640 && leftmost < 0; ++x)
        if (image.Rgb(x, 240) == 0xFFFFFFu) leftmost = int(x);
    EXPECT_GE(leftmost, 0);
    EXPECT_LT(leftmost, 320);

    // A second camera updated after the active one changes nothing on screen.
    Camera other({0, 0, 100}, {0, 0, 0}, {0, 1, 0});
    other.motionMode = MotionMode::Fixed;
    ds.scene->AddChild(&other);
    other.scene = ds.scene.get();
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0x000000u);
    EXPECT_EQ(ds.Pixel(uint32_t(leftmost) + 2, 240), 0xFFFFFFu);
    ds.scene->children.pop_back();
}

}  // namespace
}  // namespace orix
