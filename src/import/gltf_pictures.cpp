#include "import/gltf_pictures.h"

#include <png.h>

#include <cstring>

#include "picture/bmp_picture.h"
#include "platform/bitmap.h"

namespace orix::gltf {

namespace {

void PutU32(std::vector<char>* out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*out)[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit BMP of top-down RGB rows.
std::vector<char> BmpOf(const unsigned char* rgb, uint32_t width, uint32_t height) {
    const uint32_t pitch = (width * 3 + 3) & ~3u;
    const uint32_t pixels = pitch * height;
    std::vector<char> out(54 + size_t(pixels), 0);
    out[0] = 'B', out[1] = 'M';
    PutU32(&out, 2, 54 + pixels);
    PutU32(&out, 10, 54);
    PutU32(&out, 14, 40);
    PutU32(&out, 18, width);
    PutU32(&out, 22, height);
    out[26] = 1;
    out[28] = 24;
    PutU32(&out, 34, pixels);
    for (uint32_t y = 0; y < height; ++y) {
        const unsigned char* row = rgb + size_t(height - 1 - y) * width * 3;
        char* to = out.data() + 54 + size_t(y) * pitch;
        for (uint32_t x = 0; x < width; ++x) {
            to[x * 3] = char(row[x * 3 + 2]);
            to[x * 3 + 1] = char(row[x * 3 + 1]);
            to[x * 3 + 2] = char(row[x * 3]);
        }
    }
    return out;
}

bool FromPng(const unsigned char* data, size_t size, EnginePicture* out, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        *error = std::string("damaged PNG picture: ") + image.message;
        return false;
    }
    std::string refusal = PictureSizeRefusal(image.width, image.height);
    if (!refusal.empty()) {
        png_image_free(&image);
        *error = "PNG picture: " + refusal;
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        *error = std::string("damaged PNG picture: ") + image.message;
        png_image_free(&image);
        return false;
    }
    // Transparent pixels are composed over black, the engine's colour key.
    std::vector<unsigned char> rgb(size_t(image.width) * image.height * 3);
    for (size_t i = 0; i < size_t(image.width) * image.height; ++i) {
        const unsigned a = rgba[i * 4 + 3];
        out->hadAlpha = out->hadAlpha || a < 255;
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + size_t(c)] = uint8_t(rgba[i * 4 + size_t(c)] * a / 255);
    }
    out->extension = "bmp";
    out->bytes = BmpOf(rgb.data(), image.width, image.height);
    return true;
}

// The frame size of a JPEG, from its first start-of-frame marker.
bool JpegSize(const unsigned char* d, size_t size, uint32_t* width, uint32_t* height) {
    size_t i = 2;
    while (i + 4 <= size) {
        if (d[i] != 0xFF) return false;
        uint8_t marker = d[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        size_t length = size_t(d[i + 2]) << 8 | d[i + 3];
        bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (i + 9 > size) return false;
            *height = uint32_t(d[i + 5]) << 8 | d[i + 6];
            *width = uint32_t(d[i + 7]) << 8 | d[i + 8];
            return true;
        }
        if (length < 2) return false;
        i += 2 + length;
    }
    return false;
}

}  // namespace

bool ToEnginePicture(const unsigned char* data, size_t size, EnginePicture* out,
                     std::string* error) {
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return FromPng(data, size, out, error);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        uint32_t width = 0, height = 0;
        if (!JpegSize(data, size, &width, &height)) {
            *error = "damaged JPEG picture: no frame header";
            return false;
        }
        std::string refusal = PictureSizeRefusal(width, height);
        if (!refusal.empty()) {
            *error = "JPEG picture: " + refusal;
            return false;
        }
        out->extension = "jpg";
        out->bytes.assign(data, data + size);
        return true;
    }
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        std::string tooLarge;
        BitmapPtr bitmap = ParseBmp(data, size, 0, &tooLarge);
        if (!bitmap) {
            *error = tooLarge.empty() ? "damaged BMP picture" : "BMP picture: " + tooLarge;
            return false;
        }
        out->extension = "bmp";
        out->bytes.assign(data, data + size);
        return true;
    }
    *error = "a picture in a format the engine cannot read (PNG, JPEG and BMP are read)";
    return false;
}

}  // namespace orix::gltf
