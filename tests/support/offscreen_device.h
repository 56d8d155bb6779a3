// A graphics device on the offscreen display (made in draw_scene.cpp), for suites that draw and
// read pixels back. No window and no GPU are needed (Mesa's llvmpipe will do). Both members are
// null when the display or device cannot be made; the error is printed to stderr.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/display_system.h"
#include "platform/graphics_device.h"

namespace orix {

struct OffscreenDevice {
    std::unique_ptr<DisplayContext> display;
    // Declared last, so destroyed first; reset it before the display when replacing both.
    std::unique_ptr<GraphicsDevice> device;
};

// A software device on an offscreen display of that size and depth (16: RGB565, 32: RGBA8).
OffscreenDevice MakeOffscreenDevice(uint32_t width = 640, uint32_t height = 480,
                                    uint32_t bitsPerPixel = 16);

}  // namespace orix
