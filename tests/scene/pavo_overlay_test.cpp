#include <gtest/gtest.h>

#include <cmath>

#include "device/engine.h"
#include "device/globals.h"
#include "math/types.h"
#include "scene/pavo_overlay_list.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

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

class PavoOverlayTest : public ::testing::Test {
protected:
    void SetScreen(uint32_t w, uint32_t h) {
        fixture_.engine.scaleX = static_cast<float>(w) / 640.0f;
        fixture_.engine.scaleY = static_cast<float>(h) / 480.0f;
    }
    EngineFixture fixture_;
};

void ExpectCorner(const TLVertex& v, float x, float y) {
    EXPECT_FLOAT_EQ(v.sx, x);
    EXPECT_FLOAT_EQ(v.sy, y);
    EXPECT_FLOAT_EQ(v.sz, 0.0f);
}

TEST_F(PavoOverlayTest, SpriteQuadScalesWithTheDisplay) {
    SetScreen(640, 480);
    PavoSprite sprite;
    sprite.SetSize(150, 150);
    sprite.SetPosition(550, 450);
    sprite.Update(kUpdateOverlays);
    ExpectCorner(sprite.vertices[0], 475, 375);
    ExpectCorner(sprite.vertices[1], 625, 375);
    ExpectCorner(sprite.vertices[2], 625, 525);
    ExpectCorner(sprite.vertices[3], 475, 525);
    EXPECT_FLOAT_EQ(sprite.vertices[2].tu, 1.0f);
    EXPECT_FLOAT_EQ(sprite.vertices[3].tv, 1.0f);
    EXPECT_FLOAT_EQ(sprite.vertices[0].rhw, 0.5f);
    EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 1u);

    SetScreen(1280, 960);
    PavoSprite big;
    big.SetSize(150, 150);
    big.SetPosition(550, 450);
    big.Update(kUpdateOverlays);
    ExpectCorner(big.vertices[0], 950, 750);
    ExpectCorner(big.vertices[2], 1250, 1050);
    EXPECT_FLOAT_EQ(big.GetX(), 550.0f);
    EXPECT_FLOAT_EQ(big.GetY(), 450.0f);
}

TEST_F(PavoOverlayTest, TransformsComposeThroughTheTreeAndMoveWithFrameStep) {
    SetScreen(640, 480);
    PavoObject group;
    PavoSprite sprite;
    group.Add(&sprite);
    group.SetPosition(100, 50);
    group.angle = static_cast<float>(M_PI / 2);  // x axis onto y
    sprite.SetPosition(10, 0);
    group.Update(kUpdateOverlays);
    // The sprite's origin: (10, 0) rotated a quarter turn, then moved to (100, 50).
    EXPECT_NEAR(sprite.world.m[2][0], 100.0f, 1e-4);
    EXPECT_NEAR(sprite.world.m[2][1], 60.0f, 1e-4);

    frameStep = 33 * 0.03f;
    PavoSprite mover;
    mover.velocityX = 1.0f;
    for (int i = 0; i < 10; ++i) mover.Update(kUpdateAnimate);
    EXPECT_NEAR(mover.GetX(), 9.9f, 1e-3);
    mover.Rotate(0.5f, false);
    mover.MoveY(2.0f, true);
    EXPECT_FLOAT_EQ(mover.angle, 0.5f);
    EXPECT_NEAR(mover.GetY(), 1.98f, 1e-5);
}

TEST_F(PavoOverlayTest, HiddenSpritesNeitherDrawNorVisitChildren) {
    PavoSprite sprite, child;
    sprite.Add(&child);
    sprite.visible = false;
    sprite.Update(kUpdateOverlays);
    EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 0u);
    sprite.visible = true;
    sprite.Update(kUpdateOverlays);
    EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 2u);
    sprite.Update(kUpdateAnimate | kUpdateChildren);
    EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 2u);
}

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

TEST_F(PavoOverlayTest, OverlayListLinksItselfAndTheEngineDrawsIt) {
    Engine& engine = fixture_.engine;
    SetScreen(640, 480);
    {
        PavoOverlayList list(engine);
        EXPECT_EQ(engine.overlays, &list);
        PavoSprite sprite;
        list.Add(&sprite);
        engine.Render();
        EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 1u);
    }
    EXPECT_EQ(engine.overlays, nullptr);
    engine.Render();  // nothing left to draw, and nothing dangling
    EXPECT_EQ(fixture_.device.CountCalls("DrawPrimitive"), 1u);
}

TEST_F(PavoOverlayTest, MissingPictureReportsAndAsksToExit) {
    test::MessageCapture capture;
    PavoSprite sprite;
    EXPECT_FALSE(sprite.LoadPicture("nowhere.bmp", -1));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, "Can't Load texture. : nowhere.bmp");
    EXPECT_EQ(capture.Messages()[0].caption, "PavoSprite");
    ASSERT_EQ(capture.ExitCodes().size(), 1u);
    EXPECT_EQ(capture.ExitCodes()[0], -1);
    EXPECT_EQ(sprite.texture.handle, 0u);
}

TEST(PavoObjectTree, DestroyedNodesLeaveTheTree) {
    PavoObject root;
    auto* child = new PavoObject;
    PavoObject grandChild;
    root.Add(child);
    child->Add(&grandChild);
    delete child;
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(grandChild.parent, nullptr);
    root.Update(kUpdateOverlays);
}

}  // namespace
}  // namespace orix
