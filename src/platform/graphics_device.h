/// \file
/// GraphicsDevice: the engine's one road to the screen, with the operations and semantics of the
/// Direct3D immediate-mode device (and the DirectDraw surfaces, viewport, materials and lights it
/// draws with), so that every platform call the engine makes has one operation here.
///
/// Semantics are Direct3D's: row-vector matrices, left-handed space, depth 0 at the near plane and
/// 1 at the far plane, front faces clockwise on screen with CULL_CCW by default; unlit vertices
/// are lit by the current material, the active lights and the ambient light state; lit vertices
/// draw with their own colour; transformed vertices are screen pixels with rhw for
/// perspective-correct texturing. Render states keep their Direct3D numbers and defaults.
///
/// Clear clears colour and depth whatever ZWRITEENABLE and the blend states say.
///
/// No implementation header includes a graphics or windowing library here; the OpenGL backend
/// lives in its own files (gl_*.cpp). Every failure is a return value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/vertex.h"
#include "platform/d3d_constants.h"
#include "platform/device_types.h"

namespace orix {

/// An RGBA8 picture read back from the back buffer, rows top-down.
struct FrameImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  ///< width * height * 4

    /// The pixel at (x, y) as 0x00RRGGBB; out-of-range coordinates give 0.
    uint32_t Rgb(uint32_t x, uint32_t y) const;
};

class GraphicsDevice {
public:
    virtual ~GraphicsDevice() = default;

    /// --- what the device is -------------------------------------------------------------
    virtual DeviceCaps GetCaps() const = 0;
    /// Back-buffer size in pixels and its depth (16 means RGB565 colour and 16-bit depth).
    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual uint32_t BitsPerPixel() const = 0;

    /// --- scene ----------------------------------------------------------------------------
    /// BeginScene starts a new frame's statistics. Both return false when misused (nested or
    /// unmatched), as Direct3D does, and draw calls outside a scene are refused.
    virtual bool BeginScene() = 0;
    virtual bool EndScene() = 0;

    /// --- transforms and states ------------------------------------------------------------
    virtual bool SetTransform(TransformState state, const Matrix& m) = 0;
    virtual bool GetTransform(TransformState state, Matrix* m) const = 0;
    virtual bool SetRenderState(RenderState state, uint32_t value) = 0;
    virtual bool GetRenderState(RenderState state, uint32_t* value) const = 0;
    /// LIGHTSTATE_MATERIAL takes a material handle; LIGHTSTATE_AMBIENT a packed ARGB colour.
    virtual bool SetLightState(LightState state, uint32_t value) = 0;
    virtual bool GetLightState(LightState state, uint32_t* value) const = 0;

