/// \file
/// BMP picture loading: the program's own picture resources first, then a BMP file, into a
/// bitmap of the file's own depth (the DIB section GDI would make).
///
/// Depends on the bitmap type of the platform layer only. Reads 1, 4, 8, 16, 24 and 32-bit
/// pictures with core (OS/2 1.x) or Windows info headers (40 to 124 bytes), colour tables,
/// bit-field masks, top-down and bottom-up rows, and RLE8/RLE4 compression. Every offset and
/// count in the file is checked against its size; a picture larger than the device holds or
/// than PictureSizeRefusal allows is refused. JPEG- or PNG-compressed BMPs are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/bitmap.h"

namespace orix {

/// A picture built into the program, found by name before any file.
struct PictureResource {
    const char* name;  ///< compared without regard to case, as resource names are
    const uint8_t* data;
    size_t size;
};

/// The built-in picture of that name, or null.
const PictureResource* FindPictureResource(const std::string& name);

/// The resource or, failing that, the file of that name as a bitmap; null when neither exists
/// or the data is not a BMP this reader takes. maxSide is the device's largest texture side (0:
/// kMaxBitmapSide). Only a picture too large says why (captioned "OrixFileBmp"); other failures
/// are reported by the callers.
BitmapPtr LoadBitmapPicture(const std::string& name, uint32_t maxSide = 0);

/// A BMP file image in memory (file header first) as a bitmap, or null when malformed or larger
/// than maxSide or the memory budget allow (then tooLarge, if given, says so).
BitmapPtr ParseBmp(const uint8_t* data, size_t size, uint32_t maxSide = 0,
                   std::string* tooLarge = nullptr);

/// Decodes RLE8 (bits 8) or RLE4 (bits 4) data into target, a zeroed bottom-up bitmap of that
/// depth. Runs past the right edge or the top are clipped; false for data that ends inside a
/// command. A missing end-of-bitmap marker is accepted, as GDI does.
bool DecodeBmpRle(const uint8_t* data, size_t size, int bits, Bitmap* target);

}  // namespace orix
