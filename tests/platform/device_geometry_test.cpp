// Where triangles and text land and how they combine: coverage against Direct3D's rules for
// each vertex type, the viewport, culling, depth and the clear. Additive blending is checked
// through the demo's sprite.
#include <algorithm>
#include <cmath>

#include "device_fixture.h"

namespace orix {
namespace {

const uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// Direct3D's pipeline on the CPU: (p, 1) · W · V · P, divided by w, mapped through the
// viewport's clip rectangle onto its screen rectangle.
void ToScreen(const Vector3& p, const Matrix& wvp, const ViewportRecord& v, float* sx, float* sy) {
    float in[4] = {p.x, p.y, p.z, 1.0f}, out[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out[c] += in[r] * wvp.m[r][c];
    float x = out[0] / out[3], y = out[1] / out[3];
    *sx = float(v.x) + (x - v.clipX) / v.clipWidth * float(v.width);
    *sy = float(v.y) + (v.clipY - y) / v.clipHeight * float(v.height);
}

using GeometryTest = DeviceTest;

TEST_F(GeometryTest, EachVertexTypeCoversThePixelsDirect3DWould) {
    Matrix world = Matrix::RotationY(0.3f) * Matrix::Translation({0.2f, -0.1f, 0.0f});
    Matrix view = Matrix::Translation({0.0f, 0.0f, 6.0f});
    Matrix proj = Matrix::Zero();  // 1 radian of view, near 1, far 100
    float c = 1.0f / std::tan(0.5f), q = 100.0f / 99.0f;
    proj.m[0][0] = proj.m[1][1] = c;
    proj.m[2][2] = q;
    proj.m[2][3] = 1.0f;
    proj.m[3][2] = -q;
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_WORLD, world));
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_VIEW, view));
    ASSERT_TRUE(dev->SetTransform(TRANSFORM_PROJECTION, proj));
    // An off-centre clip rectangle on a viewport smaller than the target.
    ViewportRecord vp;
    vp.x = 40, vp.y = 30, vp.width = 400, vp.height = 300;
    vp.clipX = -1.3f, vp.clipY = 0.9f, vp.clipWidth = 2.4f, vp.clipHeight = 1.7f;
    ASSERT_TRUE(dev->SetViewport(vp));
    // Clockwise on screen, partly outside the viewport's left edge.
    const Vector3 tri[3] = {{-2.9f, 1.3f, 0.5f}, {1.7f, 0.9f, -0.4f}, {-0.3f, -1.6f, 0.2f}};
    float sx[3], sy[3];
    for (int i = 0; i < 3; ++i) ToScreen(tri[i], world * view * proj, vp, &sx[i], &sy[i]);
    std::vector<bool> full = ReferenceCoverage(sx, sy, 640, 480),
                      clipped = ReferenceCoverage(sx, sy, 640, 480, {40, 30, 440, 330});
    ASSERT_GT(std::count(clipped.begin(), clipped.end(), true), 1000);

    // A pixel or two may flip where an edge passes within float rounding of a pixel centre.
    // Each type is drawn twice: as it is, and indexed from the end of a longer array whose
    // first vertices the draw never reaches (arrays the device makes keep their numbering).
    LVertex lv[5];
    Vertex v[5];
    TLVertex tl[5];
    for (int i = 0; i < 5; ++i) {
        const Vector3 p = i < 3 ? tri[i] : Vector3{9.0f, -9.0f, 1.0f};
        lv[i].x = v[i].x = p.x, lv[i].y = v[i].y = p.y, lv[i].z = v[i].z = p.z;
        tl[i] = i < 3 ? Tl(sx[i], sy[i], 0.5f, kWhite) : Tl(600, 10, 0.9f, 0xFF000000);
    }
    lv[3].color = lv[4].color = 0xFF000000;
    // The triangle as the last three of the five: the first two are the decoys.
    std::rotate(lv, lv + 3, lv + 5), std::rotate(v, v + 3, v + 5), std::rotate(tl, tl + 3, tl + 5);
    const uint16_t lastThree[3] = {2, 3, 4};
    auto drawBoth = [&](VertexType type, const void* array, const void* triangle,
                        const std::vector<bool>& expected, const char* what) {
        FrameImage direct;
        for (bool indexed : {false, true}) {
            ClearTo(0, 0, 0);
            ASSERT_TRUE(dev->BeginScene());
            if (indexed) {
                EXPECT_TRUE(
                    dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, type, array, 5, lastThree, 3, 0));
            } else {
                EXPECT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, type, triangle, 3, 0));
            }
            ASSERT_TRUE(dev->EndScene());
            FrameImage f = Frame();
            EXPECT_LE(Mismatches(f, expected), 2u) << what << (indexed ? ", indexed" : "");
            if (indexed) {
                EXPECT_TRUE(f.rgba == direct.rgba) << what << ": colours differ";
            }
            direct = f;
        }
    };
    drawBoth(VT_LVERTEX, lv, lv + 2, clipped, "lit vertices");

    // Unlit vertices, made visible by an emissive material.
    MaterialHandle mat = dev->CreateMaterial();
    MaterialRecord m;
    m.emissive = {1, 1, 1, 1};
    m.diffuse.a = 1;
    ASSERT_TRUE(dev->SetMaterial(mat, m));
    ASSERT_TRUE(dev->SetLightState(LIGHTSTATE_MATERIAL, mat.value));
    drawBoth(VT_VERTEX, v, v + 2, clipped, "unlit vertices");

    // Transformed vertices at the same screen positions are not clipped to the viewport.
    ASSERT_TRUE(dev->SetViewport(ViewportRecord{}));
    drawBoth(VT_TLVERTEX, tl, tl + 2, full, "transformed vertices");
}

