#include "support/fake_device.h"

#include "platform/bitmap/surface_format.h"

namespace orix {

std::vector<PixelFormat> CommonTextureFormats() {
    return {FormatPalette8(), FormatRgb565(), FormatRgb888(), FormatXrgb8888()};
}

FakeDevice::FakeDevice() {
    // Direct3D's defaults for the states the engine switches and restores.
    states_[RS_ZENABLE] = D3D_TRUE;
    states_[RS_ZWRITEENABLE] = D3D_TRUE;
    states_[RS_SRCBLEND] = BLEND_ONE;
    states_[RS_DESTBLEND] = BLEND_ZERO;
    states_[RS_SHADEMODE] = SHADE_GOURAUD;
    states_[RS_CULLMODE] = CULL_CCW;
    viewport_.width = width;
    viewport_.height = height;
}

// Scenes do not nest, and only an open one can end.
bool FakeDevice::Scene(const char* call, bool begin) {
    calls_.push_back(call);
    if (inScene_ == begin) return false;
    inScene_ = begin;
    return true;
}

bool FakeDevice::SetTransform(TransformState state, const Matrix& m) {
    calls_.push_back("SetTransform " + std::to_string(state));
    return state >= TRANSFORM_WORLD && state <= TRANSFORM_PROJECTION &&
           (transforms_[state] = m, true);
}

bool FakeDevice::SetRenderState(RenderState state, uint32_t value) {
    calls_.push_back("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
    return state < RS_COUNT && (states_[state] = value, true);
}

bool FakeDevice::SetLightState(LightState state, uint32_t value) {
    calls_.push_back("SetLightState " + std::to_string(state) + " " + std::to_string(value));
    return state < 8 && (lightStates_[state] = value, true);
}

// Draws are kept even outside a scene, so drawables can be updated on their own; only the
// result follows the scene bracket. The three vertex types start with their position.
bool FakeDevice::RecordDraw(PrimitiveType type, VertexType vertexType, const void* vertices,
                            uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount) {
    size_t stride = vertexType == VT_VERTEX    ? sizeof(Vertex)
                    : vertexType == VT_LVERTEX ? sizeof(LVertex)
                                               : sizeof(TLVertex);
    Draw d{type, vertexType, vertexCount, indexCount, lastMaterial_, states_[RS_TEXTUREHANDLE]};
    d.world = transforms_[TRANSFORM_WORLD];
    for (uint32_t i = 0; i < (indices ? indexCount : vertexCount); ++i) {
        uint32_t v = indices ? indices[i] : i;
        const auto* p =
            reinterpret_cast<const float*>(static_cast<const char*>(vertices) + v * stride);
        d.positions.push_back(v < vertexCount ? Vector3{p[0], p[1], p[2]}
                                              : Vector3{1e30f, 1e30f, 1e30f});
    }
    if (vertexType == VT_LVERTEX) {
        const auto* lit = static_cast<const LVertex*>(vertices);
        d.lit.assign(lit, lit + vertexCount);
    }
    draws.push_back(std::move(d));
    return inScene_;
}

bool FakeDevice::DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                             uint32_t vertexCount, const uint16_t* indices,
                                             uint32_t indexCount, uint32_t color, uint32_t flags) {
    bool drawn =
        DrawIndexedPrimitive(type, VT_LVERTEX, vertices, vertexCount, indices, indexCount, flags);
    for (LVertex& v : draws.back().lit) v.color = color;
    return drawn;
}

bool FakeDevice::Clear(const Rect* rects, uint32_t count, uint32_t flags) {
    std::string line = "Clear " + std::to_string(count) + " " + std::to_string(flags);
    if (rects && count > 0) {
        line += " " + std::to_string(rects[0].left) + "," + std::to_string(rects[0].top) + "," +
                std::to_string(rects[0].right) + "," + std::to_string(rects[0].bottom);
    }
    calls_.push_back(line);
    return true;
}

bool FakeDevice::SetMaterial(MaterialHandle material, const MaterialRecord& record) {
    lastMaterial_ = record;
    ++materialLoads;
    auto it = materials_.find(material);
    return it != materials_.end() && (it->second = record, true);
}

bool FakeDevice::SetLight(LightHandle light, const LightRecord& record) {
    calls_.push_back("SetLight " + std::to_string(light.value));
    auto it = lights_.find(light);
    return it != lights_.end() && (it->second = record, true);
}

void FakeDevice::ReleaseLight(LightHandle light) {
    lights_.erase(light);
    attached_.erase(light);
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
        return {};
    }
    uint32_t levels =
        (desc.caps & DDSCAPS_MIPMAP) && (desc.flags & DDSD_MIPMAPCOUNT) ? desc.mipMapCount : 1;
    SurfaceHandle first;
    for (uint32_t i = 0, w = desc.width, h = desc.height; i < levels; ++i) {
        const SurfaceHandle handle(nextSurface_++);
        Surface& s = surfaces[handle];
        s.desc = desc;
        s.desc.width = w;
        s.desc.height = h;
        s.pitch = static_cast<int32_t>((w * f.bitCount / 8 + 3) & ~3u);
        s.pixels.assign(static_cast<size_t>(s.pitch) * h, 0xCD);
        s.root = first;
        if (i > 0) surfaces[SurfaceHandle(handle.value - 1)].next = handle;
        if (!first) first = handle;
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
    for (SurfaceHandle level = s->next; level; level = surfaces[level].next) {
        surfaces[level].refs = 0;
    }
}

SurfaceHandle FakeDevice::GetAttachedSurface(SurfaceHandle surface, uint32_t caps) {
    const Surface* s = Find(surface);
    if (!s || !s->next || caps != (DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)) return {};
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

PaletteHandle FakeDevice::CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                        uint32_t count) {
    const PaletteHandle handle(nextPalette_++);
    palettes[handle] = {caps, std::vector<PaletteEntry>(entries, entries + count)};
    return handle;
}

bool FakeDevice::Restore(SurfaceHandle surface) {
    Surface* s = Find(surface);
    if (s) s->lost = false;
    return s != nullptr;
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

bool FakeDevice::DrawText(int32_t x, int32_t y, uint32_t, const std::string& text) {
    calls_.push_back("DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text);
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
