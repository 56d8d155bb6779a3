// The back buffer and what surrounds the drawing: RGB565 quantisation, text, statistics and
// trace, render-state defaults, PNG output and driver enumeration.
#include <algorithm>
#include <cstdlib>
#include <fstream>
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
}

TEST_F(FrameTest, FramesReadBackAndWriteAsPng) {
    ClearTo(0, 1, 0);
    FrameImage f = Frame();
    EXPECT_EQ(f.Rgb(5, 5), 0x00FF00u);
    EXPECT_EQ(f.Rgb(640, 0), 0u);  // out of range
    ASSERT_TRUE(dev->Present());
    std::string path = ::testing::TempDir() + "orix_frame_test.png";
    ASSERT_TRUE(WritePng(path, f));
    char sig[8] = {};
    std::ifstream(path, std::ios::binary).read(sig, 8);
    EXPECT_EQ(std::string(sig + 1, 3), "PNG");
    std::remove(path.c_str());
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", f));
    EXPECT_FALSE(WritePng(path, FrameImage{}));
}

TEST(DisplaySystem, EveryDriverHasAStableIdentifierAndOpens) {
    auto drivers = EnumerateDisplayDrivers(), again = EnumerateDisplayDrivers();
    ASSERT_FALSE(drivers.empty());
    ASSERT_EQ(again.size(), drivers.size());
    EXPECT_TRUE(drivers[0].guid.IsZero());
    for (size_t i = 0; i < drivers.size(); ++i) {
        EXPECT_EQ(drivers[i].guid, again[i].guid);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(drivers[i].guid, drivers[j].guid);
        DisplayConfig c;
        c.mode = DisplayMode::Offscreen;
        c.driver = drivers[i].guid;
        c.width = 64;
        c.height = 32;
        std::string error;
        auto display = OpenDisplay(c, &error);
        ASSERT_NE(display, nullptr) << drivers[i].description << ": " << error;
        EXPECT_EQ(display->Width(), 64u);
        EXPECT_NE(CreateGraphicsDevice(*display, false, &error), nullptr);
        if (!display->IsHardware()) {
            EXPECT_EQ(CreateGraphicsDevice(*display, true, &error), nullptr);
        }
    }
    // An unknown identifier is refused with a reason; so is a depth no display has.
    DisplayConfig c;
    c.mode = DisplayMode::Offscreen;
    c.driver.data1 = 0xDEADBEEF;
    std::string error;
    EXPECT_EQ(OpenDisplay(c, &error), nullptr);
    EXPECT_FALSE(error.empty());
    c.driver = DriverGuid{};
    c.bitsPerPixel = 12;
    EXPECT_EQ(OpenDisplay(c, &error), nullptr);
}

}  // namespace
}  // namespace orix
