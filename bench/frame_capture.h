// FrameCapture: a GraphicsDevice that passes every call to a real device and, while capturing,
// keeps each draw of one frame with everything needed to draw it again without the engine:
// the vertex and index arrays as sent, the transforms, viewport, the render and light states,
// the material and the active lights, and the pixels of the textures drawn with. Text is kept
// as the pixels the device made of the string, where a reader for them is given. The replay
// (gl_replay.h) turns such a frame into plain OpenGL calls; capture_file.h stores one.
//
// Depends on the platform's GraphicsDevice interface. Benchmark code: not part of the engine.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics_device.h"

namespace orix::bench {

struct CapturedTexture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top-down
    bool hasAlpha = false;
    bool keyed = false;
};

struct CapturedDraw {
    PrimitiveType type = PRIM_TRIANGLELIST;
    VertexType vertexType = VT_LVERTEX;
    uint32_t flags = 0;
    std::vector<uint8_t> vertices;  // 32-byte records
    uint32_t vertexCount = 0;
    std::vector<uint16_t> indices;  // empty for DrawPrimitive
    bool oneColor = false;          // lit vertices drawn in `color`, not their own
    uint32_t color = 0;
    Matrix world, view, projection;
    ViewportRecord viewport;
    std::array<uint32_t, RS_COUNT> states{};
    uint32_t ambient = 0;
    MaterialRecord material;
    std::vector<LightRecord> lights;  // active lights attached to the viewport
    int32_t texture = -1;             // index into CapturedFrame::textures
};

// A string drawn over the frame, as the device's text drawing made it: its pixels with a
// transparent background, placed with the top-left corner at (x, y).
struct CapturedText {
    int32_t x = 0, y = 0;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top-down
    uint32_t drawsBefore = 0;   // how many of the frame's draws come before it
};

struct CapturedFrame {
    uint32_t width = 0, height = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t clearColor = 0;  // packed ARGB of the background material
    bool cleared = false;
    std::vector<CapturedDraw> draws;
    std::vector<CapturedTexture> textures;
    std::vector<CapturedText> texts;
};

// Fills text's size and pixels with those of the string just drawn; false when it cannot.
using TextReader = bool (*)(CapturedText* text);

class FrameCapture final : public GraphicsDevice {
public:
    explicit FrameCapture(GraphicsDevice& inner) : inner_(inner) {}

    // The next frame's clears and draws go to *frame until EndCapture.
    void BeginCapture(CapturedFrame* frame);
    void EndCapture() { frame_ = nullptr; }
    // While on, clears, draws and text succeed without reaching the device: what remains of a
    // frame is the engine's own work (the device only keeps the states it is given).
    void SetDiscardDrawing(bool on) { discard_ = on; }
    // Text drawn while capturing is kept through reader (null: text is not kept).
    void SetTextReader(TextReader reader) { textReader_ = reader; }

