#include "render/render_state_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/globals.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct RenderStateGroupTest : ::testing::Test {
    EngineFixture fx;
    std::vector<std::string> StateCalls() const {
        std::vector<std::string> sets;
        for (const auto& c : fx.device.Calls())
            if (c.rfind("SetRenderState", 0) == 0) sets.push_back(c);
        return sets;
    }
};

// Notes the depth states it sees when it draws.
struct StateProbe : SceneObject {
    FakeDevice* device;
    std::vector<uint32_t> zSeen, zWriteSeen;
    explicit StateProbe(FakeDevice* d) : device(d) {}
    void Update(uint32_t flags) override {
        zSeen.push_back(device->State(RS_ZENABLE));
        zWriteSeen.push_back(device->State(RS_ZWRITEENABLE));
        SceneObject::Update(flags);
    }
};

TEST_F(RenderStateGroupTest, NestedGroupsRestoreInReverseOrder) {
    RenderStateGroup outer, inner;
    outer.SetZEnable(0);
    inner.SetZEnable(1);
    inner.SetZWriteEnable(0);
    StateProbe deep(&fx.device), between(&fx.device);
    outer.AddChild(&inner);
    inner.AddChild(&deep);
    outer.AddChild(&between);
    outer.Update(kUpdateScene);
    EXPECT_EQ(deep.zSeen, std::vector<uint32_t>{1});
    EXPECT_EQ(deep.zWriteSeen, std::vector<uint32_t>{0});
    EXPECT_EQ(between.zSeen, std::vector<uint32_t>{0});
    EXPECT_EQ(between.zWriteSeen, std::vector<uint32_t>{1});
    EXPECT_EQ(fx.device.State(RS_ZENABLE), 1u);
    EXPECT_EQ(fx.device.State(RS_ZWRITEENABLE), 1u);
    std::vector<std::string> expected = {"SetRenderState 7 0",  "SetRenderState 7 1",
                                         "SetRenderState 14 0", "SetRenderState 7 0",
                                         "SetRenderState 14 1", "SetRenderState 7 1"};
    EXPECT_EQ(StateCalls(), expected);
    outer.children.clear();
    inner.children.clear();
}

}  // namespace
}  // namespace orix
