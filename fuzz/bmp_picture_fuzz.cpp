// libFuzzer target: BMP files (headers, colour tables, bit fields, RLE) through ParseBmp, and
// whatever it accepts through a depth conversion.
#include <cstddef>
#include <cstdint>

#include "picture/bmp_picture.h"

namespace {

// Users' pictures may be as large as a texture holds; an RLE file of a few bytes could otherwise
// make every run fill hundreds of megabytes.
constexpr uint32_t kFuzzMaxSide = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::BitmapPtr bm = orix::ParseBmp(data, size, kFuzzMaxSide);
    // Converting a picture of many megapixels proves nothing more and slows the search down.
    if (bm && int64_t{bm->width} * bm->height <= (1 << 20)) {
        orix::BitmapPtr converted = orix::MakeScreenCompatible(*bm, 16);
        (void)converted;
    }
    return 0;
}
