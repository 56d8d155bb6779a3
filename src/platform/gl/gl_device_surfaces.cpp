// The DirectDraw side of the device: surfaces in system memory, mip chains, palettes, colour
// keys, and their upload into GL textures when drawing needs them.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/bitmap/surface_format.h"
#include "platform/gl/gl_device.h"

namespace orix {

namespace {

constexpr uint32_t kMaxSurfaceSize = 16384;

uint32_t MaxLevels(uint32_t w, uint32_t h) {
    uint32_t levels = 1;
    while (w > 1 || h > 1) {
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
        ++levels;
    }
    return levels;
}

}  // namespace

std::vector<PixelFormat> GlDevice::EnumTextureFormats() const {
    return {FormatPalette8(), FormatRgb565(),   FormatArgb1555(), FormatArgb4444(),
            FormatRgb888(),   FormatXrgb8888(), FormatArgb8888()};
}

SurfaceHandle GlDevice::CreateSurface(const SurfaceDesc& desc) {
    if (trace_)
        TraceLine("CreateSurface " + std::to_string(desc.width) + "x" +
                  std::to_string(desc.height));
    const uint32_t limit = (desc.caps & DDSCAPS_TEXTURE)
                               ? std::min(kMaxSurfaceSize, caps_.maxTextureSize)
                               : kMaxSurfaceSize;
    if (desc.width == 0 || desc.height == 0 || desc.width > limit || desc.height > limit) return {};
    PixelFormat format = desc.pixelFormat;
    if (!(desc.flags & DDSD_PIXELFORMAT))
        format = BitsPerPixel() == 16 ? FormatRgb565() : FormatXrgb8888();
    if (!IsSupportedFormat(format)) return {};
    uint32_t levels = 1;
    if (desc.caps & DDSCAPS_MIPMAP) {
        const uint32_t most = MaxLevels(desc.width, desc.height);
        levels = (desc.flags & DDSD_MIPMAPCOUNT) && desc.mipMapCount ? desc.mipMapCount : most;
        if (levels > most) return {};
    }
    uint32_t caps = desc.caps;
    if (!(caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)))
        caps |= caps_.hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;

