/// \file
/// The DirectDraw stand-in: the display drivers this machine can open, and the display that a
/// device renders into (a window's back buffer, or an offscreen buffer when there is no display).
///
/// Display drivers are the OpenGL renderers this machine can open: the primary display (all-zero
/// identifier, the default renderer) and one entry per EGL device, each with an identifier that
/// stays the same from run to run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/device_types.h"
#include "platform/graphics_device.h"

namespace orix {

struct DisplayDriverInfo {
    DriverGuid guid;          ///< all zero for the primary display
    std::string description;  ///< shown in the device dialog
    std::string driverName;
    bool hardware = false;  ///< a GPU (DDCAPS_3D), not a software rasteriser
};

/// Every driver that can draw here, the primary display first, in a stable order. In a window the
/// primary display draws directly; any other draws offscreen and the window shows its frames.
std::vector<DisplayDriverInfo> EnumerateDisplayDrivers();

enum class DisplayMode { Auto, Window, Offscreen };

struct DisplayConfig {
    DriverGuid driver;  ///< all zero: the primary display
    uint32_t width = 640;
    uint32_t height = 480;
    uint32_t bitsPerPixel = 16;
    bool fullScreen = false;               ///< exclusive full screen where the display allows
    DisplayMode mode = DisplayMode::Auto;  ///< Auto: a window when a display exists
    std::string title = "OrixApp";
    void* nativeWindow = nullptr;  ///< an SDL_Window made by the platform window, or null
};

/// The display: flip chain and depth buffer of one size and depth.
class DisplayContext {
public:
    virtual ~DisplayContext() = default;
    virtual const DisplayDriverInfo& Driver() const = 0;
    virtual bool IsHardware() const = 0;
    virtual bool IsOffscreen() const = 0;
    virtual bool IsFullScreen() const = 0;
    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual uint32_t BitsPerPixel() const = 0;
    /// Flip (full screen) or copy to the window (windowed); false when the surface is lost.
    virtual bool Present() = 0;
    /// A full-screen window that lost focus or was minimised has lost its surfaces.
    virtual bool IsLost() const = 0;
    virtual bool Restore() = 0;
    virtual void RestoreDisplayMode() = 0;
};

/// Opens the display for config; null with a message in *error when it cannot.
std::unique_ptr<DisplayContext> OpenDisplay(const DisplayConfig& config, std::string* error);

/// The device search: a hardware device when asked and the display is hardware, otherwise a
/// software one. Null when the display cannot carry a device of that kind.
std::unique_ptr<GraphicsDevice> CreateGraphicsDevice(DisplayContext& display, bool hardware,
                                                     std::string* error);

/// True when no window can be opened here (no X11 or Wayland display, or ORIX_OFFSCREEN=1).
bool RunningHeadless();

}  // namespace orix
