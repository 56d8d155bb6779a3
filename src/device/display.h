/// \file
/// Display: the DirectDraw side of the picture. Holds the opened display (the flip chain of the
/// window, or of an offscreen buffer where there is no display), the primary and back-buffer
/// Surfaces, the depth buffer's record, and presents each finished frame.
///
/// Depends on the platform's OpenDisplay / DisplayContext. Created empty by the program, filled by
/// the engine's set-up (Open), torn down after the engine. There is one display. The depth buffer
/// is part of the OpenGL drawable; its record keeps the memory it was asked for (video memory on
/// hardware). No palette: the program only sets up 16 bits per pixel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device/surface.h"
#include "platform/display_system.h"
#include "platform/window.h"

namespace orix {

/// DirectDraw result codes of Present.
enum : int32_t {
    DD_OK = 0,
    DDERR_SURFACELOST = static_cast<int32_t>(0x887601C2u),
    DDERR_NOTINITIALIZED = static_cast<int32_t>(0x800401F0u),
};

/// The z-buffer attached to the back buffer.
struct ZBuffer {
    uint32_t caps = 0;  ///< DDSCAPS_ZBUFFER with DDSCAPS_VIDEOMEMORY or DDSCAPS_SYSTEMMEMORY
    uint32_t width = 0, height = 0;
    uint32_t depth = 16;
    bool attached = false;
};

class Display {
public:
    /// Empty: no display, surfaces, z-buffer, palette or clipper.
    Display();
    /// Teardown: restores the display mode, destroys the back buffer then the primary, releases
    /// the z-buffer and last the display itself.
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    /// Opens the display for driver at the recorded width, height and depth (full screen where
    /// fullScreen is set and the display allows), wraps its flip chain in the primary and back
    /// buffer, passes " sucess : create back buffer \\n" to TraceHook. False, with the reason in
    /// *error, when the display cannot be opened; nothing is held then.
    bool Open(const DriverGuid& driver, std::string* error);
    /// Whether the opened driver is a GPU (DDCAPS_3D).
    bool IsHardware() const;
    /// Creates the 16-bit z-buffer with memoryCaps and attaches it to the back buffer.
    void CreateZBuffer(uint32_t memoryCaps);
    /// Detaches the z-buffer from the back buffer (the engine's teardown does this).
    void DetachZBuffer();
    /// Lets the flip chain's Surfaces draw text with the device (null: no device any more).
    void AttachDevice(GraphicsDevice* graphicsDevice);

    /// Shows the back buffer: DD_OK, or DDERR_SURFACELOST after restoring a lost display (that
    /// frame is lost), or DDERR_NOTINITIALIZED before Open.
    int32_t Present();
    /// Restores the primary surface when it is lost.
    void RestoreSurfaces();

    std::unique_ptr<DisplayContext> directDraw;
    Surface* primary = nullptr;
    Surface* backBuffer = nullptr;
    ZBuffer* zBuffer = nullptr;
    PaletteHandle palette;
    void* clipper = nullptr;  ///< the full-screen set-up makes none
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    WindowHandle window = nullptr;
    int32_t fullScreen = 0;
};

/// The one display; set by the program, null before and after.
extern Display* theDisplay;

}  // namespace orix
