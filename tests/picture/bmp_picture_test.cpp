#include "picture/bmp_picture.h"

#include <gtest/gtest.h>

#include "support/picture_files.h"

namespace orix {
namespace {

using test::BmpSpec;
using test::MakeBmp;

BitmapPtr Parse(const std::vector<uint8_t>& bytes) {
    return ParseBmp(bytes.data(), bytes.size());
}

// 2 x 2 pictures, one per depth, whose pixels read top-left, top-right, bottom-left,
// bottom-right as red, green, blue, white.
TEST(BmpPicture, EveryDepthReadsTheSameColours) {
    const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
    std::vector<std::pair<const char*, BmpSpec>> cases;
    BmpSpec s;
    s.width = 2;
    s.height = 2;

    s.bitCount = 4;  // rows bottom first: blue white / red green
    s.colorTable = {kRed, kGreen, kBlue, kWhite};
    s.colorsUsed = 4;
    s.pixels = {0x23, 0, 0, 0, 0x01, 0, 0, 0};
    cases.push_back({"4-bit", s});

    s.bitCount = 8;
    s.pixels = {2, 3, 0, 0, 0, 1, 0, 0};
    cases.push_back({"8-bit", s});

    s.colorTable.clear();
    s.colorsUsed = 0;
    s.bitCount = 24;
    s.pixels = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    cases.push_back({"24-bit", s});

    s.bitCount = 32;  // xRGB
    s.pixels = {255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0};
    cases.push_back({"32-bit", s});

    s.bitCount = 16;  // BI_RGB 16 bits is 5-5-5
    s.pixels = {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03};
    cases.push_back({"16-bit 555", s});

    s.compression = 3;  // bit fields: 5-6-5
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07};
    cases.push_back({"16-bit 565 fields", s});

    s.headerSize = 108;  // the same masks inside a V4 header
    cases.push_back({"16-bit V4 header", s});

    BmpSpec top;  // top-down 24-bit: rows top first
    top.width = 2;
    top.height = -2;
    top.pixels = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    cases.push_back({"top-down", top});

    BmpSpec rle8;
    rle8.width = 2;
    rle8.height = 2;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.colorTable = {kRed, kGreen, kBlue, kWhite};
    rle8.colorsUsed = 4;
    rle8.pixels = {1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1};
    cases.push_back({"RLE8", rle8});

    BmpSpec rle4 = rle8;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixels = {2, 0x23, 0, 0, 2, 0x01, 0, 1};
    cases.push_back({"RLE4", rle4});

