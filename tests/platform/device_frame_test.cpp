// The back buffer and what surrounds the drawing: RGB565 quantisation and text.
#include <algorithm>
#include <set>

#include "device_fixture.h"

namespace orix {
namespace {

using FrameTest = DeviceTest;

TEST_F(FrameTest, SixteenBitBackBufferQuantisesLikeRgb565) {
    ClearTo(0, 0, 0);
    // A gradient over the full range in every channel.
    TLVertex t[3] = {Tl(0, 0, 0.5f, 0xFFFF0000), Tl(639, 0, 0.5f, 0xFF00FF00),
                     Tl(0, 479, 0.5f, 0xFF0000FF)};
    DrawTl(t, 3);
    std::set<int> five, six, greens;
    for (int i = 0; i < 32; ++i) five.insert((i << 3) | (i >> 2));
    for (int i = 0; i < 64; ++i) six.insert((i << 2) | (i >> 4));
    FrameImage f = Frame();
    for (uint32_t y = 0; y < 480; y += 7) {
        for (uint32_t x = 0; x < 640; x += 5) {
            uint32_t rgb = f.Rgb(x, y);
            ASSERT_TRUE(five.count(Channel(rgb, 16)) && six.count(Channel(rgb, 8)) &&
                        five.count(Channel(rgb, 0)))
                << x << "," << y;
            greens.insert(Channel(rgb, 8));
        }
    }
    EXPECT_GT(greens.size(), 40u);  // a gradient, not a few flat colours
}

TEST_F(FrameTest, SpecularOfAnyVertexIsAddedWhileSpecularIsEnabled) {
    // Black vertices but the last, whose specular is red: red spreads towards it, and nothing
    // is added once specular is switched off.
    for (bool enabled : {true, false}) {
        ASSERT_TRUE(dev->SetRenderState(RS_SPECULARENABLE, enabled ? D3D_TRUE : D3D_FALSE));
        ClearTo(0, 0, 0);
        TLVertex t[3] = {Tl(0, 0, 0.5f, 0xFF000000), Tl(400, 0, 0.5f, 0xFF000000),
                         Tl(0, 400, 0.5f, 0xFF000000)};
        t[2].specular = 0xFFFF0000;
        DrawTl(t, 3);
        const int red = Channel(Frame().Rgb(20, 300), 16);
        EXPECT_TRUE(enabled ? red > 150 : red == 0) << red;
    }
}

TEST_F(FrameTest, TextAppearsAtItsPlaceInItsColourAndLeavesTheStatesAlone) {
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->DrawText(100, 50, MakeColorRef(255, 255, 0), "FPS : 60"));
    FrameImage f = Frame();
    uint32_t ink = 0, minX = 9999, minY = 9999, maxX = 0, maxY = 0;
    for (uint32_t y = 0; y < f.height; ++y) {
        for (uint32_t x = 0; x < f.width; ++x) {
            uint32_t rgb = f.Rgb(x, y);
            if (rgb == 0) continue;
            ASSERT_EQ(rgb, 0xFFFF00u) << x << "," << y;
            ++ink;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    EXPECT_GT(ink, 40u);
    EXPECT_TRUE(minX >= 100 && minX <= 103 && maxX < 100 + 8 * 12) << minX << ".." << maxX;
    EXPECT_TRUE(minY >= 50 && maxY < 50 + 16 && maxY - minY > 6) << minY << ".." << maxY;
    EXPECT_EQ(dev->GetFrameStats().textDraws, 1u);
    DrawRect(300, 300, 400, 400, 0.5f, 0xFF00FF00);
    EXPECT_EQ(Frame().Rgb(320, 320), 0x00FF00u);

    // Depth test and blending set before the text still hold after it.
    ASSERT_TRUE(dev->SetRenderState(RS_ALPHABLENDENABLE, D3D_TRUE));
    ASSERT_TRUE(dev->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA));
    ASSERT_TRUE(dev->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA));
    ASSERT_TRUE(dev->DrawText(100, 50, MakeColorRef(255, 255, 0), "FPS : 61"));
    DrawRect(310, 310, 390, 390, 0.8f, 0xFFFF0000);  // behind the green square
    DrawRect(500, 300, 600, 400, 0.5f, 0x800000FF);  // half over black
    FrameImage f2 = Frame();
    EXPECT_EQ(f2.Rgb(320, 320), 0x00FF00u);
    EXPECT_NEAR(Channel(f2.Rgb(550, 350), 0), 128, 8);
}

}  // namespace
}  // namespace orix
