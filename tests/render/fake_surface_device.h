// A graphics device that keeps surfaces and palettes in memory and draws nothing: enough to
// watch what the texture code asks of a device (surface descriptions, reference counts, keys,
// palettes, transfers) and to read back the texels it wrote.
#pragma once

#include <map>
#include <vector>

#include "platform/graphics_device.h"

namespace orix::test {

PixelFormat Palette8Format();
PixelFormat RgbFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0);

class FakeSurfaceDevice : public GraphicsDevice {
public:
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

    bool hardware = true;
    std::vector<PixelFormat> formats;
    uint32_t screenBits = 16;
    std::map<SurfaceHandle, Surface> surfaces;
    std::map<PaletteHandle, Palette> palettes;
    std::vector<SurfaceDesc> created;  // every description CreateSurface was given
    int restores = 0;

    FakeSurfaceDevice();
    // Chains whose reference count is above zero.
    size_t LiveSurfaces() const;
    // The texel at (x, y) of a surface, as the raw little-endian value of its format.
    uint32_t Texel(SurfaceHandle s, uint32_t x, uint32_t y) const;

    DeviceCaps GetCaps() const override;
    uint32_t Width() const override { return 640; }
    uint32_t Height() const override { return 480; }
    uint32_t BitsPerPixel() const override { return screenBits; }
    bool BeginScene() override { return true; }
    bool EndScene() override { return true; }
    bool SetTransform(TransformState, const Matrix&) override { return true; }
    bool GetTransform(TransformState, Matrix*) const override { return false; }
    bool SetRenderState(RenderState, uint32_t) override { return true; }
    bool GetRenderState(RenderState, uint32_t* v) const override {
        *v = 0;
        return true;
    }
    bool SetLightState(LightState, uint32_t) override { return true; }
    bool GetLightState(LightState, uint32_t*) const override { return false; }
    bool DrawPrimitive(PrimitiveType, VertexType, const void*, uint32_t, uint32_t) override {
        return true;
    }
    bool DrawIndexedPrimitive(PrimitiveType, VertexType, const void*, uint32_t, const uint16_t*,
                              uint32_t, uint32_t) override {
        return true;
    }
    bool SetViewport(const ViewportRecord&) override { return true; }
    bool GetViewport(ViewportRecord*) const override { return false; }
    bool SetBackground(MaterialHandle) override { return true; }
    bool Clear(const Rect*, uint32_t, uint32_t) override { return true; }
    bool AddLight(LightHandle) override { return true; }
    bool DeleteLight(LightHandle) override { return true; }
    MaterialHandle CreateMaterial() override { return 0; }
    bool SetMaterial(MaterialHandle, const MaterialRecord&) override { return false; }
    bool GetMaterial(MaterialHandle, MaterialRecord*) const override { return false; }
    void ReleaseMaterial(MaterialHandle) override {}
    LightHandle CreateLight() override { return 0; }
    bool SetLight(LightHandle, const LightRecord&) override { return false; }
    bool GetLight(LightHandle, LightRecord*) const override { return false; }
    void ReleaseLight(LightHandle) override {}

    std::vector<PixelFormat> EnumTextureFormats() const override { return formats; }
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

    bool Present() override { return true; }
    bool DrawText(int32_t, int32_t, uint32_t, const std::string&) override { return true; }
    bool ReadFrame(FrameImage*) override { return false; }
    FrameStats GetFrameStats() const override { return {}; }
    void EnableTrace(bool) override {}
    const std::vector<std::string>& Trace() const override { return trace_; }
    void ClearTrace() override {}

private:
    Surface* Find(SurfaceHandle s);
    const Surface* Find(SurfaceHandle s) const;
    SurfaceHandle nextSurface_ = 1;
    PaletteHandle nextPalette_ = 1;
    std::vector<std::string> trace_;
};

}  // namespace orix::test
