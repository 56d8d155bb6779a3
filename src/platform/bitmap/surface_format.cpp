#include "platform/bitmap/surface_format.h"

namespace orix {

namespace {

PixelFormat Rgb(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    PixelFormat f;
    f.flags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0u);
    f.bitCount = bits;
    f.redMask = r;
    f.greenMask = g;
    f.blueMask = b;
    f.alphaMask = a;
    return f;
}

// Shift and width of a contiguous mask; masks with holes are refused by IsSupportedFormat.
struct SurfaceChannel {
    uint32_t mask = 0, shift = 0, bits = 0;
    explicit SurfaceChannel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        while (bits < 32 && ((m >> (shift + bits)) & 1u)) ++bits;
    }
    uint8_t Get(uint32_t pixel) const {
        if (!bits) return 0;
        uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return uint8_t(v >> (bits - 8));
        // Widen by repeating the high bits, so full scale stays full scale (31 -> 255).
        uint32_t out = 0;
        for (int filled = 0; filled < 8; filled += int(bits)) out = (out << bits) | v;
        return uint8_t(out >> ((8 + bits - 1) / bits * bits - 8));
    }
};

bool Contiguous(uint32_t m) {
    if (!m) return true;
    while (!(m & 1u)) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

PixelFormat FormatPalette8() {
    PixelFormat f;
    f.flags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    f.bitCount = 8;
    return f;
}
PixelFormat FormatRgb565() {
    return Rgb(16, 0xF800, 0x07E0, 0x001F, 0);
}
PixelFormat FormatArgb1555() {
    return Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
}
PixelFormat FormatArgb4444() {
    return Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
}
PixelFormat FormatRgb888() {
    return Rgb(24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
}
PixelFormat FormatXrgb8888() {
    return Rgb(32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
}
PixelFormat FormatArgb8888() {
    return Rgb(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u);
}

bool IsSupportedFormat(const PixelFormat& f) {
    if (f.flags & DDPF_PALETTEINDEXED8) return f.bitCount == 8;
    if (f.flags & DDPF_PALETTEINDEXED4) return f.bitCount == 4;
    if (!(f.flags & DDPF_RGB)) return false;
    if (f.bitCount != 8 && f.bitCount != 16 && f.bitCount != 24 && f.bitCount != 32) return false;
    uint64_t limit = (uint64_t(1) << f.bitCount) - 1;
    uint32_t alpha = (f.flags & DDPF_ALPHAPIXELS) ? f.alphaMask : 0;
    const uint32_t masks[] = {f.redMask, f.greenMask, f.blueMask, alpha};
    uint32_t seen = 0;
    for (uint32_t m : masks) {
        if (m > limit || (m & seen) || !Contiguous(m)) return false;
        seen |= m;
    }
    return (f.redMask | f.greenMask | f.blueMask) != 0;
}

uint32_t RowBytes(const PixelFormat& f, uint32_t width) {
    return uint32_t((uint64_t(width) * f.bitCount + 7) / 8);
}

bool HasAlpha(const PixelFormat& f) {
    return (f.flags & DDPF_ALPHAPIXELS) && f.alphaMask;
}

void ConvertToRgba(const uint8_t* src, uint32_t pitch, uint32_t width, uint32_t height,
                   const PixelFormat& f, const PaletteEntry* palette, uint32_t paletteCount,
                   const ColorKey& key, uint8_t* dst) {
    const bool indexed = (f.flags & (DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4)) != 0;
    const SurfaceChannel r(f.redMask), g(f.greenMask), b(f.blueMask);
    const SurfaceChannel a(HasAlpha(f) ? f.alphaMask : 0);
    const uint32_t bytes = f.bitCount / 8;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = src + size_t(y) * pitch;
        uint8_t* out = dst + size_t(y) * width * 4;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            uint32_t pixel = 0;
            if (f.bitCount == 4) {
                uint8_t byte = row[x / 2];
                pixel = (x & 1) ? (byte & 0x0F) : (byte >> 4);
            } else {
                for (uint32_t i = 0; i < bytes; ++i)
                    pixel |= uint32_t(row[x * bytes + i]) << (8 * i);
            }
            if (indexed) {
                if (palette && pixel < paletteCount) {
                    out[0] = palette[pixel].red;
                    out[1] = palette[pixel].green;
                    out[2] = palette[pixel].blue;
                } else {
                    out[0] = out[1] = out[2] = 0;
                }
                out[3] = 255;
            } else {
                out[0] = r.Get(pixel);
                out[1] = g.Get(pixel);
                out[2] = b.Get(pixel);
                out[3] = a.bits ? a.Get(pixel) : 255;
            }
            if (key.enabled && pixel >= key.low && pixel <= key.high) out[3] = 0;
        }
    }
}

}  // namespace orix
