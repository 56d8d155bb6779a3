#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/globals.h"
#include "render/render_state_group.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct RenderStateGroupTest : ::testing::Test {
    EngineFixture fx;
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

TEST_F(RenderStateGroupTest, TableAndConstruction) {
    RenderStateGroup group;
    EXPECT_EQ(group.kind, 5);
    EXPECT_EQ(group.device, &fx.device);
    const uint32_t expected[17] = {7, 14, 4, 9, 17, 18, 27, 19, 20, 5, 6, 22, 29, 41, 26, 21, 28};
    for (int i = 0; i < RenderStateGroup::kStateCount; ++i)
        EXPECT_EQ(uint32_t{RenderStateGroup::kStates[i]}, expected[i]);
    group.SetZEnable(65537u);
    EXPECT_EQ(group.wanted[0], 1u);
    EXPECT_TRUE(group.overrides[0]);
    EXPECT_FALSE(group.overrides[1]);
}

TEST_F(RenderStateGroupTest, DepthOffInsideAndRestoredAfter) {
    SceneObject root;
    RenderStateGroup group;
    group.SetZEnable(0);
    group.SetZWriteEnable(0);
    StateProbe inside(&fx.device), after(&fx.device);
    root.AddChild(&group);
    group.AddChild(&inside);
    root.AddChild(&after);
    root.Update(kUpdateScene);
    EXPECT_EQ(inside.zSeen, std::vector<uint32_t>{0});
    EXPECT_EQ(inside.zWriteSeen, std::vector<uint32_t>{0});
    EXPECT_EQ(after.zSeen, std::vector<uint32_t>{1});
    EXPECT_EQ(after.zWriteSeen, std::vector<uint32_t>{1});
    EXPECT_EQ(fx.device.CountCalls("SetRenderState"), 4u);
    root.children.clear();
    group.children.clear();
}

TEST_F(RenderStateGroupTest, ValuesAlreadyInPlaceAreNeitherSetNorRestored) {
    RenderStateGroup group;
    group.SetZEnable(1);
    StateProbe inside(&fx.device);
    group.AddChild(&inside);
    group.Update(kUpdateScene);
    EXPECT_EQ(fx.device.CountCalls("SetRenderState"), 0u);
    EXPECT_EQ(inside.updateCount, 1);
    group.children.clear();
}

TEST_F(RenderStateGroupTest, WithoutDrawNothingChangesButChildrenUpdate) {
    RenderStateGroup group;
    group.SetZEnable(0);
    StateProbe inside(&fx.device);
    group.AddChild(&inside);
    group.Update(kUpdateAnimate | kUpdateChildren);
    EXPECT_EQ(fx.device.CountCalls("SetRenderState"), 0u);
    EXPECT_EQ(inside.zSeen, std::vector<uint32_t>{1});
    group.children.clear();
}

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
    std::vector<std::string> sets;
    for (const auto& c : fx.device.Calls())
        if (c.rfind("SetRenderState", 0) == 0) sets.push_back(c);
    std::vector<std::string> expected = {"SetRenderState 7 0",  "SetRenderState 7 1",
                                         "SetRenderState 14 0", "SetRenderState 7 0",
                                         "SetRenderState 14 1", "SetRenderState 7 1"};
    EXPECT_EQ(sets, expected);
    outer.children.clear();
    inner.children.clear();
}

}  // namespace
}  // namespace orix
