#include <gtest/gtest.h>

#include <cmath>

#include "device/globals.h"
#include "render/camera.h"
#include "scene/scene.h"
#include "support/draw_scene.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct CameraTest : ::testing::Test {
    EngineFixture fx;
};

TEST_F(CameraTest, FreeCameraTakesItsEyeFromItsPlaceAndRefreshesFarPoint) {
    Scene scene(&fx.engine);
    Camera cam({0, 0, 0}, {0, 0, 200}, {0, 1, 0});
    scene.AddChild(&cam);
    scene.SetCamera(&cam);
    cam.position = {0, 90, -180};
    fx.device.ClearCalls();
    scene.Update(kUpdateScene);
    EXPECT_EQ(cam.viewEye, Vector3(0, 90, -180));
    Vector3 dir = Normalize(Vector3{0, -90, 380});
    EXPECT_NEAR(Dot(cam.viewDirection, dir), 1.0f, 1e-6);
    Vector3 expectedFar = Vector3{0, 90, -180} + dir * 1500.0f;
    EXPECT_NEAR(Length(cam.farPoint - expectedFar), 0.0f, 1e-3);
    EXPECT_EQ(fx.device.CountCalls("SetTransform 2"), 1u);
    EXPECT_EQ(fx.device.Transform(TRANSFORM_VIEW),
              LookAtMatrix({0, 90, -180}, {0, 0, 200}, {0, 1, 0}));
    EXPECT_FALSE(scene.viewDirty);
    scene.children.clear();
}

TEST_F(CameraTest, LookAtCameraAimsThroughItsTargetObject) {
    Scene scene(&fx.engine);
    SceneObject pelvis;
    pelvis.position = {10, 50, 30};
    Camera cam({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    cam.position = {0, 90, -180};
    scene.AddObjects({&pelvis, &cam});
    scene.SetCamera(&cam);
    scene.Update(kUpdateScene);  // the pelvis gets its world matrix first
    cam.SetTarget(&pelvis, 0);
    EXPECT_EQ(cam.motionMode, MotionMode::LookAt);
    pelvis.position = {20, 50, 30};
    scene.Update(kUpdateScene);
    EXPECT_EQ(cam.viewTarget, Vector3(20, 50, 30));
    EXPECT_EQ(cam.viewEye, Vector3(0, 90, -180));
    EXPECT_EQ(cam.rotation, Vector3(0, 0, 0));  // the camera turns by its view, not its angles
    scene.children.clear();
}

TEST_F(CameraTest, TheViewSetIsAlwaysTheActiveCamerasAndInactiveCamerasAreHarmless) {
    Scene scene(&fx.engine);
    Camera active({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
    Camera other({50, 0, 0}, {0, 0, 0}, {0, 1, 0});
    active.motionMode = MotionMode::Fixed;
    other.motionMode = MotionMode::Fixed;
    scene.SetCamera(&active);
    other.scene = &scene;
    other.Update(kUpdateScene);
    EXPECT_EQ(fx.device.Transform(TRANSFORM_VIEW), LookAtMatrix({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));

    Camera loose({1, 2, 3}, {4, 5, 6}, {0, 1, 0});  // never made active anywhere
    fx.device.ClearCalls();
    loose.Update(kUpdateScene);
    EXPECT_EQ(fx.device.CountCalls("SetTransform"), 0u);
    Camera blind({1, 1, 1}, {1, 1, 1}, {0, 1, 0});  // eye on target: no NaN far point
    blind.motionMode = MotionMode::Fixed;
    blind.Update(kUpdateScene);
    EXPECT_FALSE(std::isnan(blind.farPoint.x));
}

TEST_F(CameraTest, MatrixTrackUsesEachKeyForTwoUpdatesAtHalfSpeedAndNeverReadsPastTheEnd) {
    Scene scene(&fx.engine);
    Camera cam;
    scene.SetCamera(&cam);
    for (int i = 0; i < 3; ++i) {
        Matrix* key = cam.AddMatrixKey();
        *key = Matrix::Identity();
        key->SetRow(1, {float(i), 0, 0});  // eye
        key->SetRow(2, {0, 0, 1});         // look direction
    }
    cam.speed = 0.5f;
    cam.SetPlayMode(0);
    // The end test follows the advance, so the last key shows for one update before the wrap.
    float eyes[] = {0, 0, 1, 1, 2, 0, 0, 1};
    for (float x : eyes) {
        cam.Update(kUpdateScene);
        EXPECT_EQ(cam.viewEye, Vector3(x, 0, 0));
        EXPECT_EQ(cam.viewTarget, Vector3(x, 0, 1));
    }
    cam.loop = false;
    cam.time = 2;
    cam.Update(kUpdateScene);
    EXPECT_EQ(cam.playMode, static_cast<int32_t>(PlayMode::Stopped));
    // A frame range longer than the keys: the last key holds.
    cam.SetFrameRange(0, 100);
    cam.time = 50;
    cam.Update(kUpdateScene);
    EXPECT_EQ(cam.viewEye, Vector3(2, 0, 0));
}

TEST_F(CameraTest, KeyframedCameraLooksAtItsLocalLookPoint) {
    Scene scene(&fx.engine);
    Camera cam;
    scene.SetCamera(&cam);
    cam.AddPositionKey(0, 5, 6, 7, false);
    cam.AddRotationKey(0, 0, 0, 0, 0, true);
    cam.localLookPoint = {0, 0, 10};
    cam.Update(kUpdateScene);
    EXPECT_EQ(cam.viewEye, Vector3(5, 6, 7));
    EXPECT_EQ(cam.viewTarget, Vector3(5, 6, 17));
    EXPECT_EQ(cam.viewUp, Vector3(0, 1, 0));
}

// Turning the view to the right (+x) moves what is drawn to the left of the picture.
TEST(CameraDrawing, TheActiveCamerasViewPlacesWhatIsDrawn) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    DrawProbe probe(0xFFFFFFFF, 20);
    ds.scene->AddChild(&probe);
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0xFFFFFFu);
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
}

}  // namespace
}  // namespace orix
