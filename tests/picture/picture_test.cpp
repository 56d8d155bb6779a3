#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "export/gltf_builder.h"
#include "picture/bmp_picture.h"
#include "picture/jpeg_picture.h"
#include "picture/tga_png_picture.h"
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
    // A channel without bits, and one whose bits are not one run.
    for (uint32_t red : {0u, 0xF00Fu}) {
        EXPECT_FALSE(with([red](BmpSpec& s) {
            s.bitCount = 16;
            s.compression = 3;
            s.masks = {red, 0x07E0, 0x001F};
        }));
    }
    EXPECT_FALSE(with([](BmpSpec& s) {
        s.compression = 1;  // RLE8 on a 24-bit picture
    }));
}

using test::JpegOptions;
using test::MessageCapture;
using test::PictureTempDir;

class JpegPictureTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, int w, int h, const JpegOptions& options = {}) {
        std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteJpeg(path, w, h, test::TestPattern(w, h), options));
        return path;
    }

    // Every pixel of the DIB (bottom-up BGR, padded rows) against top-down RGB.
    void ExpectDibShows(const Bitmap& dib, const std::vector<uint8_t>& rgb, int w, int h,
                        int tolerance) {
        ASSERT_EQ(dib.width, w);
        ASSERT_EQ(dib.height, h);
        ASSERT_EQ(dib.bitsPerPixel, 24);
        ASSERT_TRUE(dib.bottomUp);
        ASSERT_EQ(rgb.size(), size_t(w * h * 3));
        for (int y = 0; y < h; ++y) {
            const uint8_t* stored = dib.bits.data() + static_cast<size_t>(h - 1 - y) * dib.pitch;
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(stored[x * 3 + 2 - c], rgb[(size_t(y) * w + x) * 3 + c], tolerance)
                        << x << "," << y;
            }
        }
    }

    PictureTempDir dir_;
    MessageCapture capture_;
};

// Each encoding decodes to what libjpeg itself decodes, in bottom-up BGR rows padded to whole
// words.
TEST_F(JpegPictureTest, EncodingVariantsDecodeLikeTheLibrary) {
    JpegOptions plain, grey, progressive, arithmetic;
    grey.greyscale = true;
    progressive.progressive = true;
    arithmetic.arithmetic = arithmetic.progressive = true;
    struct Case {
        const char* name;
        int w, h;
        JpegOptions options;
        int pitch;
    } cases[] = {{"small.jpg", 3, 2, plain, 12},
                 {"grey.jpg", 4, 3, grey, 12},
                 {"progressive.jpg", 37, 21, progressive, 112},
                 {"arith.jpg", 37, 21, arithmetic, 112}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = Write(c.name, c.w, c.h, c.options);
        BitmapPtr dib = LoadJpegDib(path);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->pitch, c.pitch);
        EXPECT_EQ(dib->bits.size(), size_t(c.pitch * c.h));
        int w = 0, h = 0;
        ExpectDibShows(*dib, test::ReferenceDecodeJpeg(path, &w, &h), c.w, c.h, 0);
    }
    EXPECT_TRUE(capture_.Messages().empty());
}

