// A captured frame (frame_capture.h) as a file, so that one process can capture a frame and
// another, started fresh, can replay it.
//
// The layout is plain little-endian fields in the order of the records: the magic "ORIXCAPT",
// a version, the frame's size, depth and clear, then the textures, the draws and the texts, each
// list led by its count. The version changes whenever a record does; a reader refuses any other.
// Reading trusts nothing: every count, size, enum and texture index is checked against what the
// file still holds and what the records allow, and the whole file is at most kMaxCaptureBytes.
//
// Depends on the file layer (the file is written complete or not at all). Benchmark code.
#pragma once

#include <cstdint>
#include <string>

#include "frame_capture.h"

namespace orix::bench {

constexpr uint64_t kMaxCaptureBytes = uint64_t{256} << 20;

// Writes frame to path; false, with *error, when it cannot.
bool WriteCapturedFrame(const std::string& path, const CapturedFrame& frame, std::string* error);
// Reads path into *frame; false, with *error, when the file cannot be read or is not a whole
// capture of this version.
bool ReadCapturedFrame(const std::string& path, CapturedFrame* frame, std::string* error);

}  // namespace orix::bench
