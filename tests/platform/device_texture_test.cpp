// Textures: locking, colour keys, texture blending, re-upload after changes, texel conversion.

#include <algorithm>
#include <vector>

#include "device_fixture.h"
#include "platform/bitmap/surface_format.h"

namespace orix {
namespace {

class TextureTest : public DeviceTest {
protected:
    SurfaceHandle MakeTexture(uint32_t w, uint32_t h, const PixelFormat& f,
                              uint32_t caps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY) {
        SurfaceDesc d;
        d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.width = w;
        d.height = h;
        d.pixelFormat = f;
        d.caps = caps;
        return dev->CreateSurface(d);
    }
    // Fills a 32-bit surface with one texel.
    void Fill32(SurfaceHandle s, uint32_t texel) {
        SurfaceLock lock;
        ASSERT_TRUE(dev->Lock(s, &lock));
        for (uint32_t y = 0; y < lock.height; ++y)
            std::fill_n(static_cast<uint32_t*>(lock.bits) + y * lock.pitch / 4, lock.width, texel);
        ASSERT_TRUE(dev->Unlock(s));
    }
    void DrawQuad(uint32_t color = 0xFFFFFFFF) { DrawRect(10, 10, 110, 110, 0.5f, color); }
};

TEST_F(TextureTest, TexturedLitVerticesShowTextureTimesVertexColour) {
    Open(320, 240, 32);
    ClearTo(0, 0, 0);
    SurfaceHandle s = MakeTexture(4, 4, FormatXrgb8888());
    ASSERT_NE(s.value, 0u);
    Fill32(s, 0x00FF8040u);
    TextureHandle t = dev->GetTextureHandle(s);
    ASSERT_NE(t.value, 0u);
    ASSERT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, t.value));
    DrawQuad(0xFF80FFFF);
    uint32_t rgb = Frame().Rgb(60, 60);
    EXPECT_NEAR(Channel(rgb, 16), 0x80, 2);
    EXPECT_NEAR(Channel(rgb, 8), 0x80, 2);
    EXPECT_NEAR(Channel(rgb, 0), 0x40, 2);

    // New texels after an Unlock reach the next draw without asking for the handle again.
    Fill32(s, 0x000000FFu);
    DrawQuad();
    EXPECT_EQ(Frame().Rgb(60, 60), 0x0000FFu);

    // Drawn in one colour, white records take that colour, not the texel alone.
    Fill32(s, 0x00FF8040u);
    LVertex q[4];
    const float corners[4][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, -0.5f}};
    for (int i = 0; i < 4; ++i) q[i].x = corners[i][0], q[i].y = corners[i][1], q[i].z = 0.5f;
    const uint16_t square[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_TRUE(dev->SetRenderState(RS_CULLMODE, CULL_NONE));
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    EXPECT_TRUE(
        dev->DrawIndexedPrimitiveInColor(PRIM_TRIANGLELIST, q, 4, square, 6, 0xFF80FFFF, 0));
    ASSERT_TRUE(dev->EndScene());
    rgb = Frame().Rgb(160, 120);
    EXPECT_NEAR(Channel(rgb, 16), 0x80, 2);
    EXPECT_NEAR(Channel(rgb, 8), 0x80, 2);
    EXPECT_NEAR(Channel(rgb, 0), 0x40, 2);
}

TEST_F(TextureTest, ColourKeyedTexelsAreNotDrawn) {
    ClearTo(0, 0, 1);
    SurfaceHandle s = MakeTexture(2, 1, FormatRgb565());
    ASSERT_NE(s.value, 0u);
    SurfaceLock lock;
    ASSERT_TRUE(dev->Lock(s, &lock));
    auto* px = static_cast<uint16_t*>(lock.bits);
    px[0] = 0x0000;  // black: the key
    px[1] = 0xF800;  // red
    ASSERT_TRUE(dev->Unlock(s));
    ASSERT_TRUE(dev->SetColorKey(s, DDCKEY_SRCBLT, 0, 0));
    ASSERT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, dev->GetTextureHandle(s).value));

    ASSERT_TRUE(dev->SetRenderState(RS_COLORKEYENABLE, D3D_TRUE));
    DrawQuad();
    FrameImage f = Frame();
    EXPECT_EQ(f.Rgb(30, 60), 0x0000FFu);  // keyed: the background shows
    EXPECT_EQ(f.Rgb(90, 60), 0xFF0000u);

    ASSERT_TRUE(dev->SetRenderState(RS_COLORKEYENABLE, D3D_FALSE));
    DrawQuad();
    EXPECT_EQ(Frame().Rgb(30, 60), 0x000000u);
}