    for (const auto& [name, shape] : cases) {
        SCOPED_TRACE(name);
        BitmapPtr bm = Parse(MakeBmp(shape));
        ASSERT_TRUE(bm);
        EXPECT_EQ(bm->width, 2);
        EXPECT_EQ(bm->height, 2);
        EXPECT_EQ(bm->PixelRgb(0, 0), kRed);
        EXPECT_EQ(bm->PixelRgb(1, 0), kGreen);
        EXPECT_EQ(bm->PixelRgb(0, 1), kBlue);
        EXPECT_EQ(bm->PixelRgb(1, 1), kWhite);
    }
}

TEST(BmpPicture, OneBitAndCoreHeaderPictures) {
    BmpSpec s;
    s.width = 10;
    s.height = 1;
    s.bitCount = 1;
    s.colorTable = {0x102030, 0xF0E0D0};
    s.pixels = {0xA0, 0x40, 0, 0};  // 1010 0000 01..
    BitmapPtr bm = Parse(MakeBmp(s));
    ASSERT_TRUE(bm);
    EXPECT_EQ(bm->colorTable.size(), 2u);
    EXPECT_EQ(bm->PixelRgb(0, 0), 0xF0E0D0u);
    EXPECT_EQ(bm->PixelRgb(1, 0), 0x102030u);
    EXPECT_EQ(bm->PixelRgb(2, 0), 0xF0E0D0u);
    EXPECT_EQ(bm->PixelRgb(9, 0), 0xF0E0D0u);

    // OS/2 1.x: 12-byte header, 16-bit sizes, three-byte colour entries.
    std::vector<uint8_t> core = {
        'B',  'M',  0,    0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12,
        0,    0,    0,    1, 0, 1, 0, 1, 0, 1, 0,  0, 0, 0,  // entry 0: black
        0x30, 0x20, 0x10,                                    // entry 1: 0x102030
        0x80, 0,    0,    0};
    bm = Parse(core);
    ASSERT_TRUE(bm);
    EXPECT_EQ(bm->PixelRgb(0, 0), 0x102030u);
}

TEST(BmpPicture, RleRunsDeltasAndClipping) {
    BmpSpec s;
    s.width = 4;
    s.height = 3;
    s.bitCount = 8;
    s.compression = 1;
    s.colorTable = {0x000000, 0x111111, 0x222222, 0x333333};
    s.colorsUsed = 4;
    // Bottom row: a run of 9 of index 1 (clipped at 4); delta (1, 1) to x 1 of the middle row
    // after the end of line; an odd absolute run 2 3 2 (padded), end of bitmap.
    s.pixels = {9, 1, 0, 0, 0, 2, 1, 1, 0, 3, 2, 3, 2, 0, 0, 1};
    BitmapPtr bm = Parse(MakeBmp(s));
    ASSERT_TRUE(bm);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bm->PixelRgb(x, 2), 0x111111u);
    EXPECT_EQ(bm->PixelRgb(0, 0), 0u);
    EXPECT_EQ(bm->PixelRgb(1, 0), 0x222222u);
    EXPECT_EQ(bm->PixelRgb(2, 0), 0x333333u);
    EXPECT_EQ(bm->PixelRgb(3, 0), 0x222222u);

    // Deltas far past the picture and runs past the top are ignored, not written.
    s.pixels = {0, 2, 255, 255, 5, 1, 0, 2, 0, 200, 5, 1};
    EXPECT_TRUE(Parse(MakeBmp(s)));
    // An absolute run that claims more bytes than are left is a failed load.
    s.pixels = {0, 40, 1, 2};
    EXPECT_FALSE(Parse(MakeBmp(s)));
}

TEST(BmpPicture, MalformedFilesAreFailedLoads) {
    BmpSpec good;
    good.width = 4;
    good.height = 4;
    good.pixels.assign(48, 0x80);
    std::vector<uint8_t> bytes = MakeBmp(good);
    ASSERT_TRUE(Parse(bytes));

    for (size_t cut : {0ul, 2ul, 13ul, 20ul, 53ul, 54ul, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        EXPECT_FALSE(Parse(truncated));
    }

    auto with = [&](auto change) {
        BmpSpec s = good;
        change(s);
        return Parse(MakeBmp(s));
    };
    EXPECT_FALSE(with([](BmpSpec& s) { s.width = 0; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.width = -4; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.width = 60000; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.height = INT32_MIN; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.width = s.height = 16000; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.bitCount = 7; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.compression = 4; }));  // JPEG inside a BMP
    EXPECT_FALSE(with([](BmpSpec& s) { s.headerSize = 30; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.offBitsOverride = 1 << 30; }));
    EXPECT_FALSE(with([](BmpSpec& s) { s.offBitsOverride = 60; }));  // rows run past the end
    EXPECT_FALSE(with([](BmpSpec& s) {
        s.bitCount = 8;
        s.colorsUsed = 256;  // a table the file does not hold
        s.pixels.assign(16, 0);
    }));
    EXPECT_FALSE(with([](BmpSpec& s) {
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0, 0x07E0, 0x001F};
    }));
    EXPECT_FALSE(with([](BmpSpec& s) {
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0xF00F, 0x07E0, 0x001F};  // not one run of bits
    }));
    EXPECT_FALSE(with([](BmpSpec& s) {
        s.compression = 1;  // RLE8 on a 24-bit picture
    }));
}

}  // namespace
}  // namespace orix
