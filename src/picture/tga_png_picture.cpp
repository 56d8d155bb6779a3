#include "picture/tga_png_picture.h"

#include <png.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "files/input_file.h"
#include "platform/messages.h"

namespace orix {

namespace {

constexpr size_t kTgaHeaderBytes = 18;

uint32_t Le16(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}

// What a TGA's header says, as stb_image reads it.
struct TgaHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    bool rle = false;
    size_t pixelBytes = 0;  // per stored pixel (or colour index)
    size_t pixelStart = 0;  // where the pixel data begins
};

// stb_image takes any format it knows from any buffer, and reads past the end of a TGA as zeros;
// so the header is checked here to be a TGA stb will decode as one (its other formats all differ
// from a TGA in the second or third byte), and the size of the data it will read is worked out.
bool ReadTgaHeader(const uint8_t* data, size_t size, TgaHeader* h) {
    if (size < kTgaHeaderBytes) return false;
    const uint32_t mapType = data[1], imageType = data[2], bits = data[16];
    const uint32_t mapStart = Le16(data + 3), mapLength = Le16(data + 5), mapBits = data[7];
    auto depthOk = [](uint32_t b) { return b == 8 || b == 15 || b == 16 || b == 24 || b == 32; };
    if (mapType == 1) {
        if (imageType != 1 && imageType != 9) return false;
        if (!depthOk(mapBits) || (bits != 8 && bits != 16) || mapLength == 0) return false;
    } else if (mapType != 0 ||
               (imageType != 2 && imageType != 3 && imageType != 10 && imageType != 11) ||
               !depthOk(bits)) {
        return false;
    }
    h->width = Le16(data + 12);
    h->height = Le16(data + 14);
    h->rle = imageType >= 9;
    h->pixelBytes = (bits + 7) / 8;
    h->pixelStart = kTgaHeaderBytes + data[0];
    // stb skips the map's first-entry count before the map, though the format would not.
    if (mapType == 1) h->pixelStart += mapStart + size_t{mapLength} * ((mapBits + 7) / 8);
    return true;
}

// Whether the file holds every pixel the header promises: the rows, or RLE packets covering them.
bool TgaPixelsPresent(const uint8_t* data, size_t size, const TgaHeader& h) {
    if (h.pixelStart > size) return false;
    size_t left = size - h.pixelStart;
    uint64_t pixels = uint64_t{h.width} * h.height;
    if (!h.rle) return left / h.pixelBytes >= pixels;
    // Every packet takes at least two bytes, so the walk ends within the file's size.
    const uint8_t* p = data + h.pixelStart;
    while (pixels > 0) {
        if (left < 1) return false;
        uint8_t head = *p;
        // The decoder stops at the last pixel, even inside a packet.
        uint64_t count = std::min<uint64_t>(1u + (head & 127u), pixels);
        size_t bytes = 1 + ((head & 128u) ? h.pixelBytes : size_t(count) * h.pixelBytes);
        if (left < bytes) return false;
        p += bytes;
        left -= bytes;
        pixels -= count;
    }
    return true;
}

// A top-down 32-bit bitmap whose bytes are blue, green, red, alpha, as a 32-bit BMP's.
BitmapPtr MakeBgraBitmap(uint32_t width, uint32_t height) {
    BitmapPtr bm = CreateBitmap(int32_t(width), int32_t(height), 32);
    if (!bm) return nullptr;
    bm->bottomUp = false;
    bm->redMask = 0xFF0000;
    bm->greenMask = 0x00FF00;
    bm->blueMask = 0x0000FF;
    return bm;
}

bool Refused(uint32_t width, uint32_t height, uint32_t maxSide, std::string* tooLarge) {
    std::string refusal = PictureSizeRefusal(width, height, maxSide);
    if (refusal.empty()) return false;
    // An empty picture is malformed; only a real size is worth telling the user about.
    if (tooLarge && width >= 1 && height >= 1) *tooLarge = refusal;
    return true;
}

using Parser = BitmapPtr (*)(const uint8_t*, size_t, uint32_t, std::string*);

BitmapPtr LoadPicture(const std::string& fileName, uint32_t maxSide, Parser parse,
                      const char* format, const char* caption) {
    std::vector<char> file;
    std::string error;
    if (!ReadWholeFile(fileName, &file, &error, uint64_t(kMaxPictureFileBytes))) return nullptr;
    std::string tooLarge;
    BitmapPtr picture =
        parse(reinterpret_cast<const uint8_t*>(file.data()), file.size(), maxSide, &tooLarge);
    if (!tooLarge.empty())
        ShowMessageBox(std::string(format) + " :\n" + fileName + ": " + tooLarge + "\n", caption);
    return picture;
}

}  // namespace

BitmapPtr ParseTga(const uint8_t* data, size_t size, uint32_t maxSide, std::string* tooLarge) {
    TgaHeader h;
    if (!data || size > uint64_t(kMaxPictureFileBytes) || !ReadTgaHeader(data, size, &h))
        return nullptr;
    if (Refused(h.width, h.height, maxSide, tooLarge)) return nullptr;
    if (!TgaPixelsPresent(data, size, h)) return nullptr;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (!rgba) return nullptr;
    BitmapPtr bm;
    if (uint32_t(width) == h.width && uint32_t(height) == h.height)
        bm = MakeBgraBitmap(h.width, h.height);
    if (bm) {
        uint8_t* out = bm->bits.data();
        const size_t count = size_t{h.width} * h.height;
        for (size_t i = 0; i < count; ++i, out += 4) {
            const stbi_uc* in = rgba + i * 4;
            out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3];
        }
    }
    stbi_image_free(rgba);
    return bm;
}

BitmapPtr ParsePng(const uint8_t* data, size_t size, uint32_t maxSide, std::string* tooLarge) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature))
        return nullptr;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    // The simplified API keeps libpng's errors and warnings in the image record: nothing is
    // printed and nothing jumps past this frame.
    if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
    BitmapPtr bm;
    if (!Refused(image.width, image.height, maxSide, tooLarge)) {
        bm = MakeBgraBitmap(image.width, image.height);
    }
    if (!bm) {
        png_image_free(&image);
        return nullptr;
    }
    image.format = PNG_FORMAT_BGRA;
    // Rows are read into the bitmap as they come; a file that ends early fails here.
    if (!png_image_finish_read(&image, nullptr, bm->bits.data(), bm->pitch, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    return bm;
}

BitmapPtr LoadTgaPicture(const std::string& fileName, uint32_t maxSide) {
    return LoadPicture(fileName, maxSide, ParseTga, "TGA", "OrixFileTga");
}

BitmapPtr LoadPngPicture(const std::string& fileName, uint32_t maxSide) {
    return LoadPicture(fileName, maxSide, ParsePng, "PNG", "OrixFilePng");
}

}  // namespace orix
