/// \file
/// A record walker over BNE bytes, for `orix dump` and diagnostics: one text line per record with
/// its offset, tag, name and payload, decoded with the shared format table.
///
/// Robust to any bytes: unknown tags are shown and skipped as one-byte records, a record cut short
/// by the end of the data ends the walk with a line saying so, and a wrong magic ends it at once.
/// Depends on: modelfile/bne_format.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace orix {

enum class BneWalkEnd {
    FileEnd,    ///< tag 40 was read
    EndOfData,  ///< the data ended between records, before tag 40
    Truncated,  ///< the data ended inside a record
    BadMagic,   ///< the first four bytes are not "BNE\\0"
};

struct BneWalkSummary {
    BneWalkEnd end = BneWalkEnd::EndOfData;
    size_t records = 0;        ///< records decoded, tag 40 included
    size_t unknownTags = 0;    ///< tag bytes outside 1 to 40 skipped
    size_t trailingBytes = 0;  ///< bytes after tag 40, never read
};

/// Walks data, calling emit once per line (no trailing newline), and says how the walk ended.
BneWalkSummary WalkBne(const uint8_t* data, size_t size,
                       const std::function<void(const std::string&)>& emit);

/// The whole dump as text, one line per record, each ending in '\\n'.
std::string DumpBne(const uint8_t* data, size_t size);

}  // namespace orix
