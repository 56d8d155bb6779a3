#include "render/fake_surface_device.h"

#include <cstring>

namespace orix::test {

PixelFormat Palette8Format() {
    PixelFormat f;
    f.flags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    f.bitCount = 8;
    return f;
}

PixelFormat RgbFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    PixelFormat f;
    f.flags = DDPF_RGB | (a ? uint32_t{DDPF_ALPHAPIXELS} : 0u);
    f.bitCount = bits;
    f.redMask = r;
    f.greenMask = g;
    f.blueMask = b;
    f.alphaMask = a;
    return f;
}

FakeSurfaceDevice::FakeSurfaceDevice() {
    formats = {Palette8Format(), RgbFormat(16, 0xF800, 0x07E0, 0x001F),
               RgbFormat(24, 0xFF0000, 0xFF00, 0xFF), RgbFormat(32, 0xFF0000, 0xFF00, 0xFF)};
}

DeviceCaps FakeSurfaceDevice::GetCaps() const {
    DeviceCaps caps;
    caps.hardware = hardware;
    caps.maxTextureSize = 4096;
    caps.renderer = "fake";
    return caps;
}

size_t FakeSurfaceDevice::LiveSurfaces() const {
    size_t n = 0;
    for (const auto& [handle, s] : surfaces) n += s.refs > 0 && !s.root;
    return n;
}

FakeSurfaceDevice::Surface* FakeSurfaceDevice::Find(SurfaceHandle s) {
    auto it = surfaces.find(s);
    return it == surfaces.end() || it->second.refs <= 0 ? nullptr : &it->second;
}

const FakeSurfaceDevice::Surface* FakeSurfaceDevice::Find(SurfaceHandle s) const {
    auto it = surfaces.find(s);
    return it == surfaces.end() || it->second.refs <= 0 ? nullptr : &it->second;
}

uint32_t FakeSurfaceDevice::Texel(SurfaceHandle s, uint32_t x, uint32_t y) const {
    const Surface* surface = Find(s);
    if (!surface) return 0;
    uint32_t bytes = surface->desc.pixelFormat.bitCount / 8;
    const uint8_t* p = surface->pixels.data() + y * surface->pitch + x * bytes;
    uint32_t v = 0;
    for (uint32_t i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}

SurfaceHandle FakeSurfaceDevice::CreateSurface(const SurfaceDesc& desc) {
    created.push_back(desc);
    const PixelFormat& f = desc.pixelFormat;
    if (desc.width == 0 || desc.height == 0 || desc.width > 4096 || desc.height > 4096 ||
        (f.bitCount != 8 && f.bitCount != 16 && f.bitCount != 24 && f.bitCount != 32)) {
        return 0;
    }
    uint32_t levels =
        (desc.caps & DDSCAPS_MIPMAP) && (desc.flags & DDSD_MIPMAPCOUNT) ? desc.mipMapCount : 1;
    SurfaceHandle first = 0, previous = 0;
    uint32_t w = desc.width, h = desc.height;
    for (uint32_t i = 0; i < levels; ++i) {
        SurfaceHandle handle = nextSurface_++;
        Surface s;
        s.desc = desc;
        s.desc.width = w;
        s.desc.height = h;
        s.pitch = static_cast<int32_t>((w * f.bitCount / 8 + 3) & ~3u);
        s.pixels.assign(static_cast<size_t>(s.pitch) * h, 0xCD);
        s.root = first;
        surfaces[handle] = s;
        if (previous) surfaces[previous].next = handle;
        if (!first) first = handle;
        previous = handle;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return first;
}

void FakeSurfaceDevice::AddRefSurface(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (s && s->root) s = Find(s->root);
    if (s) ++s->refs;
}

void FakeSurfaceDevice::ReleaseSurface(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (s && s->root) s = Find(s->root);
    if (!s || --s->refs > 0) return;
    for (SurfaceHandle level = s->next; level;) {
        Surface& l = surfaces[level];
        l.refs = 0;
        level = l.next;
    }
}

bool FakeSurfaceDevice::GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const {
    const Surface* s = Find(surface);
    if (!s) return false;
    *desc = s->desc;
    return true;
}

SurfaceHandle FakeSurfaceDevice::GetAttachedSurface(SurfaceHandle surface, uint32_t caps) {
    const Surface* s = Find(surface);
    if (!s || !s->next || caps != (DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)) return 0;
    AddRefSurface(s->next);  // as DirectDraw, the caller gets a reference
    return s->next;
}

bool FakeSurfaceDevice::Lock(SurfaceHandle surface, SurfaceLock* lock) {
    Surface* s = Find(surface);
    if (!s) return false;
    lock->bits = s->pixels.data();
    lock->pitch = s->pitch;
    lock->width = s->desc.width;
    lock->height = s->desc.height;
    lock->format = s->desc.pixelFormat;
    return true;
}

bool FakeSurfaceDevice::Unlock(SurfaceHandle surface) {
    return Find(surface) != nullptr;
}

bool FakeSurfaceDevice::SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low,
                                    uint32_t high) {
    Surface* s = Find(surface);
    if (!s || flags != DDCKEY_SRCBLT) return false;
    s->keySet = true;
    s->keyLow = low;
    s->keyHigh = high;
    return true;
}

PaletteHandle FakeSurfaceDevice::CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                               uint32_t count) {
    PaletteHandle handle = nextPalette_++;
    palettes[handle] = {caps, std::vector<PaletteEntry>(entries, entries + count)};
    return handle;
}

bool FakeSurfaceDevice::SetPalette(SurfaceHandle surface, PaletteHandle palette) {
    Surface* s = Find(surface);
    if (!s || !palettes.count(palette)) return false;
    s->palette = palette;
    return true;
}

void FakeSurfaceDevice::ReleasePalette(PaletteHandle palette) {
    palettes.erase(palette);
}

bool FakeSurfaceDevice::IsLost(SurfaceHandle surface) const {
    const Surface* s = Find(surface);
    return s && s->lost;
}

bool FakeSurfaceDevice::Restore(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (!s) return false;
    ++restores;
    s->lost = false;
    return true;
}

bool FakeSurfaceDevice::LoadTexture(SurfaceHandle dest, SurfaceHandle source) {
    for (SurfaceHandle d = dest, s = source; d && s;) {
        Surface* to = Find(d);
        const Surface* from = Find(s);
        if (!to || !from || to->pixels.size() != from->pixels.size()) return false;
        to->pixels = from->pixels;
        ++to->loadsInto;
        d = to->next;
        s = from->next;
    }
    return true;
}

TextureHandle FakeSurfaceDevice::GetTextureHandle(SurfaceHandle surface) {
    const Surface* s = Find(surface);
    return s && (s->desc.caps & DDSCAPS_TEXTURE) ? surface + 0x1000 : 0;
}

}  // namespace orix::test
