/// \file
/// Pictures held in memory under a file name: what a model import made (a glTF file's pictures,
/// as the conversion would write them beside the BNE file) is found by the picture loaders under
/// that name before any file, so a model loads straight from its own file without writing any.
///
/// Process-wide, as the built-in picture resources are; single-threaded. Depends on the file layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orix {

/// Holds bytes under name (replacing what was held under it) until ReleaseHeldPictures.
void HoldPicture(const std::string& name, std::vector<char> bytes);
/// True when a picture is held under exactly that name.
bool IsHeldPicture(const std::string& name);
void ReleaseHeldPictures();

/// The bytes of the picture name: the held one, else the file, at most limit bytes; false with
/// *error otherwise.
bool ReadPictureBytes(const std::string& name, std::vector<char>* out, std::string* error,
                      uint64_t limit);

}  // namespace orix
