// DrawRecorder: a GraphicsDevice that draws nothing and records what it is asked to do
// (indexed draws with the material and texture state they were issued under, material loads,
// render states, transforms), for tests of drawables that need no pixels.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/graphics_device.h"

namespace orix::testing {

class DrawRecorder : public GraphicsDevice {
public:
    struct Draw {
        VertexType vertexType;
        uint32_t vertexCount;
        uint32_t indexCount;
        MaterialRecord material;  // the drawing material's record at the time
        uint32_t textureHandle;   // RS_TEXTUREHANDLE at the time
        Matrix world;
        std::vector<Vector3> positions;  // the positions the indices reach, in index order
    };

    std::vector<Draw> draws;
    uint32_t materialLoads = 0;

    DeviceCaps GetCaps() const override { return {}; }
    uint32_t Width() const override { return 640; }
    uint32_t Height() const override { return 480; }
    uint32_t BitsPerPixel() const override { return 16; }
    bool BeginScene() override { return true; }
    bool EndScene() override { return true; }
    bool SetTransform(TransformState state, const Matrix& m) override;
    bool GetTransform(TransformState state, Matrix* m) const override;
    bool SetRenderState(RenderState state, uint32_t value) override;
    bool GetRenderState(RenderState state, uint32_t* value) const override;
    bool SetLightState(LightState, uint32_t) override { return true; }
    bool GetLightState(LightState, uint32_t*) const override { return false; }
    bool DrawPrimitive(PrimitiveType, VertexType, const void*, uint32_t, uint32_t) override {
        return true;
    }
    bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              uint32_t flags) override;
    bool SetViewport(const ViewportRecord&) override { return true; }
    bool GetViewport(ViewportRecord*) const override { return false; }
    bool SetBackground(MaterialHandle) override { return true; }
    bool Clear(const Rect*, uint32_t, uint32_t) override { return true; }
    bool AddLight(LightHandle) override { return true; }
    bool DeleteLight(LightHandle) override { return true; }
    MaterialHandle CreateMaterial() override { return 1; }
    bool SetMaterial(MaterialHandle, const MaterialRecord& record) override;
    bool GetMaterial(MaterialHandle, MaterialRecord* record) const override;
    void ReleaseMaterial(MaterialHandle) override {}
    LightHandle CreateLight() override { return 1; }
    bool SetLight(LightHandle, const LightRecord&) override { return true; }
    bool GetLight(LightHandle, LightRecord*) const override { return false; }
    void ReleaseLight(LightHandle) override {}
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
    bool Present() override { return true; }
    bool DrawText(int32_t, int32_t, uint32_t, const std::string&) override { return true; }
    bool ReadFrame(FrameImage*) override { return false; }
    FrameStats GetFrameStats() const override { return {}; }
    void EnableTrace(bool) override {}
    const std::vector<std::string>& Trace() const override { return trace_; }
    void ClearTrace() override {}

private:
    std::map<uint32_t, uint32_t> states_;
    std::map<uint32_t, Matrix> transforms_;
    MaterialRecord material_;
    std::vector<std::string> trace_;
};

}  // namespace orix::testing
