#include "picture/bmp_picture.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "files/byte_cursor.h"
#include "files/input_file.h"
#include "files/path_text.h"
#include "picture/held_pictures.h"
#include "platform/messages.h"

namespace orix {

namespace {

enum : uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiAlphaBitfields = 6,
};

struct Header {
    int32_t width = 0;
    int32_t height = 0;  // negative: top-down rows
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;
    uint32_t masks[3] = {};
    bool core = false;  // OS/2 1.x header: 16-bit sizes, three-byte colour entries
};

bool ReadInfoHeader(ByteCursor& c, uint32_t headerSize, Header* h) {
    size_t start = c.Offset() - 4;  // the size field was read already
    if (headerSize == 12) {
        uint16_t w, hh, planes;
        if (!c.ReadU16(&w) || !c.ReadU16(&hh) || !c.ReadU16(&planes) || !c.ReadU16(&h->bitCount))
            return false;
        h->width = w;
        h->height = hh;
        h->core = true;
        return true;
    }
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124) {
        return false;
    }
    uint16_t planes;
    uint32_t resolution, important;
    if (!c.ReadI32(&h->width) || !c.ReadI32(&h->height) || !c.ReadU16(&planes) ||
        !c.ReadU16(&h->bitCount) || !c.ReadU32(&h->compression) || !c.ReadU32(&h->sizeImage) ||
        !c.ReadU32(&resolution) || !c.ReadU32(&resolution) || !c.ReadU32(&h->colorsUsed) ||
        !c.ReadU32(&important)) {
        return false;
    }
    bool bitfields = h->compression == kBiBitfields || h->compression == kBiAlphaBitfields;
    if (headerSize >= 52 || bitfields) {
        // A 40-byte header keeps its masks right behind it; larger headers hold them inside.
        if (!c.ReadU32(&h->masks[0]) || !c.ReadU32(&h->masks[1]) || !c.ReadU32(&h->masks[2]))
            return false;
    }
    size_t end = start + headerSize;
    if (headerSize == 40 && bitfields) end += (h->compression == kBiAlphaBitfields) ? 16 : 12;
    return c.Seek(end);
}

bool ContiguousMask(uint32_t mask, int bits) {
    if (!mask) return false;
    if (bits < 32 && (mask >> bits)) return false;
    while (!(mask & 1)) mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

bool ValidLayout(const Header& h) {
    switch (h.bitCount) {
        case 1:
        case 24:
            return h.compression == kBiRgb;
        case 4:
            return h.compression == kBiRgb || h.compression == kBiRle4;
        case 8:
            return h.compression == kBiRgb || h.compression == kBiRle8;
        case 16:
        case 32:
            if (h.compression == kBiRgb) return true;
            if (h.compression != kBiBitfields && h.compression != kBiAlphaBitfields) return false;
            for (uint32_t m : h.masks) {
                if (!ContiguousMask(m, h.bitCount)) return false;
            }
            return true;
        default:
            return false;
    }
}

bool ReadColorTable(ByteCursor& c, const Header& h, std::vector<RgbQuad>* table) {
    if (h.bitCount > 8) return true;
    size_t full = size_t{1} << h.bitCount;
    size_t count = (h.colorsUsed && !h.core) ? h.colorsUsed : full;
    if (count > full) count = full;
    size_t entry = h.core ? 3 : 4;
    if (c.Remaining() / entry < count) return false;
    table->resize(count);
    for (RgbQuad& q : *table) {
        uint8_t pad;
        if (!c.ReadU8(&q.blue) || !c.ReadU8(&q.green) || !c.ReadU8(&q.red)) return false;
        if (!h.core && !c.ReadU8(&pad)) return false;
    }
    return true;
}

bool ReadFile(const std::string& name, std::vector<char>* out) {
    std::string error;
    return ReadPictureBytes(name, out, &error, uint64_t(kMaxPictureFileBytes));
}

// A one-pixel white picture: a plain texture for sprites and materials that only want colour.
const uint8_t kWhiteBmp[] = {
    'B', 'M', 58,  0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                     // file header
    40,  0,   0,   0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,  // info header
    4,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  //
    255, 255, 255, 0,                                                    // the pixel, padded
};

const PictureResource kResources[] = {
    {"orix_white.bmp", kWhiteBmp, sizeof kWhiteBmp},
};

}  // namespace

const PictureResource* FindPictureResource(const std::string& name) {
    for (const PictureResource& r : kResources) {
        if (EqualsIgnoringCase(r.name, name)) return &r;
    }
    return nullptr;
}

