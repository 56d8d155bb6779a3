/// \file
/// Direct3D and DirectDraw numbers the engine speaks in: render states, blend factors, light
/// types, surface capabilities and pixel-format flags. They keep their Direct3D values so that
/// tables written against Direct3D (the render-state group, stored models) mean the same here.
#pragma once

#include <cstdint>

namespace orix {

/// Render states (D3DRENDERSTATETYPE).
enum RenderState : uint32_t {
    RS_TEXTUREHANDLE = 1,
    RS_ANTIALIAS = 2,
    RS_TEXTUREADDRESS = 3,
    RS_TEXTUREPERSPECTIVE = 4,
    RS_WRAPU = 5,
    RS_WRAPV = 6,
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_LINEPATTERN = 10,
    RS_MONOENABLE = 11,
    RS_ROP2 = 12,
    RS_PLANEMASK = 13,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_LASTPIXEL = 16,
    RS_TEXTUREMAG = 17,
    RS_TEXTUREMIN = 18,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_TEXTUREMAPBLEND = 21,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_ZVISIBLE = 30,
    RS_SUBPIXEL = 31,
    RS_SUBPIXELX = 32,
    RS_STIPPLEDALPHA = 33,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGTABLESTART = 36,
    RS_FOGTABLEEND = 37,
    RS_FOGTABLEDENSITY = 38,
    RS_STIPPLEENABLE = 39,
    RS_EDGEANTIALIAS = 40,
    RS_COLORKEYENABLE = 41,
    RS_COUNT = 42,  ///< one past the last state the device keeps
};

enum : uint32_t { D3D_FALSE = 0, D3D_TRUE = 1 };

/// D3DBLEND
enum Blend : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_SRCCOLOR = 3,
    BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6,
    BLEND_DESTALPHA = 7,
    BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10,
    BLEND_SRCALPHASAT = 11,
    BLEND_BOTHSRCALPHA = 12,
    BLEND_BOTHINVSRCALPHA = 13,
};

/// D3DTEXTUREBLEND
enum TextureBlend : uint32_t {
    TBLEND_DECAL = 1,
    TBLEND_MODULATE = 2,
    TBLEND_DECALALPHA = 3,
    TBLEND_MODULATEALPHA = 4,
    TBLEND_DECALMASK = 5,
    TBLEND_MODULATEMASK = 6,
    TBLEND_COPY = 7,
    TBLEND_ADD = 8,
};

/// D3DTEXTUREFILTER
enum TextureFilter : uint32_t {
    FILTER_NEAREST = 1,
    FILTER_LINEAR = 2,
    FILTER_MIPNEAREST = 3,
    FILTER_MIPLINEAR = 4,
    FILTER_LINEARMIPNEAREST = 5,
    FILTER_LINEARMIPLINEAR = 6,
};

enum CullMode : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum ShadeMode : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2, SHADE_PHONG = 3 };
enum FillMode : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum CompareFunc : uint32_t {
    CMP_NEVER = 1,
    CMP_LESS = 2,
    CMP_EQUAL = 3,
    CMP_LESSEQUAL = 4,
    CMP_GREATER = 5,
    CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7,
    CMP_ALWAYS = 8,
};
enum TextureAddress : uint32_t { TADDRESS_WRAP = 1, TADDRESS_MIRROR = 2, TADDRESS_CLAMP = 3 };

/// D3DLIGHTSTATETYPE
enum LightState : uint32_t {
    LIGHTSTATE_MATERIAL = 1,
    LIGHTSTATE_AMBIENT = 2,
    LIGHTSTATE_COLORMODEL = 3,
    LIGHTSTATE_FOGMODE = 4,
    LIGHTSTATE_FOGSTART = 5,
    LIGHTSTATE_FOGEND = 6,
    LIGHTSTATE_FOGDENSITY = 7,
};

enum TransformState : uint32_t {
    TRANSFORM_WORLD = 1,
    TRANSFORM_VIEW = 2,
    TRANSFORM_PROJECTION = 3,
};

enum PrimitiveType : uint32_t {
    PRIM_POINTLIST = 1,
    PRIM_LINELIST = 2,
    PRIM_LINESTRIP = 3,
    PRIM_TRIANGLELIST = 4,
    PRIM_TRIANGLESTRIP = 5,
    PRIM_TRIANGLEFAN = 6,
};

/// D3DVERTEXTYPE
enum VertexType : uint32_t { VT_VERTEX = 1, VT_LVERTEX = 2, VT_TLVERTEX = 3 };

/// DrawPrimitive flags (D3DDP_*).
enum DrawFlags : uint32_t {
    DP_WAIT = 0x1,
    DP_DONOTCLIP = 0x4,
    DP_DONOTUPDATEEXTENTS = 0x8,
    DP_DONOTLIGHT = 0x10,
};

/// Clear flags (D3DCLEAR_*).
enum ClearFlags : uint32_t { CLEAR_TARGET = 0x1, CLEAR_ZBUFFER = 0x2 };

/// D3DLIGHTTYPE and light flags.
enum LightType : uint32_t {
    LIGHT_POINT = 1,
    LIGHT_SPOT = 2,
    LIGHT_DIRECTIONAL = 3,
    LIGHT_PARALLELPOINT = 4,
};
enum LightFlags : uint32_t { LIGHT_ACTIVE = 0x1, LIGHT_NO_SPECULAR = 0x2 };

/// DirectDraw surface capabilities (DDSCAPS_*).
enum SurfaceCaps : uint32_t {
    DDSCAPS_3DDEVICE = 0x00002000,
    DDSCAPS_ALLOCONLOAD = 0x04000000,
    DDSCAPS_BACKBUFFER = 0x00000004,
    DDSCAPS_COMPLEX = 0x00000008,
    DDSCAPS_FLIP = 0x00000010,
    DDSCAPS_MIPMAP = 0x00400000,
    DDSCAPS_PRIMARYSURFACE = 0x00000200,
    DDSCAPS_SYSTEMMEMORY = 0x00000800,
    DDSCAPS_TEXTURE = 0x00001000,
    DDSCAPS_VIDEOMEMORY = 0x00004000,
    DDSCAPS_ZBUFFER = 0x00020000,
};

/// DirectDraw surface-description flags (DDSD_*).
enum SurfaceDescFlags : uint32_t {
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PIXELFORMAT = 0x1000,
    DDSD_MIPMAPCOUNT = 0x20000,
};

/// DirectDraw pixel-format flags (DDPF_*).
enum PixelFormatFlags : uint32_t {
    DDPF_ALPHAPIXELS = 0x1,
    DDPF_ALPHA = 0x2,
    DDPF_PALETTEINDEXED4 = 0x8,
    DDPF_PALETTEINDEXED8 = 0x20,
    DDPF_RGB = 0x40,
};

/// Palette capabilities (DDPCAPS_*).
enum PaletteCaps : uint32_t { DDPCAPS_4BIT = 0x1, DDPCAPS_8BIT = 0x4, DDPCAPS_INITIALIZE = 0x8 };

/// Colour-key kinds (DDCKEY_*).
enum ColorKeyFlags : uint32_t { DDCKEY_SRCBLT = 0x8 };

}  // namespace orix
