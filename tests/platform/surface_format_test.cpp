// Texel conversion into RGBA8: channel widening, alpha formats, palettes and the colour key.
#include <gtest/gtest.h>

#include "platform/surface_format.h"

namespace orix {
namespace {

TEST(SurfaceFormat, ConvertsEachListedFormat) {
    uint8_t out[8] = {};
    ColorKey none;
    const uint16_t rgb565[2] = {0xF800, 0x07FF};  // full red; full green + blue
    ConvertToRgba(reinterpret_cast<const uint8_t*>(rgb565), 4, 2, 1, FormatRgb565(), nullptr, 0,
                  none, out);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[5], 255);
    EXPECT_EQ(out[6], 255);

    const uint16_t argb4444 = 0x8F84;  // alpha 8, red F, green 8, blue 4
    ConvertToRgba(reinterpret_cast<const uint8_t*>(&argb4444), 2, 1, 1, FormatArgb4444(), nullptr,
                  0, none, out);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0x88);
    EXPECT_EQ(out[2], 0x44);
    EXPECT_EQ(out[3], 0x88);

    const uint16_t argb1555 = 0x7C00;  // red, alpha bit clear
    ConvertToRgba(reinterpret_cast<const uint8_t*>(&argb1555), 2, 1, 1, FormatArgb1555(), nullptr,
                  0, none, out);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[3], 0);

    const uint8_t rgb888[3] = {0x30, 0x20, 0x10};  // little-endian 0x102030
    ConvertToRgba(rgb888, 3, 1, 1, FormatRgb888(), nullptr, 0, none, out);
    EXPECT_EQ(out[0], 0x10);
    EXPECT_EQ(out[1], 0x20);
    EXPECT_EQ(out[2], 0x30);

    // 4-bit indices, high nibble first; an index past the palette comes out black.
    PixelFormat p4;
    p4.flags = DDPF_PALETTEINDEXED4;
    p4.bitCount = 4;
    ASSERT_TRUE(IsSupportedFormat(p4));
    EXPECT_EQ(RowBytes(p4, 3), 2u);
    PaletteEntry pal[2] = {{1, 2, 3, 0}, {200, 100, 50, 0}};
    const uint8_t nibbles = 0x12;
    ConvertToRgba(&nibbles, 1, 2, 1, p4, pal, 2, none, out);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[4], 0);
}

TEST(SurfaceFormat, ColourKeyRangeBecomesTransparent) {
    const uint32_t px[3] = {0x000010, 0x000020, 0x000030};
    uint8_t out[12] = {};
    ColorKey key{true, 0x10, 0x20};
    ConvertToRgba(reinterpret_cast<const uint8_t*>(px), 12, 3, 1, FormatXrgb8888(), nullptr, 0, key,
                  out);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[7], 0);
    EXPECT_EQ(out[11], 255);
    PixelFormat wide = FormatRgb565();
    wide.redMask = 0x1F800;  // wider than 16 bits
    EXPECT_FALSE(IsSupportedFormat(wide));
}

}  // namespace
}  // namespace orix
