#include "picture/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "files/input_file.h"
#include "picture/held_pictures.h"
#include "platform/messages.h"

namespace orix {

namespace {

const char kCaption[] = "OrixFileJpg";
const char kFatalCaption[] = "JPEG Fatal Error";

// A progressive file may carry any number of scans, each a full pass over the coefficients;
// past this many it is taken for hostile rather than decoded for minutes.
constexpr int kMaxScans = 500;

// Messages of our own that travel through the library's error manager, so they reach the user
// the way its own do.
enum : int { kMsgTooManyScans = 1000 };
const char* const kAddonMessages[] = {"Too many scans in progressive JPEG file (over %d)", nullptr};

// The library hands the error exit only the decompressor; the jump buffer sits right behind the
// error manager that the decompressor points to.
struct JpegErrorContext {
    jpeg_error_mgr manager;
    jmp_buf returnPoint;
    void (*standardEmit)(j_common_ptr, int);
    // The file being decoded: the library's messages name no file, and a model's pictures fail
    // one after another.
    const char* fileName = nullptr;
};

struct LastImageState {
    std::unique_ptr<uint8_t[]> image;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t paddedRowSize = 0;
};

LastImageState& LastImage() {
    static LastImageState state;
    return state;
}

std::string Format(const char* pattern, const std::string& name) {
    std::vector<char> text(std::strlen(pattern) + name.size() + 1);
    std::snprintf(text.data(), text.size(), pattern, name.c_str());
    return text.data();
}

// A file that ends early decodes as grey below the break with only a warning; a picture that
// silently loses its lower part is a failed load here, reported like any other library error.
void JpegEmitMessage(j_common_ptr cinfo, int level) {
    auto* context = reinterpret_cast<JpegErrorContext*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) (*cinfo->err->error_exit)(cinfo);
    context->standardEmit(cinfo, level);
}

void JpegProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = kMsgTooManyScans;
        cinfo->err->msg_parm.i[0] = kMaxScans;
        (*cinfo->err->error_exit)(cinfo);
    }
}

}  // namespace

void JpegErrorExit(jpeg_common_struct* cinfo) {
    auto* context = reinterpret_cast<JpegErrorContext*>(cinfo->err);
    {
        // Everything with a destructor ends inside this block: the jump below skips frames.
        char text[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, text);
        ShowMessageBox(context->fileName ? std::string(context->fileName) + ": " + text : text,
                       kFatalCaption);
    }
    std::longjmp(context->returnPoint, 1);
}

void CopyRgbRow(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex) {
    std::memcpy(image + static_cast<size_t>(rowIndex) * width * 3, row, size_t{width} * 3);
}

