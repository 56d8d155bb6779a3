/// \file
/// Plain records that cross the graphics-device boundary: handles, viewport, material, light,
/// pixel formats and surface descriptions, and the per-frame statistics. They mirror the
/// Direct3D / DirectDraw records the engine was written against, field for field where it
/// matters, and include no graphics-library header.
#pragma once

#include <cstdint>
#include <string>

#include "math/color.h"
#include "math/vector3.h"
#include "platform/d3d_constants.h"

namespace orix {

/// A handle handed out by the device: a small integer, 0 meaning none, of a type of its own per
/// kind (Kind is a tag), so a material handle is refused where a texture is wanted. Texture
/// handles pack a slot index and a generation, so a handle kept after its surface was released is
/// refused instead of reaching another surface.
template <typename Kind>
struct Handle {
    uint32_t value = 0;

    constexpr Handle() = default;
    constexpr explicit Handle(uint32_t v) : value(v) {}
    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(Handle a, Handle b) { return a.value == b.value; }
    friend constexpr bool operator!=(Handle a, Handle b) { return a.value != b.value; }
    /// For ordered containers.
    friend constexpr bool operator<(Handle a, Handle b) { return a.value < b.value; }
};

using TextureHandle = Handle<struct TextureKind>;
using MaterialHandle = Handle<struct MaterialKind>;
using LightHandle = Handle<struct LightKind>;
using SurfaceHandle = Handle<struct SurfaceKind>;
using PaletteHandle = Handle<struct PaletteKind>;

/// 16-byte device identifier (a GUID). All zero names the primary display driver.
struct DriverGuid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    bool IsZero() const;
    bool operator==(const DriverGuid& o) const;
    bool operator!=(const DriverGuid& o) const { return !(*this == o); }
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

/// D3DVIEWPORT2: the screen rectangle and the clip volume mapped onto it.
struct ViewportRecord {
    uint32_t x = 0, y = 0;
    uint32_t width = 640, height = 480;
    float clipX = -1.0f, clipY = 0.75f;
    float clipWidth = 2.0f, clipHeight = 1.5f;
    float minZ = 0.0f, maxZ = 1.0f;
};

/// D3DMATERIAL.
struct MaterialRecord {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power = 0.0f;
    TextureHandle texture;
    uint32_t rampSize = 0;
};

/// D3DLIGHT2.
struct LightRecord {
    uint32_t type = LIGHT_POINT;
    ColorValue color;
    Vector3 position;
    Vector3 direction{0.0f, 0.0f, 1.0f};
    float range = 0.0f;
    float falloff = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
    float theta = 0.0f;  ///< inner cone angle, radians
    float phi = 0.0f;    ///< outer cone angle, radians
    uint32_t flags = 0;  ///< LIGHT_ACTIVE, LIGHT_NO_SPECULAR
};

/// DDPIXELFORMAT (dwSize 32).
struct PixelFormat {
    uint32_t size = 32;
    uint32_t flags = 0;  ///< DDPF_*
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;

    bool operator==(const PixelFormat& o) const;
};

/// DDSURFACEDESC, the fields this engine uses.
struct SurfaceDesc {
    uint32_t size = 108;
    uint32_t flags = 0;  ///< DDSD_*
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mipMapCount = 0;
    PixelFormat pixelFormat;
    uint32_t caps = 0;  ///< DDSCAPS_*
};

/// A locked view of one surface level's pixels, rows top-down.
struct SurfaceLock {
    void* bits = nullptr;
    int32_t pitch = 0;  ///< bytes per row
    uint32_t width = 0;
    uint32_t height = 0;
    PixelFormat format;
};

/// PALETTEENTRY.
struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

/// What one frame cost the device, from BeginScene to the next BeginScene.
struct FrameStats {
    uint32_t drawCalls = 0;
    uint32_t primitives = 0;
    uint32_t vertices = 0;
    uint32_t renderStateChanges = 0;    ///< states whose value changed
    uint32_t renderStateRedundant = 0;  ///< sets that changed nothing and reached no GL call
    uint32_t textureBinds = 0;
    uint32_t transformChanges = 0;
    uint32_t clears = 0;
    uint32_t textDraws = 0;
};

/// What the device is and can do (the caps the engine reads).
struct DeviceCaps {
    bool hardware = false;  ///< a GPU rather than a software rasteriser
    uint32_t maxTextureSize = 0;
    std::string renderer;  ///< the OpenGL renderer string
};

}  // namespace orix
