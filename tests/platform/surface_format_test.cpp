// Texel conversion into RGBA8: channel widening, alpha formats, palettes and the colour key.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/surface_format.h"

namespace orix {
namespace {

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