    SurfaceHandle root, previous;
    uint32_t w = desc.width, h = desc.height;
    for (uint32_t level = 0; level < levels; ++level) {
        Surface s;
        s.desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT |
                       (levels > 1 ? DDSD_MIPMAPCOUNT : 0u);
        s.desc.width = w;
        s.desc.height = h;
        s.desc.mipMapCount = levels > 1 ? levels - level : 0;
        s.desc.pixelFormat = format;
        s.desc.caps = caps;
        s.pitch = RowBytes(format, w);
        s.pixels.assign(size_t(s.pitch) * h, 0);
        s.refs = level == 0 ? 1 : 0;
        s.root = root;
        s.levels = levels;
        SurfaceHandle handle = surfaces_.Add(std::move(s));
        if (!handle) {
            if (root) DestroyChain(root);
            return {};
        }
        if (level == 0)
            root = handle;
        else
            FindSurface(previous)->next = handle;
        previous = handle;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    return root;
}

// Levels share the reference count of their chain's first level: holding any level keeps the
// whole chain, and the chain goes when the last reference to any of it is released.
void GlDevice::AddRefSurface(SurfaceHandle surface) {
    Surface* s = FindSurface(surface);
    if (!s) return;
    if (s->root) s = FindSurface(s->root);
    if (s) ++s->refs;
}

void GlDevice::ReleaseSurface(SurfaceHandle surface) {
    Surface* s = FindSurface(surface);
    if (!s) return;
    SurfaceHandle root = s->root ? s->root : surface;
    Surface* r = FindSurface(root);
    if (r && --r->refs == 0) DestroyChain(root);
}

void GlDevice::DestroyChain(SurfaceHandle root) {
    SurfaceHandle h = root;
    while (Surface* s = FindSurface(h)) {
        SurfaceHandle next = s->next;
        if (s->glTexture) {
            if (boundGlTexture_ == s->glTexture) boundGlTexture_ = 0;
            glDeleteTextures(1, &s->glTexture);
        }
        if (Palette* p = palettes_.Get(s->palette)) {
            if (--p->refs == 0) palettes_.Remove(s->palette);
        }
        surfaces_.Remove(h);
        h = next;
    }
}

bool GlDevice::GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const {
    const Surface* s = FindSurface(surface);
    if (!s || !desc) return false;
    *desc = s->desc;
    return true;
}

SurfaceHandle GlDevice::GetAttachedSurface(SurfaceHandle surface, uint32_t caps) {
    Surface* s = FindSurface(surface);
    if (!s || !s->next) return {};
    const Surface* next = FindSurface(s->next);
    if (!next || (next->desc.caps & caps) != caps) return {};
    // As DirectDraw does, the caller receives a reference (released with ReleaseSurface).
    AddRefSurface(s->next);
    return s->next;
}

bool GlDevice::Lock(SurfaceHandle surface, SurfaceLock* lock) {
    Surface* s = FindSurface(surface);
    if (!s || !lock || s->locked) return false;
    s->locked = true;
    lock->bits = s->pixels.data();
    lock->pitch = int32_t(s->pitch);
    lock->width = s->desc.width;
    lock->height = s->desc.height;
    lock->format = s->desc.pixelFormat;
    return true;
}

bool GlDevice::Unlock(SurfaceHandle surface) {
    Surface* s = FindSurface(surface);
    if (!s || !s->locked) return false;
    s->locked = false;
    TouchChain(surface);
    return true;
}

void GlDevice::TouchChain(SurfaceHandle h) {
    Surface* s = FindSurface(h);
    if (s && s->root) s = FindSurface(s->root);
    if (s) ++s->version;
}

bool GlDevice::SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low, uint32_t high) {
    Surface* s = FindSurface(surface);
    if (!s || !(flags & DDCKEY_SRCBLT)) return false;
    s->keyed = true;
    s->keyLow = std::min(low, high);
    s->keyHigh = std::max(low, high);
    // A chain is keyed as a whole, as the texture samples every level.
    for (SurfaceHandle h = s->next; Surface* level = FindSurface(h); h = level->next) {
        level->keyed = true;
        level->keyLow = s->keyLow;
        level->keyHigh = s->keyHigh;
    }
    TouchChain(surface);
    return true;
}

PaletteHandle GlDevice::CreatePalette(uint32_t caps, const PaletteEntry* entries, uint32_t count) {
    uint32_t size = (caps & DDPCAPS_8BIT) ? 256 : (caps & DDPCAPS_4BIT) ? 16 : 0;
    if (size == 0 || count > size || (count > 0 && !entries)) return {};
    Palette p;
    p.caps = caps;
    p.entries.assign(size, PaletteEntry{});
    if (count) std::copy(entries, entries + count, p.entries.begin());
    p.refs = 1;
    return palettes_.Add(std::move(p));
}

bool GlDevice::SetPalette(SurfaceHandle surface, PaletteHandle palette) {
    Surface* s = FindSurface(surface);
    if (!s) return false;
    Palette* p = palettes_.Get(palette);
    if (palette && !p) return false;
    if (p) ++p->refs;
    if (Palette* old = palettes_.Get(s->palette)) {
        if (--old->refs == 0) palettes_.Remove(s->palette);
    }
    s->palette = palette;
    TouchChain(surface);
    return true;
}

void GlDevice::ReleasePalette(PaletteHandle palette) {
    Palette* p = palettes_.Get(palette);
    if (p && --p->refs == 0) palettes_.Remove(palette);
}

// Surfaces live in system memory, so only what stands for video memory is lost, and only while
// the display itself is lost (a minimised full-screen window).
bool GlDevice::IsLost(SurfaceHandle surface) const {
    const Surface* s = FindSurface(surface);
    if (!s) return false;
    return (s->desc.caps & DDSCAPS_VIDEOMEMORY) && display_.IsLost();
}

