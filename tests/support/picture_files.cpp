#include "support/picture_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <png.h>

#include "platform/messages.h"

namespace orix::test {

PictureTempDir::PictureTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orix-pictures-XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    path_ = made ? made : "";
}

PictureTempDir::~PictureTempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool WriteJpeg(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
               const JpegOptions& options) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    bool inks = options.cmyk || options.ycck;
    int components = options.greyscale ? 1 : inks ? 4 : 3;
    cinfo.input_components = components;
    cinfo.in_color_space = options.greyscale ? JCS_GRAYSCALE : inks ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (options.ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (!options.subsample) {
        for (int i = 0; i < cinfo.num_components; ++i) {
            cinfo.comp_info[i].h_samp_factor = 1;
            cinfo.comp_info[i].v_samp_factor = 1;
        }
    }
    if (options.progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = options.arithmetic;
    cinfo.restart_interval = static_cast<unsigned>(std::max(0, options.restartInterval));
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* src = rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3;
        for (int x = 0; x < width; ++x) {
            if (components == 1) {
                row[x] = src[x * 3];
            } else if (components == 3) {
                std::memcpy(&row[x * 3], src + x * 3, 3);
            } else {
                // Black takes what the three inks share; each ink, stored inverted, is what is
                // left of its channel's light once black is taken out.
                int k = 255 - std::max({src[x * 3], src[x * 3 + 1], src[x * 3 + 2]});
                for (int c = 0; c < 3; ++c) {
                    int ink = k == 255 ? 0 : (255 - src[x * 3 + c] - k) * 255 / (255 - k);
                    row[x * 4 + c] = static_cast<uint8_t>(255 - ink);
                }
                row[x * 4 + 3] = static_cast<uint8_t>(255 - k);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

std::vector<uint8_t> ReferenceDecodeJpeg(const std::string& path, int* width, int* height) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::vector<uint8_t> out;
    if (bytes.empty()) return out;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    out.resize(static_cast<size_t>(*width) * *height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(cinfo.output_scanline) * *width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

std::vector<uint8_t> TestPattern(int width, int height) {
    static const uint8_t kColors[][3] = {{255, 0, 0},     {0, 255, 0},   {0, 0, 255},
                                         {255, 255, 255}, {0, 0, 0},     {255, 255, 0},
                                         {0, 255, 255},   {255, 0, 255}, {128, 128, 128}};
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size() / 3; ++i) std::memcpy(&rgb[i * 3], kColors[i % 9], 3);
    return rgb;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return !out.fail();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace {
void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
}  // namespace

std::vector<uint8_t> MakeBmp(const BmpSpec& shape) {
    std::vector<uint8_t> info;
    Put32(info, shape.headerSize);
    Put32(info, static_cast<uint32_t>(shape.width));
    Put32(info, static_cast<uint32_t>(shape.height));
    Put16(info, 1);
    Put16(info, shape.bitCount);
    Put32(info, shape.compression);
    Put32(info, static_cast<uint32_t>(shape.pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, shape.colorsUsed);
    Put32(info, 0);
    for (uint32_t m : shape.masks) Put32(info, m);
    while (info.size() < shape.headerSize) info.push_back(0);
    for (uint32_t c : shape.colorTable) Put32(info, c & 0x00FFFFFF);

    std::vector<uint8_t> file;
    uint32_t offBits = static_cast<uint32_t>(14 + info.size());
    if (shape.offBitsOverride >= 0) offBits = static_cast<uint32_t>(shape.offBitsOverride);
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<uint32_t>(14 + info.size() + shape.pixels.size()));
    Put32(file, 0);
    Put32(file, offBits);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), shape.pixels.begin(), shape.pixels.end());
    return file;
}

std::vector<uint8_t> MakeTga(int width, int height, const std::vector<uint8_t>& rgba, int bits,
                             bool rle) {
    std::vector<uint8_t> file(18, 0);
    file[2] = rle ? 10 : 2;
    file[12] = uint8_t(width), file[13] = uint8_t(width >> 8);
    file[14] = uint8_t(height), file[15] = uint8_t(height >> 8);
    file[16] = uint8_t(bits);
    file[17] = bits == 32 ? 8 : 0;  // alpha bits; origin bottom left
    const size_t bytes = size_t(bits / 8);
    std::vector<uint8_t> pixels;  // bottom row first, blue-green-red(-alpha)
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            const uint8_t stored[4] = {p[2], p[1], p[0], p[3]};
            pixels.insert(pixels.end(), stored, stored + bytes);
        }
    }
    if (!rle) {
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
    const size_t count = pixels.size() / bytes;
    auto same = [&](size_t a, size_t b) {
        return std::equal(&pixels[a * bytes], &pixels[a * bytes] + bytes, &pixels[b * bytes]);
    };
    for (size_t i = 0; i < count;) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run > 1) {
            file.push_back(uint8_t(0x80 | (run - 1)));
            file.insert(file.end(), &pixels[i * bytes], &pixels[i * bytes] + bytes);
        } else {
            // A raw stretch, up to where a run begins.
            while (i + run < count && run < 128 &&
                   !(i + run + 1 < count && same(i + run, i + run + 1)))
                ++run;
            file.push_back(uint8_t(run - 1));
            file.insert(file.end(), &pixels[i * bytes], &pixels[(i + run) * bytes]);
        }
        i += run;
    }
    return file;
}

std::vector<uint8_t> MakePng(int width, int height, const std::vector<uint8_t>& rgba, bool alpha) {
    std::vector<uint8_t> pixels;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        pixels.insert(pixels.end(), &rgba[i], &rgba[i] + (alpha ? 4 : 3));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr)) return {};
    std::vector<uint8_t> file(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr))
        return {};
    file.resize(size);
    return file;
}

namespace {
std::vector<CapturedMessage> capturedMessages;
std::vector<int> capturedExits;
}  // namespace

MessageCapture::MessageCapture() {
    Clear();
    SetMessageBoxHook([](const std::string& text, const std::string& caption) {
        capturedMessages.push_back({text, caption});
    });
    SetExitHook([](int code) { capturedExits.push_back(code); });
}

MessageCapture::~MessageCapture() {
    SetMessageBoxHook(nullptr);
    SetExitHook(nullptr);
}

const std::vector<CapturedMessage>& MessageCapture::Messages() const {
    return capturedMessages;
}
const std::vector<int>& MessageCapture::ExitCodes() const {
    return capturedExits;
}

void MessageCapture::Clear() {
    capturedMessages.clear();
    capturedExits.clear();
}

}  // namespace orix::test