TEST_F(GeometryTest, StripsFansAndIndexedDrawsCoverTheSameQuadByTheTopLeftRule) {
    // Pixel centres 101 .. 200 lie inside 100.5 .. 200.5; with edges through pixel centres
    // (offset 0) the left and top edges' pixels are kept and the right and bottom ones dropped.
    for (float o : {0.5f, 0.0f}) {
        TLVertex strip[4] = {Tl(100 + o, 100 + o, 0.5f, kWhite), Tl(200 + o, 100 + o, 0.5f, kWhite),
                             Tl(100 + o, 200 + o, 0.5f, kWhite),
                             Tl(200 + o, 200 + o, 0.5f, kWhite)};
        TLVertex fan[4] = {strip[0], strip[1], strip[3], strip[2]};
        const uint16_t list[6] = {0, 1, 2, 2, 1, 3};
        for (int kind = 0; kind < 3; ++kind) {
            ClearTo(0, 0, 0);
            if (kind < 2) {
                DrawTl(kind ? fan : strip, 4, kind ? PRIM_TRIANGLEFAN : PRIM_TRIANGLESTRIP);
            } else {
                ASSERT_TRUE(dev->BeginScene());
                ASSERT_TRUE(dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, strip, 4,
                                                      list, 6, 0));
                ASSERT_TRUE(dev->EndScene());
            }
            FrameImage f = Frame();
            int first = o ? 101 : 100;
            EXPECT_EQ(CountDrawn(f), 10000u) << "kind " << kind << " offset " << o;
            EXPECT_EQ(f.Rgb(first, first), 0xFFFFFFu);
            EXPECT_EQ(f.Rgb(first + 99, first + 99), 0xFFFFFFu);
            EXPECT_EQ(f.Rgb(first - 1, 150), 0u);
            EXPECT_EQ(f.Rgb(150, first + 100), 0u);
        }
    }
    // An index past the vertices is refused, not read; outside a scene nothing is drawn.
    TLVertex three[3] = {Tl(0, 0, 0, kWhite), Tl(9, 0, 0, kWhite), Tl(0, 9, 0, kWhite)};
    const uint16_t bad[3] = {0, 1, 3};
    ASSERT_TRUE(dev->BeginScene());
    EXPECT_FALSE(dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, three, 3, bad, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_FALSE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, three, 3, 0));
    EXPECT_FALSE(dev->EndScene());
}

