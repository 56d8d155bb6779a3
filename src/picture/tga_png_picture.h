/// \file
/// TGA and PNG picture loading: the two formats real exports name beside BMP and JPEG, decoded by
/// kept libraries (stb_image for TGA, libpng's simplified API for PNG) from a file read whole
/// through the file layer, into a top-down 32-bit bitmap the texture code copies like a BMP.
///
/// Depends on the bitmap type of the platform layer, the file layer and the message sink. TGA:
/// true-colour (15/16, 24 and 32 bits), grey and colour-mapped pictures, plain or RLE; PNG: every
/// colour type and depth, interlaced or not, made 8-bit sRGB. A file whose first bytes are not of
/// the format its name says, or whose pixels the file does not hold in full, is refused; so is a
/// picture larger than the device holds or than PictureSizeRefusal allows, from its header, before
/// anything is decoded. Alpha stays in the fourth byte of each pixel, which the bitmap and the
/// blit ignore, as they do a 32-bit BMP's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/bitmap.h"

namespace orix {

/// A TGA file image in memory as a bitmap, or null when malformed, truncated or larger than
/// maxSide (0: kMaxBitmapSide) or the memory budget allow (then tooLarge, if given, says so).
BitmapPtr ParseTga(const uint8_t* data, size_t size, uint32_t maxSide = 0,
                   std::string* tooLarge = nullptr);
/// As ParseTga, for a PNG file image.
BitmapPtr ParsePng(const uint8_t* data, size_t size, uint32_t maxSide = 0,
                   std::string* tooLarge = nullptr);

/// The TGA file fileName as a bitmap, or null. Only a picture too large says why (captioned
/// "OrixFileTga"); other failures are reported by the callers, as for BMP.
BitmapPtr LoadTgaPicture(const std::string& fileName, uint32_t maxSide = 0);
/// As LoadTgaPicture, for a PNG file (captioned "OrixFilePng").
BitmapPtr LoadPngPicture(const std::string& fileName, uint32_t maxSide = 0);

}  // namespace orix
