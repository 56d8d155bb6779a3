// RecordingDevice: a GraphicsDevice that draws nothing and remembers everything: each call as a
// line of text, the transforms, render states (with Direct3D's defaults), light and material
// records, and which lights are attached. For logic tests that need no pixels.
//
// Depends on the platform's GraphicsDevice interface only. Surfaces and palettes are refused
// (0 / false); textures are out of its scope.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/graphics_device.h"

namespace orix {

class RecordingDevice : public GraphicsDevice {
public:
    RecordingDevice(uint32_t width = 640, uint32_t height = 480, uint32_t bits = 16);

    // Calls recorded so far, one line each ("SetRenderState 7 0").
    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // How many recorded lines start with prefix.
    size_t CountCalls(const std::string& prefix) const;
    // Index of the first line starting with prefix at or after from, or -1.
    int FindCall(const std::string& prefix, size_t from = 0) const;

    Matrix Transform(TransformState state) const;
    uint32_t State(RenderState state) const { return states_[state]; }
    bool IsLightAttached(LightHandle light) const { return attached_.count(light) != 0; }
    bool IsLightAlive(LightHandle light) const { return lights_.count(light) != 0; }
    size_t LiveLightCount() const { return lights_.size(); }
    bool InScene() const { return inScene_; }

    DeviceCaps GetCaps() const override;
    uint32_t Width() const override { return width_; }
    uint32_t Height() const override { return height_; }
    uint32_t BitsPerPixel() const override { return bits_; }
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
    std::vector<PixelFormat> EnumTextureFormats() const override { return {}; }
    SurfaceHandle CreateSurface(const SurfaceDesc&) override { return 0; }
    void AddRefSurface(SurfaceHandle) override {}
    void ReleaseSurface(SurfaceHandle) override {}
    bool GetSurfaceDesc(SurfaceHandle, SurfaceDesc*) const override { return false; }
    SurfaceHandle GetAttachedSurface(SurfaceHandle, uint32_t) override { return 0; }
    bool Lock(SurfaceHandle, SurfaceLock*) override { return false; }
    bool Unlock(SurfaceHandle) override { return false; }
    bool SetColorKey(SurfaceHandle, uint32_t, uint32_t, uint32_t) override { return false; }
    PaletteHandle CreatePalette(uint32_t, const PaletteEntry*, uint32_t) override { return 0; }
    bool SetPalette(SurfaceHandle, PaletteHandle) override { return false; }
    void ReleasePalette(PaletteHandle) override {}
    bool IsLost(SurfaceHandle) const override { return false; }
    bool Restore(SurfaceHandle) override { return false; }
    bool LoadTexture(SurfaceHandle, SurfaceHandle) override { return false; }
    TextureHandle GetTextureHandle(SurfaceHandle) override { return 0; }
    bool Present() override;
    bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) override;
    bool ReadFrame(FrameImage* image) override;
    FrameStats GetFrameStats() const override { return stats_; }
    void EnableTrace(bool on) override { trace_on_ = on; }
    const std::vector<std::string>& Trace() const override { return trace_; }
    void ClearTrace() override { trace_.clear(); }

private:
    void Record(const std::string& line);

    uint32_t width_, height_, bits_;
    bool inScene_ = false;
    std::vector<std::string> calls_;
    std::vector<std::string> trace_;
    bool trace_on_ = false;
    FrameStats stats_;
    Matrix transforms_[4];
    uint32_t states_[RS_COUNT] = {};
    uint32_t lightStates_[8] = {};
    ViewportRecord viewport_;
    std::map<MaterialHandle, MaterialRecord> materials_;
    std::map<LightHandle, LightRecord> lights_;
    std::set<LightHandle> attached_;
    uint32_t nextHandle_ = 1;
};

}  // namespace orix
