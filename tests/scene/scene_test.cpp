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

}  // namespace
}  // namespace orix
