// Shared pieces of the device suites: an offscreen device per test, a clear to a known colour,
// frame read-back, and a reference rasteriser that covers what Direct3D covers (pixel centres
// on integer coordinates, inside the triangle).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
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
        device_.display.reset();
        device_ = MakeOffscreenDevice(w, h, bits);
        ASSERT_NE(device_.device, nullptr);
        dev = device_.device.get();
        background = dev->CreateMaterial();
        ASSERT_NE(background, 0u);
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
    MaterialHandle background = 0;
};

// Pixels whose centre (x, y) lies strictly inside the screen triangle.
inline std::vector<bool> ReferenceCoverage(const float* sx, const float* sy, uint32_t w,
                                           uint32_t h) {
    std::vector<bool> out(size_t(w) * h, false);
    auto edge = [](float ax, float ay, float bx, float by, float px, float py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    float area = edge(sx[0], sy[0], sx[1], sy[1], sx[2], sy[2]);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            float px = float(x), py = float(y);
            float e0 = edge(sx[0], sy[0], sx[1], sy[1], px, py);
            float e1 = edge(sx[1], sy[1], sx[2], sy[2], px, py);
            float e2 = edge(sx[2], sy[2], sx[0], sy[0], px, py);
            bool inside = area > 0 ? (e0 > 0 && e1 > 0 && e2 > 0) : (e0 < 0 && e1 < 0 && e2 < 0);
            out[size_t(y) * w + x] = inside;
        }
    }
    return out;
}

// Pixels of the frame that differ from the background colour.
inline std::vector<bool> Drawn(const FrameImage& f, uint32_t backgroundRgb) {
    std::vector<bool> out(size_t(f.width) * f.height);
    for (uint32_t y = 0; y < f.height; ++y)
        for (uint32_t x = 0; x < f.width; ++x)
            out[size_t(y) * f.width + x] = f.Rgb(x, y) != backgroundRgb;
    return out;
}

inline size_t CountTrue(const std::vector<bool>& v) {
    size_t n = 0;
    for (bool b : v) n += b;
    return n;
}

inline size_t Mismatches(const std::vector<bool>& a, const std::vector<bool>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

inline int Channel(uint32_t rgb, int shift) {
    return int((rgb >> shift) & 0xFF);
}

}  // namespace orix
