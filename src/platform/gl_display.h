// GlDisplay: what the OpenGL graphics device needs of a display beyond DisplayContext: a current
// OpenGL context and the framebuffer object it renders into. Both contexts (a window, or EGL
// offscreen) render into such a framebuffer at the display depth, so that what a screenshot
// holds is what a 16-bit display would show; the window context copies it to the window when
// presenting. One context is current at a time: a display makes itself current when opened and
// when a device is created on it, so a process drives one display at a time. Internal to
// src/platform.
#pragma once

#include <cstdint>
#include <string>

#include "platform/display_system.h"

namespace orix {

// Colour and depth renderbuffers in one framebuffer object, rows stored top row first (the
// device draws Direct3D's y-down screen straight into GL's window coordinates).
class GlRenderTarget {
public:
    ~GlRenderTarget();
    // 16 bits: RGB565 + 16-bit depth; otherwise RGBA8 + 24-bit depth. Needs a current context.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, std::string* error);
    void Destroy();
    void Bind() const;
    // Copies the target to the default framebuffer, turned the right way up.
    void BlitToWindow(int windowWidth, int windowHeight) const;
    bool HasDepth() const { return depth_ != 0; }

private:
    uint32_t fbo_ = 0, color_ = 0, depth_ = 0;
    uint32_t width_ = 0, height_ = 0;
};

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
    // Reads the renderer of the current context, decides hardware, makes the render target.
    bool InitTarget(std::string* error);

    DisplayDriverInfo driver_;
    bool hardware_ = false;
    uint32_t width_ = 640, height_ = 480, bitsPerPixel_ = 16;
    std::string renderer_;
    GlRenderTarget target_;
};

// True when an OpenGL renderer string names a software rasteriser.
bool IsSoftwareRenderer(const std::string& renderer);

// The two contexts (gl_context_egl.cpp, gl_context_sdl.cpp).
std::unique_ptr<GlDisplay> OpenEglDisplay(const DisplayConfig& config, std::string* error);
std::unique_ptr<GlDisplay> OpenSdlDisplay(const DisplayConfig& config, std::string* error);

}  // namespace orix
