/// \file
/// A glTF file's pictures as pictures the engine reads: JPEG kept byte for byte, PNG and BMP
/// decoded (PNG through libpng's simplified reader) and written as 24-bit BMP. Every picture's
/// size is checked from its header against the picture limits (PictureSizeRefusal) before any
/// pixel is decoded, so a picture that claims a huge size costs nothing.
///
/// Depends on libpng and platform/bitmap.h. Alpha is dropped: the engine's only transparency in
/// a picture is the black colour key.
#pragma once

#include <string>
#include <vector>

namespace orix::gltf {

struct EnginePicture {
    std::string extension;  ///< "jpg" or "bmp"
    std::vector<char> bytes;
    bool hadAlpha = false;  ///< the source had an alpha channel, now dropped
};

/// Turns the picture in data into one the engine reads; false with *error (naming what the data
/// is or why it cannot be held) for other formats, damaged data and pictures over the limits.
bool ToEnginePicture(const unsigned char* data, size_t size, EnginePicture* out,
                     std::string* error);

}  // namespace orix::gltf
