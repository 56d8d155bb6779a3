// Offscreen display: an EGL context without a window surface (surfaceless where the driver
// offers it, a 1 x 1 pbuffer otherwise) rendering into the display's framebuffer object.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cstring>

#include "platform/egl_devices.h"
#include "platform/gl_display.h"

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
        return InitTarget(error);
    }

    bool IsOffscreen() const override { return true; }
    // Offscreen there is nothing to flip to; finishing makes the frame complete for read-back
    // and timing (a pbuffer swap would not force the frame to render).
    bool Present() override {
        glFinish();
        return true;
    }
    bool MakeCurrent() override {
        return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
    }

private:
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
};

}  // namespace

std::unique_ptr<GlDisplay> OpenEglDisplay(const DisplayConfig& config, std::string* error) {
    auto display = std::make_unique<EglDisplay>();
    if (!display->Open(config, error)) return nullptr;
    return display;
}

}  // namespace orix
