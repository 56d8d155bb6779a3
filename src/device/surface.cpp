#include "device/surface.h"

#include "platform/graphics_device.h"

namespace orix {

Surface::Surface() = default;

Surface::~Surface() {
    surface = nullptr;
}

bool Surface::GetDC() {
    if (!surface || dc != 0) return false;
    dc = 1;
    return true;
}

bool Surface::ReleaseDC() {
    if (dc == 0) return false;
    dc = 0;
    return true;
}

void Surface::SelectFont() {
    // No font is made for the flip chain; the device context's default font stays selected.
}

bool Surface::DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) {
    if (dc == 0 || !device) return false;
    return device->DrawText(x, y, colorRef, text);
}

}  // namespace orix
