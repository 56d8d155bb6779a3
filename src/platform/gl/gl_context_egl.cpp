// Offscreen display: an EGL context without a window surface (surfaceless where the driver
// offers it, a 1 x 1 pbuffer otherwise) rendering into the display's framebuffer object. Given a
// window, each presented frame is read back and shown there by the window's own context: how a
// driver that can only draw offscreen (an EGL device) draws the program's window.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "platform/gl/egl_devices.h"
#include "platform/gl/gl_display.h"
#include "platform/gl/gl_window_presenter.h"

namespace orix {

namespace {

bool HasWord(const char* list, const char* name) {
    if (!list) return false;
    size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    }
    return false;
}

class EglDisplay final : public GlDisplay {
public:
    ~EglDisplay() override {
        if (display_ == EGL_NO_DISPLAY) return;
        if (presenter_) {
            // The window's context is made current for its own teardown: ours steps aside.
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            presenter_.reset();
        }
        if (context_ != EGL_NO_CONTEXT) {
            // Another display's context may be current: borrow the thread and give it back.
            EGLDisplay prevDisplay = eglGetCurrentDisplay();
            EGLContext prevContext = eglGetCurrentContext();
            EGLSurface prevDraw = eglGetCurrentSurface(EGL_DRAW);
            EGLSurface prevRead = eglGetCurrentSurface(EGL_READ);
            if (eglMakeCurrent(display_, surface_, surface_, context_)) target_.Destroy();
            if (prevContext != EGL_NO_CONTEXT && prevContext != context_)
                eglMakeCurrent(prevDisplay, prevDraw, prevRead, prevContext);
            else
                eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display_, context_);
        }
        if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
        // eglTerminate is left out on purpose: the EGL display is shared by every context the
        // process opens on it, and terminating it would pull it from under a second display.
    }

    bool Open(const DisplayConfig& config, std::string* error) {
        width_ = config.width;
        height_ = config.height;
        bitsPerPixel_ = config.bitsPerPixel <= 16 ? 16 : 32;
        if (!OpenDriver(config.driver, error)) return false;
        EGLint major = 0, minor = 0;
        bool initialised = eglInitialize(display_, &major, &minor) == EGL_TRUE;
        if (!initialised && config.driver.IsZero()) {
            // No default platform here (no Mesa surfaceless, no window system): the primary
            // display is then the first EGL device.
            auto devices = ListEglDevices();
            auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
                eglGetProcAddress("eglGetPlatformDisplayEXT"));
            if (!devices.empty() && getPlatformDisplay) {
                display_ = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[0].device, nullptr);
                initialised = display_ != EGL_NO_DISPLAY &&
                              eglInitialize(display_, &major, &minor) == EGL_TRUE;
            }
        }
        if (!initialised) return Fail("eglInitialize failed", error);
        if (!eglBindAPI(EGL_OPENGL_API)) return Fail("EGL has no desktop OpenGL", error);

        const EGLint attribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                  EGL_OPENGL_BIT, EGL_NONE};
        EGLConfig cfg = nullptr;
        EGLint found = 0;
        if (!eglChooseConfig(display_, attribs, &cfg, 1, &found) || found < 1) {
            const EGLint any[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
            if (!eglChooseConfig(display_, any, &cfg, 1, &found) || found < 1)
                return Fail("no EGL configuration for OpenGL", error);
        }
        context_ = eglCreateContext(display_, cfg, EGL_NO_CONTEXT, nullptr);
        if (context_ == EGL_NO_CONTEXT) return Fail("eglCreateContext failed", error);
        const char* ext = eglQueryString(display_, EGL_EXTENSIONS);
        if (!HasWord(ext, "EGL_KHR_surfaceless_context")) {
            const EGLint pb[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
            surface_ = eglCreatePbufferSurface(display_, cfg, pb);
            if (surface_ == EGL_NO_SURFACE) return Fail("no EGL pbuffer", error);
        }
        if (!MakeCurrent()) return Fail("eglMakeCurrent failed", error);
        if (!InitTarget(error)) return false;
        return !config.nativeWindow || OpenPresenter(config.nativeWindow, error);
    }

    bool IsOffscreen() const override { return !presenter_; }
    bool IsFullScreen() const override { return presenter_ && presenter_->IsFullScreen(); }
    void RestoreDisplayMode() override {
        if (presenter_) presenter_->LeaveFullScreen();
    }
    // Offscreen there is nothing to flip to; finishing makes the frame complete for read-back
    // and timing (a pbuffer swap would not force the frame to render). With a window, the frame
    // is read back in the target's own format and shown there.
    bool Present() override {
        if (!presenter_) {
            glFinish();
            return true;
        }
        target_.Bind();
        // Rows packed byte to byte, as the presenter takes them (and as the device packs its own).
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, GLsizei(width_), GLsizei(height_), presenter_->ReadFormat(),
                     presenter_->ReadType(), frame_.data());
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        // A window gone from under us shows nothing; its closing is the window layer's affair.
        presenter_->Show(frame_.data());
        return MakeCurrent();
    }
    bool MakeCurrent() override {
        return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
    }

private:
    bool OpenPresenter(void* window, std::string* error) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        std::string why;
        presenter_ = GlWindowPresenter::Open(window, width_, height_, bitsPerPixel_, &why);
        if (!MakeCurrent()) return Fail("eglMakeCurrent failed", error);
        if (!presenter_) {
            if (error) *error = why;
            return false;
        }
        frame_.resize(presenter_->FrameBytes());
        return true;
    }

    bool OpenDriver(const DriverGuid& guid, std::string* error) {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (guid.IsZero()) {
            driver_.description = "Primary Display Driver";
            driver_.driverName = "display";
            if (getPlatformDisplay && HasWord(client, "EGL_MESA_platform_surfaceless"))
                display_ =
                    getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
            if (display_ == EGL_NO_DISPLAY) display_ = eglGetDisplay(EGL_DEFAULT_DISPLAY);
            if (display_ == EGL_NO_DISPLAY) return Fail("no EGL display", error);
            return true;
        }
        for (const auto& d : ListEglDevices()) {
            if (d.info.guid != guid) continue;
            driver_ = d.info;
            if (getPlatformDisplay)
                display_ = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, d.device, nullptr);
            if (display_ == EGL_NO_DISPLAY) return Fail("cannot open the EGL device", error);
            return true;
        }
        return Fail("no display driver with that identifier", error);
    }

    bool Fail(const char* what, std::string* error) {
        if (error) *error = what;
        return false;
    }

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface surface_ = EGL_NO_SURFACE;
    std::unique_ptr<GlWindowPresenter> presenter_;
    std::vector<uint8_t> frame_;  // the last frame read back for the window
};

}  // namespace

std::unique_ptr<GlDisplay> OpenEglDisplay(const DisplayConfig& config, std::string* error) {
    auto display = std::make_unique<EglDisplay>();
    if (!display->Open(config, error)) return nullptr;
    return display;
}

}  // namespace orix
