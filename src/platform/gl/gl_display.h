/// \file
/// GlDisplay: what the OpenGL graphics device needs of a display beyond DisplayContext: a current
/// OpenGL context and the framebuffer object it renders into. Both contexts (a window, or EGL
/// offscreen) render into such a framebuffer at the display depth, so that what a screenshot
/// holds is what a 16-bit display would show; the window context copies it to the window when
/// presenting. One context is current at a time: a display makes itself current when opened and
/// when a device is created on it, so a process drives one display at a time. Internal to
/// src/platform.
#pragma once

#include <cstdint>
#include <string>

#include "platform/display_system.h"
#include "platform/gl/gl_render_target.h"

namespace orix {

class GlDisplay : public DisplayContext {
public:
    const DisplayDriverInfo& Driver() const override { return driver_; }
    bool IsHardware() const override { return hardware_; }
    uint32_t Width() const override { return width_; }
    uint32_t Height() const override { return height_; }
    uint32_t BitsPerPixel() const override { return bitsPerPixel_; }
    bool IsFullScreen() const override { return false; }
    bool IsLost() const override { return false; }
    bool Restore() override { return true; }
    void RestoreDisplayMode() override {}

    virtual bool MakeCurrent() = 0;
    const GlRenderTarget& Target() const { return target_; }
    const std::string& Renderer() const { return renderer_; }

protected:
    /// Reads the renderer of the current context, decides hardware, makes the render target.
    bool InitTarget(std::string* error);

    DisplayDriverInfo driver_;
    bool hardware_ = false;
    uint32_t width_ = 640, height_ = 480, bitsPerPixel_ = 16;
    std::string renderer_;
    GlRenderTarget target_;
};

/// True when an OpenGL renderer string names a software rasteriser.
bool IsSoftwareRenderer(const std::string& renderer);

/// The two contexts (gl_context_egl.cpp, gl_context_sdl.cpp).
std::unique_ptr<GlDisplay> OpenEglDisplay(const DisplayConfig& config, std::string* error);
std::unique_ptr<GlDisplay> OpenSdlDisplay(const DisplayConfig& config, std::string* error);

}  // namespace orix
