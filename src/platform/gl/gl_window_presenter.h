/// \file
/// GlWindowPresenter: shows frames drawn elsewhere (on a display driver that can only draw
/// offscreen, such as the software rasteriser's EGL device or a second GPU) in an SDL window, with
/// the window's own OpenGL context: the read-back rows go into a texture of the same format, which
/// is blitted to the window, turned the right way up, and swapped.
///
/// Holds its context current only inside its own calls: the caller's context is released before
/// and made current again after (one thread may not hold an EGL and a GLX context at once).
/// Internal to src/platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace orix {

class GlWindowPresenter {
public:
    ~GlWindowPresenter();
    GlWindowPresenter(const GlWindowPresenter&) = delete;
    GlWindowPresenter& operator=(const GlWindowPresenter&) = delete;

    /// A presenter for frames of width x height at bitsPerPixel (16: RGB565, otherwise 32-bit
    /// BGRA) in sdlWindow, an SDL_Window made for OpenGL. No context may be current on the
    /// thread; none is when it returns. Null with *error when the window has no context to give.
    static std::unique_ptr<GlWindowPresenter> Open(void* sdlWindow, uint32_t width, uint32_t height,
                                                   uint32_t bitsPerPixel, std::string* error);

    /// The OpenGL format and type the rows must be read back in (glReadPixels), byte-aligned rows,
    /// row 0 the top of the picture.
    uint32_t ReadFormat() const { return format_; }
    uint32_t ReadType() const { return type_; }
    size_t FrameBytes() const;

    /// Shows rows (FrameBytes() of them, as ReadFormat/ReadType say) in the window and swaps. No
    /// context may be current on the thread; none is when it returns. False when the window's
    /// context cannot be made current (the window is gone).
    bool Show(const void* rows);

    bool IsFullScreen() const;
    void LeaveFullScreen();

private:
    GlWindowPresenter() = default;

    void* window_ = nullptr;   ///< SDL_Window
    void* context_ = nullptr;  ///< SDL_GLContext
    uint32_t width_ = 0, height_ = 0, bytesPerPixel_ = 2;
    uint32_t format_ = 0, type_ = 0;
    uint32_t texture_ = 0, framebuffer_ = 0;
};

}  // namespace orix
