#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/globals.h"
#include "scene/camera.h"
#include "scene/render_state_group.h"
#include "scene/scene.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

TEST(Camera, FreeCameraTakesItsEyeFromItsPlaceAndRefreshesFarPoint) {
    EngineFixture fx;
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
    scene.children.clear();
}

// Marks in the device's call log where it is drawn.
struct Probe : SceneObject {
    void Update(uint32_t flags) override {
        theEngine->device->DrawText(0, 0, 0, name);
        SceneObject::Update(flags);
    }
};

TEST(RenderStateGroup, NestedGroupsSetTheirStatesAroundTheirChildrenAndRestoreThem) {
    EngineFixture fx;
    RenderStateGroup outer, inner;
    outer.SetZEnable(0);
    inner.SetZEnable(1);
    inner.SetZWriteEnable(0);
    Probe deep, between;
    deep.name = "deep";
    between.name = "between";
    outer.AddChild(&inner);
    inner.AddChild(&deep);
    outer.AddChild(&between);
    outer.Update(kUpdateScene);
    std::vector<std::string> expected = {
        "SetRenderState 7 0", "SetRenderState 7 1",  "SetRenderState 14 0",  "DrawText 0 0 deep",
        "SetRenderState 7 0", "SetRenderState 14 1", "DrawText 0 0 between", "SetRenderState 7 1"};
    EXPECT_EQ(fx.device.Calls(), expected);
    outer.children.clear();
    inner.children.clear();
}

}  // namespace
}  // namespace orix
