#include <gtest/gtest.h>

#include "device/globals.h"
#include "math/types.h"
#include "scene/pavo_render_state.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

// Remembers the device states it saw while its parent block held them.
struct StateProbe : PavoObject {
    explicit StateProbe(GraphicsDevice& d) : device(d) {}
    void Update(uint32_t flags) override {
        seenFlags = flags;
        for (RenderState s : {RS_ZENABLE, RS_ZWRITEENABLE, RS_TEXTUREPERSPECTIVE,
                              RS_ALPHABLENDENABLE, RS_SRCBLEND, RS_DESTBLEND}) {
            device.GetRenderState(s, &seen[s]);
        }
    }
    GraphicsDevice& device;
    uint32_t seen[RS_COUNT] = {};
    uint32_t seenFlags = 0;
};

struct PavoOverlayTest : ::testing::Test {
    EngineFixture fixture_;
};

TEST_F(PavoOverlayTest, RenderStateBlockSwitchesAndRestores) {
    FakeDevice& device = fixture_.device;
    PavoRenderState block(&device);
    block.SetAlphaBlendEnable(1);
    block.SetSrcBlend(BLEND_ONE);
    block.SetDestBlend(0x10000 | BLEND_ONE);  // only the low 16 bits count
    StateProbe probe(device);
    block.Add(&probe);

    device.SetRenderState(RS_ZENABLE, 1);
    device.SetRenderState(RS_TEXTUREPERSPECTIVE, 1);
    device.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    block.Update(kUpdateOverlays);
    EXPECT_EQ(probe.seen[RS_ZENABLE], 0u);
    EXPECT_EQ(probe.seen[RS_ZWRITEENABLE], 0u);
    EXPECT_EQ(probe.seen[RS_TEXTUREPERSPECTIVE], 0u);
    EXPECT_EQ(probe.seen[RS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(probe.seen[RS_SRCBLEND], static_cast<uint32_t>(BLEND_ONE));
    EXPECT_EQ(probe.seen[RS_DESTBLEND], static_cast<uint32_t>(BLEND_ONE));
    EXPECT_EQ(device.State(RS_ZENABLE), 1u);
    EXPECT_EQ(device.State(RS_TEXTUREPERSPECTIVE), 1u);
    EXPECT_EQ(device.State(RS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(device.State(RS_SRCBLEND), static_cast<uint32_t>(BLEND_SRCALPHA));
    EXPECT_EQ(device.State(RS_DESTBLEND), static_cast<uint32_t>(BLEND_ZERO));

    // With depth testing off before, the block leaves it alone.
    device.SetRenderState(RS_ZENABLE, 0);
    device.ClearCalls();
    block.Update(kUpdateOverlays);
    EXPECT_EQ(device.CountCalls("SetRenderState 7 "), 0u);
    EXPECT_EQ(device.State(RS_ZENABLE), 0u);

    // Children get 255 whatever the block was given; without the draw flag nothing switches.
    device.ClearCalls();
    block.Update(kUpdateChildren);
    EXPECT_EQ(probe.seenFlags, static_cast<uint32_t>(kUpdateOverlays));
    EXPECT_EQ(device.CountCalls("SetRenderState"), 0u);
}

}  // namespace
}  // namespace orix
