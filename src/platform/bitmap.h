// Bitmaps in memory: the stand-in for GDI's DIB sections and device-dependent bitmaps, with a
// pixel format, an optional colour table, and a blit that converts formats into a device
// surface (the BitBlt the texture loader relies on).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/device_types.h"

namespace orix {

class GraphicsDevice;

// RGBQUAD: a colour-table entry.
struct RgbQuad {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;  // 1, 4, 8, 16, 24 or 32
    int32_t pitch = 0;          // bytes per row, a multiple of 4
    bool bottomUp = true;       // rows stored bottom row first, as DIBs are
    // Channel masks for 16- and 32-bit pixels (16 bits default to RGB565, 32 to xRGB8888).
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    std::vector<RgbQuad> colorTable;  // for 8 bits or fewer
    std::vector<uint8_t> bits;        // pitch * height bytes

    // Colour of pixel (x, y), y counted from the top, as 0x00RRGGBB.
    uint32_t PixelRgb(int32_t x, int32_t y) const;
};

using BitmapPtr = std::unique_ptr<Bitmap>;

// Row pitch of a DIB: width * bits rounded up to whole 32-bit words.
int32_t DibPitch(int32_t width, int32_t bitsPerPixel);

// GDI's BitBlt with format conversion: draws the whole bitmap at (0, 0) of one surface level,
// converting depth and colours into the surface's pixel format (palette-indexed surfaces take
// the bitmap's own indices when the bitmap has a colour table). Copies min of the two sizes.
bool BlitBitmapToSurface(const Bitmap& bitmap, GraphicsDevice& device, SurfaceHandle surface);

}  // namespace orix
