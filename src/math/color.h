/// \file
/// Colours: four floats (red, green, blue, alpha), nominally 0 to 1 and never clamped (a light
/// may be brighter than 1), and the packed 32-bit ARGB word with alpha in the top byte.
#pragma once

#include <cstdint>

namespace orix {

struct ColorValue {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

/// Each channel times 255, truncated; values outside 0..1 saturate instead of wrapping.
uint32_t PackColor(const ColorValue& c);
/// Packed ARGB from byte channels.
constexpr uint32_t MakeArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
/// Windows COLORREF: 0x00BBGGRR.
constexpr uint32_t MakeColorRef(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

}  // namespace orix
