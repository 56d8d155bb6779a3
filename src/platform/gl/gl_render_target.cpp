#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl/gl_render_target.h"

namespace orix {

// The owning display calls Destroy while its context is still current; a destructor here
// could not know whether one is.
GlRenderTarget::~GlRenderTarget() = default;

bool GlRenderTarget::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                            std::string* error) {
    Destroy();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width == 0 || height == 0 || width > uint32_t(maxSize) || height > uint32_t(maxSize)) {
        if (error) *error = "display size not supported by the renderer";
        return false;
    }
    const bool deep = bitsPerPixel > 16;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &color_);
    glBindRenderbuffer(GL_RENDERBUFFER, color_);
    glRenderbufferStorage(GL_RENDERBUFFER, deep ? GL_RGBA8 : GL_RGB565, GLsizei(width),
                          GLsizei(height));
    if (glGetError() != GL_NO_ERROR && !deep) {
        // A driver without the sized 565 format is asked for 5-bit channels instead.
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB5, GLsizei(width), GLsizei(height));
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, deep ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16,
                          GLsizei(width), GLsizei(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        if (error) *error = "the renderer cannot draw into a back buffer of this depth";
        Destroy();
        return false;
    }
    width_ = width;
    height_ = height;
    glViewport(0, 0, GLsizei(width), GLsizei(height));
    // A new back buffer starts black with depth at the far plane rather than undefined.
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

void GlRenderTarget::Destroy() {
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    if (color_) glDeleteRenderbuffers(1, &color_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    fbo_ = color_ = depth_ = 0;
}

void GlRenderTarget::Bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

void GlRenderTarget::BlitToWindow(int windowWidth, int windowHeight) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The target holds the top row first; the window's row 0 is its bottom row.
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, GLint(width_), GLint(height_), 0, windowHeight, windowWidth, 0,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glPopAttrib();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

}  // namespace orix