    /// --- drawing --------------------------------------------------------------------------
    virtual bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                               uint32_t vertexCount, uint32_t flags) = 0;
    virtual bool DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType,
                                      const void* vertices, uint32_t vertexCount,
                                      const uint16_t* indices, uint32_t indexCount,
                                      uint32_t flags) = 0;
    /// DrawIndexedPrimitive of lit vertices that all take color (packed ARGB) in place of their
    /// own: sub-meshes in their material's colour draw from their mesh's vertices, uncopied.
    virtual bool DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                             uint32_t vertexCount, const uint16_t* indices,
                                             uint32_t indexCount, uint32_t color,
                                             uint32_t flags) = 0;

    /// --- the viewport ---------------------------------------------------------------------
    virtual bool SetViewport(const ViewportRecord& viewport) = 0;
    virtual bool GetViewport(ViewportRecord* viewport) const = 0;
    /// The background material's diffuse colour fills the target; depth becomes 1.
    virtual bool SetBackground(MaterialHandle material) = 0;
    virtual bool Clear(const Rect* rects, uint32_t count, uint32_t flags) = 0;
    virtual bool AddLight(LightHandle light) = 0;
    virtual bool DeleteLight(LightHandle light) = 0;

    /// --- materials and lights -------------------------------------------------------------
    virtual MaterialHandle CreateMaterial() = 0;
    virtual bool SetMaterial(MaterialHandle material, const MaterialRecord& record) = 0;
    virtual bool GetMaterial(MaterialHandle material, MaterialRecord* record) const = 0;
    virtual void ReleaseMaterial(MaterialHandle material) = 0;
    virtual LightHandle CreateLight() = 0;
    virtual bool SetLight(LightHandle light, const LightRecord& record) = 0;
    virtual bool GetLight(LightHandle light, LightRecord* record) const = 0;
    virtual void ReleaseLight(LightHandle light) = 0;

    /// --- surfaces, palettes and textures (the DirectDraw side) ----------------------------
    /// Texture formats the device accepts, always in this order:
    ///   0 8-bit palette-indexed (DDPF_PALETTEINDEXED8 | DDPF_RGB)
    ///   1 16-bit RGB565          2 16-bit ARGB1555        3 16-bit ARGB4444
    ///   4 24-bit RGB888          5 32-bit xRGB8888 (no alpha)   6 32-bit ARGB8888
    virtual std::vector<PixelFormat> EnumTextureFormats() const = 0;
    /// A surface of desc's size and pixel format; with DDSCAPS_MIPMAP and a mip count, a chain
    /// of levels each half the last. 0 when refused (zero or oversized, unknown format).
    virtual SurfaceHandle CreateSurface(const SurfaceDesc& desc) = 0;
    /// Surfaces are reference counted: AddRef for a second holder, Release per holder.
    virtual void AddRefSurface(SurfaceHandle surface) = 0;
    virtual void ReleaseSurface(SurfaceHandle surface) = 0;
    virtual bool GetSurfaceDesc(SurfaceHandle surface, SurfaceDesc* desc) const = 0;
    /// The next level of a mip chain (caps DDSCAPS_TEXTURE | DDSCAPS_MIPMAP), or 0. As in
    /// DirectDraw the caller gets a reference to release; the levels of a chain share one count.
    virtual SurfaceHandle GetAttachedSurface(SurfaceHandle surface, uint32_t caps) = 0;
    /// Rows top-down; Unlock marks the texels changed, so the next draw uploads them again.
    virtual bool Lock(SurfaceHandle surface, SurfaceLock* lock) = 0;
    virtual bool Unlock(SurfaceHandle surface) = 0;
    /// Source colour key (DDCKEY_SRCBLT): texels equal to the key, in the surface's own format,
    /// are transparent while COLORKEYENABLE is on.
    virtual bool SetColorKey(SurfaceHandle surface, uint32_t flags, uint32_t low,
                             uint32_t high) = 0;
    virtual PaletteHandle CreatePalette(uint32_t caps, const PaletteEntry* entries,
                                        uint32_t count) = 0;
    virtual bool SetPalette(SurfaceHandle surface, PaletteHandle palette) = 0;
    virtual void ReleasePalette(PaletteHandle palette) = 0;
    virtual bool IsLost(SurfaceHandle surface) const = 0;
    virtual bool Restore(SurfaceHandle surface) = 0;
    /// Texture Load: copies source's pixels (and its whole level chain) into dest; false, with
    /// dest unchanged, when the chains differ in sizes or formats.
    virtual bool LoadTexture(SurfaceHandle dest, SurfaceHandle source) = 0;
    /// The handle that TEXTUREHANDLE and materials bind; 0 for a surface that is no texture (or
    /// a lower mip level). It stays valid while the surface lives and is refused after.
    virtual TextureHandle GetTextureHandle(SurfaceHandle surface) = 0;

    /// --- the back buffer --------------------------------------------------------------------
    /// Shows the finished frame (a flip in a window; a no-op offscreen beyond finishing).
    virtual bool Present() = 0;
    /// TextOut stand-in: text at (x, y) in a COLORREF colour (0x00BBGGRR), transparent
    /// background, in the default font. Drawn directly into the back buffer.
    virtual bool DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) = 0;
    /// Reads the back buffer as it stands (the frame drawn so far).
    virtual bool ReadFrame(FrameImage* image) = 0;

    /// --- statistics and trace -------------------------------------------------------------
    /// Counters of the frame begun by the last BeginScene (with the clears made between the
    /// previous EndScene and it, as a frame clears before its scene begins).
    virtual FrameStats GetFrameStats() const = 0;
    /// When on, each device call appends one line ("DrawPrimitive TRIANGLELIST LVERTEX 3").
    virtual void EnableTrace(bool on) = 0;
    virtual const std::vector<std::string>& Trace() const = 0;
    virtual void ClearTrace() = 0;
};

/// Writes an RGBA image as a PNG file; false with nothing left behind on failure.
bool WritePng(const std::string& path, const FrameImage& image);

}  // namespace orix
