#include "support/offscreen_device.h"

#include <cstdio>

namespace orix {

OffscreenDevice MakeOffscreenDevice(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
    OffscreenDevice out;
    DisplayConfig config;
    config.width = width;
    config.height = height;
    config.bitsPerPixel = bitsPerPixel;
    config.mode = DisplayMode::Offscreen;
    std::string error;
    out.display = OpenDisplay(config, &error);
    if (!out.display) {
        std::fprintf(stderr, "offscreen display: %s\n", error.c_str());
        return out;
    }
    out.device = CreateGraphicsDevice(*out.display, false, &error);
    if (!out.device) {
        std::fprintf(stderr, "offscreen device: %s\n", error.c_str());
        out.display.reset();
    }
    return out;
}

}  // namespace orix
