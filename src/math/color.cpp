#include "math/color.h"

#include <cmath>

namespace orix {

namespace {
uint32_t Channel(float v) {
    float s = v * 255.0f;
    if (!(s > 0.0f)) return 0;  // negative and NaN
    if (s >= 255.0f) return 255;
    return static_cast<uint32_t>(s);
}
}  // namespace

uint32_t PackColor(const ColorValue& c) {
    return (Channel(c.a) << 24) | (Channel(c.r) << 16) | (Channel(c.g) << 8) | Channel(c.b);
}

}  // namespace orix
