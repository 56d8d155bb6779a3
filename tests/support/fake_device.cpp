#include "support/fake_device.h"

namespace orix {

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

std::vector<PixelFormat> CommonTextureFormats() {
    return {Palette8Format(), RgbFormat(16, 0xF800, 0x07E0, 0x001F),
            RgbFormat(24, 0xFF0000, 0xFF00, 0xFF), RgbFormat(32, 0xFF0000, 0xFF00, 0xFF)};
}

FakeDevice::FakeDevice() {
    // Direct3D's defaults for the states the engine touches.
    states_[RS_TEXTUREADDRESS] = TADDRESS_WRAP;
    states_[RS_ZENABLE] = D3D_TRUE;
    states_[RS_FILLMODE] = FILL_SOLID;
    states_[RS_SHADEMODE] = SHADE_GOURAUD;
    states_[RS_PLANEMASK] = 0xFFFFFFFFu;
    states_[RS_ZWRITEENABLE] = D3D_TRUE;
    states_[RS_LASTPIXEL] = D3D_TRUE;
    states_[RS_TEXTUREMAG] = FILTER_NEAREST;
    states_[RS_TEXTUREMIN] = FILTER_NEAREST;
    states_[RS_SRCBLEND] = BLEND_ONE;
    states_[RS_DESTBLEND] = BLEND_ZERO;
    states_[RS_TEXTUREMAPBLEND] = TBLEND_MODULATE;
    states_[RS_CULLMODE] = CULL_CCW;
    states_[RS_ZFUNC] = CMP_LESSEQUAL;
    states_[RS_ALPHAFUNC] = CMP_ALWAYS;
    states_[RS_DITHERENABLE] = D3D_FALSE;
    states_[RS_SPECULARENABLE] = D3D_TRUE;
    viewport_.width = width;
    viewport_.height = height;
}

size_t FakeDevice::CountCalls(const std::string& prefix) const {
    size_t n = 0;
    for (const auto& c : calls_) n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
}

DeviceCaps FakeDevice::GetCaps() const {
    DeviceCaps caps;
    caps.hardware = hardware;
    caps.maxTextureSize = 4096;
    caps.renderer = "fake";
    return caps;
}

// Scenes do not nest, and only an open one can end.
bool FakeDevice::Scene(const char* call, bool begin) {
    Record(call);
    if (inScene_ == begin) return false;
    inScene_ = begin;
    return true;
}

bool FakeDevice::SetTransform(TransformState state, const Matrix& m) {
    Record("SetTransform " + std::to_string(state));
    if (state < TRANSFORM_WORLD || state > TRANSFORM_PROJECTION) return false;
    transforms_[state] = m;
    return true;
}

bool FakeDevice::GetTransform(TransformState state, Matrix* m) const {
    if (state < TRANSFORM_WORLD || state > TRANSFORM_PROJECTION || !m) return false;
    *m = transforms_[state];
    return true;
}

bool FakeDevice::SetRenderState(RenderState state, uint32_t value) {
    Record("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
    return Put(states_, state, value);
}

bool FakeDevice::SetLightState(LightState state, uint32_t value) {
    Record("SetLightState " + std::to_string(state) + " " + std::to_string(value));
    return Put(lightStates_, state, value);
}

namespace {

Vector3 PositionOf(VertexType type, const void* vertices, uint32_t i) {
    switch (type) {
        case VT_VERTEX: {
            const Vertex& v = static_cast<const Vertex*>(vertices)[i];
            return {v.x, v.y, v.z};
        }
        case VT_LVERTEX: {
            const LVertex& v = static_cast<const LVertex*>(vertices)[i];
            return {v.x, v.y, v.z};
        }
        case VT_TLVERTEX: {
            const TLVertex& v = static_cast<const TLVertex*>(vertices)[i];
            return {v.sx, v.sy, v.sz};
        }
    }
    return {};
}

}  // namespace

// Draws are kept even outside a scene, so drawables can be updated on their own; only the
// result follows the scene bracket.
bool FakeDevice::RecordDraw(PrimitiveType type, VertexType vertexType, const void* vertices,
                            uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount) {
    Draw d{type,
           vertexType,
           vertexCount,
           indexCount,
           lastMaterial_,
           states_[RS_TEXTUREHANDLE],
           transforms_[TRANSFORM_WORLD],
           {},
           {}};
    uint32_t n = indices ? indexCount : vertexCount;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = indices ? indices[i] : i;
        d.positions.push_back(v < vertexCount ? PositionOf(vertexType, vertices, v)
                                              : Vector3{1e30f, 1e30f, 1e30f});
    }
    if (vertexType == VT_LVERTEX) {
        const LVertex* lit = static_cast<const LVertex*>(vertices);
        d.lit.assign(lit, lit + vertexCount);
    }
    draws.push_back(std::move(d));
    return inScene_;
}

bool FakeDevice::DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                               uint32_t vertexCount, uint32_t) {
    Record("DrawPrimitive " + std::to_string(type) + " " + std::to_string(vertexType) + " " +
           std::to_string(vertexCount));
    return RecordDraw(type, vertexType, vertices, vertexCount, nullptr, 0);
}

