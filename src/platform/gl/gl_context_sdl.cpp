// Window display: an SDL2 window with an OpenGL compatibility context. The device renders into
// the display's framebuffer object at the display depth; Present copies it into the window and
// swaps.
#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "platform/gl/gl_display.h"

namespace orix {

namespace {

class SdlDisplay final : public GlDisplay {
public:
    ~SdlDisplay() override {
        if (context_) {
            SDL_GL_MakeCurrent(window_, context_);
            target_.Destroy();
            SDL_GL_MakeCurrent(window_, nullptr);
            SDL_GL_DeleteContext(context_);
        }
        if (window_ && ownsWindow_) SDL_DestroyWindow(window_);
        if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open(const DisplayConfig& config, std::string* error) {
        width_ = config.width;
        height_ = config.height;
        bitsPerPixel_ = config.bitsPerPixel <= 16 ? 16 : 32;
        driver_.description = "Primary Display Driver";
        driver_.driverName = "display";
        if (!config.driver.IsZero()) {
            // A window always shows the default renderer; other drivers are offscreen only.
            if (error) *error = "a window can only use the primary display driver";
            return false;
        }
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Fail(error);
        videoStarted_ = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // depth lives in the render target
        if (config.nativeWindow) {
            window_ = static_cast<SDL_Window*>(config.nativeWindow);
            if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL)) {
                if (error) *error = "the window was not created for OpenGL";
                return false;
            }
        } else {
            Uint32 flags = SDL_WINDOW_OPENGL;
            if (config.fullScreen) flags |= SDL_WINDOW_FULLSCREEN;
            window_ = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                       SDL_WINDOWPOS_CENTERED, int(width_), int(height_), flags);
            if (!window_ && config.fullScreen) {
                flags &= ~Uint32(SDL_WINDOW_FULLSCREEN);
                window_ =
                    SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                     SDL_WINDOWPOS_CENTERED, int(width_), int(height_), flags);
            }
            if (!window_) return Fail(error);
            ownsWindow_ = true;
        }
        fullScreen_ = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) return Fail(error);
        if (!MakeCurrent()) return Fail(error);
        return InitTarget(error);
    }

    bool IsOffscreen() const override { return false; }
    bool IsFullScreen() const override { return fullScreen_; }
    bool IsLost() const override {
        return fullScreen_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
    }
    bool Restore() override { return !IsLost(); }
    void RestoreDisplayMode() override {
        if (fullScreen_) SDL_SetWindowFullscreen(window_, 0);
        fullScreen_ = false;
    }

    bool Present() override {
        if (IsLost()) return false;
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        target_.BlitToWindow(w, h);
        SDL_GL_SwapWindow(window_);
        return true;
    }
    bool MakeCurrent() override { return SDL_GL_MakeCurrent(window_, context_) == 0; }

private:
    bool Fail(std::string* error) {
        if (error) *error = SDL_GetError();
        return false;
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool ownsWindow_ = false;
    bool videoStarted_ = false;
    bool fullScreen_ = false;
};

}  // namespace

std::unique_ptr<GlDisplay> OpenSdlDisplay(const DisplayConfig& config, std::string* error) {
    auto display = std::make_unique<SdlDisplay>();
    if (!display->Open(config, error)) return nullptr;
    return display;
}

}  // namespace orix
