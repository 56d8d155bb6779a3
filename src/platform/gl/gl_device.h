/// \file
/// GlDevice: the GraphicsDevice on OpenGL's fixed-function pipeline (compatibility profile),
/// drawing into a GlDisplay's render target. Internal to src/platform; the engine sees only
/// GraphicsDevice. The work is split by job: gl_device.cpp (scene, states, transforms, viewport,
/// materials, lights, statistics), gl_device_draw.cpp (vertex processing and draw calls),
/// gl_device_surfaces.cpp (surfaces, palettes, textures), gl_text.cpp (text).
///
/// A shadow of every render state, the transforms and the bound texture is kept; sets that
/// change nothing reach no GL call, and states that feed one GL setting together (alpha test and
/// colour key, texture blend and texture format, filters and the bound texture) are resolved
/// when a draw needs them. Per-pixel work that could not change a pixel is left out: the
/// specular colour sum where every specular colour is black, the colour's product with a
/// texture where every vertex is opaque white.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/gl_display.h"
#include "platform/gl/vertex_lighting.h"
#include "platform/graphics_device.h"
#include "platform/handle_pool.h"

namespace orix {

class GlText;

class GlDevice final : public GraphicsDevice {
public:
    GlDevice(GlDisplay& display, bool hardware);
    ~GlDevice() override;

    DeviceCaps GetCaps() const override { return caps_; }
    uint32_t Width() const override { return display_.Width(); }
    uint32_t Height() const override { return display_.Height(); }
    uint32_t BitsPerPixel() const override { return display_.BitsPerPixel(); }

    bool BeginScene() override;
    bool EndScene() override;

    bool SetTransform(TransformState state, const Matrix& m) override;
    bool GetTransform(TransformState state, Matrix* m) const override;
    bool SetRenderState(RenderState state, uint32_t value) override;
    bool GetRenderState(RenderState state, uint32_t* value) const override;
    bool SetLightState(LightState state, uint32_t value) override;
    bool GetLightState(LightState state, uint32_t* value) const override;

    bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                       uint32_t vertexCount, uint32_t flags) override;
    bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              uint32_t flags) override;
    bool DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                     uint32_t vertexCount, const uint16_t* indices,
                                     uint32_t indexCount, uint32_t color, uint32_t flags) override;

    bool SetViewport(const ViewportRecord& viewport) override;
    bool GetViewport(ViewportRecord* viewport) const override;
    bool SetBackground(MaterialHandle material) override;
    bool Clear(const Rect* rects, uint32_t count, uint32_t flags) override;
    bool AddLight(LightHandle light) override;
    bool DeleteLight(LightHandle light) override;

    MaterialHandle CreateMaterial() override;
    bool SetMaterial(MaterialHandle material, const MaterialRecord& record) override;
    bool GetMaterial(MaterialHandle material, MaterialRecord* record) const override;
    void ReleaseMaterial(MaterialHandle material) override;
    LightHandle CreateLight() override;
    bool SetLight(LightHandle light, const LightRecord& record) override;
    bool GetLight(LightHandle light, LightRecord* record) const override;
    void ReleaseLight(LightHandle light) override;

    std::vector<PixelFormat> EnumTextureFormats() const override;
    SurfaceHandle CreateSurface(const SurfaceDesc& desc) override;
    void AddRefSurface(SurfaceHandle surface) override;
    void ReleaseSurface(SurfaceHandle surface) override;
    bool GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const override;
    SurfaceHandle GetAttachedSurface(SurfaceHandle surface, uint32_t caps) override;
    bool Lock(SurfaceHandle surface, SurfaceLock* lock) override;
    bool Unlock(SurfaceHandle surface) override;
    bool SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low, uint32_t high) override;
    PaletteHandle CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                uint32_t count) override;
    bool SetPalette(SurfaceHandle surface, PaletteHandle palette) override;
    void ReleasePalette(PaletteHandle palette) override;
    bool IsLost(SurfaceHandle surface) const override;
    bool Restore(SurfaceHandle surface) override;
    bool LoadTexture(SurfaceHandle dest, SurfaceHandle source) override;
    TextureHandle GetTextureHandle(SurfaceHandle surface) override;

    bool Present() override;
    bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) override;
    bool ReadFrame(FrameImage* image) override;

    FrameStats GetFrameStats() const override { return stats_; }
    void EnableTrace(bool on) override { trace_ = on; }
    const std::vector<std::string>& Trace() const override { return traceLines_; }
    void ClearTrace() override { traceLines_.clear(); }

