#include "render/texture.h"

#include <gtest/gtest.h>

#include "support/fake_device.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using test::BmpSpec;

// A 24-bit picture whose pixel (x, y) is (x * 16, y * 16, 200).
BmpSpec Rgb24Picture(int w, int h) {
    BmpSpec s;
    s.width = w;
    s.height = h;
    int pitch = DibPitch(w, 24);
    s.pixels.assign(static_cast<size_t>(pitch) * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &s.pixels[static_cast<size_t>(h - 1 - y) * pitch];
        for (int x = 0; x < w; ++x) {
            row[x * 3 + 0] = 200;
            row[x * 3 + 1] = static_cast<uint8_t>(y * 16);
            row[x * 3 + 2] = static_cast<uint8_t>(x * 16);
        }
    }
    return s;
}

class TextureTest : public ::testing::Test {
protected:
    TextureTest() {
        device_.hardware = true;
        device_.formats = CommonTextureFormats();
    }
    std::string Picture(const std::string& name, const BmpSpec& shape) {
        std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteBytes(path, test::MakeBmp(shape)));
        return path;
    }
    test::PictureTempDir dir_;
    test::MessageCapture capture_;
    FakeDevice device_;
};

TEST(TextureFormat, ChoiceFollowsTheDevicesOrder) {
    const PixelFormat pal8 = Palette8Format(), rgb16 = RgbFormat(16, 0xF800, 0x7E0, 0x1F),
                      argb32 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                      rgb24 = RgbFormat(24, 0xFF0000, 0xFF00, 0xFF),
                      xrgb32 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF),
                      rgb555 = RgbFormat(16, 0x7C00, 0x3E0, 0x1F);
    PixelFormat pal4;  // a 4-bit palette format is too shallow to take
    pal4.flags = DDPF_PALETTEINDEXED4;
    pal4.bitCount = 4;
    const struct {
        std::vector<PixelFormat> formats;
        uint32_t pictureBits, bitCount, greenMask;
    } cases[] = {
        {{pal8, rgb16, argb32}, 24, 8, 0},  // nothing deep enough replaces the first
        {{pal8, rgb16, argb32, rgb24}, 24, 24, 0xFF00},
        {{pal8, rgb16, argb32, xrgb32}, 24, 32, 0xFF00},
        {{pal8, rgb16, xrgb32, rgb24}, 24, 24, 0xFF00},  // the shallowest deep-enough wins
        {{rgb16, pal8}, 8, 8, 0},                        // an 8-bit picture takes the palette
        {{rgb555, rgb16}, 16, 16, 0x3E0},                // a tie keeps the earlier one
        {{argb32}, 16, 0, 0},                            // only alpha formats: nothing
        {{pal4}, 4, 0, 0},
    };
    for (const auto& c : cases) {
        FakeDevice d;
        d.formats = c.formats;
        PixelFormat chosen = ChooseTextureFormat(d, c.pictureBits);
        EXPECT_EQ(chosen.bitCount, c.bitCount) << &c - cases;
        EXPECT_EQ(chosen.greenMask, c.greenMask) << &c - cases;
        EXPECT_EQ(chosen.flags == 0, c.bitCount == 0) << &c - cases;
    }
}

TEST_F(TextureTest, SixteenBitSurfacesTakeTruncatedChannels) {
    device_.formats = {RgbFormat(16, 0xF800, 0x07E0, 0x001F)};
    Texture t;
    ASSERT_TRUE(t.Load(&device_, Picture("p.bmp", Rgb24Picture(4, 4)), kNoColorKey));
    // (48, 32, 200) -> (6, 8, 25) in 5-6-5.
    EXPECT_EQ(device_.Texel(t.deviceSurface, 3, 2), (6u << 11) | (8u << 5) | 25u);
    t.Release();
}

}  // namespace
}  // namespace orix