TEST_F(JpegPictureTest, MissingTruncatedOrCorruptFilesSaySoAndLeaveNoImage) {
    std::string missing = dir_.File("nowhere.jpg");
    EXPECT_FALSE(LoadJpegPicture(missing));
    ASSERT_EQ(capture_.Messages().size(), 1u);
    EXPECT_EQ(capture_.Messages()[0].text, "JPEG :\nCan't open " + missing + "\n");
    EXPECT_EQ(capture_.Messages()[0].caption, "OrixFileJpg");

    std::string good = Write("whole.jpg", 64, 48, JpegOptions{90});
    std::vector<uint8_t> bytes = test::ReadBytes(good);
    ASSERT_GT(bytes.size(), 400u);
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases = {
        {"header.jpg", {bytes.begin(), bytes.begin() + 100}},
        {"data.jpg", {bytes.begin(), bytes.begin() + static_cast<long>(bytes.size()) - 200}},
        {"text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}},
        {"empty.jpg", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        capture_.Clear();
        std::string path = dir_.File(c.name);
        ASSERT_TRUE(test::WriteBytes(path, c.data));
        EXPECT_FALSE(LoadJpegPicture(path));
        ASSERT_EQ(capture_.Messages().size(), 1u);
        EXPECT_EQ(capture_.Messages()[0].caption, "JPEG Fatal Error");
        // Each failure names its own file.
        EXPECT_EQ(capture_.Messages()[0].text.rfind(path + ": ", 0), 0u);
        EXPECT_EQ(LastJpegImage().image, nullptr);
        EXPECT_EQ(LastJpegImage().width + LastJpegImage().height, 0u);
    }
    // The program goes on: the same module decodes the next picture.
    EXPECT_TRUE(LoadJpegPicture(good));
}

TEST_F(JpegPictureTest, PicturesLargerThanTheDeviceHoldsAreRefusedFromTheHeader) {
    // A small file whose frame header claims another size.
    std::vector<uint8_t> bytes = test::ReadBytes(Write("small.jpg", 16, 16));
    auto claim = [&](const std::string& name, int w, int h) {
        std::vector<uint8_t> patched = bytes;
        for (size_t i = 0; i + 8 < patched.size(); ++i) {
            if (patched[i] == 0xFF && patched[i + 1] == 0xC0) {
                patched[i + 5] = static_cast<uint8_t>(h >> 8);
                patched[i + 6] = static_cast<uint8_t>(h);
                patched[i + 7] = static_cast<uint8_t>(w >> 8);
                patched[i + 8] = static_cast<uint8_t>(w);
                break;
            }
        }
        std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteBytes(path, patched));
        return path;
    };
    struct Case {
        int w, h;
        uint32_t maxSide;
        const char* says;
    } cases[] = {
        {60000, 60000, 0, "60000 x 60000 pixels; the limit is 16384 pixels a side"},
        {16384, 16384, 0, "16384 x 16384 pixels; the limit is 16384 pixels a side and 512 MiB"},
        {2000, 20, 1024, "2000 x 20 pixels; the limit is 1024 pixels a side"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        capture_.Clear();
        std::string path = claim("claim.jpg", c.w, c.h);
        EXPECT_FALSE(LoadJpegPicture(path, 16, c.maxSide));
        ASSERT_EQ(capture_.Messages().size(), 1u);
        EXPECT_EQ(capture_.Messages()[0].caption, "OrixFileJpg");
        EXPECT_EQ(capture_.Messages()[0].text.rfind("JPEG :\nPicture too large in " + path, 0), 0u);
        EXPECT_NE(capture_.Messages()[0].text.find(c.says), std::string::npos);
    }
}

// Files carry Adobe's inverted inks; plain ones are read the other way round. Half-strength
// red as plain inks, then inverted; black scales every channel.
TEST(JpegRows, PlainAndInvertedInksGiveTheSameColour) {
    const uint8_t plainInks[] = {0, 255, 255, 128, 0, 0, 0, 0};
    const uint8_t invertedInks[] = {255, 0, 0, 127, 255, 255, 255, 255};
    std::vector<uint8_t> inks(2 * 2 * 3, 0);
    CmykRowToRgb(plainInks, 2, inks.data(), 0, false);
    CmykRowToRgb(invertedInks, 2, inks.data(), 1, true);
    EXPECT_EQ(inks, (std::vector<uint8_t>{127, 0, 0, 255, 255, 255, 127, 0, 0, 255, 255, 255}));
}

TEST_F(JpegPictureTest, CmykAndYcckFilesDecodeToThePicture) {
    JpegOptions cmyk, ycck;
    cmyk.cmyk = true;
    ycck.ycck = true;
    for (const auto& [name, options] : {std::pair{"cmyk.jpg", cmyk}, std::pair{"ycck.jpg", ycck}}) {
        SCOPED_TRACE(name);
        BitmapPtr dib = LoadJpegDib(Write(name, 37, 21, options));
        ASSERT_TRUE(dib);
        ExpectDibShows(*dib, test::TestPattern(37, 21), 37, 21, 6);
    }
    EXPECT_TRUE(capture_.Messages().empty());
}

// 3 x 2 top-down RGBA pixels with two equal neighbours (an RLE run) and alpha from clear to
// opaque.
const std::vector<uint8_t> kTgaPngPixels = {
    255, 0, 0,   255, 0,   255, 0,   128, 0,  255, 0,  128,
    0,   0, 255, 0,   250, 250, 250, 255, 10, 20,  30, 64,
};

struct TgaPngCase {
    const char* name;
    bool tga;
    std::vector<uint8_t> bytes;
};

std::vector<TgaPngCase> TgaPngCases() {
    const std::vector<uint8_t>& p = kTgaPngPixels;
    return {{"tga24", true, test::MakeTga(3, 2, p, 24, false)},
            {"tga32", true, test::MakeTga(3, 2, p, 32, false)},
            {"tga24rle", true, test::MakeTga(3, 2, p, 24, true)},
            {"tga32rle", true, test::MakeTga(3, 2, p, 32, true)},
            {"png", false, test::MakePng(3, 2, p, false)},
            {"pngalpha", false, test::MakePng(3, 2, p, true)}};
}

BitmapPtr ParseTgaPng(const TgaPngCase& c, size_t size) {
    return c.tga ? ParseTga(c.bytes.data(), size) : ParsePng(c.bytes.data(), size);
}

// Every form reads the same colours, alpha left aside as for BMP, in the engine's loading and
// in the export's; cut short anywhere, or taken for the other format, it is no picture.
TEST(TgaPngPicture, EveryFormReadsTheSameColoursAndNoCutOrWrongFormatReads) {
    PictureTempDir dir;
    for (const TgaPngCase& c : TgaPngCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.empty());
        BitmapPtr bm = ParseTgaPng(c, c.bytes.size());
        ASSERT_TRUE(bm);
        ASSERT_EQ(bm->width, 3);
        ASSERT_EQ(bm->height, 2);
        const std::string path = dir.File(std::string(c.name) + (c.tga ? ".TGA" : ".png"));
        ASSERT_TRUE(test::WriteBytes(path, c.bytes));
        gltf::Picture exported;
        ASSERT_TRUE(gltf::DecodePicture(path, false, &exported));
        for (int i = 0; i < 6; ++i) {
            const uint8_t* px = &kTgaPngPixels[size_t(i) * 4];
            const uint32_t rgb = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
            EXPECT_EQ(bm->PixelRgb(i % 3, i / 3), rgb) << i;
            const uint8_t opaque[4] = {px[0], px[1], px[2], 255};
            EXPECT_TRUE(std::equal(opaque, opaque + 4, &exported.rgba[size_t(i) * 4])) << i;
        }
        for (size_t cut = 0; cut < c.bytes.size(); ++cut) {
            // libpng reads the pixels before the end chunk; a file cut in that chunk is whole.
            if (!c.tga && cut + 12 >= c.bytes.size()) break;
            EXPECT_FALSE(ParseTgaPng(c, cut)) << cut;
        }
        const TgaPngCase other{c.name, !c.tga, c.bytes};
        EXPECT_FALSE(ParseTgaPng(other, other.bytes.size()));
    }
}

TEST(TgaPngPicture, PicturesLargerThanTheDeviceHoldsAreRefusedAsBmpIs) {
    PictureTempDir dir;
    MessageCapture capture;
    struct Case {
        bool tga;
        int w, h;
        uint32_t maxSide;
        const char* says;
    } cases[] = {
        {true, 20000, 1, 0, "20000 x 1 pixels; the limit is 16384 pixels a side"},
        {false, 20000, 1, 0, "20000 x 1 pixels; the limit is 16384 pixels a side"},
        {true, 2000, 2, 1024, "2000 x 2 pixels; the limit is 1024 pixels a side"},
        {false, 2, 2000, 1024, "2 x 2000 pixels; the limit is 1024 pixels a side"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        capture.Clear();
        const std::vector<uint8_t> blank(size_t(c.w) * c.h * 4, 90);
        const std::string path = dir.File(c.tga ? "big.tga" : "big.png");
        ASSERT_TRUE(test::WriteBytes(path, c.tga ? test::MakeTga(c.w, c.h, blank, 24, true)
                                                 : test::MakePng(c.w, c.h, blank, false)));
        EXPECT_FALSE(c.tga ? LoadTgaPicture(path, c.maxSide) : LoadPngPicture(path, c.maxSide));
        ASSERT_EQ(capture.Messages().size(), 1u);
        EXPECT_EQ(capture.Messages()[0].caption, c.tga ? "OrixFileTga" : "OrixFilePng");
        EXPECT_EQ(capture.Messages()[0].text, std::string(c.tga ? "TGA" : "PNG") + " :\n" + path +
                                                  ": the picture is " + c.says +
                                                  " and 512 MiB of pixels\n");
    }
}

}  // namespace
}  // namespace orix
