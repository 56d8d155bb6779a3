#include "render/render_state_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/globals.h"
#include "support/draw_scene.h"
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
    group.children.clear();
}

}  // namespace
}  // namespace orix
