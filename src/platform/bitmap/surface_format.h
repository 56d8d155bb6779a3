/// \file
/// Pixel formats of device surfaces: which DirectDraw-style formats the device accepts, how many
/// bytes a row takes, and the conversion of a surface's pixels into RGBA8 for OpenGL (palette
/// look-up, channel masks widened to 8 bits, source colour key made transparent). Internal to
/// src/platform; depends on the device records only.
#pragma once

#include <cstdint>

#include "platform/device_types.h"

namespace orix {

/// The formats the device lists, in EnumTextureFormats' order.
PixelFormat FormatPalette8();
PixelFormat FormatRgb565();
PixelFormat FormatArgb1555();
PixelFormat FormatArgb4444();
PixelFormat FormatRgb888();
PixelFormat FormatXrgb8888();
PixelFormat FormatArgb8888();

/// True for the formats a surface can hold: 4- or 8-bit palette-indexed, or RGB with 8, 16, 24
/// or 32 bits and non-overlapping masks that fit the bit count.
bool IsSupportedFormat(const PixelFormat& f);
/// Bytes in one row of width pixels (rows are packed, 4-bit rows rounded up to whole bytes).
uint32_t RowBytes(const PixelFormat& f, uint32_t width);
/// True when the format carries alpha (DDPF_ALPHAPIXELS with a mask).
bool HasAlpha(const PixelFormat& f);

struct ColorKey {
    bool enabled = false;
    uint32_t low = 0, high = 0;
};

/// Converts width x height pixels (pitch bytes per row, rows top-down) to RGBA8 rows top-down.
/// palette may be null for RGB formats (indexed pixels then come out black); count is its size.
void ConvertToRgba(const uint8_t* src, uint32_t pitch, uint32_t width, uint32_t height,
                   const PixelFormat& f, const PaletteEntry* palette, uint32_t paletteCount,
                   const ColorKey& key, uint8_t* dst);

}  // namespace orix