bool DecodeBmpRle(const uint8_t* data, size_t size, int bits, Bitmap* target) {
    if ((bits != 4 && bits != 8) || !target || target->bitsPerPixel != bits || !target->IsValid()) {
        return false;
    }
    const int64_t width = target->width, height = target->height;
    ByteCursor c(data, size);
    int64_t x = 0, y = 0;  // y counts rows from the bottom, as RLE data does
    auto put = [&](uint8_t index) {
        if (x < width && y < height) {
            uint8_t* row = target->Row(static_cast<int32_t>(height - 1 - y));
            if (bits == 8) {
                row[x] = index;
            } else {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                            : static_cast<uint8_t>((b & 0x0F) | (index << 4));
            }
        }
        ++x;
    };
    while (y < height) {
        uint8_t count, value;
        if (!c.ReadU8(&count) || !c.ReadU8(&value)) return c.Remaining() == 0;
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                put(bits == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of bitmap
                return true;
            case 2: {  // delta
                uint8_t dx, dy;
                if (!c.ReadU8(&dx) || !c.ReadU8(&dy)) return false;
                x += dx;
                y += dy;
                break;
            }
            default: {  // absolute run of value pixels, padded to a 16-bit boundary
                size_t bytes = bits == 8 ? value : (value + 1u) / 2;
                if (c.Remaining() < bytes) return false;
                const uint8_t* run = c.Peek(bytes);
                for (int i = 0; i < value; ++i) {
                    put(bits == 8 ? run[i] : ((i & 1) ? (run[i / 2] & 0x0F) : (run[i / 2] >> 4)));
                }
                c.Seek(c.Offset() + bytes);
                if ((bytes & 1) && c.Remaining() > 0) c.Seek(c.Offset() + 1);
            }
        }
    }
    return true;
}

BitmapPtr ParseBmp(const uint8_t* data, size_t size, uint32_t maxSide, std::string* tooLarge) {
    if (!data) return nullptr;
    ByteCursor c(data, size);
    uint8_t b, m;
    uint32_t fileSize, reserved, offBits, headerSize;
    if (!c.ReadU8(&b) || !c.ReadU8(&m) || b != 'B' || m != 'M') return nullptr;
    if (!c.ReadU32(&fileSize) || !c.ReadU32(&reserved) || !c.ReadU32(&offBits) ||
        !c.ReadU32(&headerSize)) {
        return nullptr;
    }
    Header h;
    if (!ReadInfoHeader(c, headerSize, &h) || !ValidLayout(h)) return nullptr;
    bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    int64_t height = h.height < 0 ? -int64_t{h.height} : int64_t{h.height};
    if (rle && h.height < 0) return nullptr;  // RLE pictures are bottom-up by definition
    std::string refusal = PictureSizeRefusal(h.width, height, maxSide);
    if (!refusal.empty()) {
        // An empty picture is malformed; only a real size is worth telling the user about.
        if (tooLarge && h.width >= 1 && height >= 1) *tooLarge = refusal;
        return nullptr;
    }

    std::vector<RgbQuad> table;
    if (!ReadColorTable(c, h, &table)) return nullptr;
    size_t pixels = offBits ? offBits : c.Offset();
    if (!c.Seek(pixels)) return nullptr;

    // Rows the file cannot hold are refused before anything is allocated for them.
    size_t rowBytes = static_cast<size_t>(DibPitch(h.width, h.bitCount));
    if (!rle && c.Remaining() / rowBytes < static_cast<size_t>(height)) return nullptr;
    BitmapPtr bm = CreateBitmap(h.width, static_cast<int32_t>(height), h.bitCount);
    if (!bm) return nullptr;
    bm->colorTable = std::move(table);
    if (h.bitCount == 16 || h.bitCount == 32) {
        bool fields = h.compression != kBiRgb;
        bm->redMask = fields ? h.masks[0] : (h.bitCount == 16 ? 0x7C00 : 0xFF0000);
        bm->greenMask = fields ? h.masks[1] : (h.bitCount == 16 ? 0x03E0 : 0x00FF00);
        bm->blueMask = fields ? h.masks[2] : (h.bitCount == 16 ? 0x001F : 0x0000FF);
    }
    if (rle) {
        size_t available = c.Remaining();
        if (h.sizeImage && h.sizeImage < available) available = h.sizeImage;
        if (!DecodeBmpRle(c.Peek(available), available, h.bitCount, bm.get())) return nullptr;
        return bm;
    }
    bm->bottomUp = h.height > 0;
    const uint8_t* rows = c.Peek(bm->bits.size());
    if (!rows) return nullptr;
    std::memcpy(bm->bits.data(), rows, bm->bits.size());
    return bm;
}

BitmapPtr LoadBitmapPicture(const std::string& name, uint32_t maxSide) {
    if (const PictureResource* r = FindPictureResource(name)) {
        return ParseBmp(r->data, r->size, maxSide);
    }
    std::vector<char> file;
    if (!ReadFile(name, &file)) return nullptr;
    std::string tooLarge;
    BitmapPtr picture =
        ParseBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), maxSide, &tooLarge);
    if (!tooLarge.empty()) ShowMessageBox("BMP :\n" + name + ": " + tooLarge + "\n", "OrixFileBmp");
    return picture;
}

}  // namespace orix
