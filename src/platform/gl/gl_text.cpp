#include "platform/gl/gl_text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cstdlib>
#include <vector>

namespace orix {

namespace {

constexpr size_t kCacheSize = 16;
constexpr int kCellHeight = 16;  // GDI's default system font cell

const char* const kFontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

}  // namespace

GlText::GlText() {
    if (TTF_Init() != 0) return;
    ttfStarted_ = true;
    const char* custom = std::getenv("ORIX_FONT");
    std::vector<const char*> paths;
    if (custom && *custom) paths.push_back(custom);
    for (const char* p : kFontPaths) paths.push_back(p);
    for (const char* path : paths) {
        // The largest size whose cell still fits the system font's cell.
        for (int size = 14; size >= 8 && !font_; --size) {
            TTF_Font* f = TTF_OpenFont(path, size);
            if (!f) break;
            if (TTF_FontHeight(f) <= kCellHeight)
                font_ = f;
            else
                TTF_CloseFont(f);
        }
        if (font_) break;
    }
}

GlText::~GlText() {
    for (Entry& e : cache_) glDeleteTextures(1, &e.texture);
    if (font_) TTF_CloseFont(static_cast<TTF_Font*>(font_));
    if (ttfStarted_) TTF_Quit();
}

int GlText::CellHeight() const {
    return font_ ? TTF_FontHeight(static_cast<TTF_Font*>(font_)) : 0;
}

const GlText::Entry* GlText::Render(const std::string& text, uint32_t colorRef) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->text == text && it->colorRef == colorRef) {
            cache_.splice(cache_.begin(), cache_, it);
            return &cache_.front();
        }
    }
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* glyphs = TTF_RenderUTF8_Solid(static_cast<TTF_Font*>(font_), text.c_str(), white);
    if (!glyphs) return nullptr;
    // Solid rendering gives 8-bit pixels: index 0 is the background, anything else ink.
    const int w = glyphs->w, h = glyphs->h;
    std::vector<uint8_t> rgba(size_t(w) * h * 4, 0);
    SDL_LockSurface(glyphs);
    const uint8_t r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row =
            static_cast<const uint8_t*>(glyphs->pixels) + size_t(y) * glyphs->pitch;
        for (int x = 0; x < w; ++x) {
            if (!row[x]) continue;
            uint8_t* out = &rgba[(size_t(y) * w + x) * 4];
            out[0] = r, out[1] = g, out[2] = b, out[3] = 255;
        }
    }
    SDL_UnlockSurface(glyphs);
    SDL_FreeSurface(glyphs);

    Entry e;
    e.text = text;
    e.colorRef = colorRef;
    e.width = w;
    e.height = h;
    glGenTextures(1, &e.texture);
    glBindTexture(GL_TEXTURE_2D, e.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (cache_.size() >= kCacheSize) {
        glDeleteTextures(1, &cache_.back().texture);
        cache_.pop_back();
    }
    cache_.push_front(std::move(e));
    return &cache_.front();
}

bool GlText::Draw(int32_t x, int32_t y, uint32_t colorRef, const std::string& text,
                  uint32_t targetWidth, uint32_t targetHeight) {
    if (!font_) return false;
    const Entry* e = Render(text, colorRef);
    if (!e) return false;
    // Pixel space with the render target's top row first, as the device keeps it.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, targetWidth, 0, targetHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, GLsizei(targetWidth), GLsizei(targetHeight));
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_SUM);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, e->texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    const float x0 = float(x), y0 = float(y), x1 = x0 + float(e->width), y1 = y0 + float(e->height);
    const float quad[] = {x0, y0, x1, y0, x1, y1, x0, y1};
    const float uv[] = {0, 0, 1, 0, 1, 1, 0, 1};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, quad);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glColor4f(1, 1, 1, 1);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    return true;
}

}  // namespace orix
