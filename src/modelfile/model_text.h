/// \file
/// What a model file is, told by its content: the BNE magic, the binary glTF magic, a glTF JSON
/// text (an object with an "asset" member near its start), or an ASE export's text (a keyword
/// line near its start), in UTF-8 or in UTF-16 of either byte order with its byte-order mark. The
/// file's name plays no part, so an export saved as .txt reads as one.
///
/// Depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orix {

enum class ModelFileType { Bne, Ase, Gltf, Unknown };

/// The first bytes of a file that DetectModelFileType looks at: more tell nothing more.
constexpr size_t kModelTypeProbeBytes = 128 * 1024;

/// The type of a file whose bytes are data.
ModelFileType DetectModelFileType(const char* data, size_t size);

/// The text of an ASE export as the reader takes it: UTF-16 (with its mark, either byte order)
/// becomes UTF-8, unpaired surrogates U+FFFD; a UTF-8 mark is dropped; other bytes pass as they
/// are. False, with out untouched, when the data has no UTF-16 or UTF-8 mark (nothing to do).
bool DecodeAseText(const char* data, size_t size, std::string* out);

/// True when a line in the first 64 KB begins (after blanks) with '*' and a capital letter.
bool HasAseKeywordLine(const char* data, size_t size);

}  // namespace orix
