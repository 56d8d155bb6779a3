// A tiny software rasteriser for the asset tests: projects triangles through the demo camera
// as the engine does (row vectors, its projection, screen 640 x 480) and writes PNG files, so a
// developer can look at the generated character (set ORIX_ASSETS_PREVIEW to a folder).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix.h"

namespace orix_assets_test {

constexpr int kScreenWidth = 640, kScreenHeight = 480;

// The demo camera's view matrix (left-handed look-at, row vectors).
orix::Matrix LookAt(const orix::Vector3& eye, const orix::Vector3& target, const orix::Vector3& up);
// The scene's projection (near 10, far 1500, field of view 0.7854).
orix::Matrix DemoProjection();

struct ScreenPoint {
    float x, y, z, w;
};
// (p, 1) * viewProjection, then the demo viewport's 640 x 480 mapping (square pixels).
ScreenPoint ToScreen(const orix::Vector3& p, const orix::Matrix& viewProjection);

class Canvas {
public:
    Canvas(int width, int height, std::array<uint8_t, 3> background);
    // Fills a triangle when it is clockwise on screen (the engine's front faces); depth-tested
    // unless depthTest is false.
    void Triangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                  std::array<uint8_t, 3> rgb, bool depthTest);
    bool WritePng(const std::string& path) const;

private:
    int width_, height_;
    std::vector<uint8_t> rgb_;
    std::vector<float> depth_;
};

// Writes RGB pixels (top row first) as a PNG file.
bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace orix_assets_test
