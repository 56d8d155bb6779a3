#include "platform/gl/egl_devices.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace orix {

namespace {

// 128-bit FNV-1a made of two 64-bit halves with different offsets: only stability and spread
// matter here, not cryptographic strength.
DriverGuid HashGuid(const std::string& key) {
    uint64_t a = 0xcbf29ce484222325ull, b = 0x84222325cbf29ce4ull;
    for (unsigned char c : key) {
        a = (a ^ c) * 0x100000001b3ull;
        b = (b ^ c) * 0x100000001b3ull;
        b ^= b >> 29;
    }
    DriverGuid g;
    g.data1 = uint32_t(a >> 32);
    g.data2 = uint16_t(a >> 16);
    g.data3 = uint16_t(a);
    for (int i = 0; i < 8; ++i) g.data4[i] = uint8_t(b >> (56 - 8 * i));
    if (g.IsZero()) g.data4[7] = 1;  // zero is the primary display
    return g;
}

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    }
    return false;
}

// The kernel driver behind a DRM node ("amdgpu", "i915", "nvidia"), or empty.
std::string KernelDriver(const std::string& node) {
    size_t slash = node.rfind('/');
    std::string name = slash == std::string::npos ? node : node.substr(slash + 1);
    std::ifstream in("/sys/class/drm/" + name + "/device/uevent");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("DRIVER=", 0) == 0) return line.substr(7);
    }
    return {};
}

// Whether a desktop OpenGL context can be had on the device: a driver that cannot draw is not
// offered. The EGL display stays initialised; opening the driver takes the same one again.
bool CanDrawOn(EGLDeviceEXT device) {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return false;
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) return false;
    // As the offscreen display asks: a device offers no window surfaces.
    const EGLint attribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                              EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    return eglBindAPI(EGL_OPENGL_API) && eglChooseConfig(display, attribs, &config, 1, &found) &&
           found > 0;
}

}  // namespace

std::vector<EglDeviceEntry> ListEglDevices() {
    std::vector<EglDeviceEntry> out;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(client, "EGL_EXT_device_enumeration")) return out;
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(
        eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (!queryDevices || !queryString) return out;
    EGLint count = 0;
    if (!queryDevices(0, nullptr, &count) || count <= 0) return out;
    std::vector<EGLDeviceEXT> devices(static_cast<size_t>(count));
    if (!queryDevices(count, devices.data(), &count)) return out;
    devices.resize(size_t(count));

    for (EGLDeviceEXT dev : devices) {
        const char* ext = queryString(dev, EGL_EXTENSIONS);
        EglDeviceEntry e;
        e.device = dev;
        const bool software = HasExtension(ext, "EGL_MESA_device_software");
        std::string node;
        if (HasExtension(ext, "EGL_EXT_device_drm_render_node")) {
            const char* s = queryString(dev, EGL_DRM_RENDER_NODE_FILE_EXT);
            if (s) node = s;
        }
        if (node.empty() && HasExtension(ext, "EGL_EXT_device_drm")) {
            const char* s = queryString(dev, EGL_DRM_DEVICE_FILE_EXT);
            if (s) node = s;
        }
        std::string renderer, driver;
        if (HasExtension(ext, "EGL_EXT_device_persistent_id")) {
            const char* r = queryString(dev, EGL_RENDERER_EXT);
            const char* d = queryString(dev, EGL_DRIVER_NAME_EXT);
            if (r) renderer = r;
            if (d) driver = d;
        }
        if (software) {
            e.info.hardware = false;
            e.info.description = renderer.empty() ? "Mesa software rasteriser" : renderer;
            e.info.driverName = driver.empty() ? "swrast" : driver;
            e.info.guid = HashGuid("software:" + (node.empty() ? e.info.driverName : node));
        } else {
            e.info.hardware = true;
            std::string kernel = node.empty() ? std::string() : KernelDriver(node);
            e.info.driverName = !driver.empty() ? driver : (!kernel.empty() ? kernel : "egl");
            e.info.description = !renderer.empty() ? renderer : "GPU " + e.info.driverName;
            if (!node.empty()) e.info.description += " (" + node + ")";
            e.info.guid = HashGuid("drm:" + (node.empty() ? e.info.description : node));
        }
        // Two devices with the same name (no DRM node) still get different identifiers.
        for (const auto& earlier : out) {
            if (earlier.info.guid == e.info.guid) e.info.guid.data4[7] ^= uint8_t(out.size() + 1);
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<DisplayDriverInfo> EnumerateDisplayDrivers() {
    std::vector<DisplayDriverInfo> out;
    auto devices = ListEglDevices();
    DisplayDriverInfo primary;
    primary.description = "Primary Display Driver";
    primary.driverName = "display";
    // The default renderer is a GPU whenever one is there and software rendering is not forced;
    // the opened display's IsHardware() is the authoritative answer.
    const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    bool forceSoftware = forced && *forced && std::strcmp(forced, "0") != 0;
    for (const auto& d : devices) primary.hardware = primary.hardware || d.info.hardware;
    if (forceSoftware) primary.hardware = false;
    out.push_back(primary);
    for (auto& d : devices) {
        if (CanDrawOn(static_cast<EGLDeviceEXT>(d.device))) out.push_back(d.info);
    }
    return out;
}

}  // namespace orix
