// Where triangles land and how they combine: coverage against Direct3D's rules for each vertex
// type, the viewport, culling, depth, blending and the clear.
#include <cmath>

#include "device_fixture.h"

namespace orix {
namespace {

Matrix Perspective(float fov, float nearZ, float farZ) {
    Matrix p = Matrix::Zero();
    float c = 1.0f / std::tan(fov / 2.0f);
    float q = farZ / (farZ - nearZ);
    p.m[0][0] = c;
    p.m[1][1] = c;
    p.m[2][2] = q;
    p.m[2][3] = 1.0f;
    p.m[3][2] = -q * nearZ;
    return p;
}

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

class GeometryTest : public DeviceTest {
protected:
    void SetUpScene() {
        world = Matrix::RotationY(0.3f) * Matrix::Translation({0.2f, -0.1f, 0.0f});
        view = Matrix::Translation({0.0f, 0.0f, 6.0f});
        proj = Perspective(1.0f, 1.0f, 100.0f);
        ASSERT_TRUE(dev->SetTransform(TRANSFORM_WORLD, world));
        ASSERT_TRUE(dev->SetTransform(TRANSFORM_VIEW, view));
        ASSERT_TRUE(dev->SetTransform(TRANSFORM_PROJECTION, proj));
        viewport.x = 40;
        viewport.y = 30;
        viewport.width = 400;
        viewport.height = 300;
        // A clip rectangle other than the usual one, off centre.
        viewport.clipX = -1.3f;
        viewport.clipY = 0.9f;
        viewport.clipWidth = 2.4f;
        viewport.clipHeight = 1.7f;
        ASSERT_TRUE(dev->SetViewport(viewport));
    }

    // The pixels Direct3D covers for three model-space points, clipped to the viewport.
    std::vector<bool> Expected(const Vector3* p) {
        float sx[3], sy[3];
        for (int i = 0; i < 3; ++i) ToScreen(p[i], world * view * proj, viewport, &sx[i], &sy[i]);
        auto cover = ReferenceCoverage(sx, sy, dev->Width(), dev->Height());
        for (uint32_t y = 0; y < dev->Height(); ++y)
            for (uint32_t x = 0; x < dev->Width(); ++x)
                if (x < viewport.x || y < viewport.y || x >= viewport.x + viewport.width ||
                    y >= viewport.y + viewport.height)
                    cover[size_t(y) * dev->Width() + x] = false;
        return cover;
    }

