// The back buffer and what surrounds the drawing: RGB565 quantisation, text, statistics and
// trace, render-state defaults, PNG output, driver enumeration and the display choice.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "device_fixture.h"

namespace orix {
namespace {

class FrameTest : public DeviceTest {};

TEST_F(FrameTest, SixteenBitBackBufferQuantisesLikeRgb565) {
    ClearTo(0, 0, 0);
    // A gradient over the full range in every channel.
    TLVertex t[3] = {Tl(0, 0, 0.5f, 0xFFFF0000), Tl(639, 0, 0.5f, 0xFF00FF00),
                     Tl(0, 479, 0.5f, 0xFF0000FF)};
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, t, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    std::set<int> five, six;
    for (int i = 0; i < 32; ++i) five.insert((i << 3) | (i >> 2));
    for (int i = 0; i < 64; ++i) six.insert((i << 2) | (i >> 4));
    FrameImage f = Frame();
    std::set<int> greens;
    for (uint32_t y = 0; y < 480; y += 7) {
        for (uint32_t x = 0; x < 640; x += 5) {
            uint32_t rgb = f.Rgb(x, y);
            ASSERT_TRUE(five.count(Channel(rgb, 16))) << x << "," << y;
            ASSERT_TRUE(six.count(Channel(rgb, 8))) << x << "," << y;
            ASSERT_TRUE(five.count(Channel(rgb, 0))) << x << "," << y;
            greens.insert(Channel(rgb, 8));
        }
    }
    EXPECT_GT(greens.size(), 40u);  // a gradient, not a few flat colours
}

TEST_F(FrameTest, TextAppearsAtItsPlaceInItsColourAndNowhereElse) {
    ClearTo(0, 0, 0);
    const uint32_t yellow = MakeColorRef(255, 255, 0);
    ASSERT_TRUE(dev->DrawText(100, 50, yellow, "FPS : 60"));
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
    EXPECT_GE(minX, 100u);
    EXPECT_LE(minX, 103u);
    EXPECT_GE(minY, 50u);
    EXPECT_LT(maxY, 50u + 16u);
    EXPECT_GT(maxY - minY, 6u);
    EXPECT_LT(maxX, 100u + 8u * 12u);
    EXPECT_EQ(dev->GetFrameStats().textDraws, 1u);

    // Text leaves the device's states alone: a triangle afterwards draws as before.
    TLVertex t[3] = {Tl(300, 300, 0.5f, 0xFF00FF00), Tl(400, 300, 0.5f, 0xFF00FF00),
                     Tl(300, 400, 0.5f, 0xFF00FF00)};
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, t, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(320, 320), 0x00FF00u);
    EXPECT_TRUE(dev->DrawText(0, 0, yellow, ""));
}

TEST_F(FrameTest, StatisticsCountWhatWasDrawnAndBeginSceneResetsThem) {
    TLVertex q[4] = {Tl(10, 10, 0.5f, ~0u), Tl(50, 10, 0.5f, ~0u), Tl(10, 50, 0.5f, ~0u),
                     Tl(50, 50, 0.5f, ~0u)};
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->EndScene());
    dev->EnableTrace(true);
    ClearTo(0, 0, 0);  // before the scene, yet counted in its frame
    ASSERT_TRUE(dev->BeginScene());
    EXPECT_FALSE(dev->BeginScene());  // nested
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    ASSERT_TRUE(dev->SetRenderState(RS_CULLMODE, CULL_CCW));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    const uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_TRUE(dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, q, 4, idx, 6, 0));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, q, 4, 0));
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_WORLD, Matrix::Translation({1, 2, 3})));
    ASSERT_TRUE(dev->EndScene());
    FrameStats s = dev->GetFrameStats();
    EXPECT_EQ(s.drawCalls, 3u);
    EXPECT_EQ(s.primitives, 6u);
    EXPECT_EQ(s.vertices, 12u);
    EXPECT_EQ(s.renderStateChanges, 1u);
    EXPECT_EQ(s.renderStateRedundant, 2u);
    EXPECT_EQ(s.transformChanges, 1u);
    EXPECT_EQ(s.clears, 1u);
    const auto& trace = dev->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "Clear 1 3");
    EXPECT_NE(std::find(trace.begin(), trace.end(), "DrawPrimitive TRIANGLESTRIP TLVERTEX 4"),
              trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "SetRenderState ZENABLE 0"), trace.end());
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

