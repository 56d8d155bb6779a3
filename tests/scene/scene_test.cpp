#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "device/globals.h"
#include "render/camera.h"
#include "scene/scene.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct SceneTest : ::testing::Test {
    EngineFixture fx;
};

TEST_F(SceneTest, FreshSceneLinksItselfAndSetsDefaultTransforms) {
    Scene scene(&fx.engine);
    EXPECT_EQ(fx.engine.GetScene(), &scene);
    EXPECT_EQ(fx.engine.sceneRoot, &scene);
    uint32_t bits;
    std::memcpy(&bits, &scene.fieldOfView, 4);
    EXPECT_EQ(bits, 0x3F490FF9u);
    EXPECT_EQ(scene.nearPlane, 10.0f);
    EXPECT_EQ(scene.farPlane, 1500.0f);
    EXPECT_EQ(fx.device.Transform(TRANSFORM_PROJECTION), scene.projection);
    EXPECT_EQ(fx.device.Transform(TRANSFORM_VIEW), scene.view);

    // Projection elements as given.
    Matrix p = scene.projection;
    float c = std::cos(0.7854f / 2), s = std::sin(0.7854f / 2), q = s / (1 - 10.0f / 1500.0f);
    EXPECT_FLOAT_EQ(p.m[0][0], c);
    EXPECT_FLOAT_EQ(p.m[1][1], c);
    EXPECT_FLOAT_EQ(p.m[2][2], q);
    EXPECT_FLOAT_EQ(p.m[2][3], s);
    EXPECT_FLOAT_EQ(p.m[3][2], -q * 10.0f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    // The near plane maps to depth 0 and the far plane to depth 1.
    auto depth = [&](float z) { return (z * p.m[2][2] + p.m[3][2]) / (z * p.m[2][3]); };
    EXPECT_NEAR(depth(10), 0.0f, 1e-6);
    EXPECT_NEAR(depth(1500), 1.0f, 1e-6);
}

TEST_F(SceneTest, CameraLinkCopiesDistancesAndSetsTheView) {
    Scene scene(&fx.engine);
    scene.SetProjection(0.0f, 800.0f, 1.0f);
    Camera cam({0, 90, -180}, {0, 0, 200}, {0, 1, 0});
    scene.SetCamera(&cam);
    EXPECT_EQ(cam.scene, &scene);
    EXPECT_EQ(cam.farDistance, 800.0f);
    EXPECT_EQ(cam.nearDistance, 0.01f);
    Matrix expected = LookAtMatrix({0, 90, -180}, {0, 0, 200}, {0, 1, 0});
    EXPECT_EQ(scene.view, expected);
    EXPECT_EQ(fx.device.Transform(TRANSFORM_VIEW), expected);
    cam.SetPosition({10, 90, -180});
    scene.UpdateView();
    EXPECT_EQ(fx.device.Transform(TRANSFORM_VIEW),
              LookAtMatrix({10, 90, -180}, {0, 0, 200}, {0, 1, 0}));
}

TEST_F(SceneTest, ViewTestHasThreeConditions) {
    Scene scene(&fx.engine);
    Camera cam({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    scene.SetCamera(&cam);
    cam.Update(kUpdateScene);
    EXPECT_EQ(cam.farPoint, Vector3(0, 0, 1500));
    EXPECT_TRUE(scene.IsVisible({0, 0, 1500}));         // straight ahead at the far distance
    EXPECT_TRUE(scene.IsVisible({0, 0, 1500.9f}));      // truncated to 1500
    EXPECT_FALSE(scene.IsVisible({1501, 0, 0}));        // axis test
    EXPECT_FALSE(scene.IsVisible({0, 0, -100}));        // behind: too far from the far point
    EXPECT_FALSE(scene.IsVisible({1500, 1500, 1500}));  // within each axis, beyond 1.414 r
    EXPECT_TRUE(scene.IsVisible({0, 100, 200}));
    // Moving the camera moves the test with it (Fixed: the eye is not taken from its place).
    cam.motionMode = MotionMode::Fixed;
    cam.SetView({5000, 0, 0}, {5000, 0, 1}, {0, 1, 0});
    cam.Update(kUpdateScene);
    EXPECT_FALSE(scene.IsVisible({0, 100, 200}));
    EXPECT_TRUE(scene.IsVisible({5000, 100, 200}));
}

struct OrderProbe : SceneObject {
    std::vector<std::string>* log;
    OrderProbe(std::vector<std::string>* l, const char* n) : log(l) { name = n; }
    void Update(uint32_t flags) override {
        log->push_back(name);
        SceneObject::Update(flags);
    }
};

TEST_F(SceneTest, ObjectsAreUpdatedInTheOrderAddedUpToTheFirstNull) {
    Scene scene(&fx.engine);
    std::vector<std::string> log;
    OrderProbe a(&log, "a"), b(&log, "b"), c(&log, "c"), d(&log, "d");
    scene.AddChild(&a);
    scene.AddObjects({&b, &c, nullptr, &d});
    b.AddChild(&d);
    scene.Update(kUpdateScene);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "d", "c"}));
    EXPECT_EQ(scene.world, Matrix::Identity());
    scene.children.clear();
    b.children.clear();
}

TEST_F(SceneTest, DestroyedSceneUnlinksItself) {
    {
        Scene scene(&fx.engine);
        currentScene = &scene;
    }
    EXPECT_EQ(fx.engine.GetScene(), nullptr);
    EXPECT_EQ(currentScene, nullptr);
    fx.engine.Render();  // no scene: nothing to update, no crash
}

}  // namespace
}  // namespace orix