private:
    struct Surface {
        SurfaceDesc desc;
        uint32_t pitch = 0;
        std::vector<uint8_t> pixels;
        uint32_t refs = 0;
        SurfaceHandle root;  ///< the chain's first level; 0 for the first level itself
        SurfaceHandle next;  ///< the next smaller level, or 0
        PaletteHandle palette;
        bool keyed = false;
        uint32_t keyLow = 0, keyHigh = 0;
        bool locked = false;
        uint32_t version = 1;          ///< bumped on every change of the chain's texels
        uint32_t uploadedVersion = 0;  ///< the version the GL texture holds
        uint32_t glTexture = 0;
        uint32_t levels = 1;  ///< levels in the chain (first level only)
        /// GL sampler settings the texture object holds (0 = not set yet).
        uint32_t glMag = 0, glMin = 0, glWrap = 0;
    };
    struct Palette {
        uint32_t caps = 0;
        std::vector<PaletteEntry> entries;
        uint32_t refs = 0;
    };
    enum class LoadedMatrices { None, Scene, Screen };

    /// gl_device.cpp
    void InitGlState();
    void ApplyRenderState(RenderState state, uint32_t value);
    void ApplyViewportRect();
    void TraceLine(const std::string& line);
    /// Brings GL back in line with the shadow after text drew with settings of its own.
    void RestoreAfterText();
    /// gl_device_draw.cpp
    /// drawColor, where given, stands for every vertex's colour (the colour array is off).
    bool Draw(const char* op, PrimitiveType type, VertexType vertexType, const void* vertices,
              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, uint32_t flags,
              const uint32_t* drawColor = nullptr);
    /// whiteVertices: every vertex of the draw is opaque white (a texture modulated by them
    /// is drawn as it is).
    void PrepareState(bool whiteVertices);
    void LoadMatrices(VertexType vertexType);
    /// The first and last vertex a draw reaches.
    struct VertexRange {
        uint32_t first, last;
    };
    void SetupArrays(VertexType vertexType, const void* vertices, VertexRange range,
                     uint32_t flags);
    /// gl_device_surfaces.cpp
    Surface* FindSurface(SurfaceHandle h) { return surfaces_.Get(h); }
    const Surface* FindSurface(SurfaceHandle h) const { return surfaces_.Get(h); }
    void DestroyChain(SurfaceHandle root);
    void TouchChain(SurfaceHandle h);
    bool UploadTexture(Surface& root);
    /// The GL texture for a texture handle, uploaded when its texels changed; null if stale.
    Surface* ResolveTexture(TextureHandle h);

    GlDisplay& display_;
    DeviceCaps caps_;
    bool hasDepth_ = false;

    std::array<uint32_t, RS_COUNT> states_{};
    std::array<uint32_t, 8> lightStates_{};
    Matrix world_, view_, projection_;
    bool matricesDirty_ = true;
    LoadedMatrices loaded_ = LoadedMatrices::None;
    ViewportRecord viewport_;
    MaterialHandle background_;
    std::vector<LightHandle> viewportLights_;
    bool inScene_ = false;

    HandlePool<MaterialRecord, MaterialHandle> materials_;
    HandlePool<LightRecord, LightHandle> lights_;
    HandlePool<Surface, SurfaceHandle> surfaces_;
    HandlePool<Palette, PaletteHandle> palettes_;

    /// What GL holds now, to skip redundant calls.
    uint32_t boundGlTexture_ = 0;
    bool textureEnabled_ = false;
    uint32_t texEnvKey_ = ~0u;
    uint32_t alphaTestKey_ = ~0u;
    bool fogDirty_ = true;
    bool secondaryEnabled_ = false;

    FrameStats stats_;
    uint32_t clearsBeforeScene_ = 0;
    bool trace_ = false;
    std::vector<std::string> traceLines_;

    /// Scratch arrays reused from draw to draw.
    std::vector<uint32_t> colors_, speculars_;
    std::vector<float> positions_;
    std::vector<uint8_t> convert_;
    LightingSetup lighting_;

    std::unique_ptr<GlText> text_;
};

/// Names for traces: "TRIANGLELIST", "LVERTEX", "ZENABLE".
const char* PrimitiveName(PrimitiveType type);
const char* VertexTypeName(VertexType type);
const char* RenderStateName(RenderState state);

}  // namespace orix
