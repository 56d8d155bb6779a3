// A JPEG texture on the offscreen device arrives in the display's depth and draws as the picture.
#include "platform/device_fixture.h"
#include "render/texture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using TextureDeviceTest = DeviceTest;

TEST_F(TextureDeviceTest, JpegTextureMatchesThePicture) {
    test::PictureTempDir dir;
    std::string path = dir.File("photo.jpg");
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
