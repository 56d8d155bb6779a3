// libFuzzer target: JPEG files through the whole picture path (decode, BGR, flip, pad, screen
// depth). The loader reads files, so each input goes through one temporary file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "picture/jpeg_picture.h"

namespace {

// Users' pictures may be as large as a texture holds; the search gains nothing from decoding
// megapixels, so its inputs are held to a side of this many pixels.
constexpr uint32_t kFuzzMaxSide = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/orix-jpeg-fuzz-" + std::to_string(getpid()) + ".jpg";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    orix::BitmapPtr bm = orix::LoadJpegPicture(path, 16, kFuzzMaxSide);
    (void)bm;
    std::remove(path.c_str());
    return 0;
}
