#include "platform/bitmap.h"

#include <gtest/gtest.h>

namespace orix {
namespace {

TEST(Bitmap, DibPitchRoundsRowsToWholeWords) {
    EXPECT_EQ(DibPitch(3, 24), 12);
    EXPECT_EQ(DibPitch(1, 1), 4);
    EXPECT_EQ(DibPitch(33, 1), 8);
    EXPECT_EQ(DibPitch(3, 16), 8);
    EXPECT_EQ(DibPitch(0, 24), 0);
    EXPECT_FALSE(CreateBitmap(0, 4, 24));
    EXPECT_FALSE(CreateBitmap(4, 4, 12));
    EXPECT_FALSE(CreateBitmap(kMaxBitmapSide + 1, 1, 8));
    EXPECT_FALSE(CreateBitmap(kMaxBitmapSide, kMaxBitmapSide, 8));
}

// The side is the device's (never above kMaxBitmapSide); the memory counts 4 bytes a pixel.
TEST(Bitmap, PictureSizeRefusalTakesTheDeviceSideAndTheMemoryBudget) {
    struct Case {
        int64_t w, h;
        uint32_t maxSide;
        bool fits;
    } cases[] = {
        {16384, 8192, 0, true}, {16384, 8193, 0, false}, {16385, 1, 20000, false},
        {64, 64, 64, true},     {64, 65, 64, false},     {0, 5, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PictureSizeRefusal(c.w, c.h, c.maxSide).empty(), c.fits)
            << c.w << " x " << c.h << " on " << c.maxSide;
    }
    EXPECT_EQ(
        PictureSizeRefusal(100, 70, 64),
        "the picture is 100 x 70 pixels; the limit is 64 pixels a side and 512 MiB of pixels");
}

// A 24-bit picture with a few known colours, converted through every depth and back.
TEST(Bitmap, ConversionsKeepColoursWithinTheTargetsPrecision) {
    BitmapPtr src = CreateBitmap(3, 2, 24);
    ASSERT_TRUE(src);
    const uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808040};
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 3; ++b) src->Row(i / 3)[i % 3 * 3 + b] = uint8_t(colours[i] >> (8 * b));
    }
    EXPECT_EQ(src->PixelRgb(3, 0), 0u);
    EXPECT_EQ(src->PixelRgb(0, -1), 0u);

    // 16 bits: 0x80 becomes 16/32 and 32/64 steps; 8 bits: the 256-colour table; 15: 5-5-5.
    struct Case {
        int depth, x, y;
        uint32_t rgb;
    } cases[] = {{16, 0, 0, 0xFF0000}, {16, 0, 1, 0xFFFFFF}, {16, 2, 1, 0x848242},
                 {15, 1, 0, 0x00FF00}, {8, 0, 0, 0xFF0000},  {8, 1, 1, 0},
                 {4, 2, 0, 0x0000FF},  {1, 0, 1, 0xFFFFFF},  {1, 1, 1, 0}};
    for (const Case& c : cases) {
        BitmapPtr b =
            c.depth >= 8 ? MakeScreenCompatible(*src, c.depth) : ConvertBitmap(*src, c.depth);
        ASSERT_TRUE(b) << c.depth;
        EXPECT_EQ(b->PixelRgb(c.x, c.y), c.rgb) << c.depth << " bits at " << c.x << "," << c.y;
    }
    BitmapPtr b565 = MakeScreenCompatible(*src, 16);
    EXPECT_EQ(b565->Row(1)[0] | (b565->Row(1)[1] << 8), 0xFFFF);  // white stays white
    EXPECT_EQ(MakeScreenCompatible(*src, 15)->greenMask, 0x03E0u);
    EXPECT_EQ(MakeScreenCompatible(*src, 8)->colorTable.size(), 256u);
    EXPECT_FALSE(MakeScreenCompatible(*src, 12));
    BitmapPtr back = ConvertBitmap(*MakeScreenCompatible(*src, 32), 24);
    ASSERT_TRUE(back);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back->PixelRgb(i % 3, i / 3), colours[i]);
}

TEST(Bitmap, IndexedPicturesKeepTheirIndicesAndTable) {
    BitmapPtr src = CreateBitmap(4, 1, 4);
    ASSERT_TRUE(src);
    src->colorTable = {{0, 0, 0, 0}, {10, 20, 30, 0}, {40, 50, 60, 0}};
    src->bits[0] = 0x12;
    src->bits[1] = 0x0F;  // index 15: past the table
    BitmapPtr b8 = ConvertBitmap(*src, 8);
    ASSERT_TRUE(b8);
    EXPECT_EQ(b8->colorTable.size(), 3u);
    EXPECT_EQ(b8->bits[0], 1);
    EXPECT_EQ(b8->bits[1], 2);
    EXPECT_EQ(b8->bits[3], 15);
    EXPECT_EQ(b8->PixelRgb(0, 0), 0x1E140Au);
    EXPECT_EQ(b8->PixelRgb(3, 0), 0u);

    BitmapPtr b24 = ConvertBitmap(*src, 24);
    EXPECT_EQ(b24->PixelRgb(1, 0), 0x3C3228u);
    src->bottomUp = false;
    src->bits.resize(1);  // bits no longer cover the rows
    EXPECT_FALSE(src->IsValid());
    EXPECT_EQ(src->PixelRgb(0, 0), 0u);
    EXPECT_FALSE(ConvertBitmap(*src, 24));
}

}  // namespace
}  // namespace orix