bool FakeDevice::DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType,
                                      const void* vertices, uint32_t vertexCount,
                                      const uint16_t* indices, uint32_t indexCount, uint32_t) {
    Record("DrawIndexedPrimitive " + std::to_string(type) + " " + std::to_string(vertexType) + " " +
           std::to_string(vertexCount) + " " + std::to_string(indexCount));
    return RecordDraw(type, vertexType, vertices, vertexCount, indices, indexCount);
}

bool FakeDevice::DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                             uint32_t vertexCount, const uint16_t* indices,
                                             uint32_t indexCount, uint32_t color, uint32_t flags) {
    bool drawn =
        DrawIndexedPrimitive(type, VT_LVERTEX, vertices, vertexCount, indices, indexCount, flags);
    for (LVertex& v : draws.back().lit) v.color = color;
    return drawn;
}

bool FakeDevice::SetViewport(const ViewportRecord& viewport) {
    Record("SetViewport");
    viewport_ = viewport;
    return true;
}

bool FakeDevice::GetViewport(ViewportRecord* viewport) const {
    if (!viewport) return false;
    *viewport = viewport_;
    return true;
}

bool FakeDevice::SetBackground(MaterialHandle material) {
    Record("SetBackground " + std::to_string(material));
    return materials_.count(material) != 0;
}

bool FakeDevice::Clear(const Rect* rects, uint32_t count, uint32_t flags) {
    std::string line = "Clear " + std::to_string(count) + " " + std::to_string(flags);
    if (rects && count > 0) {
        line += " " + std::to_string(rects[0].left) + "," + std::to_string(rects[0].top) + "," +
                std::to_string(rects[0].right) + "," + std::to_string(rects[0].bottom);
    }
    Record(line);
    return true;
}

bool FakeDevice::AddLight(LightHandle light) {
    Record("AddLight " + std::to_string(light));
    if (!lights_.count(light)) return false;
    attached_.insert(light);
    return true;
}

bool FakeDevice::DeleteLight(LightHandle light) {
    Record("DeleteLight " + std::to_string(light));
    return attached_.erase(light) != 0;
}

bool FakeDevice::SetMaterial(MaterialHandle material, const MaterialRecord& record) {
    Record("SetMaterial " + std::to_string(material));
    lastMaterial_ = record;
    ++materialLoads;
    return Put(materials_, material, record);
}

void FakeDevice::ReleaseMaterial(MaterialHandle material) {
    Record("ReleaseMaterial " + std::to_string(material));
    materials_.erase(material);
}

bool FakeDevice::SetLight(LightHandle light, const LightRecord& record) {
    Record("SetLight " + std::to_string(light));
    return Put(lights_, light, record);
}

