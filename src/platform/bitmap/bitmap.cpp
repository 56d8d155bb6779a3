#include "platform/bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics_device.h"

namespace orix {

namespace {

constexpr uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

bool ValidDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

int LowestBit(uint32_t mask) {
    int shift = 0;
    while (shift < 32 && !(mask & (1u << shift))) ++shift;
    return shift;
}

int BitWidth(uint32_t mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// One channel of a packed pixel, scaled to 0..255 so that a full channel stays full.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m), shift(LowestBit(m)) {
        int width = std::min(BitWidth(m), 31);
        max = width ? (1u << width) - 1 : 0;
    }
    uint32_t Decode(uint32_t pixel) const {
        if (!max) return 0;
        uint32_t v = (pixel & mask) >> shift;
        return static_cast<uint32_t>((uint64_t{v} * 255 + max / 2) / max);
    }
    // Truncates, as GDI does when it drops colour depth.
    uint32_t Encode(uint32_t c8) const {
        if (!max) return 0;
        uint32_t v = static_cast<uint32_t>(uint64_t{c8} * (uint64_t{max} + 1) / 256);
        return (v << shift) & mask;
    }
};

struct Masks {
    uint32_t r, g, b;
};

Masks BitmapMasks(const Bitmap& bm) {
    if (bm.redMask | bm.greenMask | bm.blueMask) return {bm.redMask, bm.greenMask, bm.blueMask};
    if (bm.bitsPerPixel == 16) return {kMask565[0], kMask565[1], kMask565[2]};
    return {kMask888[0], kMask888[1], kMask888[2]};
}

uint32_t ReadIndex(const uint8_t* row, int32_t x, int bits) {
    switch (bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default:
            return row[x];
    }
}

void WriteIndex(uint8_t* row, int32_t x, int bits, uint32_t index) {
    switch (bits) {
        case 1: {
            uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>(index & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
            break;
        }
        case 4: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                        : static_cast<uint8_t>((b & 0x0F) | ((index & 0x0F) << 4));
            break;
        }
        default:
            row[x] = static_cast<uint8_t>(index);
    }
}

uint32_t ReadPacked(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void WritePacked(uint8_t* p, int bytes, uint32_t v) {
    for (int i = 0; i < bytes; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

uint32_t QuadRgb(const RgbQuad& q) {
    return (uint32_t{q.red} << 16) | (uint32_t{q.green} << 8) | q.blue;
}

std::vector<RgbQuad> VgaColorTable() {
    static const uint32_t kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<RgbQuad> table(16);
    for (int i = 0; i < 16; ++i) {
        table[i].red = static_cast<uint8_t>(kVga[i] >> 16);
        table[i].green = static_cast<uint8_t>(kVga[i] >> 8);
        table[i].blue = static_cast<uint8_t>(kVga[i]);
    }
    return table;
}

std::vector<RgbQuad> DefaultTableFor(int bits) {
    if (bits == 1) {
        std::vector<RgbQuad> t(2);
        t[1] = {255, 255, 255, 0};
        return t;
    }
    if (bits == 4) return VgaColorTable();
    return DefaultColorTable8();
}

// Nearest colour-table entry, remembered per 15-bit colour so a large picture costs one search
// per distinct colour rather than one per pixel.
class NearestEntry {
public:
    explicit NearestEntry(const std::vector<RgbQuad>& table) : table_(table), cache_(32768, -1) {}
    uint32_t Find(uint32_t rgb) {
        uint32_t key = ((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x03E0) | ((rgb >> 3) & 0x001F);
        if (cache_[key] >= 0) return static_cast<uint32_t>(cache_[key]);
        int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        int best = 0;
        int bestDistance = 1 << 30;
        for (size_t i = 0; i < table_.size(); ++i) {
            int dr = r - table_[i].red, dg = g - table_[i].green, db = b - table_[i].blue;
            int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        cache_[key] = static_cast<int16_t>(best);
        return static_cast<uint32_t>(best);
    }

private:
    const std::vector<RgbQuad>& table_;
    std::vector<int16_t> cache_;
};

// Where converted pixels go: a row-addressed buffer in an indexed or a packed RGB format.
struct Target {
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    int depth = 0;
    bool indexed = false;
    uint32_t masks[4] = {};  // red, green, blue, alpha
};

// Fills target from src. keepIndices copies src's indices; otherwise indexed targets take the
// nearest entry of table.
// Pixels of a valid bitmap as 0xRRGGBB values, with its masks and colour table read once.
class RowReader {
public:
    explicit RowReader(const Bitmap& src) : src_(src) {
        Masks m = BitmapMasks(src);
        r_ = Channel(m.r), g_ = Channel(m.g), b_ = Channel(m.b);
        for (size_t i = 0; i < src.colorTable.size() && i < 256; ++i)
            palette_[i] = QuadRgb(src.colorTable[i]);
    }

    // Pixel x of a row of the bitmap as 0xRRGGBB.
    uint32_t Pixel(const uint8_t* row, int32_t x) const {
        const int bits = src_.bitsPerPixel;
        if (bits <= 8) {
            uint32_t index = ReadIndex(row, x, bits);
            return index < src_.colorTable.size() ? palette_[index] : 0;
        }
        if (bits == 24) {
            const uint8_t* p = row + x * 3;
            return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
        uint32_t v = ReadPacked(row + x * (bits / 8), bits / 8);
        return (r_.Decode(v) << 16) | (g_.Decode(v) << 8) | b_.Decode(v);
    }

    void Read(int32_t y, int32_t count, uint32_t* out) const {
        const uint8_t* row = src_.Row(y);
        for (int32_t x = 0; x < count; ++x) out[x] = Pixel(row, x);
    }

private:
    const Bitmap& src_;
    Channel r_{0}, g_{0}, b_{0};
    uint32_t palette_[256] = {};
};

// Fills target from src. keepIndices copies src's indices; otherwise indexed targets take the
// nearest entry of table. Packed targets go a row at a time through per-channel tables, as a
// large picture would otherwise spend seconds here.
void Convert(const Bitmap& src, const Target& target, bool keepIndices,
             const std::vector<RgbQuad>& table) {
    int32_t w = std::min(src.width, target.width);
    int32_t h = std::min(src.height, target.height);
    if (w <= 0 || h <= 0) return;
    const bool valid = src.IsValid();
    std::vector<uint32_t> rgb(static_cast<size_t>(w), 0);
    RowReader reader(src);
    if (target.indexed) {
        NearestEntry nearest(table);
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* in = src.Row(y);
            uint8_t* out = target.bits + static_cast<ptrdiff_t>(y) * target.pitch;
            if (!keepIndices && valid) reader.Read(y, w, rgb.data());
            for (int32_t x = 0; x < w; ++x) {
                uint32_t index = keepIndices ? ReadIndex(in, x, src.bitsPerPixel)
                                             : nearest.Find(rgb[static_cast<size_t>(x)]);
                WriteIndex(out, x, target.depth, index);
            }
        }
        return;
    }
    Channel r(target.masks[0]), g(target.masks[1]), b(target.masks[2]);
    uint32_t encodeR[256], encodeG[256], encodeB[256];
    for (uint32_t c = 0; c < 256; ++c) {
        encodeR[c] = r.Encode(c) | target.masks[3];
        encodeG[c] = g.Encode(c);
        encodeB[c] = b.Encode(c);
    }
    const int bytes = target.depth / 8;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* out = target.bits + static_cast<ptrdiff_t>(y) * target.pitch;
        if (valid) reader.Read(y, w, rgb.data());
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = rgb[static_cast<size_t>(x)];
            uint32_t v = encodeR[(c >> 16) & 0xFF] | encodeG[(c >> 8) & 0xFF] | encodeB[c & 0xFF];
            if (bytes == 2) {
                out[2 * x] = static_cast<uint8_t>(v);
                out[2 * x + 1] = static_cast<uint8_t>(v >> 8);
            } else {
                WritePacked(out + x * bytes, bytes, v);
            }
        }
    }
}

bool HasUsableTable(const Bitmap& bm, int targetBits) {
    return bm.bitsPerPixel <= 8 && !bm.colorTable.empty() &&
           bm.colorTable.size() <= (size_t{1} << targetBits) && bm.bitsPerPixel <= targetBits;
}

}  // namespace

int32_t DibPitch(int32_t width, int32_t bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    int64_t bitsPerRow = int64_t{width} * bitsPerPixel;
    return static_cast<int32_t>((bitsPerRow + 31) / 32 * 4);
}

const uint8_t* Bitmap::Row(int32_t y) const {
    if (y < 0 || y >= height) return nullptr;
    int32_t stored = bottomUp ? height - 1 - y : y;
    return bits.data() + static_cast<size_t>(stored) * static_cast<size_t>(pitch);
}

uint8_t* Bitmap::Row(int32_t y) {
    return const_cast<uint8_t*>(static_cast<const Bitmap*>(this)->Row(y));
}

bool Bitmap::IsValid() const {
    if (width <= 0 || height <= 0 || !ValidDepth(bitsPerPixel)) return false;
    if (pitch < DibPitch(width, bitsPerPixel)) return false;
    return bits.size() >= static_cast<size_t>(pitch) * static_cast<size_t>(height);
}

uint32_t Bitmap::PixelRgb(int32_t x, int32_t y) const {
    if (x < 0 || x >= width || !IsValid()) return 0;
    const uint8_t* row = Row(y);
    return row ? RowReader(*this).Pixel(row, x) : 0;
}

std::string PictureSizeRefusal(int64_t width, int64_t height, uint32_t maxSide) {
    const int64_t side =
        maxSide == 0 || maxSide > uint32_t{kMaxBitmapSide} ? kMaxBitmapSide : int64_t{maxSide};
    if (width >= 1 && height >= 1 && width <= side && height <= side &&
        width * height * 4 <= kMaxPictureBytes) {
        return {};
    }
    return "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; the limit is " + std::to_string(side) + " pixels a side and " +
           std::to_string(kMaxPictureBytes >> 20) + " MiB of pixels";
}

BitmapPtr CreateBitmap(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    if (!ValidDepth(bitsPerPixel)) return nullptr;
    if (!PictureSizeRefusal(width, height).empty()) return nullptr;
    auto bm = std::make_unique<Bitmap>();
    bm->width = width;
    bm->height = height;
    bm->bitsPerPixel = bitsPerPixel;
    bm->pitch = DibPitch(width, bitsPerPixel);
    bm->bits.assign(static_cast<size_t>(bm->pitch) * static_cast<size_t>(height), 0);
    return bm;
}

std::vector<RgbQuad> DefaultColorTable8() {
    std::vector<RgbQuad> table(256);
    for (uint32_t i = 0; i < 256; ++i) {
        table[i].red = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7);
        table[i].green = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
        table[i].blue = static_cast<uint8_t>((i & 3) * 255 / 3);
    }
    return table;
}

BitmapPtr ConvertBitmap(const Bitmap& src, uint16_t bitsPerPixel, uint32_t redMask,
                        uint32_t greenMask, uint32_t blueMask,
                        const std::vector<RgbQuad>* colorTable) {
    if (!src.IsValid()) return nullptr;
    BitmapPtr out = CreateBitmap(src.width, src.height, bitsPerPixel);
    if (!out) return nullptr;
    out->bottomUp = src.bottomUp;
    Target target;
    target.bits = out->bits.data();
    target.width = out->width;
    target.height = out->height;
    target.depth = bitsPerPixel;
    target.indexed = bitsPerPixel <= 8;
    // Rows are written top-down into the target; a bottom-up result is flipped by addressing.
    target.pitch = out->pitch;
    bool keepIndices = false;
    if (target.indexed) {
        keepIndices = !colorTable && HasUsableTable(src, bitsPerPixel);
        out->colorTable = keepIndices ? src.colorTable
                                      : (colorTable ? *colorTable : DefaultTableFor(bitsPerPixel));
        if (out->colorTable.size() > (size_t{1} << bitsPerPixel)) {
            out->colorTable.resize(size_t{1} << bitsPerPixel);
        }
    } else if (bitsPerPixel == 24) {
        std::copy(kMask888, kMask888 + 3, target.masks);
    } else {
        bool given = (redMask | greenMask | blueMask) != 0;
        const uint32_t* defaults = bitsPerPixel == 16 ? kMask565 : kMask888;
        out->redMask = given ? redMask : defaults[0];
        out->greenMask = given ? greenMask : defaults[1];
        out->blueMask = given ? blueMask : defaults[2];
        target.masks[0] = out->redMask;
        target.masks[1] = out->greenMask;
        target.masks[2] = out->blueMask;
    }
    if (out->bottomUp) {
        // Address the last stored row first with a negative pitch, so row y is Row(y).
        target.bits = out->bits.data() + static_cast<size_t>(out->height - 1) * out->pitch;
        target.pitch = -out->pitch;
    }
    Convert(src, target, keepIndices, out->colorTable);
    return out;
}

BitmapPtr MakeScreenCompatible(const Bitmap& src, uint32_t screenBits) {
    switch (screenBits) {
        case 15:
            return ConvertBitmap(src, 16, kMask555[0], kMask555[1], kMask555[2]);
        case 16:
            return ConvertBitmap(src, 16, kMask565[0], kMask565[1], kMask565[2]);
        case 24:
            return ConvertBitmap(src, 24);
        case 32:
            return ConvertBitmap(src, 32, kMask888[0], kMask888[1], kMask888[2]);
        default:
            if (screenBits >= 1 && screenBits <= 8) {
                std::vector<RgbQuad> table = DefaultColorTable8();
                return ConvertBitmap(src, 8, 0, 0, 0, &table);
            }
            return nullptr;
    }
}

bool BlitBitmapToSurface(const Bitmap& bitmap, GraphicsDevice& device, SurfaceHandle surface,
                         const std::vector<PaletteEntry>* palette) {
    if (!bitmap.IsValid()) return false;
    SurfaceLock lock;
    if (!device.Lock(surface, &lock)) return false;
    const PixelFormat& f = lock.format;
    Target target;
    target.bits = static_cast<uint8_t*>(lock.bits);
    target.pitch = lock.pitch;
    target.width = static_cast<int32_t>(std::min<uint32_t>(lock.width, kMaxBitmapSide));
    target.height = static_cast<int32_t>(std::min<uint32_t>(lock.height, kMaxBitmapSide));
    target.depth = static_cast<int>(f.bitCount);
    target.indexed = (f.flags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)) != 0;
    bool ok = target.bits != nullptr;
    if (target.indexed) {
        ok = ok && (target.depth == 4 || target.depth == 8);
    } else {
        ok = ok && (target.depth == 16 || target.depth == 24 || target.depth == 32) &&
             (f.flags & DDPF_RGB);
        target.masks[0] = f.redMask;
        target.masks[1] = f.greenMask;
        target.masks[2] = f.blueMask;
        // GDI leaves no alpha; a texture format with alpha must not come out transparent.
        target.masks[3] = (f.flags & DDPF_ALPHAPIXELS) ? f.alphaMask : 0;
    }
    if (ok) {
        bool keepIndices = target.indexed && HasUsableTable(bitmap, target.depth);
        std::vector<RgbQuad> table;
        if (target.indexed && !keepIndices) {
            if (palette && !palette->empty()) {
                for (const PaletteEntry& e : *palette) {
                    table.push_back({e.blue, e.green, e.red, 0});
                }
                table.resize(std::min(table.size(), size_t{1} << target.depth));
            } else {
                table = DefaultTableFor(target.depth);
            }
        }
        Convert(bitmap, target, keepIndices, table);
    }
    device.Unlock(surface);
    return ok;
}

}  // namespace orix
