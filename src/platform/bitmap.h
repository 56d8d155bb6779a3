/// \file
/// Bitmaps in memory: the stand-in for GDI's DIB sections and device-dependent bitmaps, with a
/// pixel format, an optional colour table, and a blit that converts formats into a device
/// surface (the BitBlt the texture loader relies on).
///
/// Depends on the graphics device only for the blit (Lock/Unlock of one surface level).
/// Limits: 1, 4, 8, 16, 24 and 32 bits per pixel; colours are read through the colour table or
/// the channel masks, alpha is never kept (GDI's BitBlt has none).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/device_types.h"

namespace orix {

class GraphicsDevice;

/// RGBQUAD: a colour-table entry.
struct RgbQuad {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;  ///< 1, 4, 8, 16, 24 or 32
    int32_t pitch = 0;          ///< bytes per row, a multiple of 4
    bool bottomUp = true;       ///< rows stored bottom row first, as DIBs are
    /// Channel masks for 16- and 32-bit pixels (16 bits default to RGB565, 32 to xRGB8888).
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    std::vector<RgbQuad> colorTable;  ///< for 8 bits or fewer
    std::vector<uint8_t> bits;        ///< pitch * height bytes

    /// Colour of pixel (x, y), y counted from the top, as 0x00RRGGBB. Outside the bitmap, or an
    /// index past the colour table, gives 0 (black).
    uint32_t PixelRgb(int32_t x, int32_t y) const;
    /// Start of row y counted from the top, or null when y is outside the bitmap.
    const uint8_t* Row(int32_t y) const;
    uint8_t* Row(int32_t y);
    /// True when width, height, depth, pitch and the size of bits agree.
    bool IsValid() const;
};

using BitmapPtr = std::unique_ptr<Bitmap>;

/// Row pitch of a DIB: width * bits rounded up to whole 32-bit words.
int32_t DibPitch(int32_t width, int32_t bitsPerPixel);

/// The largest picture side when the device names none: the largest texture side of the devices
/// in use.
constexpr int32_t kMaxBitmapSide = 16384;
/// What one picture's pixels may take in memory, each counted at the 32 bits of the widest texel:
/// checked from the header, before anything is allocated.
constexpr int64_t kMaxPictureBytes = int64_t{512} << 20;
/// A picture file is read whole only up to this: the pixels plus room for headers and tables.
constexpr int64_t kMaxPictureFileBytes = kMaxPictureBytes + (int64_t{1} << 20);

/// Why a width x height picture cannot be held: empty when both sides are at least 1 and at most
/// maxSide (kMaxBitmapSide when 0 or larger) and its pixels fit kMaxPictureBytes; otherwise a
/// sentence naming the picture's size and the limits.
std::string PictureSizeRefusal(int64_t width, int64_t height, uint32_t maxSide = 0);

/// An empty bottom-up bitmap of the given size and depth, bits zeroed; null for a depth that is
/// not 1, 4, 8, 16, 24 or 32 and for a size PictureSizeRefusal refuses.
BitmapPtr CreateBitmap(int32_t width, int32_t height, uint16_t bitsPerPixel);

/// The 256-entry palette used when a true-colour picture meets an 8-bit indexed target: three
/// bits of red, three of green, two of blue.
std::vector<RgbQuad> DefaultColorTable8();

/// A copy of src in another depth. 16 and 32 bits take the given masks (zero: RGB565 and
/// xRGB8888). 1, 4 and 8 bits keep src's indices when src has a colour table that fits and no
/// table is given; otherwise each pixel takes the nearest entry of colorTable (or, without one,
/// of DefaultColorTable8 for 8 bits, black and white for 1, the 16 VGA colours for 4).
BitmapPtr ConvertBitmap(const Bitmap& src, uint16_t bitsPerPixel, uint32_t redMask = 0,
                        uint32_t greenMask = 0, uint32_t blueMask = 0,
                        const std::vector<RgbQuad>* colorTable = nullptr);

/// CreateDIBitmap / CreateCompatibleBitmap stand-in: src in the display's format for a display
/// of screenBits (15: RGB555, 16: RGB565, 24: BGR, 32: xRGB, 8 or fewer: 8 bits with
/// DefaultColorTable8). Null for any other depth.
BitmapPtr MakeScreenCompatible(const Bitmap& src, uint32_t screenBits);

/// GDI's BitBlt with format conversion: draws the whole bitmap at (0, 0) of one surface level,
/// converting depth and colours into the surface's pixel format (palette-indexed surfaces take
/// the bitmap's own indices when the bitmap has a colour table, otherwise the nearest entry of
/// palette, or of the default table when none is given). Copies min of the two sizes.
bool BlitBitmapToSurface(const Bitmap& bitmap, GraphicsDevice& device, SurfaceHandle surface,
                         const std::vector<PaletteEntry>* palette = nullptr);

}  // namespace orix
