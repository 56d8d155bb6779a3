#include "contact_sheet.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace orix::tool {

namespace {

// Digits and the minus sign, three pixels wide and five high, one row a byte (bit 2 leftmost).
constexpr uint8_t kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0},
};
constexpr uint32_t kScale = 2;
constexpr uint8_t kBackground[3] = {26, 28, 33};

void Fill(FrameImage* image, uint32_t x, uint32_t y, const uint8_t rgb[3]) {
    if (x >= image->width || y >= image->height) return;
    uint8_t* p = &image->rgba[(size_t(y) * image->width + x) * 4];
    p[0] = rgb[0], p[1] = rgb[1], p[2] = rgb[2], p[3] = 255;
}

// The number centred on (cx, top) in light grey.
void DrawNumber(FrameImage* image, uint32_t cx, uint32_t top, int32_t number) {
    static constexpr uint8_t kInk[3] = {220, 220, 220};
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    const uint32_t advance = 4 * kScale;
    const uint32_t width = uint32_t(std::strlen(text)) * advance;
    uint32_t x0 = cx > width / 2 ? cx - width / 2 : 0;
    for (const char* c = text; *c; ++c, x0 += advance) {
        const uint8_t* glyph = kGlyphs[*c == '-' ? 10 : *c - '0'];
        for (uint32_t row = 0; row < 5 * kScale; ++row) {
            for (uint32_t col = 0; col < 3 * kScale; ++col) {
                if (glyph[row / kScale] & (4 >> (col / kScale)))
                    Fill(image, x0 + col, top + row, kInk);
            }
        }
    }
}

}  // namespace

void MakeOpaque(FrameImage* image) {
    for (size_t i = 3; i < image->rgba.size(); i += 4) image->rgba[i] = 255;
}

SheetLayout LayOutSheet(size_t count) {
    SheetLayout layout;
    if (count == 0) return layout;
    layout.columns = uint32_t(std::ceil(std::sqrt(double(count))));
    layout.rows = uint32_t((count + layout.columns - 1) / layout.columns);
    return layout;
}

FrameImage MakeContactSheet(const std::vector<FrameImage>& pictures,
                            const std::vector<int32_t>& labels) {
    FrameImage sheet;
    if (pictures.empty()) return sheet;
    const uint32_t w = pictures[0].width, h = pictures[0].height;
    const SheetLayout layout = LayOutSheet(pictures.size());
    const uint32_t cellHeight = h + kSheetLabelHeight;
    sheet.width = layout.columns * w;
    sheet.height = layout.rows * cellHeight;
    sheet.rgba.resize(size_t(sheet.width) * sheet.height * 4);
    for (uint32_t y = 0; y < sheet.height; ++y)
        for (uint32_t x = 0; x < sheet.width; ++x) Fill(&sheet, x, y, kBackground);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const FrameImage& p = pictures[i];
        if (p.width != w || p.height != h || p.rgba.size() < size_t(w) * h * 4) continue;
        const uint32_t left = uint32_t(i % layout.columns) * w;
        const uint32_t top = uint32_t(i / layout.columns) * cellHeight;
        for (uint32_t row = 0; row < h; ++row) {
            std::memcpy(&sheet.rgba[(size_t(top + row) * sheet.width + left) * 4],
                        &p.rgba[size_t(row) * w * 4], size_t(w) * 4);
        }
        if (i < labels.size()) DrawNumber(&sheet, left + w / 2, top + h + 3, labels[i]);
    }
    return sheet;
}

}  // namespace orix::tool
