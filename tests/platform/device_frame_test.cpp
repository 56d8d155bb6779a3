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

TEST_F(FrameTest, StatisticsCountWhatWasDrawnAndBeginSceneResetsThem) {
    DrawRect(10, 10, 50, 50, 0.5f, ~0u);
    dev->EnableTrace(true);
    ClearTo(0, 0, 0);  // before the scene, yet counted in its frame
    TLVertex q[4] = {Tl(10, 10, 0.5f, ~0u), Tl(50, 10, 0.5f, ~0u), Tl(10, 50, 0.5f, ~0u),
                     Tl(50, 50, 0.5f, ~0u)};
    const uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_TRUE(dev->BeginScene());
    EXPECT_FALSE(dev->BeginScene());  // nested
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    ASSERT_TRUE(dev->SetRenderState(RS_CULLMODE, CULL_CCW));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, q, 4, idx, 6, 0));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_WORLD, Matrix::Translation({1, 2, 3})));
    ASSERT_TRUE(dev->EndScene());
    FrameStats s = dev->GetFrameStats();
    const uint32_t got[] = {s.drawCalls,       s.primitives,         s.vertices,
                            s.clears,          s.renderStateChanges, s.renderStateRedundant,
                            s.transformChanges};
    EXPECT_EQ(std::vector<uint32_t>(got, got + 7), (std::vector<uint32_t>{3, 6, 12, 1, 1, 2, 1}));
    const auto& trace = dev->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "Clear 1 3");
    for (const char* line : {"DrawPrimitive TRIANGLESTRIP TLVERTEX 4", "SetRenderState ZENABLE 0"})
        EXPECT_NE(std::find(trace.begin(), trace.end(), line), trace.end()) << line;
    dev->ClearTrace();
    EXPECT_TRUE(dev->Trace().empty());

    // A texture bound once is bound once, however many draws use it.
    SurfaceDesc d;
    d.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.width = d.height = 8;
    d.caps = DDSCAPS_TEXTURE;
    TextureHandle a = dev->GetTextureHandle(dev->CreateSurface(d));
    TextureHandle b = dev->GetTextureHandle(dev->CreateSurface(d));
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, a));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->SetRenderState(RS_TEXTUREHANDLE, b));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(dev->GetFrameStats().textureBinds, 2u);
}

// What a program that sets nothing draws with: Direct3D's starting states.
TEST_F(FrameTest, RenderStatesStartAtDirect3DsDefaultsAndReadBack) {
    std::vector<std::pair<RenderState, uint32_t>> defaults = {{RS_SHADEMODE, SHADE_GOURAUD},
                                                              {RS_TEXTUREMAG, FILTER_NEAREST},
                                                              {RS_TEXTUREMIN, FILTER_NEAREST},
                                                              {RS_SRCBLEND, BLEND_ONE},
                                                              {RS_DESTBLEND, BLEND_ZERO},
                                                              {RS_CULLMODE, CULL_CCW},
                                                              {RS_TEXTUREMAPBLEND, TBLEND_MODULATE},
                                                              {RS_ZFUNC, CMP_LESSEQUAL},
                                                              {RS_ALPHAFUNC, CMP_ALWAYS},
                                                              {RS_FILLMODE, FILL_SOLID}};
    for (RenderState on : {RS_ZENABLE, RS_ZWRITEENABLE, RS_SPECULARENABLE})
        defaults.push_back({on, 1});
    for (RenderState off : {RS_TEXTUREPERSPECTIVE, RS_ALPHABLENDENABLE, RS_WRAPU, RS_WRAPV,
                            RS_COLORKEYENABLE, RS_DITHERENABLE, RS_FOGENABLE, RS_TEXTUREHANDLE})
        defaults.push_back({off, 0});
    for (const auto& [state, value] : defaults) {
        uint32_t v = 12345, next = state == RS_TEXTUREHANDLE ? 0 : value + 1;
        ASSERT_TRUE(dev->GetRenderState(state, &v));
        EXPECT_EQ(v, value) << "state " << state;
        ASSERT_TRUE(dev->SetRenderState(state, next));
        ASSERT_TRUE(dev->GetRenderState(state, &v));
        EXPECT_EQ(v, next);
    }
    uint32_t v = 0;
    EXPECT_FALSE(dev->SetRenderState(RenderState(0), 1));
    EXPECT_FALSE(dev->GetRenderState(RS_COUNT, &v));
    ViewportRecord vp;
    ASSERT_TRUE(dev->GetViewport(&vp));
    EXPECT_EQ(vp.width, 640u);
    EXPECT_FLOAT_EQ(vp.clipY, 0.75f);
    EXPECT_FLOAT_EQ(vp.clipHeight, 1.5f);
    vp.width = 641;  // wider than the target
    EXPECT_FALSE(dev->SetViewport(vp));
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

// Without ORIX_OFFSCREEN=1 the display decides: no X11 and no Wayland display means headless.
TEST(DisplaySystem, HeadlessWhenAskedOrWithoutADisplay) {
    const char* names[3] = {"ORIX_OFFSCREEN", "DISPLAY", "WAYLAND_DISPLAY"};
    std::vector<std::pair<bool, std::string>> saved;
    for (const char* n : names)
        saved.push_back({std::getenv(n) != nullptr, std::getenv(n) ? std::getenv(n) : ""});
    struct Case {
        const char* values[3];
        bool headless;
    } cases[] = {{{"1", ":0", nullptr}, true},
                 {{nullptr, nullptr, nullptr}, true},
                 {{"0", "", ""}, true},
                 {{nullptr, ":0", nullptr}, false},
                 {{nullptr, nullptr, "wayland-0"}, false}};
    for (const Case& c : cases) {
        for (int i = 0; i < 3; ++i)
            c.values[i] ? setenv(names[i], c.values[i], 1) : unsetenv(names[i]);
        EXPECT_EQ(RunningHeadless(), c.headless) << &c - cases;
    }
    for (int i = 0; i < 3; ++i)
        saved[i].first ? setenv(names[i], saved[i].second.c_str(), 1) : unsetenv(names[i]);
}

}  // namespace
}  // namespace orix