void FakeDevice::ReleaseLight(LightHandle light) {
    Record("ReleaseLight " + std::to_string(light));
    lights_.erase(light);
    attached_.erase(light);
}

size_t FakeDevice::LiveSurfaces() const {
    size_t n = 0;
    for (const auto& [handle, s] : surfaces) n += s.refs > 0 && !s.root;
    return n;
}

const FakeDevice::Surface* FakeDevice::Find(SurfaceHandle s) const {
    auto it = surfaces.find(s);
    return it == surfaces.end() || it->second.refs <= 0 ? nullptr : &it->second;
}

uint32_t FakeDevice::Texel(SurfaceHandle s, uint32_t x, uint32_t y) const {
    const Surface* surface = Find(s);
    if (!surface) return 0;
    uint32_t bytes = surface->desc.pixelFormat.bitCount / 8;
    const uint8_t* p = surface->pixels.data() + y * surface->pitch + x * bytes;
    uint32_t v = 0;
    for (uint32_t i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}

SurfaceHandle FakeDevice::CreateSurface(const SurfaceDesc& desc) {
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

void FakeDevice::AddRefSurface(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (s && s->root) s = Find(s->root);
    if (s) ++s->refs;
}

void FakeDevice::ReleaseSurface(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (s && s->root) s = Find(s->root);
    if (!s || --s->refs > 0) return;
    for (SurfaceHandle level = s->next; level;) {
        Surface& l = surfaces[level];
        l.refs = 0;
        level = l.next;
    }
}

bool FakeDevice::GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const {
    const Surface* s = Find(surface);
    if (!s) return false;
    *desc = s->desc;
    return true;
}

SurfaceHandle FakeDevice::GetAttachedSurface(SurfaceHandle surface, uint32_t caps) {
    const Surface* s = Find(surface);
    if (!s || !s->next || caps != (DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)) return 0;
    AddRefSurface(s->next);  // as DirectDraw, the caller gets a reference
    return s->next;
}

bool FakeDevice::Lock(SurfaceHandle surface, SurfaceLock* lock) {
    Surface* s = Find(surface);
    if (!s) return false;
    lock->bits = s->pixels.data();
    lock->pitch = s->pitch;
    lock->width = s->desc.width;
    lock->height = s->desc.height;
    lock->format = s->desc.pixelFormat;
    return true;
}

bool FakeDevice::SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low, uint32_t high) {
    Surface* s = Find(surface);
    if (!s || flags != DDCKEY_SRCBLT) return false;
    s->keySet = true;
    s->keyLow = low;
    s->keyHigh = high;
    return true;
}

PaletteHandle FakeDevice::CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                        uint32_t count) {
    PaletteHandle handle = nextPalette_++;
    palettes[handle] = {caps, std::vector<PaletteEntry>(entries, entries + count)};
    return handle;
}

bool FakeDevice::SetPalette(SurfaceHandle surface, PaletteHandle palette) {
    Surface* s = Find(surface);
    if (!s || !palettes.count(palette)) return false;
    s->palette = palette;
    return true;
}

bool FakeDevice::IsLost(SurfaceHandle surface) const {
    const Surface* s = Find(surface);
    return s && s->lost;
}

bool FakeDevice::Restore(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (!s) return false;
    ++restores;
    s->lost = false;
    return true;
}

bool FakeDevice::LoadTexture(SurfaceHandle dest, SurfaceHandle source) {
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

TextureHandle FakeDevice::GetTextureHandle(SurfaceHandle surface) {
    const Surface* s = Find(surface);
    return s && (s->desc.caps & DDSCAPS_TEXTURE) ? surface + 0x1000 : 0;
}

bool FakeDevice::Present() {
    Record("Present");
    return true;
}

bool FakeDevice::DrawText(int32_t x, int32_t y, uint32_t, const std::string& text) {
    Record("DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text);
    return true;
}

bool FakeDevice::ReadFrame(FrameImage* image) {
    if (!image) return false;
    image->width = width;
    image->height = height;
    image->rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    return true;
}

}  // namespace orix