    DeviceCaps GetCaps() const override { return inner_.GetCaps(); }
    uint32_t Width() const override { return inner_.Width(); }
    uint32_t Height() const override { return inner_.Height(); }
    uint32_t BitsPerPixel() const override { return inner_.BitsPerPixel(); }
    bool BeginScene() override { return inner_.BeginScene(); }
    bool EndScene() override { return inner_.EndScene(); }
    bool SetTransform(TransformState s, const Matrix& m) override {
        return inner_.SetTransform(s, m);
    }
    bool GetTransform(TransformState s, Matrix* m) const override {
        return inner_.GetTransform(s, m);
    }
    bool SetRenderState(RenderState s, uint32_t v) override { return inner_.SetRenderState(s, v); }
    bool GetRenderState(RenderState s, uint32_t* v) const override {
        return inner_.GetRenderState(s, v);
    }
    bool SetLightState(LightState s, uint32_t v) override { return inner_.SetLightState(s, v); }
    bool GetLightState(LightState s, uint32_t* v) const override {
        return inner_.GetLightState(s, v);
    }
    bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                       uint32_t vertexCount, uint32_t flags) override;
    bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              uint32_t flags) override;
    bool DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                     uint32_t vertexCount, const uint16_t* indices,
                                     uint32_t indexCount, uint32_t color, uint32_t flags) override;
    bool SetViewport(const ViewportRecord& v) override { return inner_.SetViewport(v); }
    bool GetViewport(ViewportRecord* v) const override { return inner_.GetViewport(v); }
    bool SetBackground(MaterialHandle m) override;
    bool Clear(const Rect* rects, uint32_t count, uint32_t flags) override;
    bool AddLight(LightHandle l) override;
    bool DeleteLight(LightHandle l) override;
    MaterialHandle CreateMaterial() override { return inner_.CreateMaterial(); }
    bool SetMaterial(MaterialHandle m, const MaterialRecord& r) override {
        return inner_.SetMaterial(m, r);
    }
    bool GetMaterial(MaterialHandle m, MaterialRecord* r) const override {
        return inner_.GetMaterial(m, r);
    }
    void ReleaseMaterial(MaterialHandle m) override { inner_.ReleaseMaterial(m); }
    LightHandle CreateLight() override { return inner_.CreateLight(); }
    bool SetLight(LightHandle l, const LightRecord& r) override { return inner_.SetLight(l, r); }
    bool GetLight(LightHandle l, LightRecord* r) const override { return inner_.GetLight(l, r); }
    void ReleaseLight(LightHandle l) override;
    std::vector<PixelFormat> EnumTextureFormats() const override {
        return inner_.EnumTextureFormats();
    }
    SurfaceHandle CreateSurface(const SurfaceDesc& d) override { return inner_.CreateSurface(d); }
    void AddRefSurface(SurfaceHandle s) override { inner_.AddRefSurface(s); }
    void ReleaseSurface(SurfaceHandle s) override { inner_.ReleaseSurface(s); }
    bool GetSurfaceDesc(SurfaceHandle s, SurfaceDesc* d) const override {
        return inner_.GetSurfaceDesc(s, d);
    }
    SurfaceHandle GetAttachedSurface(SurfaceHandle s, uint32_t caps) override {
        return inner_.GetAttachedSurface(s, caps);
    }
    bool Lock(SurfaceHandle s, SurfaceLock* l) override { return inner_.Lock(s, l); }
    bool Unlock(SurfaceHandle s) override { return inner_.Unlock(s); }
    bool SetColorKey(SurfaceHandle s, uint32_t flags, uint32_t low, uint32_t high) override;
    PaletteHandle CreatePalette(uint32_t caps, const PaletteEntry* e, uint32_t n) override {
        return inner_.CreatePalette(caps, e, n);
    }
    bool SetPalette(SurfaceHandle s, PaletteHandle p) override { return inner_.SetPalette(s, p); }
    void ReleasePalette(PaletteHandle p) override { inner_.ReleasePalette(p); }
    bool IsLost(SurfaceHandle s) const override { return inner_.IsLost(s); }
    bool Restore(SurfaceHandle s) override { return inner_.Restore(s); }
    bool LoadTexture(SurfaceHandle d, SurfaceHandle s) override { return inner_.LoadTexture(d, s); }
    TextureHandle GetTextureHandle(SurfaceHandle s) override;
    bool Present() override { return inner_.Present(); }
    bool DrawText(int32_t x, int32_t y, uint32_t c, const std::string& t) override;
    bool ReadFrame(FrameImage* image) override { return inner_.ReadFrame(image); }
    FrameStats GetFrameStats() const override { return inner_.GetFrameStats(); }
    void EnableTrace(bool on) override { inner_.EnableTrace(on); }
    const std::vector<std::string>& Trace() const override { return inner_.Trace(); }
    void ClearTrace() override { inner_.ClearTrace(); }

private:
    void Record(PrimitiveType type, VertexType vertexType, const void* vertices,
                uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, uint32_t flags);
    int32_t CaptureTexture(TextureHandle handle);

    GraphicsDevice& inner_;
    CapturedFrame* frame_ = nullptr;
    bool discard_ = false;
    TextReader textReader_ = nullptr;
    MaterialHandle background_;
    std::vector<LightHandle> attached_;
    std::map<TextureHandle, SurfaceHandle> surfaceOf_;
    std::set<SurfaceHandle> keyed_;
    std::map<TextureHandle, int32_t> captured_;
};

}  // namespace orix::bench
