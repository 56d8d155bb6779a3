/// \file
/// GlText: the TextOut stand-in. Text in DejaVu Sans (SDL2_ttf, no anti-aliasing, as the GDI
/// system font on a 16-bit display) with a cell about 16 pixels high, drawn into the bound
/// render target with a transparent background. Rendered strings are cached as textures, since
/// a frame-rate read-out repeats the same few strings. Internal to src/platform.
#pragma once

#include <cstdint>
#include <list>
#include <string>

namespace orix {

class GlText {
public:
    GlText();
    ~GlText();
    /// Draws text with the top-left of its cell at (x, y) in a COLORREF colour on a target of
    /// targetWidth x targetHeight. It sets the GL state it needs and leaves it so (matrices,
    /// viewport, scissor, depth, cull, fog, blend, colour sum, fill, alpha test, texture and its
    /// binding and environment, colour arrays); the caller puts its own back. False without a
    /// font or when the text cannot be rendered.
    bool Draw(int32_t x, int32_t y, uint32_t colorRef, const std::string& text,
              uint32_t targetWidth, uint32_t targetHeight);
    /// The height of a text cell in pixels (0 without a font).
    int CellHeight() const;

private:
    struct Entry {
        std::string text;
        uint32_t colorRef = 0;
        uint32_t texture = 0;
        int width = 0, height = 0;
    };
    const Entry* Render(const std::string& text, uint32_t colorRef);

    void* font_ = nullptr;  ///< TTF_Font
    bool ttfStarted_ = false;
    std::list<Entry> cache_;  ///< most recently used first
};

}  // namespace orix
