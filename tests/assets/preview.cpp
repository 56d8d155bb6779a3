#include "preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <png.h>

namespace orix_assets_test {

using orix::Matrix;
using orix::Vector3;

namespace {
Vector3 Unit(const Vector3& a) {
    return a / std::sqrt(orix::Dot(a, a));
}
}  // namespace

Matrix LookAt(const Vector3& eye, const Vector3& target, const Vector3& up) {
    Vector3 z = Unit(target - eye);
    Vector3 x = Unit(orix::Cross(up, z));
    Vector3 y = orix::Cross(z, x);
    Matrix m = Matrix::Identity();
    for (int i = 0; i < 3; ++i) {
        m.m[i][0] = x[i];
        m.m[i][1] = y[i];
        m.m[i][2] = z[i];
    }
    m.SetTranslation({-orix::Dot(x, eye), -orix::Dot(y, eye), -orix::Dot(z, eye)});
    return m;
}

Matrix DemoProjection() {
    const float n = 10, f = 1500, a = 0.7854f;
    float c = std::cos(a / 2), s = std::sin(a / 2), q = s / (1 - n / f);
    Matrix m = Matrix::Zero();
    m.m[0][0] = c;
    m.m[1][1] = c;
    m.m[2][2] = q;
    m.m[2][3] = s;
    m.m[3][2] = -q * n;
    return m;
}

ScreenPoint ToScreen(const Vector3& p, const Matrix& vp) {
    float X = p.x * vp.m[0][0] + p.y * vp.m[1][0] + p.z * vp.m[2][0] + vp.m[3][0];
    float Y = p.x * vp.m[0][1] + p.y * vp.m[1][1] + p.z * vp.m[2][1] + vp.m[3][1];
    float Z = p.x * vp.m[0][2] + p.y * vp.m[1][2] + p.z * vp.m[2][2] + vp.m[3][2];
    float W = p.x * vp.m[0][3] + p.y * vp.m[1][3] + p.z * vp.m[2][3] + vp.m[3][3];
    // The demo's viewport keeps pixels square: clip x from -1 to 1 spans the 640 columns and
    // clip y from 0.75 to -0.75 the 480 rows.
    return {(X / W + 1) * 320, 240 - Y / W * 320, Z / W, W};
}

Canvas::Canvas(int width, int height, std::array<uint8_t, 3> background)
    : width_(width), height_(height), depth_(static_cast<size_t>(width) * height, 2.0f) {
    for (int i = 0; i < width * height; ++i)
        rgb_.insert(rgb_.end(), background.begin(), background.end());
}

void Canvas::Triangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                      std::array<uint8_t, 3> rgb, bool depthTest) {
    if (a.w <= 0 || b.w <= 0 || c.w <= 0) return;  // behind the eye: not worth clipping here
    float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area <= 0) return;
    int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
    int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
    int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float w0 = (c.x - b.x) * (py - b.y) - (c.y - b.y) * (px - b.x);
            float w1 = (a.x - c.x) * (py - c.y) - (a.y - c.y) * (px - c.x);
            float w2 = (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            float z = (w0 * a.z + w1 * b.z + w2 * c.z) / area;
            size_t i = static_cast<size_t>(y) * width_ + x;
            if (depthTest) {
                if (z >= depth_[i]) continue;
                depth_[i] = z;
            }
            std::copy(rgb.begin(), rgb.end(), rgb_.begin() + i * 3);
        }
}

bool Canvas::WritePng(const std::string& path) const {
    return WriteRgbPng(path, width_, height_, rgb_);
}

bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(y) * width * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // namespace orix_assets_test