TEST_F(TextureTest, StaleHandlesAreRefused) {
    SurfaceHandle s = MakeTexture(4, 4, FormatXrgb8888());
    TextureHandle t = dev->GetTextureHandle(s);
    ASSERT_NE(t.value, 0u);
    dev->AddRefSurface(s);
    dev->ReleaseSurface(s);
    EXPECT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, t.value));  // still held once
    ASSERT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, 0));
    dev->ReleaseSurface(s);
    EXPECT_FALSE(dev->SetRenderState(RS_TEXTUREHANDLE, t.value));
    SurfaceLock lock;
    EXPECT_FALSE(dev->Lock(s, &lock));
    // The slot is taken again, but the old handle still reaches nothing.
    SurfaceHandle again = MakeTexture(4, 4, FormatXrgb8888());
    ASSERT_NE(again.value, 0u);
    EXPECT_NE(again, s);
    EXPECT_NE(dev->GetTextureHandle(again), t);
    EXPECT_FALSE(dev->SetRenderState(RS_TEXTUREHANDLE, t.value));
    uint32_t value = 99;
    ASSERT_TRUE(dev->GetRenderState(RS_TEXTUREHANDLE, &value));
    EXPECT_EQ(value, 0u);

    // A surface that is no texture has no handle; neither do materials and lights once gone.
    EXPECT_EQ(
        dev->GetTextureHandle(MakeTexture(4, 4, FormatXrgb8888(), DDSCAPS_SYSTEMMEMORY)).value, 0u);
    MaterialHandle m = dev->CreateMaterial();
    dev->ReleaseMaterial(m);
    EXPECT_FALSE(dev->SetLightState(LIGHTSTATE_MATERIAL, m.value));
    EXPECT_FALSE(dev->SetBackground(m));
    MaterialRecord rec;
    EXPECT_FALSE(dev->SetMaterial(m, rec));
    LightHandle l = dev->CreateLight();
    dev->ReleaseLight(l);
    EXPECT_FALSE(dev->AddLight(l));
}

TEST(SurfaceFormat, ConvertsEachListedFormat) {
    uint8_t out[8] = {};
    ColorKey none;
    struct Case {
        PixelFormat format;
        std::vector<uint8_t> texel;  // little-endian
        std::vector<uint8_t> rgba;
    } cases[] = {
        {FormatRgb565(), {0x00, 0xF8}, {255, 0, 0, 255}},
        {FormatRgb565(), {0xFF, 0x07}, {0, 255, 255, 255}},
        {FormatArgb4444(), {0x84, 0x8F}, {0xFF, 0x88, 0x44, 0x88}},
        {FormatArgb1555(), {0x00, 0x7C}, {255, 0, 0, 0}},
        {FormatRgb888(), {0x30, 0x20, 0x10}, {0x10, 0x20, 0x30, 255}},
    };
    for (const Case& c : cases) {
        ConvertToRgba(c.texel.data(), uint32_t(c.texel.size()), 1, 1, c.format, nullptr, 0, none,
                      out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 4), c.rgba) << &c - cases;
    }

    // 4-bit indices, high nibble first; an index past the palette comes out black.
    PixelFormat p4;
    p4.flags = DDPF_PALETTEINDEXED4;
    p4.bitCount = 4;
    ASSERT_TRUE(IsSupportedFormat(p4));
    EXPECT_EQ(RowBytes(p4, 3), 2u);
    PaletteEntry pal[2] = {{1, 2, 3, 0}, {200, 100, 50, 0}};
    const uint8_t nibbles = 0x12;
    std::fill(out, out + 8, 0xAA);
    ConvertToRgba(&nibbles, 1, 2, 1, p4, pal, 2, none, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8),
              (std::vector<uint8_t>{200, 100, 50, 255, 0, 0, 0, 255}));
}

}  // namespace
}  // namespace orix
