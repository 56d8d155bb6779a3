// Choosing the display (window or offscreen) and the device search.
#include "platform/display_system.h"

#include <cstdlib>
#include <cstring>

#include "platform/gl/gl_device.h"
#include "platform/gl/gl_display.h"

namespace orix {

bool RunningHeadless() {
    const char* offscreen = std::getenv("ORIX_OFFSCREEN");
    if (offscreen && std::strcmp(offscreen, "1") == 0) return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}

std::unique_ptr<DisplayContext> OpenDisplay(const DisplayConfig& config, std::string* error) {
    if (config.width == 0 || config.height == 0 || config.width > 16384 || config.height > 16384) {
        if (error) *error = "display size out of range";
        return nullptr;
    }
    if (config.bitsPerPixel != 16 && config.bitsPerPixel != 32) {
        if (error) *error = "display depth must be 16 or 32 bits";
        return nullptr;
    }
    bool offscreen = config.mode == DisplayMode::Offscreen ||
                     (config.mode == DisplayMode::Auto && RunningHeadless());
    if (offscreen) {
        DisplayConfig alone = config;
        alone.nativeWindow = nullptr;
        return OpenEglDisplay(alone, error);
    }
    // Another driver than the primary display is reached through EGL: it draws offscreen, and
    // the window shows its frames.
    if (!config.driver.IsZero()) return OpenEglDisplay(config, error);
    return OpenSdlDisplay(config, error);
}

std::unique_ptr<GraphicsDevice> CreateGraphicsDevice(DisplayContext& display, bool hardware,
                                                     std::string* error) {
    auto* gl = dynamic_cast<GlDisplay*>(&display);
    if (!gl) {
        if (error) *error = "the display carries no OpenGL context";
        return nullptr;
    }
    if (hardware && !gl->IsHardware()) {
        if (error) *error = "no hardware device on a software renderer";
        return nullptr;
    }
    if (!gl->MakeCurrent()) {
        if (error) *error = "cannot make the display's context current";
        return nullptr;
    }
    return std::make_unique<GlDevice>(*gl, hardware);
}

}  // namespace orix
