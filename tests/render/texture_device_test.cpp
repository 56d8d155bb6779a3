// Textures on the offscreen device: real surfaces, the software device's shared surface, JPEG
// pictures in the display's depth.
#include <gtest/gtest.h>

#include "render/texture.h"
#include "support/offscreen_device.h"
#include "support/picture_files.h"

namespace orix {
namespace {

TLVertex Tl(float x, float y, uint32_t color, float u, float v) {
    TLVertex t;
    t.sx = x;
    t.sy = y;
    t.sz = 0.5f;
    t.rhw = 1.0f;
    t.color = color;
    t.tu = u;
    t.tv = v;
    return t;
}

// A quad over (x0, y0) .. (x1, y1), textured with handle.
void DrawQuad(GraphicsDevice& d, float x0, float y0, float x1, float y1, TextureHandle handle) {
    const uint32_t color = 0xFFFFFFFF;
    TLVertex q[4] = {Tl(x0, y0, color, 0, 0), Tl(x1, y0, color, 1, 0), Tl(x1, y1, color, 1, 1),
                     Tl(x0, y1, color, 0, 1)};
    d.SetRenderState(RS_TEXTUREHANDLE, handle);
    d.DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, q, 4, 0);
}

int Channel(uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

class TextureDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        offscreen_ = MakeOffscreenDevice(640, 480, 16);
        if (!offscreen_.device) GTEST_SKIP() << "no offscreen device here";
        device_ = offscreen_.device.get();
    }
    std::string Bmp(const std::string& name, const test::BmpSpec& shape) {
        std::string path = dir_.File(name);
        EXPECT_TRUE(test::WriteBytes(path, test::MakeBmp(shape)));
        return path;
    }
    test::PictureTempDir dir_;
    test::MessageCapture capture_;
    OffscreenDevice offscreen_;
    GraphicsDevice* device_ = nullptr;
};

TEST_F(TextureDeviceTest, PictureSizeAndSharedSoftwareSurface) {
    test::BmpSpec s;
    s.width = 300;
    s.height = 200;
    s.pixels.assign(static_cast<size_t>(DibPitch(300, 24)) * 200, 0x80);
    Texture t;
    ASSERT_TRUE(t.Load(device_, Bmp("big.bmp", s), kNoColorKey));
    SurfaceDesc desc;
    ASSERT_TRUE(device_->GetSurfaceDesc(t.deviceSurface, &desc));
    EXPECT_EQ(desc.width, 300u);
    EXPECT_EQ(desc.height, 200u);
    EXPECT_EQ(desc.pixelFormat.bitCount, 24u);
    EXPECT_NE(t.handle, 0u);
    if (!device_->GetCaps().hardware) {
        EXPECT_EQ(t.systemSurface, t.deviceSurface);
        EXPECT_TRUE(t.Reload());
    }
    SurfaceHandle surface = t.deviceSurface;
    t.Release();
    EXPECT_FALSE(device_->GetSurfaceDesc(surface, &desc));  // both references were given back
}

TEST_F(TextureDeviceTest, JpegTextureMatchesThePicture) {
    std::string path = dir_.File("photo.jpg");
    ASSERT_TRUE(test::WriteJpeg(path, 16, 16, test::TestPattern(16, 16)));
    int w = 0, h = 0;
    std::vector<uint8_t> ref = test::ReferenceDecodeJpeg(path, &w, &h);
    Texture t;
    ASSERT_TRUE(t.Load(device_, path, kNoColorKey));
    SurfaceDesc desc;
    ASSERT_TRUE(device_->GetSurfaceDesc(t.deviceSurface, &desc));
    EXPECT_EQ(desc.pixelFormat.bitCount, 16u);  // the display's depth
    ASSERT_TRUE(device_->BeginScene());
    device_->SetRenderState(RS_ZENABLE, 0);
    DrawQuad(*device_, 0, 0, 160, 160, t.handle);
    ASSERT_TRUE(device_->EndScene());
    FrameImage frame;
    ASSERT_TRUE(device_->ReadFrame(&frame));
    for (int y = 0; y < 16; y += 5) {
        for (int x = 0; x < 16; x += 3) {
            uint32_t rgb =
                frame.Rgb(static_cast<uint32_t>(x * 10 + 5), static_cast<uint32_t>(y * 10 + 5));
            const uint8_t* r = &ref[(static_cast<size_t>(y) * w + x) * 3];
            EXPECT_NEAR(Channel(rgb, 16), r[0], 12) << x << "," << y;
            EXPECT_NEAR(Channel(rgb, 8), r[1], 8) << x << "," << y;
            EXPECT_NEAR(Channel(rgb, 0), r[2], 12) << x << "," << y;
        }
    }
    t.Release();
}

}  // namespace
}  // namespace orix