    Matrix world, view, proj;
    ViewportRecord viewport;
    // Clockwise on screen, partly outside the viewport's left edge.
    const Vector3 tri[3] = {{-2.9f, 1.3f, 0.5f}, {1.7f, 0.9f, -0.4f}, {-0.3f, -1.6f, 0.2f}};
};

TEST_F(GeometryTest, EachVertexTypeCoversThePixelsDirect3DWould) {
    SetUpScene();
    // A pixel or two may flip where an edge passes within float rounding of a pixel centre.
    const std::vector<bool> expected = Expected(tri);
    ASSERT_GT(CountTrue(expected), 1000u);

    // Lit vertices.
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    LVertex lv[3];
    for (int i = 0; i < 3; ++i) lv[i].x = tri[i].x, lv[i].y = tri[i].y, lv[i].z = tri[i].z;
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_LVERTEX, lv, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_LE(Mismatches(Drawn(Frame(), 0), expected), 2u) << "lit vertices";

    // Unlit vertices, made visible by an emissive material.
    ClearTo(0, 0, 0);
    MaterialHandle mat = dev->CreateMaterial();
    MaterialRecord m;
    m.emissive = {1, 1, 1, 1};
    m.diffuse.a = 1;
    ASSERT_TRUE(dev->SetMaterial(mat, m));
    ASSERT_TRUE(dev->SetLightState(LIGHTSTATE_MATERIAL, mat));
    Vertex v[3];
    for (int i = 0; i < 3; ++i) v[i].x = tri[i].x, v[i].y = tri[i].y, v[i].z = tri[i].z;
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_VERTEX, v, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    FrameImage f = Frame();
    EXPECT_LE(Mismatches(Drawn(f, 0), expected), 2u) << "unlit vertices";

    // Transformed vertices at the same screen positions (not clipped to the viewport).
    ClearTo(0, 0, 0);
    ViewportRecord full;
    ASSERT_TRUE(dev->SetViewport(full));
    float sx[3], sy[3];
    TLVertex tl[3];
    for (int i = 0; i < 3; ++i) {
        ToScreen(tri[i], world * view * proj, viewport, &sx[i], &sy[i]);
        tl[i] = Tl(sx[i], sy[i], 0.5f, 0xFFFFFFFF);
    }
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, tl, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_LE(Mismatches(Drawn(Frame(), 0), ReferenceCoverage(sx, sy, 640, 480)), 2u)
        << "transformed vertices";
}

TEST_F(GeometryTest, StripsFansAndIndexedDrawsCoverTheSameQuad) {
    const uint32_t white = 0xFFFFFFFF;
    TLVertex strip[4] = {Tl(100.5f, 100.5f, 0.5f, white), Tl(200.5f, 100.5f, 0.5f, white),
                         Tl(100.5f, 200.5f, 0.5f, white), Tl(200.5f, 200.5f, 0.5f, white)};
    TLVertex fan[4] = {strip[0], strip[1], strip[3], strip[2]};
    const uint16_t list[6] = {0, 1, 2, 2, 1, 3};
    for (int kind = 0; kind < 3; ++kind) {
        ClearTo(0, 0, 0);
        ASSERT_TRUE(dev->BeginScene());
        bool ok = kind == 0   ? dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, strip, 4, 0)
                  : kind == 1 ? dev->DrawPrimitive(PRIM_TRIANGLEFAN, VT_TLVERTEX, fan, 4, 0)
                              : dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, strip, 4,
                                                          list, 6, 0);
        ASSERT_TRUE(ok);
        ASSERT_TRUE(dev->EndScene());
        // Pixel centres 101 .. 200 lie inside 100.5 .. 200.5: a 100 x 100 block.
        FrameImage f = Frame();
        EXPECT_EQ(CountTrue(Drawn(f, 0)), 10000u) << "kind " << kind;
        EXPECT_EQ(f.Rgb(101, 101), 0xFFFFFFu);
        EXPECT_EQ(f.Rgb(100, 150), 0u);
    }
    // Edges through pixel centres: Direct3D's top-left rule keeps the left and top edges'
    // pixels and drops the right and bottom ones.
    TLVertex exact[4] = {Tl(100, 100, 0.5f, white), Tl(200, 100, 0.5f, white),
                         Tl(100, 200, 0.5f, white), Tl(200, 200, 0.5f, white)};
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, exact, 4, 0));
    ASSERT_TRUE(dev->EndScene());
    FrameImage f = Frame();
    EXPECT_EQ(CountTrue(Drawn(f, 0)), 10000u);
    EXPECT_EQ(f.Rgb(100, 100), 0xFFFFFFu);
    EXPECT_EQ(f.Rgb(199, 199), 0xFFFFFFu);
    EXPECT_EQ(f.Rgb(200, 150), 0u);
    EXPECT_EQ(f.Rgb(150, 200), 0u);

    // An index past the vertices is refused, not read.
    const uint16_t bad[3] = {0, 1, 4};
    ASSERT_TRUE(dev->BeginScene());
    EXPECT_FALSE(dev->DrawIndexedPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, strip, 4, bad, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    // Outside a scene nothing is drawn.
    EXPECT_FALSE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, strip, 4, 0));
    EXPECT_FALSE(dev->EndScene());
}

TEST_F(GeometryTest, CounterClockwiseTrianglesAreCulledByDefault) {
    const uint32_t red = 0xFFFF0000;
    TLVertex cw[3] = {Tl(50, 50, 0.5f, red), Tl(150, 60, 0.5f, red), Tl(60, 150, 0.5f, red)};
    TLVertex ccw[3] = {cw[0], cw[2], cw[1]};
    uint32_t cull = 0;
    ASSERT_TRUE(dev->GetRenderState(RS_CULLMODE, &cull));
    EXPECT_EQ(cull, uint32_t(CULL_CCW));

    auto drawn = [&](const TLVertex* t) {
        ClearTo(0, 0, 0);
        EXPECT_TRUE(dev->BeginScene());
        EXPECT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, t, 3, 0));
        EXPECT_TRUE(dev->EndScene());
        return Frame().Rgb(80, 80) == 0xFF0000u;
    };
    EXPECT_TRUE(drawn(cw));
    EXPECT_FALSE(drawn(ccw));
    ASSERT_TRUE(dev->SetRenderState(RS_CULLMODE, CULL_NONE));
    EXPECT_TRUE(drawn(cw));
    EXPECT_TRUE(drawn(ccw));
    ASSERT_TRUE(dev->SetRenderState(RS_CULLMODE, CULL_CW));
    EXPECT_FALSE(drawn(cw));
    EXPECT_TRUE(drawn(ccw));
}

