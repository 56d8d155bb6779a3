// FakeDevice: a GraphicsDevice that rasterises nothing and keeps everything it is told, for tests
// that need no pixels: a log of calls (one line each, "SetRenderState 7 0"), the transforms and
// render states (the switched ones start at Direct3D's defaults), material and light records by
// handle, the attached lights, every draw with the state it was issued under, and surfaces and
// palettes in memory (descriptions, reference counts, keys, transfers, texels). Texture formats
// are offered only when a test fills `formats`, as on a device without textures until then.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "math/vertex.h"
#include "platform/graphics_device.h"

namespace orix {

// 8-bit palette, RGB565, 24-bit and 32-bit RGB: what a common card offers for textures.
std::vector<PixelFormat> CommonTextureFormats();

class FakeDevice : public GraphicsDevice {
public:
    struct Draw {
        PrimitiveType type;
        VertexType vertexType;
        uint32_t vertexCount;
        uint32_t indexCount;             // 0 for a draw without indices
        MaterialRecord material;         // the record last loaded into a material
        uint32_t textureHandle;          // RS_TEXTUREHANDLE at the time
        Matrix world;                    // the world transform at the time
        std::vector<Vector3> positions;  // in index order (vertex order without indices)
        std::vector<LVertex> lit;        // the vertices themselves, for lit-vertex draws
    };
    struct Surface {
        SurfaceDesc desc;  // this level's size
        int refs = 1;
        std::vector<uint8_t> pixels;
        int32_t pitch = 0;
        SurfaceHandle next;  // the next mip level
        SurfaceHandle root;  // a level's first surface, whose count it shares
        bool keySet = false;
        PaletteHandle palette;
        bool lost = false;
        int loadsInto = 0;
    };
    struct Palette {
        uint32_t caps = 0;
        std::vector<PaletteEntry> entries;
    };

    FakeDevice();

    uint32_t width = 640, height = 480, bits = 16;
    bool hardware = false;
    std::vector<PixelFormat> formats;
    std::vector<Draw> draws;
    uint32_t materialLoads = 0;
    std::map<SurfaceHandle, Surface> surfaces;
    std::map<PaletteHandle, Palette> palettes;
    std::vector<SurfaceDesc> created;  // every description CreateSurface was given

