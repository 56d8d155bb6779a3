#include "platform/gl/gl_window_presenter.h"

#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace orix {

GlWindowPresenter::~GlWindowPresenter() {
    if (!context_) return;
    auto* window = static_cast<SDL_Window*>(window_);
    if (SDL_GL_MakeCurrent(window, context_) == 0) {
        if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
        if (texture_) glDeleteTextures(1, &texture_);
        SDL_GL_MakeCurrent(window, nullptr);
    }
    SDL_GL_DeleteContext(context_);
}

std::unique_ptr<GlWindowPresenter> GlWindowPresenter::Open(void* sdlWindow, uint32_t width,
                                                           uint32_t height, uint32_t bitsPerPixel,
                                                           std::string* error) {
    auto* window = static_cast<SDL_Window*>(sdlWindow);
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
        if (error) *error = "the window was not created for OpenGL";
        return nullptr;
    }
    std::unique_ptr<GlWindowPresenter> p(new GlWindowPresenter());
    p->window_ = window;
    p->width_ = width;
    p->height_ = height;
    const bool deep = bitsPerPixel > 16;
    p->bytesPerPixel_ = deep ? 4 : 2;
    p->format_ = deep ? GL_BGRA : GL_RGB;
    p->type_ = deep ? GL_UNSIGNED_INT_8_8_8_8_REV : GL_UNSIGNED_SHORT_5_6_5;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    p->context_ = SDL_GL_CreateContext(window);
    if (!p->context_) {
        if (error) *error = std::string("no OpenGL context for the window: ") + SDL_GetError();
        return nullptr;
    }
    // A texture of the frame's own format: the upload is a copy, with no conversion.
    glGenTextures(1, &p->texture_);
    glBindTexture(GL_TEXTURE_2D, p->texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, deep ? GL_RGBA8 : GL_RGB565, GLsizei(width), GLsizei(height), 0,
                 p->format_, p->type_, nullptr);
    glGenFramebuffers(1, &p->framebuffer_);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, p->framebuffer_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, p->texture_,
                           0);
    bool complete = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDisable(GL_SCISSOR_TEST);
    SDL_GL_MakeCurrent(window, nullptr);
    if (!complete) {
        if (error) *error = "the window's context cannot read a frame of this depth";
        return nullptr;
    }
    return p;
}

size_t GlWindowPresenter::FrameBytes() const {
    return size_t{width_} * height_ * bytesPerPixel_;
}

bool GlWindowPresenter::Show(const void* rows) {
    auto* window = static_cast<SDL_Window*>(window_);
    if (SDL_GL_MakeCurrent(window, context_) != 0) return false;
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(width_), GLsizei(height_), format_, type_,
                    rows);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Row 0 of the frame is its top; the window's row 0 is its bottom.
    glBlitFramebuffer(0, 0, GLint(width_), GLint(height_), 0, h, w, 0, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    SDL_GL_SwapWindow(window);
    SDL_GL_MakeCurrent(window, nullptr);
    return true;
}

bool GlWindowPresenter::IsFullScreen() const {
    return (SDL_GetWindowFlags(static_cast<SDL_Window*>(window_)) & SDL_WINDOW_FULLSCREEN) != 0;
}

void GlWindowPresenter::LeaveFullScreen() {
    if (IsFullScreen()) SDL_SetWindowFullscreen(static_cast<SDL_Window*>(window_), 0);
}

}  // namespace orix