void ExpandGreyRow(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex) {
    uint8_t* out = image + static_cast<size_t>(rowIndex) * width * 3;
    for (uint32_t x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = row[x];
}

void CmykRowToRgb(const uint8_t* row, uint32_t width, uint8_t* image, uint32_t rowIndex,
                  bool inverted) {
    uint8_t* out = image + static_cast<size_t>(rowIndex) * width * 3;
    for (uint32_t x = 0; x < width; ++x, out += 3, row += 4) {
        // Inverted files store each ink as 255 minus its amount: what is left of the light.
        unsigned k = inverted ? row[3] : 255u - row[3];
        for (int c = 0; c < 3; ++c) {
            unsigned ink = inverted ? row[c] : 255u - row[c];
            out[c] = static_cast<uint8_t>((ink * k + 127) / 255);
        }
    }
}

void SwapRedBlue(uint8_t* image, uint32_t width, uint32_t height) {
    if (!image) return;
    size_t count = size_t{width} * height;
    for (size_t i = 0; i < count; ++i) std::swap(image[i * 3], image[i * 3 + 2]);
}

bool FlipRows(uint8_t* image, uint32_t rowBytes, uint32_t height) {
    if (!image) return false;
    // Swapping in place needs no temporary rows, so the flip cannot fail half-way.
    for (uint32_t i = 0; i < height / 2; ++i) {
        uint8_t* top = image + static_cast<size_t>(i) * rowBytes;
        uint8_t* bottom = image + static_cast<size_t>(height - 1 - i) * rowBytes;
        std::swap_ranges(top, top + rowBytes, bottom);
    }
    return true;
}

std::vector<uint8_t> PadRows(const uint8_t* image, uint32_t width, uint32_t height,
                             uint32_t* paddedRowSize) {
    uint32_t padded = static_cast<uint32_t>(DibPitch(static_cast<int32_t>(width), 24));
    if (paddedRowSize) *paddedRowSize = padded;
    std::vector<uint8_t> out;
    if (!image) return out;
    try {
        out.assign(size_t{padded} * height, 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(out.data() + size_t{y} * padded, image + size_t{y} * width * 3,
                    size_t{width} * 3);
    }
    return out;
}

std::unique_ptr<uint8_t[]> DecodeJpegFile(const std::string& fileName, uint32_t* width,
                                          uint32_t* height, uint32_t maxSide) {
    *width = 0;
    *height = 0;
    // Read whole and bounded through the file layer; the decoder reads the bytes as a stream.
    std::vector<char> bytes;
    std::string readError;
    FILE* file = ReadPictureBytes(fileName, &bytes, &readError, kMaxInputBytes)
                     ? fmemopen(bytes.data(), bytes.size(), "rb")
                     : nullptr;
    if (!file) {
        ShowMessageBox(Format("JPEG :\nCan't open %s\n", fileName), kCaption);
        return nullptr;
    }

    // Plain C objects only from here to the end of decoding: a library error jumps back to the
    // setjmp below past every frame in between.
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrorContext context;
    cinfo.err = jpeg_std_error(&context.manager);
    context.manager.error_exit = JpegErrorExit;
    context.standardEmit = context.manager.emit_message;
    context.fileName = fileName.c_str();
    context.manager.emit_message = JpegEmitMessage;
    context.manager.addon_message_table = kAddonMessages;
    context.manager.first_addon_message = kMsgTooManyScans;
    context.manager.last_addon_message = kMsgTooManyScans;
    jpeg_progress_mgr progress;
    std::memset(&progress, 0, sizeof progress);
    progress.progress_monitor = JpegProgress;
    uint8_t* volatile image = nullptr;

    if (setjmp(context.returnPoint)) {
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        delete[] image;
        return nullptr;
    }

    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);

    {
        // Refused before the library sizes its buffers for the picture, not after. The text ends
        // with this block, before the library can jump past it.
        std::string tooLarge = PictureSizeRefusal(cinfo.image_width, cinfo.image_height, maxSide);
        if (!tooLarge.empty()) {
            jpeg_destroy_decompress(&cinfo);
            std::fclose(file);
            ShowMessageBox("JPEG :\nPicture too large in " + fileName + ": " + tooLarge + "\n",
                           kCaption);
            return nullptr;
        }
    }
    // Four-channel files come out as CMYK (the library turns YCCK into it); the rows are made RGB
    // below.
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
    }
    jpeg_start_decompress(&cinfo);
    image = new (std::nothrow) uint8_t[size_t{cinfo.output_width} * cinfo.output_height * 3];
    if (!image) {
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        ShowMessageBox("JpegFile :\nOut of memory", kCaption);
        return nullptr;
    }

    uint32_t outWidth = cinfo.output_width;
    uint32_t outHeight = cinfo.output_height;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                outWidth * cinfo.output_components, 1);
    bool complete = true;
    while (cinfo.output_scanline < cinfo.output_height) {
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) {
            complete = false;  // a suspending source only; stdio never suspends
            break;
        }
        uint32_t rowIndex = cinfo.output_scanline - 1;
        if (cinfo.out_color_components == 3) {
            CopyRgbRow(row[0], outWidth, image, rowIndex);
        } else if (cinfo.out_color_components == 1) {
            ExpandGreyRow(row[0], outWidth, image, rowIndex);
        } else if (cinfo.out_color_components == 4) {
            CmykRowToRgb(row[0], outWidth, image, rowIndex, cinfo.saw_Adobe_marker);
        }
    }
    if (complete) jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    if (!complete) {
        delete[] image;
        return nullptr;
    }
    *width = outWidth;
    *height = outHeight;
    return std::unique_ptr<uint8_t[]>(image);
}

BitmapPtr LoadJpegDib(const std::string& fileName, uint32_t maxSide) {
    LastImageState& last = LastImage();
    last.image.reset();
    last.width = last.height = last.paddedRowSize = 0;

    last.image = DecodeJpegFile(fileName, &last.width, &last.height, maxSide);
    if (!last.image) return nullptr;
    uint8_t* image = last.image.get();
    SwapRedBlue(image, last.width, last.height);
    FlipRows(image, last.width * 3, last.height);
    std::vector<uint8_t> padded = PadRows(image, last.width, last.height, &last.paddedRowSize);
    if (padded.empty()) {
        ShowMessageBox("JpegFile :\nOut of memory", kCaption);
        return nullptr;
    }
    auto dib = std::make_unique<Bitmap>();
    dib->width = static_cast<int32_t>(last.width);
    dib->height = static_cast<int32_t>(last.height);
    dib->bitsPerPixel = 24;
    dib->pitch = static_cast<int32_t>(last.paddedRowSize);
    dib->bottomUp = true;
    dib->bits = std::move(padded);
    return dib;
}

BitmapPtr LoadJpegPicture(const std::string& fileName, uint32_t screenBits, uint32_t maxSide) {
    BitmapPtr dib = LoadJpegDib(fileName, maxSide);
    if (!dib || screenBits == 24) return dib;
    return MakeScreenCompatible(*dib, screenBits);
}

JpegLastImage LastJpegImage() {
    const LastImageState& last = LastImage();
    return {last.image.get(), last.width, last.height, last.paddedRowSize};
}

}  // namespace orix
