#include "picture/jpeg_picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/picture_files.h"

namespace orix {
namespace {

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

    // Every pixel of the DIB (bottom-up BGR, padded rows) against libjpeg's own decode.
    void ExpectDibMatchesReference(const Bitmap& dib, const std::string& path) {
        int w = 0, h = 0;
        std::vector<uint8_t> ref = test::ReferenceDecodeJpeg(path, &w, &h);
        ASSERT_EQ(dib.width, w);
        ASSERT_EQ(dib.height, h);
        ASSERT_EQ(dib.bitsPerPixel, 24);
        ASSERT_TRUE(dib.bottomUp);
        for (int y = 0; y < h; ++y) {
            const uint8_t* stored = dib.bits.data() + static_cast<size_t>(h - 1 - y) * dib.pitch;
            for (int x = 0; x < w; ++x) {
                const uint8_t* rgb = &ref[(static_cast<size_t>(y) * w + x) * 3];
                ASSERT_EQ(stored[x * 3 + 0], rgb[2]) << x << "," << y;
                ASSERT_EQ(stored[x * 3 + 1], rgb[1]) << x << "," << y;
                ASSERT_EQ(stored[x * 3 + 2], rgb[0]) << x << "," << y;
            }
        }
    }

    PictureTempDir dir_;
    MessageCapture capture_;
};

// Each encoding decodes to what libjpeg itself decodes, in bottom-up BGR rows padded to whole
// words, and each load replaces the last image.
TEST_F(JpegPictureTest, EncodingVariantsDecodeLikeTheLibrary) {
    JpegOptions plain, grey, progressive, restart, arithmetic, subsampled;
    grey.greyscale = true;
    progressive.progressive = true;
    restart.restartInterval = 1;
    arithmetic.arithmetic = arithmetic.progressive = true;
    subsampled.subsample = true;
    subsampled.quality = 75;
    struct Case {
        const char* name;
        int w, h;
        JpegOptions options;
        int pitch;
    } cases[] = {{"small.jpg", 3, 2, plain, 12},
                 {"grey.jpg", 4, 3, grey, 12},
                 {"progressive.jpg", 37, 21, progressive, 112},
                 {"restart.jpg", 37, 21, restart, 112},
                 {"arith.jpg", 37, 21, arithmetic, 112},
                 {"sub.jpg", 37, 21, subsampled, 112}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = Write(c.name, c.w, c.h, c.options);
        BitmapPtr dib = LoadJpegDib(path);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->pitch, c.pitch);
        EXPECT_EQ(dib->bits.size(), size_t(c.pitch * c.h));
        ExpectDibMatchesReference(*dib, path);
        const JpegLastImage& last = LastJpegImage();
        EXPECT_NE(last.image, nullptr);
        EXPECT_EQ(last.width, uint32_t(c.w));
        EXPECT_EQ(last.height, uint32_t(c.h));
        EXPECT_EQ(last.paddedRowSize, uint32_t(c.pitch));
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
        EXPECT_FALSE(capture_.Messages()[0].text.empty());
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
    const int w = 37, h = 21;
    std::vector<uint8_t> pattern = test::TestPattern(w, h);
    for (const auto& [name, options] : {std::pair{"cmyk.jpg", cmyk}, std::pair{"ycck.jpg", ycck}}) {
        SCOPED_TRACE(name);
        BitmapPtr dib = LoadJpegDib(Write(name, w, h, options));
        ASSERT_TRUE(dib);
        for (int y = 0; y < h; ++y) {
            const uint8_t* stored = dib->bits.data() + static_cast<size_t>(h - 1 - y) * dib->pitch;
            for (int x = 0; x < w; ++x) {
                const uint8_t* rgb = &pattern[(static_cast<size_t>(y) * w + x) * 3];
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(stored[x * 3 + 2 - c], rgb[c], 6) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(capture_.Messages().empty());
}

}  // namespace
}  // namespace orix
