#include "render/render_state_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/globals.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

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