TEST_F(FrameTest, RenderStatesStartAtDirect3DsDefaultsAndReadBack) {
    const std::pair<RenderState, uint32_t> defaults[] = {{RS_ZENABLE, 1},
                                                         {RS_ZWRITEENABLE, 1},
                                                         {RS_TEXTUREPERSPECTIVE, 0},
                                                         {RS_SHADEMODE, SHADE_GOURAUD},
                                                         {RS_TEXTUREMAG, FILTER_NEAREST},
                                                         {RS_TEXTUREMIN, FILTER_NEAREST},
                                                         {RS_ALPHABLENDENABLE, 0},
                                                         {RS_SRCBLEND, BLEND_ONE},
                                                         {RS_DESTBLEND, BLEND_ZERO},
                                                         {RS_WRAPU, 0},
                                                         {RS_WRAPV, 0},
                                                         {RS_CULLMODE, CULL_CCW},
                                                         {RS_SPECULARENABLE, 1},
                                                         {RS_COLORKEYENABLE, 0},
                                                         {RS_DITHERENABLE, 0},
                                                         {RS_TEXTUREMAPBLEND, TBLEND_MODULATE},
                                                         {RS_FOGENABLE, 0},
                                                         {RS_TEXTUREHANDLE, 0},
                                                         {RS_ZFUNC, CMP_LESSEQUAL},
                                                         {RS_ALPHAFUNC, CMP_ALWAYS},
                                                         {RS_FILLMODE, FILL_SOLID}};
    for (const auto& [state, value] : defaults) {
        uint32_t v = 12345;
        ASSERT_TRUE(dev->GetRenderState(state, &v)) << RenderState(state);
        EXPECT_EQ(v, value) << "state " << state;
        ASSERT_TRUE(dev->SetRenderState(state, state == RS_TEXTUREHANDLE ? 0 : value + 1));
        ASSERT_TRUE(dev->GetRenderState(state, &v));
        EXPECT_EQ(v, state == RS_TEXTUREHANDLE ? 0 : value + 1);
    }
    uint32_t v = 0;
    EXPECT_FALSE(dev->SetRenderState(RenderState(0), 1));
    EXPECT_FALSE(dev->GetRenderState(RS_COUNT, &v));
    ASSERT_TRUE(dev->SetLightState(LIGHTSTATE_AMBIENT, 0xFF102030));
    ASSERT_TRUE(dev->GetLightState(LIGHTSTATE_AMBIENT, &v));
    EXPECT_EQ(v, 0xFF102030u);

    Matrix m = Matrix::RotationZ(0.5f), back;
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_PROJECTION, m));
    ASSERT_TRUE(dev->GetTransform(TRANSFORM_PROJECTION, &back));
    EXPECT_EQ(back, m);
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
    std::ifstream in(path, std::ios::binary);
    char sig[8] = {};
    in.read(sig, 8);
    EXPECT_EQ(std::string(sig + 1, 3), "PNG");
    std::remove(path.c_str());
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", f));
    FrameImage empty;
    EXPECT_FALSE(WritePng(path, empty));
}

TEST(DisplaySystem, DriversAndIdentifiers) {
    auto drivers = EnumerateDisplayDrivers();
    ASSERT_FALSE(drivers.empty());
    EXPECT_TRUE(drivers[0].guid.IsZero());
    auto again = EnumerateDisplayDrivers();
    ASSERT_EQ(again.size(), drivers.size());
    for (size_t i = 1; i < drivers.size(); ++i) {
        EXPECT_FALSE(drivers[i].guid.IsZero());
        EXPECT_EQ(drivers[i].guid, again[i].guid);  // stable
        EXPECT_FALSE(drivers[i].description.empty());
        for (size_t j = 1; j < i; ++j) EXPECT_NE(drivers[i].guid, drivers[j].guid);
    }
    DriverGuid g;
    g.data4[3] = 1;
    EXPECT_FALSE(g.IsZero());
    PixelFormat a, b;
    EXPECT_TRUE(a == b);
    b.alphaMask = 1;
    EXPECT_FALSE(a == b);

    // Every listed driver opens offscreen; an unknown identifier is refused with a reason.
    for (const auto& d : drivers) {
        DisplayConfig c;
        c.mode = DisplayMode::Offscreen;
        c.driver = d.guid;
        c.width = 64;
        c.height = 32;
        std::string error;
        auto display = OpenDisplay(c, &error);
        ASSERT_NE(display, nullptr) << d.description << ": " << error;
        EXPECT_EQ(display->Width(), 64u);
        auto device = CreateGraphicsDevice(*display, false, &error);
        EXPECT_NE(device, nullptr);
        if (!display->IsHardware()) {
            EXPECT_EQ(CreateGraphicsDevice(*display, true, &error), nullptr);
        }
    }
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

TEST(DisplaySystem, HeadlessWhenAskedOrWithoutADisplay) {
    const char* saved = std::getenv("ORIX_OFFSCREEN");
    std::string keep = saved ? saved : "";
    setenv("ORIX_OFFSCREEN", "1", 1);
    EXPECT_TRUE(RunningHeadless());
    if (saved)
        setenv("ORIX_OFFSCREEN", keep.c_str(), 1);
    else
        unsetenv("ORIX_OFFSCREEN");
}

// Runs only where a display exists (for example under xvfb-run without ORIX_OFFSCREEN).
TEST(DisplaySystem, WindowContextDrawsAndPresents) {
    if (RunningHeadless()) GTEST_SKIP() << "no display here";
    DisplayConfig c;
    c.mode = DisplayMode::Window;
    c.width = 320;
    c.height = 240;
    std::string error;
    auto display = OpenDisplay(c, &error);
    ASSERT_NE(display, nullptr) << error;
    EXPECT_FALSE(display->IsOffscreen());
    auto device = CreateGraphicsDevice(*display, false, &error);
    ASSERT_NE(device, nullptr) << error;
    MaterialHandle bg = device->CreateMaterial();
    MaterialRecord m;
    m.diffuse = {0, 0, 1, 1};
    device->SetMaterial(bg, m);
    device->SetBackground(bg);
    Rect all{0, 0, 320, 240};
    ASSERT_TRUE(device->Clear(&all, 1, CLEAR_TARGET | CLEAR_ZBUFFER));
    TLVertex t[3];
    t[0].sx = 10, t[0].sy = 10, t[1].sx = 200, t[1].sy = 10, t[2].sx = 10, t[2].sy = 200;
    for (auto& v : t) v.color = 0xFFFF0000, v.rhw = 1, v.sz = 0.5f;
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, t, 3, 0));
    ASSERT_TRUE(device->EndScene());
    ASSERT_TRUE(device->DrawText(5, 220, MakeColorRef(255, 255, 255), "window"));
    FrameImage f;
    ASSERT_TRUE(device->ReadFrame(&f));
    EXPECT_EQ(f.Rgb(30, 30), 0xFF0000u);
    EXPECT_EQ(f.Rgb(300, 200), 0x0000FFu);
    EXPECT_TRUE(device->Present());
    device.reset();
}

}  // namespace
}  // namespace orix
