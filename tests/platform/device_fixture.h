// Shared pieces of the device suites: an offscreen device per test, a clear to a known colour,
// one-draw scenes, frame read-back, and a reference rasteriser that covers what Direct3D covers
// (pixel centres on integer coordinates, inside the triangle).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "math/vertex.h"
#include "support/offscreen_device.h"

namespace orix {

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { Open(640, 480, 16); }

    void Open(uint32_t w, uint32_t h, uint32_t bits) {
        // The device goes before the display it draws on.
        device_.device.reset();
        device_ = MakeOffscreenDevice(w, h, bits);
        ASSERT_NE(device_.device, nullptr);
        dev = device_.device.get();
        background = dev->CreateMaterial();
        ASSERT_TRUE(dev->SetBackground(background));
    }

    // Clears colour and depth of the whole target to (r, g, b).
    void ClearTo(float r, float g, float b) {
        MaterialRecord m;
        m.diffuse = {r, g, b, 1.0f};
        ASSERT_TRUE(dev->SetMaterial(background, m));
        Rect all{0, 0, int32_t(dev->Width()), int32_t(dev->Height())};
        ASSERT_TRUE(dev->Clear(&all, 1, CLEAR_TARGET | CLEAR_ZBUFFER));
    }

    // One draw in a scene of its own.
    void Draw(PrimitiveType type, VertexType vt, const void* v, uint32_t n) {
        ASSERT_TRUE(dev->BeginScene());
        EXPECT_TRUE(dev->DrawPrimitive(type, vt, v, n, 0));
        ASSERT_TRUE(dev->EndScene());
    }
    void DrawTl(const TLVertex* v, uint32_t n, PrimitiveType type = PRIM_TRIANGLELIST) {
        Draw(type, VT_TLVERTEX, v, n);
    }
    // An axis-aligned rectangle of transformed vertices, texture coordinates 0 .. u, 0 .. 1.
    void DrawRect(float x0, float y0, float x1, float y1, float z, uint32_t color, float u = 1) {
        TLVertex q[4] = {Tl(x0, y0, z, color, 0, 0), Tl(x1, y0, z, color, u, 0),
                         Tl(x0, y1, z, color, 0, 1), Tl(x1, y1, z, color, u, 1)};
        DrawTl(q, 4, PRIM_TRIANGLESTRIP);
    }

    FrameImage Frame() {
        FrameImage f;
        EXPECT_TRUE(dev->ReadFrame(&f));
        return f;
    }

    static TLVertex Tl(float x, float y, float z, uint32_t color, float u = 0, float v = 0) {
        TLVertex t;
        t.sx = x, t.sy = y, t.sz = z, t.rhw = 1.0f, t.color = color, t.tu = u, t.tv = v;
        return t;
    }

    OffscreenDevice device_;
    GraphicsDevice* dev = nullptr;
    MaterialHandle background;
};

// Pixels whose centre (x, y) lies strictly inside the screen triangle and inside `clip`.
inline std::vector<bool> ReferenceCoverage(const float* sx, const float* sy, uint32_t w, uint32_t h,
                                           Rect clip = {0, 0, 1 << 30, 1 << 30}) {
    std::vector<bool> out(size_t(w) * h, false);
    auto edge = [](float ax, float ay, float bx, float by, float px, float py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    float area = edge(sx[0], sy[0], sx[1], sy[1], sx[2], sy[2]);
    for (int32_t y = clip.top; y < std::min(clip.bottom, int32_t(h)); ++y) {
        for (int32_t x = clip.left; x < std::min(clip.right, int32_t(w)); ++x) {
            bool inside = true;
            for (int i = 0; i < 3; ++i) {
                float e = edge(sx[i], sy[i], sx[(i + 1) % 3], sy[(i + 1) % 3], float(x), float(y));
                inside = inside && e * area > 0;
            }
            out[size_t(y) * w + x] = inside;
        }
    }
    return out;
}

// How many pixels differ between the frame's drawn pixels (those not black) and `expected`.
inline size_t Mismatches(const FrameImage& f, const std::vector<bool>& expected) {
    size_t n = 0;
    for (uint32_t y = 0; y < f.height; ++y)
        for (uint32_t x = 0; x < f.width; ++x)
            n += (f.Rgb(x, y) != 0) != expected[size_t(y) * f.width + x];
    return n;
}

inline size_t CountDrawn(const FrameImage& f) {
    return Mismatches(f, std::vector<bool>(size_t(f.width) * f.height, false));
}

inline int Channel(uint32_t rgb, int shift) {
    return int((rgb >> shift) & 0xFF);
}

}  // namespace orix
