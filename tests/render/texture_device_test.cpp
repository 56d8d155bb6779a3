// Textures on the offscreen device: real surfaces, the software device's shared surface, JPEG
// pictures in the display's depth.
#include "platform/device_fixture.h"
#include "render/texture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

class TextureDeviceTest : public DeviceTest {
protected:
    test::PictureTempDir dir_;
    test::MessageCapture capture_;
};

TEST_F(TextureDeviceTest, PictureSizeAndSharedSoftwareSurface) {
    test::BmpSpec s;
    s.width = 300;
    s.height = 200;
    s.pixels.assign(static_cast<size_t>(DibPitch(300, 24)) * 200, 0x80);
    std::string path = dir_.File("big.bmp");
    ASSERT_TRUE(test::WriteBytes(path, test::MakeBmp(s)));
    Texture t;
    ASSERT_TRUE(t.Load(dev, path, kNoColorKey));
    SurfaceDesc desc;
    ASSERT_TRUE(dev->GetSurfaceDesc(t.deviceSurface, &desc));
    EXPECT_EQ(desc.width, 300u);
    EXPECT_EQ(desc.height, 200u);
    EXPECT_EQ(desc.pixelFormat.bitCount, 24u);
    if (!dev->GetCaps().hardware) {
        EXPECT_EQ(t.systemSurface, t.deviceSurface);
        EXPECT_TRUE(t.Reload());
    }
    SurfaceHandle surface = t.deviceSurface;
    t.Release();
    EXPECT_FALSE(dev->GetSurfaceDesc(surface, &desc));  // both references were given back
}

TEST_F(TextureDeviceTest, JpegTextureMatchesThePicture) {
    std::string path = dir_.File("photo.jpg");
    ASSERT_TRUE(test::WriteJpeg(path, 16, 16, test::TestPattern(16, 16)));
    int w = 0, h = 0;
    std::vector<uint8_t> ref = test::ReferenceDecodeJpeg(path, &w, &h);
    Texture t;
    ASSERT_TRUE(t.Load(dev, path, kNoColorKey));
    SurfaceDesc desc;
    ASSERT_TRUE(dev->GetSurfaceDesc(t.deviceSurface, &desc));
    EXPECT_EQ(desc.pixelFormat.bitCount, 16u);  // the display's depth
    dev->SetRenderState(RS_ZENABLE, 0);
    dev->SetRenderState(RS_TEXTUREHANDLE, t.handle);
    DrawRect(0, 0, 160, 160, 0.5f, 0xFFFFFFFF);
    FrameImage frame = Frame();
    for (int y = 0; y < 16; y += 5) {
        for (int x = 0; x < 16; x += 3) {
            uint32_t rgb = frame.Rgb(uint32_t(x * 10 + 5), uint32_t(y * 10 + 5));
            const uint8_t* r = &ref[(size_t(y) * w + x) * 3];
            EXPECT_NEAR(Channel(rgb, 16), r[0], 12) << x << "," << y;
            EXPECT_NEAR(Channel(rgb, 8), r[1], 8) << x << "," << y;
            EXPECT_NEAR(Channel(rgb, 0), r[2], 12) << x << "," << y;
        }
    }
    t.Release();
}

}  // namespace
}  // namespace orix