    // The call log, and how many of its lines start with prefix.
    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    size_t CountCalls(const std::string& prefix) const {
        return std::count_if(calls_.begin(), calls_.end(),
                             [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }

    Matrix Transform(TransformState state) const {
        return state <= TRANSFORM_PROJECTION ? transforms_[state] : Matrix{};
    }
    uint32_t State(RenderState state) const { return states_[state]; }
    bool IsLightAttached(LightHandle light) const { return attached_.count(light) != 0; }
    // Surface chains whose reference count is above zero.
    size_t LiveSurfaces() const {
        return std::count_if(surfaces.begin(), surfaces.end(),
                             [](const auto& s) { return s.second.refs > 0 && !s.second.root; });
    }
    // The texel at (x, y) of a surface, as the raw little-endian value of its format.
    uint32_t Texel(SurfaceHandle s, uint32_t x, uint32_t y) const;

    DeviceCaps GetCaps() const override { return {hardware, 4096, "fake"}; }
    uint32_t Width() const override { return width; }
    uint32_t Height() const override { return height; }
    uint32_t BitsPerPixel() const override { return bits; }
    bool BeginScene() override { return Scene("BeginScene", true); }
    bool EndScene() override { return Scene("EndScene", false); }
    bool SetTransform(TransformState state, const Matrix& m) override;
    bool GetTransform(TransformState state, Matrix* m) const override {
        return state >= TRANSFORM_WORLD && state <= TRANSFORM_PROJECTION && m &&
               (*m = transforms_[state], true);
    }
    bool SetRenderState(RenderState state, uint32_t value) override;
    bool GetRenderState(RenderState state, uint32_t* value) const override {
        return state < RS_COUNT && value && (*value = states_[state], true);
    }
    bool SetLightState(LightState state, uint32_t value) override;
    bool GetLightState(LightState state, uint32_t* value) const override {
        return state < 8 && value && (*value = lightStates_[state], true);
    }
    bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                       uint32_t vertexCount, uint32_t) override {
        return RecordDraw(type, vertexType, vertices, vertexCount, nullptr, 0);
    }
    bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              uint32_t) override {
        return RecordDraw(type, vertexType, vertices, vertexCount, indices, indexCount);
    }
    // Kept as a DrawIndexedPrimitive whose lit vertices carry color.
    bool DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                     uint32_t vertexCount, const uint16_t* indices,
                                     uint32_t indexCount, uint32_t color, uint32_t flags) override;
    bool SetViewport(const ViewportRecord& viewport) override {
        viewport_ = viewport;
        return true;
    }
    bool GetViewport(ViewportRecord* viewport) const override {
        return viewport && (*viewport = viewport_, true);
    }
    bool SetBackground(MaterialHandle material) override { return materials_.count(material) != 0; }
    bool Clear(const Rect* rects, uint32_t count, uint32_t flags) override;
    bool AddLight(LightHandle light) override {
        return lights_.count(light) && attached_.insert(light).second;
    }
    bool DeleteLight(LightHandle light) override { return attached_.erase(light) != 0; }
    MaterialHandle CreateMaterial() override { return Create(materials_); }
    bool SetMaterial(MaterialHandle material, const MaterialRecord& record) override;
    bool GetMaterial(MaterialHandle material, MaterialRecord* record) const override {
        return Get(materials_, material, record);
    }
    void ReleaseMaterial(MaterialHandle material) override { materials_.erase(material); }
    LightHandle CreateLight() override { return Create(lights_); }
    bool SetLight(LightHandle light, const LightRecord& record) override;
    bool GetLight(LightHandle light, LightRecord* record) const override {
        return Get(lights_, light, record);
    }
    void ReleaseLight(LightHandle light) override;
    std::vector<PixelFormat> EnumTextureFormats() const override { return formats; }
    SurfaceHandle CreateSurface(const SurfaceDesc& desc) override;
    void AddRefSurface(SurfaceHandle surface) override;
    void ReleaseSurface(SurfaceHandle surface) override;
    bool GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const override {
        return Find(surface) && (*desc = Find(surface)->desc, true);
    }
    SurfaceHandle GetAttachedSurface(SurfaceHandle surface, uint32_t caps) override;
    bool Lock(SurfaceHandle surface, SurfaceLock* lock) override;
    bool Unlock(SurfaceHandle surface) override { return Find(surface) != nullptr; }
    bool SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t, uint32_t) override {
        return Find(surface) && flags == DDCKEY_SRCBLT && (Find(surface)->keySet = true);
    }
    PaletteHandle CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                uint32_t count) override;
    bool SetPalette(SurfaceHandle surface, PaletteHandle palette) override {
        return Find(surface) && palettes.count(palette) && (Find(surface)->palette = palette);
    }
    void ReleasePalette(PaletteHandle palette) override { palettes.erase(palette); }
    bool IsLost(SurfaceHandle surface) const override {
        return Find(surface) && Find(surface)->lost;
    }
    bool Restore(SurfaceHandle surface) override;
    bool LoadTexture(SurfaceHandle dest, SurfaceHandle source) override;
    TextureHandle GetTextureHandle(SurfaceHandle surface) override {
        return Find(surface) && (Find(surface)->desc.caps & DDSCAPS_TEXTURE)
                   ? TextureHandle(surface.value + 0x1000)
                   : TextureHandle();
    }
    bool Present() override { return true; }
    bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) override;
    bool ReadFrame(FrameImage* image) override;
    FrameStats GetFrameStats() const override { return {}; }
    void EnableTrace(bool) override {}
    const std::vector<std::string>& Trace() const override { return trace_; }
    void ClearTrace() override {}

private:
    bool Scene(const char* call, bool begin);
    bool RecordDraw(PrimitiveType type, VertexType vertexType, const void* vertices,
                    uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount);
    template <typename H, typename T>
    H Create(std::map<H, T>& records) {
        const H handle(nextHandle_++);
        records[handle] = T{};
        return handle;
    }
    template <typename H, typename T>
    static bool Get(const std::map<H, T>& records, H handle, T* out) {
        auto it = records.find(handle);
        return it != records.end() && out && (*out = it->second, true);
    }
    // A surface that is still held, or null.
    Surface* Find(SurfaceHandle s) const {
        auto it = const_cast<FakeDevice*>(this)->surfaces.find(s);
        return it == surfaces.end() || it->second.refs <= 0 ? nullptr : &it->second;
    }

    bool inScene_ = false;
    std::vector<std::string> calls_;
    std::vector<std::string> trace_;
    Matrix transforms_[4];
    uint32_t states_[RS_COUNT] = {};
    uint32_t lightStates_[8] = {};
    ViewportRecord viewport_;
    MaterialRecord lastMaterial_;
    std::map<MaterialHandle, MaterialRecord> materials_;
    std::map<LightHandle, LightRecord> lights_;
    std::set<LightHandle> attached_;
    uint32_t nextHandle_ = 1;
    uint32_t nextSurface_ = 1;
    uint32_t nextPalette_ = 1;
};

}  // namespace orix
