/// \file
/// Surface: one buffer of the display's flip chain (the primary or the back buffer), with the
/// device-context, font and text operations the frame function uses to write the frame-rate text
/// straight into the back buffer.
///
/// Depends on the platform's DisplayContext (the flip chain) and GraphicsDevice (text drawn with
/// a transparent background in the device's default font). No font is ever created: selecting one
/// keeps the default. Single-threaded.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_types.h"

namespace orix {

class Display;
class DisplayContext;
class GraphicsDevice;

class Surface {
public:
    /// Empty: no surface, device context, font or owner; no colour key.
    Surface();
    /// Releases the wrapped surface.
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    /// GetDC: the surface accepts text until ReleaseDC. False when there is no surface or a
    /// device context is already held.
    bool GetDC();
    /// ReleaseDC: false when no device context is held.
    bool ReleaseDC();
    /// Selects the surface's font into the device context (none: the default font stays).
    void SelectFont();
    /// TextOut of the whole text at (x, y) in a COLORREF colour over a transparent background;
    /// false outside GetDC / ReleaseDC or without a device to draw with.
    bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text);

    int32_t width = 0;
    int32_t height = 0;
    const char* bitmapName = nullptr;  ///< null for the primary and the back buffer
    uintptr_t dc = 0;                  ///< nonzero between GetDC and ReleaseDC
    int32_t colorKey = -1;
    Rect sourceRect;
    Rect destRect;
    uintptr_t font = 0;  ///< never created for the flip chain
    SurfaceDesc lockDesc;
    DisplayContext* surface = nullptr;  ///< the flip chain this buffer belongs to
    GraphicsDevice* device = nullptr;   ///< what draws into it, once a device exists
    Display* owner = nullptr;
};

}  // namespace orix