TEST_F(GeometryTest, DepthTestWritesAndTheClear) {
    auto quad = [&](float z, uint32_t color) { DrawRect(10, 10, 100, 100, z, color); };
    struct Case {
        bool test, write;
        uint32_t seen;  // after green at 0.2, then red at 0.6
    } cases[] = {{true, true, 0x00FF00}, {true, false, 0xFF0000}, {false, true, 0xFF0000}};
    for (const Case& c : cases) {
        ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, c.test));  // on to start with
        ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, c.write));
        ClearTo(0, 0, 0);
        quad(0.2f, kGreen);
        quad(0.6f, kRed);
        EXPECT_EQ(Frame().Rgb(50, 50), c.seen) << c.test << c.write;
    }
    // The clear resets depth even with writes off: a far quad passes after it.
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_TRUE));
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_TRUE));
    quad(0.1f, kGreen);
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_FALSE));
    ClearTo(0, 0, 0);
    quad(0.9f, kBlue);
    EXPECT_EQ(Frame().Rgb(50, 50), 0x0000FFu);
}

TEST_F(GeometryTest, MinAndMaxZClipDepthWithoutScalingIt) {
    ClearTo(0, 0, 0);
    ViewportRecord v;
    v.minZ = 0.0f;
    v.maxZ = 0.5f;
    ASSERT_TRUE(dev->SetViewport(v));
    // Identity transforms: z / w is the vertex's own z.
    auto lit = [&](float z, uint32_t color, float x0) {
        LVertex t[3];
        const float p[3][2] = {{x0, 0.5f}, {x0 + 0.4f, 0.5f}, {x0, -0.5f}};
        for (int i = 0; i < 3; ++i)
            t[i].x = p[i][0], t[i].y = p[i][1], t[i].z = z, t[i].color = color;
        Draw(PRIM_TRIANGLELIST, VT_LVERTEX, t, 3);
    };
    lit(0.7f, kRed, -0.9f);   // beyond maxZ: clipped away
    lit(0.3f, kGreen, 0.1f);  // kept, with depth 0.3
    FrameImage f = Frame();
    EXPECT_EQ(f.Rgb(90, 240), 0u);
    EXPECT_EQ(f.Rgb(380, 240), 0x00FF00u);
    // Depth 0.3 hides a transformed quad at 0.35 and not one at 0.25.
    DrawRect(360, 200, 420, 260, 0.35f, kBlue);
    EXPECT_EQ(Frame().Rgb(365, 205), 0x00FF00u);
    DrawRect(360, 220, 420, 280, 0.25f, kBlue);
    EXPECT_EQ(Frame().Rgb(365, 230), 0x0000FFu);
}

TEST_F(GeometryTest, CullModesDropTheirWinding) {
    TLVertex cw[3] = {Tl(50, 50, 0.5f, kRed), Tl(150, 60, 0.5f, kRed), Tl(60, 150, 0.5f, kRed)};
    TLVertex ccw[3] = {cw[0], cw[2], cw[1]};
    // CULL_CCW is the starting state.
    for (uint32_t mode : {uint32_t(CULL_CCW), uint32_t(CULL_NONE), uint32_t(CULL_CW)}) {
        EXPECT_TRUE(mode == CULL_CCW || dev->SetRenderState(RS_CULLMODE, mode));
        for (const TLVertex* t : {cw, ccw}) {
            ClearTo(0, 0, 0);
            DrawTl(t, 3);
            bool culled = mode == (t == cw ? CULL_CW : CULL_CCW);
            EXPECT_EQ(Frame().Rgb(80, 80), culled ? 0u : 0xFF0000u) << "mode " << mode;
        }
    }
}

// Text lands at its place in its colour and leaves the states alone.
TEST_F(GeometryTest, TextAppearsAtItsPlaceInItsColourAndLeavesTheStatesAlone) {
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

TEST_F(GeometryTest, SpecularOfAnyVertexIsAddedWhileSpecularIsEnabled) {
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

}  // namespace
}  // namespace orix
