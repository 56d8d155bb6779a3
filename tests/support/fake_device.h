// FakeDevice: a GraphicsDevice that rasterises nothing and keeps everything it is told, for tests
// that need no pixels. It keeps a log of calls (one line of text each, "SetRenderState 7 0"),
// the transforms and render states (starting at Direct3D's defaults), material and light records
// by handle, the attached lights, every draw with the state it was issued under, and surfaces
// and palettes in memory so the texture code can be watched (descriptions, reference counts,
// keys, transfers) and its texels read back.
//
// Depends on the platform's GraphicsDevice interface only. Texture formats are offered only when
// a test fills `formats`; until then no texture can be made, as on a device without textures.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "math/vertex.h"
#include "platform/graphics_device.h"

namespace orix {

PixelFormat Palette8Format();
PixelFormat RgbFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0);
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
        SurfaceHandle next = 0;  // the next mip level
        SurfaceHandle root = 0;  // a level's first surface, whose count it shares
        bool keySet = false;
        uint32_t keyLow = 0, keyHigh = 0;
        PaletteHandle palette = 0;
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
    int restores = 0;

    // The call log, and how many of its lines start with prefix.
    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    size_t CountCalls(const std::string& prefix) const;

    Matrix Transform(TransformState state) const {
        return state <= TRANSFORM_PROJECTION ? transforms_[state] : Matrix{};
    }
    uint32_t State(RenderState state) const { return states_[state]; }
    bool IsLightAttached(LightHandle light) const { return attached_.count(light) != 0; }
    bool IsLightAlive(LightHandle light) const { return lights_.count(light) != 0; }
    size_t LiveLightCount() const { return lights_.size(); }
    // Surface chains whose reference count is above zero.
    size_t LiveSurfaces() const;
    // The texel at (x, y) of a surface, as the raw little-endian value of its format.
    uint32_t Texel(SurfaceHandle s, uint32_t x, uint32_t y) const;

    DeviceCaps GetCaps() const override;
    uint32_t Width() const override { return width; }
    uint32_t Height() const override { return height; }
    uint32_t BitsPerPixel() const override { return bits; }
    bool BeginScene() override { return Scene("BeginScene", true); }
    bool EndScene() override { return Scene("EndScene", false); }
    bool SetTransform(TransformState state, const Matrix& m) override;
    bool GetTransform(TransformState state, Matrix* m) const override;
    bool SetRenderState(RenderState state, uint32_t value) override;
    bool GetRenderState(RenderState state, uint32_t* value) const override {
        return Get(states_, state, value);
    }
    bool SetLightState(LightState state, uint32_t value) override;
    bool GetLightState(LightState state, uint32_t* value) const override {
        return Get(lightStates_, state, value);
    }
    bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                       uint32_t vertexCount, uint32_t flags) override;
    bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              uint32_t flags) override;
    // Kept as a DrawIndexedPrimitive whose lit vertices carry color.
    bool DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                     uint32_t vertexCount, const uint16_t* indices,
                                     uint32_t indexCount, uint32_t color, uint32_t flags) override;
    bool SetViewport(const ViewportRecord& viewport) override;
    bool GetViewport(ViewportRecord* viewport) const override;
    bool SetBackground(MaterialHandle material) override;
    bool Clear(const Rect* rects, uint32_t count, uint32_t flags) override;
    bool AddLight(LightHandle light) override;
    bool DeleteLight(LightHandle light) override;
    MaterialHandle CreateMaterial() override { return Create(materials_, "CreateMaterial "); }
    bool SetMaterial(MaterialHandle material, const MaterialRecord& record) override;
    bool GetMaterial(MaterialHandle material, MaterialRecord* record) const override {
        return Get(materials_, material, record);
    }
    void ReleaseMaterial(MaterialHandle material) override;
    LightHandle CreateLight() override { return Create(lights_, "CreateLight "); }
    bool SetLight(LightHandle light, const LightRecord& record) override;
    bool GetLight(LightHandle light, LightRecord* record) const override {
        return Get(lights_, light, record);
    }
    void ReleaseLight(LightHandle light) override;
    std::vector<PixelFormat> EnumTextureFormats() const override { return formats; }
    SurfaceHandle CreateSurface(const SurfaceDesc& desc) override;
    void AddRefSurface(SurfaceHandle surface) override;
    void ReleaseSurface(SurfaceHandle surface) override;
    bool GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const override;
    SurfaceHandle GetAttachedSurface(SurfaceHandle surface, uint32_t caps) override;
    bool Lock(SurfaceHandle surface, SurfaceLock* lock) override;
    bool Unlock(SurfaceHandle surface) override { return Find(surface) != nullptr; }
    bool SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low, uint32_t high) override;
    PaletteHandle CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                uint32_t count) override;
    bool SetPalette(SurfaceHandle surface, PaletteHandle palette) override;
    void ReleasePalette(PaletteHandle palette) override { palettes.erase(palette); }
    bool IsLost(SurfaceHandle surface) const override;
    bool Restore(SurfaceHandle surface) override;
    bool LoadTexture(SurfaceHandle dest, SurfaceHandle source) override;
    TextureHandle GetTextureHandle(SurfaceHandle surface) override;
    bool Present() override;
    bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) override;
    bool ReadFrame(FrameImage* image) override;
    FrameStats GetFrameStats() const override { return {}; }
    void EnableTrace(bool) override {}
    const std::vector<std::string>& Trace() const override { return trace_; }
    void ClearTrace() override {}

private:
    void Record(const std::string& line) { calls_.push_back(line); }
    bool Scene(const char* call, bool begin);
    bool RecordDraw(PrimitiveType type, VertexType vertexType, const void* vertices,
                    uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount);
    template <typename T>
    uint32_t Create(std::map<uint32_t, T>& records, const std::string& call) {
        uint32_t h = nextHandle_++;
        records[h] = T{};
        Record(call + std::to_string(h));
        return h;
    }
    template <typename T>
    static bool Get(const std::map<uint32_t, T>& records, uint32_t handle, T* out) {
        auto it = records.find(handle);
        if (it == records.end() || !out) return false;
        *out = it->second;
        return true;
    }
    template <typename T>
    static bool Put(std::map<uint32_t, T>& records, uint32_t handle, const T& record) {
        auto it = records.find(handle);
        if (it == records.end()) return false;
        it->second = record;
        return true;
    }
    template <size_t N>
    static bool Get(const uint32_t (&values)[N], uint32_t i, uint32_t* out) {
        if (i >= N || !out) return false;
        *out = values[i];
        return true;
    }
    template <size_t N>
    static bool Put(uint32_t (&values)[N], uint32_t i, uint32_t value) {
        if (i >= N) return false;
        values[i] = value;
        return true;
    }
    const Surface* Find(SurfaceHandle s) const;
    Surface* Find(SurfaceHandle s) {
        return const_cast<Surface*>(static_cast<const FakeDevice*>(this)->Find(s));
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
    SurfaceHandle nextSurface_ = 1;
    PaletteHandle nextPalette_ = 1;
};

}  // namespace orix
