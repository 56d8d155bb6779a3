// libFuzzer target: TGA and PNG files through ParseTga and ParsePng. Each parser refuses the
// other's files by their first bytes, so every input goes through both.
#include <cstddef>
#include <cstdint>

#include "picture/tga_png_picture.h"

namespace {

// A TGA header of a few bytes may claim a picture of hundreds of megabytes.
constexpr uint32_t kFuzzMaxSide = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::BitmapPtr tga = orix::ParseTga(data, size, kFuzzMaxSide);
    orix::BitmapPtr png = orix::ParsePng(data, size, kFuzzMaxSide);
    (void)tga;
    (void)png;
    return 0;
}