bool GlDevice::Restore(SurfaceHandle surface) {
    if (!FindSurface(surface)) return false;
    if (IsLost(surface)) return false;
    TouchChain(surface);
    return true;
}

bool GlDevice::LoadTexture(SurfaceHandle dest, SurfaceHandle source) {
    if (trace_) TraceLine("LoadTexture");
    if (dest == source) return FindSurface(dest) != nullptr;
    // Check the whole chain first, so that a refused load changes nothing.
    SurfaceHandle d = dest, s = source;
    while (d && s) {
        const Surface* ds = FindSurface(d);
        const Surface* ss = FindSurface(s);
        if (!ds || !ss || ds->locked || ss->locked) return false;
        if (ds->desc.width != ss->desc.width || ds->desc.height != ss->desc.height ||
            !(ds->desc.pixelFormat == ss->desc.pixelFormat))
            return false;
        d = ds->next;
        s = ss->next;
    }
    if (d && !s) return false;  // the source chain is shorter
    d = dest;
    s = source;
    while (d && s) {
        Surface* ds = FindSurface(d);
        Surface* ss = FindSurface(s);
        ds->pixels = ss->pixels;
        if (ss->palette != ds->palette) SetPalette(d, ss->palette);
        if (ss->keyed) {
            ds->keyed = true;
            ds->keyLow = ss->keyLow;
            ds->keyHigh = ss->keyHigh;
        }
        d = ds->next;
        s = ss->next;
    }
    TouchChain(dest);
    return true;
}

TextureHandle GlDevice::GetTextureHandle(SurfaceHandle surface) {
    Surface* s = FindSurface(surface);
    if (!s || s->root || !(s->desc.caps & DDSCAPS_TEXTURE)) return {};
    if (!UploadTexture(*s)) return {};
    // A texture's handle is its surface's handle: the same slot and generation, so a handle
    // kept after the surface went is refused.
    return TextureHandle(surface.value);
}

GlDevice::Surface* GlDevice::ResolveTexture(TextureHandle h) {
    if (!h) return nullptr;
    Surface* s = FindSurface(SurfaceHandle(h.value));
    if (!s || s->root || !(s->desc.caps & DDSCAPS_TEXTURE)) return nullptr;
    if (s->uploadedVersion != s->version && !UploadTexture(*s)) return nullptr;
    return s;
}

bool GlDevice::UploadTexture(Surface& root) {
    if (root.glTexture && root.uploadedVersion == root.version) return true;
    if (!root.glTexture) {
        glGenTextures(1, &root.glTexture);
        root.glMag = root.glMin = root.glWrap = 0;
    }
    glBindTexture(GL_TEXTURE_2D, root.glTexture);
    if (boundGlTexture_ != root.glTexture) ++stats_.textureBinds;
    boundGlTexture_ = root.glTexture;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(root.levels - 1));
    uint32_t level = 0;
    for (Surface* s = &root; s; s = FindSurface(s->next), ++level) {
        const Palette* p = palettes_.Get(s->palette);
        if (!p && s != &root) p = palettes_.Get(root.palette);  // levels share the palette
        ColorKey key{s->keyed, s->keyLow, s->keyHigh};
        convert_.resize(size_t(s->desc.width) * s->desc.height * 4);
        ConvertToRgba(s->pixels.data(), s->pitch, s->desc.width, s->desc.height,
                      s->desc.pixelFormat, p ? p->entries.data() : nullptr,
                      p ? uint32_t(p->entries.size()) : 0, key, convert_.data());
        glTexImage2D(GL_TEXTURE_2D, GLint(level), GL_RGBA8, GLsizei(s->desc.width),
                     GLsizei(s->desc.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, convert_.data());
        if (!s->next) break;
    }
    root.uploadedVersion = root.version;
    return glGetError() == GL_NO_ERROR;
}

}  // namespace orix