TEST_F(GeometryTest, DepthTestAndDepthWritesDoWhatTheySay) {
    auto quad = [&](float z, uint32_t color) {
        TLVertex q[4] = {Tl(10, 10, z, color), Tl(100, 10, z, color), Tl(10, 100, z, color),
                         Tl(100, 100, z, color)};
        EXPECT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_TLVERTEX, q, 4, 0));
    };
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
    uint32_t z = 0;
    ASSERT_TRUE(dev->GetRenderState(RS_ZENABLE, &z));
    EXPECT_EQ(z, 1u);

    // Depth test on: the nearer quad stays whatever the order.
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    quad(0.2f, green);
    quad(0.6f, red);
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(50, 50), 0x00FF00u);

    // Writes off: the near quad leaves no depth behind, so the far one covers it.
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_FALSE));
    ASSERT_TRUE(dev->BeginScene());
    quad(0.2f, green);
    quad(0.6f, red);
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(50, 50), 0xFF0000u);

    // The clear resets depth even with writes off: a far quad passes after it.
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_TRUE));
    ASSERT_TRUE(dev->BeginScene());
    quad(0.1f, green);
    ASSERT_TRUE(dev->EndScene());
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_FALSE));
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    quad(0.9f, blue);
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(50, 50), 0x0000FFu);

    // Depth test off: the last quad wins.
    ASSERT_TRUE(dev->SetRenderState(RS_ZWRITEENABLE, D3D_TRUE));
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->BeginScene());
    quad(0.2f, green);
    quad(0.6f, red);
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(50, 50), 0xFF0000u);
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
        EXPECT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_LVERTEX, t, 3, 0));
    };
    ASSERT_TRUE(dev->BeginScene());
    lit(0.7f, 0xFFFF0000, -0.9f);  // beyond maxZ: clipped away
    lit(0.3f, 0xFF00FF00, 0.1f);   // kept, with depth 0.3
    ASSERT_TRUE(dev->EndScene());
    FrameImage f = Frame();
    EXPECT_EQ(f.Rgb(90, 240), 0u);
    EXPECT_EQ(f.Rgb(380, 240), 0x00FF00u);
    // Depth 0.3 hides a transformed quad at 0.35 and not one at 0.25.
    const uint32_t blue = 0xFF0000FF;
    TLVertex behind[3] = {Tl(360, 200, 0.35f, blue), Tl(420, 200, 0.35f, blue),
                          Tl(360, 260, 0.35f, blue)};
    TLVertex front[3] = {Tl(360, 220, 0.25f, blue), Tl(420, 220, 0.25f, blue),
                         Tl(360, 280, 0.25f, blue)};
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, behind, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(365, 205), 0x00FF00u);
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, front, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(365, 230), 0x0000FFu);
}

TEST_F(GeometryTest, OneOneBlendingAdds) {
    Open(320, 240, 32);
    ClearTo(0, 0, 0);
    ASSERT_TRUE(dev->SetRenderState(RS_ALPHABLENDENABLE, D3D_TRUE));
    ASSERT_TRUE(dev->SetRenderState(RS_SRCBLEND, BLEND_ONE));
    ASSERT_TRUE(dev->SetRenderState(RS_DESTBLEND, BLEND_ONE));
    ASSERT_TRUE(dev->SetRenderState(RS_ZENABLE, D3D_FALSE));
    const uint32_t c1 = 0xFF402010, c2 = 0xFF304050;
    TLVertex a[3] = {Tl(10, 10, 0.5f, c1), Tl(200, 10, 0.5f, c1), Tl(10, 200, 0.5f, c1)};
    TLVertex b[3] = {Tl(10, 10, 0.5f, c2), Tl(200, 10, 0.5f, c2), Tl(10, 200, 0.5f, c2)};
    ASSERT_TRUE(dev->BeginScene());
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, a, 3, 0));
    ASSERT_TRUE(dev->DrawPrimitive(PRIM_TRIANGLELIST, VT_TLVERTEX, b, 3, 0));
    ASSERT_TRUE(dev->EndScene());
    EXPECT_EQ(Frame().Rgb(50, 50), 0x706060u);
}

TEST_F(GeometryTest, ClearTakesTheBackgroundColourOverItsRectangles) {
    ClearTo(1, 0, 0);
    FrameImage f = Frame();
    EXPECT_EQ(f.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(f.Rgb(639, 479), 0xFF0000u);

    MaterialRecord m;
    m.diffuse = {0.0f, 0.0f, 1.0f, 1.0f};
    ASSERT_TRUE(dev->SetMaterial(background, m));
    Rect r{100, 50, 200, 60};
    ASSERT_TRUE(dev->Clear(&r, 1, CLEAR_TARGET));
    f = Frame();
    EXPECT_EQ(f.Rgb(100, 50), 0x0000FFu);
    EXPECT_EQ(f.Rgb(199, 59), 0x0000FFu);
    EXPECT_EQ(f.Rgb(200, 59), 0xFF0000u);
    EXPECT_EQ(f.Rgb(100, 60), 0xFF0000u);
    EXPECT_EQ(f.Rgb(99, 50), 0xFF0000u);

    // A stale background material is refused.
    MaterialHandle gone = dev->CreateMaterial();
    dev->ReleaseMaterial(gone);
    EXPECT_FALSE(dev->SetBackground(gone));
    EXPECT_FALSE(dev->Clear(nullptr, 1, CLEAR_TARGET));
}

}  // namespace
}  // namespace orix
