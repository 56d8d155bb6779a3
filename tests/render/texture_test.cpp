#include "render/texture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/bitmap/surface_format.h"
#include "support/fake_device.h"
#include "support/picture_files.h"

namespace orix {
namespace {

// A bottom-up picture: 24-bit with pixel (x, y) = (x * 16, y * 16, 200), or, given colours, 8-bit
// with index (x + y) % colours into a table whose entry i is (i, 2i, 3i).
test::BmpSpec Picture(int w, int h, int colours = 0) {
    test::BmpSpec s;
    s.width = w;
    s.height = h;
    s.bitCount = colours ? 8 : 24;
    s.colorsUsed = static_cast<uint32_t>(colours);
    for (int i = 0; i < colours; ++i) s.colorTable.push_back(0x010203u * static_cast<uint32_t>(i));
    int pitch = DibPitch(w, s.bitCount);
    s.pixels.assign(static_cast<size_t>(pitch) * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &s.pixels[static_cast<size_t>(h - 1 - y) * pitch];
        for (int x = 0; x < w; ++x) {
            const uint8_t bgr[3] = {200, static_cast<uint8_t>(y * 16),
                                    static_cast<uint8_t>(x * 16)};
            if (colours)
                row[x] = static_cast<uint8_t>((x + y) % colours);
            else
                std::memcpy(row + x * 3, bgr, 3);
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
    std::string Bmp(const std::string& name, int w, int h, int colours = 0) {
        std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteBytes(path, test::MakeBmp(Picture(w, h, colours))));
        return path;
    }
    test::PictureTempDir dir_;
    test::MessageCapture capture_;
    FakeDevice device_;
};

TEST(TextureFormat, ChoiceFollowsTheDevicesOrder) {
    const PixelFormat pal8 = FormatPalette8(), rgb16 = FormatRgb565(), argb32 = FormatArgb8888(),
                      rgb24 = FormatRgb888(), xrgb32 = FormatXrgb8888();
    PixelFormat rgb555 = FormatArgb1555();  // without its alpha bit
    rgb555.flags &= ~uint32_t{DDPF_ALPHAPIXELS};
    rgb555.alphaMask = 0;
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

TEST_F(TextureTest, HardwareLoadMakesTwoSurfacesAndTransfers) {
    Texture t;
    ASSERT_TRUE(t.Load(&device_, Bmp("rock.bmp", 300, 200), kNoColorKey));
    ASSERT_NE(t.systemSurface, t.deviceSurface);
    ASSERT_EQ(device_.created.size(), 2u);
    EXPECT_EQ(device_.created[0].caps, 0x04005000u);
    EXPECT_EQ(device_.created[1].caps, 0x00001800u);
    EXPECT_EQ(device_.created[0].flags, 0x1007u);
    EXPECT_EQ(device_.created[0].pixelFormat.bitCount, 24u);
    EXPECT_FALSE(device_.surfaces[t.deviceSurface].keySet);
    // The picture reached the device surface through the transfer, in the surface's format.
    EXPECT_EQ(device_.surfaces[t.deviceSurface].loadsInto, 1);
    EXPECT_EQ(device_.Texel(t.deviceSurface, 3, 5), 0x3050C8u);

    // Reload restores the device surface first, then transfers again.
    device_.surfaces[t.deviceSurface].lost = true;
    EXPECT_TRUE(t.Reload());
    EXPECT_FALSE(device_.surfaces[t.deviceSurface].lost);
    EXPECT_EQ(device_.surfaces[t.deviceSurface].loadsInto, 2);

    t.Release();
    EXPECT_EQ(device_.LiveSurfaces(), 0u);
    EXPECT_FALSE(t.Reload());

    // RGB565 takes truncated channels: (48, 32, 200) -> (6, 8, 25).
    device_.formats = {FormatRgb565()};
    ASSERT_TRUE(t.Load(&device_, Bmp("p.bmp", 4, 4), kNoColorKey));
    EXPECT_EQ(device_.Texel(t.deviceSurface, 3, 2), (6u << 11) | (8u << 5) | 25u);

    // Without hardware one system-memory surface, held twice, serves both.
    device_.hardware = false;
    ASSERT_TRUE(t.Load(&device_, Bmp("s.bmp", 4, 4), kNoColorKey));
    EXPECT_EQ(t.systemSurface, t.deviceSurface);
    EXPECT_EQ(device_.created.back().caps, 0x00001800u);
    EXPECT_EQ(device_.surfaces[t.deviceSurface].refs, 2);
    EXPECT_TRUE(t.Reload());
    t.Release();
    EXPECT_EQ(device_.LiveSurfaces(), 0u);
}

TEST_F(TextureTest, FailedLoadsKeepTheLoadedTextureUntilThePictureIsRead) {
    std::string rock = Bmp("rock.bmp", 4, 4);
    Texture t;
    ASSERT_TRUE(t.Load(&device_, rock, kNoColorKey));
    Texture before = t;
    size_t surfaces = device_.created.size();
    // Unknown extensions, missing files, and pictures wider than the device's largest texture
    // (4096: refused from the header, with their sizes) leave the record alone.
    for (const std::string& name :
         {dir_.File("rock.jpeg"), dir_.File("rock"), dir_.File("missing.bmp"),
          dir_.File("rock.tga"), Bmp("big.bmp", 5000, 2)}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(t.Load(&device_, name, kNoColorKey));
        EXPECT_EQ(t.handle, before.handle);
        EXPECT_EQ(t.deviceSurface, before.deviceSurface);
    }
    EXPECT_FALSE(t.Load(nullptr, rock, kNoColorKey));
    EXPECT_EQ(device_.created.size(), surfaces);
    EXPECT_EQ(device_.LiveSurfaces(), 2u);
    ASSERT_FALSE(capture_.Messages().empty());
    EXPECT_NE(
        capture_.Messages().back().text.find("5000 x 2 pixels; the limit is 4096 pixels a side"),
        std::string::npos)
        << capture_.Messages().back().text;

    // A second good load replaces the first and frees its surfaces.
    ASSERT_TRUE(t.Load(&device_, Bmp("ROCK2.BMP", 8, 8), kNoColorKey));
    EXPECT_NE(t.deviceSurface, before.deviceSurface);
    EXPECT_EQ(device_.LiveSurfaces(), 2u);

    // Once the picture is read, a failure empties the record (loaded is never cleared).
    device_.formats = {FormatArgb8888()};  // nothing fits
    EXPECT_FALSE(t.Load(&device_, Bmp("b.bmp", 2, 2), kNoColorKey));
    EXPECT_EQ(device_.created.back().pixelFormat.bitCount, 0u);
    EXPECT_EQ(t.handle.value, 0u);
    EXPECT_EQ(t.loaded, 1);
    EXPECT_EQ(device_.LiveSurfaces(), 0u);
}

TEST_F(TextureTest, IndexedPicturesGetAPaletteFromTheirColourTable) {
    device_.formats = {FormatRgb565(), FormatPalette8()};
    Texture t;
    ASSERT_TRUE(t.Load(&device_, Bmp("p8.bmp", 6, 3, 40), kNoColorKey));
    EXPECT_EQ(device_.created[0].pixelFormat.bitCount, 8u);
    const auto& palette = device_.palettes[t.palette];
    EXPECT_EQ(palette.caps, static_cast<uint32_t>(DDPCAPS_8BIT));
    ASSERT_EQ(palette.entries.size(), 40u);
    EXPECT_EQ(palette.entries[5].red, 5);
    EXPECT_EQ(palette.entries[5].green, 10);
    EXPECT_EQ(palette.entries[5].blue, 15);
    EXPECT_EQ(device_.surfaces[t.systemSurface].palette, t.palette);
    EXPECT_EQ(device_.surfaces[t.deviceSurface].palette, t.palette);
    EXPECT_EQ(device_.Texel(t.deviceSurface, 4, 2), 6u);  // indices kept

    ASSERT_TRUE(t.Load(&device_, Bmp("p4.bmp", 4, 4, 16), kNoColorKey));
    EXPECT_EQ(device_.palettes[t.palette].caps, static_cast<uint32_t>(DDPCAPS_4BIT));
    EXPECT_EQ(device_.palettes.size(), 1u);  // the first palette went with the first load
    t.Release();
    EXPECT_TRUE(device_.palettes.empty());
}

// JPEG pictures arrive in the display's depth.
TEST_F(TextureTest, JpegPicturesArriveInTheDisplaysDepth) {
    std::string path = dir_.File("photo.JPG");
    ASSERT_TRUE(test::WriteJpeg(path, 16, 8, test::TestPattern(16, 8)));
    Texture t;
    for (uint32_t bits : {16u, 32u}) {
        device_.bits = bits;
        ASSERT_TRUE(t.Load(&device_, path, kNoColorKey));
        EXPECT_EQ(device_.created.back().pixelFormat.bitCount, bits);
    }
}

TEST_F(TextureTest, MipmapChainFillsEveryLevel) {
    std::vector<std::string> names = {Bmp("m0.bmp", 8, 8), Bmp("m1.bmp", 4, 4),
                                      Bmp("m2.bmp", 2, 2)};
    Texture t;
    ASSERT_TRUE(t.LoadMipmaps(&device_, names, 3, kNoColorKey));
    ASSERT_EQ(device_.created.size(), 2u);
    EXPECT_EQ(device_.created[0].flags, 0x21007u);
    EXPECT_EQ(device_.created[0].mipMapCount, 3u);
    EXPECT_EQ(device_.created[0].caps, 0x04405008u);
    EXPECT_EQ(device_.created[1].caps, 0x00401808u);
    EXPECT_EQ(device_.surfaces[t.systemSurface].refs, 1);  // level references given back
    SurfaceHandle level = t.deviceSurface;
    for (uint32_t size : {8u, 4u, 2u}) {
        SCOPED_TRACE(size);
        ASSERT_NE(level.value, 0u);
        EXPECT_EQ(device_.surfaces[level].desc.width, size);
        EXPECT_EQ(device_.Texel(level, size - 1, size - 1),
                  0x0000C8u | ((size - 1) * 16 << 16) | ((size - 1) * 16 << 8));
        level = device_.surfaces[level].next;
    }
    t.Release();
    EXPECT_EQ(device_.LiveSurfaces(), 0u);

    // A missing level fails the whole texture and leaves nothing behind.
    std::vector<std::string> broken = {names[0], dir_.File("gone.bmp"), names[2]};
    Texture u;
    EXPECT_FALSE(u.LoadMipmaps(&device_, broken, 3, kNoColorKey));
    EXPECT_EQ(u.loaded, 0);
    EXPECT_EQ(device_.LiveSurfaces(), 0u);
    EXPECT_FALSE(u.LoadMipmaps(&device_, names, 4, kNoColorKey));  // more levels than names

    // One level: just level 0.
    ASSERT_TRUE(u.LoadMipmaps(&device_, names, 1, kNoColorKey));
    EXPECT_EQ(device_.surfaces[u.deviceSurface].next.value, 0u);
}

}  // namespace
}  // namespace orix
