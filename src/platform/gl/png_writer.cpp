// WritePng: an RGBA frame as an 8-bit RGBA PNG, through the file layer, so a failure never
// leaves a partial file under the real name.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "files/output_file.h"
#include "platform/graphics_device.h"

namespace orix {

namespace {

// Kept apart from WritePng so that no object with a destructor lives across setjmp.
bool WriteRows(FILE* file, const FrameImage& image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = size_t(image.width) * 4;
    for (uint32_t y = 0; y < image.height; ++y)
        png_write_row(png, const_cast<png_bytep>(image.rgba.data() + y * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const FrameImage& image) {
    if (path.empty() || image.width == 0 || image.height == 0 ||
        image.rgba.size() < size_t(image.width) * image.height * 4)
        return false;
    OutputFile file;
    std::string error;
    if (!file.Open(path, &error) || !file.Stream()) return false;
    if (!WriteRows(file.Stream(), image)) return false;
    return file.Commit(&error);
}

}  // namespace orix
