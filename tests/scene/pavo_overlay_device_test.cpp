// The overlays drawn by the engine on the offscreen device, read back from the screen.
#include <gtest/gtest.h>

#include "device/engine.h"
#include "device/globals.h"
#include "math/types.h"
#include "platform/clock.h"
#include "scene/pavo_overlay_list.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "support/offscreen_device.h"
#include "support/picture_files.h"

namespace orix {
namespace {

TLVertex Tl(float x, float y, uint32_t color) {
    TLVertex t;
    t.sx = x;
    t.sy = y;
    t.sz = 0.5f;
    t.rhw = 1.0f;
    t.color = color;
    return t;
}

// One frame: the whole screen filled with background, then the engine's overlays.
class BackgroundFill : public FrameNode {
public:
    BackgroundFill(GraphicsDevice& d, uint32_t color) : device_(d), color_(color) {}
    void Update(uint32_t) override {
        TLVertex q[4] = {Tl(0, 0, color_), Tl(4000, 0, color_), Tl(4000, 4000, color_),
                         Tl(0, 4000, color_)};
        device_.SetRenderState(RS_TEXTUREHANDLE, 0);
        device_.DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, q, 4, 0);
    }

private:
    GraphicsDevice& device_;
    uint32_t color_;
};

class OverlayDeviceTest : public ::testing::Test {
protected:
    void Open(uint32_t w, uint32_t h) {
        engine_.reset();
        offscreen_.device.reset();  // the device goes before its display
        offscreen_ = MakeOffscreenDevice(w, h, 16);
        if (!offscreen_.device) GTEST_SKIP() << "no offscreen device here";
        engine_ = std::make_unique<Engine>(clock_, offscreen_.device.get());
        engine_->scaleX = static_cast<float>(w) / 640.0f;
        engine_->scaleY = static_cast<float>(h) / 480.0f;
        theEngine = engine_.get();
    }
    void TearDown() override {
        theEngine = nullptr;
        frameStep = 0.0f;
    }
    // Renders one frame over a background and reads it back.
    FrameImage Frame(uint32_t background) {
        BackgroundFill fill(*offscreen_.device, background);
        engine_->LinkScene(nullptr, &fill);
        engine_->Render();
        engine_->LinkScene(nullptr, nullptr);
        FrameImage frame;
        EXPECT_TRUE(offscreen_.device->ReadFrame(&frame));
        return frame;
    }
    std::string Picture(uint8_t r, uint8_t g, uint8_t b) {
        test::BmpSpec s;
        s.width = 4;
        s.height = 4;
        for (int i = 0; i < 16; ++i) s.pixels.insert(s.pixels.end(), {b, g, r});
        std::string path = dir_.File("flat.bmp");
        EXPECT_TRUE(test::WriteBytes(path, test::MakeBmp(s)));
        return path;
    }

    test::PictureTempDir dir_;
    FixedStepClock clock_{1000, 33};
    OffscreenDevice offscreen_;
    std::unique_ptr<Engine> engine_;
};

// The demonstration's sprite: 150 x 150 around (550, 450), partly off screen.
void ExpectSquare(const FrameImage& f, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
    for (uint32_t y = 0; y < f.height; y += 7) {
        for (uint32_t x = 0; x < f.width; x += 7) {
            bool inside = x >= x0 + 1 && x + 1 < x1 && y >= y0 + 1 && y + 1 < y1;
            bool outside = x + 1 < x0 || x > x1 + 1 || y + 1 < y0 || y > y1 + 1;
            if (inside) {
                ASSERT_EQ(f.Rgb(x, y), 0xFFFFFFu) << x << "," << y;
            }
            if (outside) {
                ASSERT_EQ(f.Rgb(x, y), 0x000000u) << x << "," << y;
            }
        }
    }
}

TEST_F(OverlayDeviceTest, SpriteCoversItsSquareAtEitherSize) {
    for (uint32_t scale : {1u, 2u}) {
        SCOPED_TRACE(scale);
        Open(640 * scale, 480 * scale);
        if (!engine_) return;
        {
            PavoOverlayList list(*engine_);
            PavoSprite sprite;
            list.Add(&sprite);
            sprite.SetSize(150, 150);
            sprite.SetPosition(550, 450);
            ASSERT_TRUE(sprite.LoadPicture("orix_white.bmp", -1));
            FrameImage f = Frame(0xFF000000);
            ExpectSquare(f, 475 * scale, 375 * scale, 625 * scale, 525 * scale);
        }
        engine_.reset();
        theEngine = nullptr;
    }
}

// Additive blending at 30 %: the picture's colour times 0.3 lands on top of the background.
TEST_F(OverlayDeviceTest, OneOneBlendingAddsThirtyPercent) {
    Open(640, 480);
    if (!engine_) return;
    PavoOverlayList list(*engine_);
    PavoRenderState block(engine_->device);
    block.SetAlphaBlendEnable(1);
    block.SetSrcBlend(BLEND_ONE);
    block.SetDestBlend(BLEND_ONE);
    PavoSprite sprite;
    list.Add(&block);
    block.Add(&sprite);
    sprite.SetSize(150, 150);
    sprite.SetPosition(320, 240);
    sprite.SetColor(0.3f, 0.3f, 0.3f);
    ASSERT_TRUE(sprite.LoadPicture(Picture(200, 100, 250), -1));

    engine_->device->SetRenderState(RS_ZENABLE, 1);
    FrameImage f = Frame(0xFF204060);
    uint32_t inside = f.Rgb(320, 240), outside = f.Rgb(100, 100);
    // 0x20 + 0.3 x 200, 0x40 + 0.3 x 100, 0x60 + 0.3 x 250, within RGB565 steps.
    EXPECT_NEAR(static_cast<int>((inside >> 16) & 0xFF), 0x20 + 60, 10);
    EXPECT_NEAR(static_cast<int>((inside >> 8) & 0xFF), 0x40 + 30, 6);
    EXPECT_NEAR(static_cast<int>(inside & 0xFF), 0x60 + 75, 10);
    EXPECT_NEAR(static_cast<int>((outside >> 16) & 0xFF), 0x20, 8);
    EXPECT_NEAR(static_cast<int>(outside & 0xFF), 0x60, 8);

    uint32_t z = 0, blend = 9;
    engine_->device->GetRenderState(RS_ZENABLE, &z);
    engine_->device->GetRenderState(RS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(z, 1u);  // switched off for the block, back on after it
    EXPECT_EQ(blend, 0u);
}

}  // namespace
}  // namespace orix
