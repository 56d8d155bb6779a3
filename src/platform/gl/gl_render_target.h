/// \file
/// GlRenderTarget: the framebuffer object a display renders into, with colour and depth
/// renderbuffers at the display depth. Needs a current OpenGL context for every operation.
/// Internal to src/platform.
#pragma once

#include <cstdint>
#include <string>

namespace orix {

/// Colour and depth renderbuffers in one framebuffer object, rows stored top row first (the
/// device draws Direct3D's y-down screen straight into GL's window coordinates).
class GlRenderTarget {
public:
    ~GlRenderTarget();
    /// 16 bits: RGB565 + 16-bit depth; otherwise RGBA8 + 24-bit depth. Needs a current context.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, std::string* error);
    void Destroy();
    void Bind() const;
    /// Copies the target to the default framebuffer, turned the right way up.
    void BlitToWindow(int windowWidth, int windowHeight) const;
    bool HasDepth() const { return depth_ != 0; }

private:
    uint32_t fbo_ = 0, color_ = 0, depth_ = 0;
    uint32_t width_ = 0, height_ = 0;
};

}  // namespace orix
