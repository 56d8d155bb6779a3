// Vertex processing and draw calls: Direct3D's transform, viewport mapping and lighting
// expressed through GL's fixed-function pipeline.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/bitmap/surface_format.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_enums.h"

namespace orix {

namespace {

uint32_t PrimitiveCount(PrimitiveType type, uint32_t n) {
    switch (type) {
        case PRIM_POINTLIST:
            return n;
        case PRIM_LINELIST:
            return n / 2;
        case PRIM_LINESTRIP:
            return n >= 2 ? n - 1 : 0;
        case PRIM_TRIANGLELIST:
            return n / 3;
        case PRIM_TRIANGLESTRIP:
        case PRIM_TRIANGLEFAN:
            return n >= 3 ? n - 2 : 0;
        default:
            return 0;
    }
}

// What the colours of n lit or transformed records (32 bytes: the colour at byte 16, the
// specular at byte 20, in both) let a draw leave out.
struct RecordColors {
    bool allWhite = false;    // every colour opaque white
    bool anySpecular = true;  // some specular colour other than black (its alpha is not added)
};
static_assert(offsetof(LVertex, color) == 16 && offsetof(TLVertex, color) == 16 &&
                  offsetof(LVertex, specular) == 20 && offsetof(TLVertex, specular) == 20,
              "lit and transformed records keep their colours at bytes 16 and 20");
RecordColors ScanColors(const uint8_t* records, uint32_t n) {
    uint32_t all = 0xFFFFFFFFu, any = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t colors[2];
        std::memcpy(colors, records + size_t(i) * 32 + 16, sizeof colors);
        all &= colors[0];
        any |= colors[1];
    }
    return {all == 0xFFFFFFFFu, (any & 0x00FFFFFFu) != 0};
}

float BitsToFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

}  // namespace

bool GlDevice::DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                             uint32_t vertexCount, uint32_t flags) {
    return Draw("DrawPrimitive", type, vertexType, vertices, vertexCount, nullptr, 0, flags);
}

bool GlDevice::DrawIndexedPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                                    uint32_t vertexCount, const uint16_t* indices,
                                    uint32_t indexCount, uint32_t flags) {
    if (!indices) return false;
    return Draw("DrawIndexedPrimitive", type, vertexType, vertices, vertexCount, indices,
                indexCount, flags);
}

bool GlDevice::DrawIndexedPrimitiveInColor(PrimitiveType type, const LVertex* vertices,
                                           uint32_t vertexCount, const uint16_t* indices,
                                           uint32_t indexCount, uint32_t color, uint32_t flags) {
    if (!indices) return false;
    // The current colour stands in for the colour array for this one draw.
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4ub(GLubyte((color >> 16) & 0xFF), GLubyte((color >> 8) & 0xFF), GLubyte(color & 0xFF),
               GLubyte(color >> 24));
    bool drawn = Draw("DrawIndexedPrimitive", type, VT_LVERTEX, vertices, vertexCount, indices,
                      indexCount, flags, &color);
    glEnableClientState(GL_COLOR_ARRAY);
    return drawn;
}

bool GlDevice::Draw(const char* op, PrimitiveType type, VertexType vertexType, const void* vertices,
                    uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                    uint32_t flags, const uint32_t* drawColor) {
    if (trace_)
        TraceLine(std::string(op) + " " + PrimitiveName(type) + " " + VertexTypeName(vertexType) +
                  " " + std::to_string(indices ? indexCount : vertexCount));
    if (!inScene_ || !vertices || vertexType < VT_VERTEX || vertexType > VT_TLVERTEX ||
        type < PRIM_POINTLIST || type > PRIM_TRIANGLEFAN)
        return false;
    const uint32_t elements = indices ? indexCount : vertexCount;
    // The vertices the draw can reach: only they are scanned, lit and handed to GL, which then
    // need not find the range itself.
    VertexRange range{0, vertexCount > 0 ? vertexCount - 1 : 0};
    if (indices && indexCount) {
        // A plain minimum and maximum run vectorised.
        uint16_t smallest = 0xFFFF, largest = 0;
        for (uint32_t i = 0; i < indexCount; ++i) {
            smallest = std::min(smallest, indices[i]);
            largest = std::max(largest, indices[i]);
        }
        if (largest >= vertexCount) return false;  // would read past the vertices
        range = {smallest, largest};
    }
    const uint32_t primitives = PrimitiveCount(type, elements);
    if (primitives == 0) return true;

    RecordColors colors;
    if (vertexType != VT_VERTEX)
        colors = ScanColors(static_cast<const uint8_t*>(vertices) + size_t(range.first) * 32,
                            range.last - range.first + 1);
    // The records' own colours are not drawn then; their speculars are.
    if (drawColor) colors.allWhite = *drawColor == 0xFFFFFFFFu;
    PrepareState(colors.allWhite);
    LoadMatrices(vertexType);
    SetupArrays(vertexType, vertices, range, flags);
    // Direct3D adds the specular colour while SPECULARENABLE is on. Where every vertex's
    // specular is black the sum adds nothing to any pixel, so it stays off and the rasteriser
    // is spared its work on every pixel.
    const bool specular = states_[RS_SPECULARENABLE] != 0 &&
                          (vertexType == VT_VERTEX ? !(flags & DP_DONOTLIGHT) && lighting_.specular
                                                   : colors.anySpecular);
    if (specular != secondaryEnabled_) {
        secondaryEnabled_ = specular;
        if (specular)
            glEnable(GL_COLOR_SUM);
        else
            glDisable(GL_COLOR_SUM);
    }
    // Whole primitives only, as Direct3D ignores a trailing partial one.
    uint32_t used = elements;
    if (type == PRIM_TRIANGLELIST) used = primitives * 3;
    if (type == PRIM_LINELIST) used = primitives * 2;
    if (indices)
        glDrawRangeElements(PrimitiveToGl(type), range.first, range.last, GLsizei(used),
                            GL_UNSIGNED_SHORT, indices);
    else
        glDrawArrays(PrimitiveToGl(type), 0, GLsizei(used));

    ++stats_.drawCalls;
    stats_.primitives += primitives;
    stats_.vertices += vertexCount;
    return true;
}

void GlDevice::PrepareState(bool whiteVertices) {
    Surface* tex = ResolveTexture(TextureHandle(states_[RS_TEXTUREHANDLE]));
    if (tex) {
        if (!textureEnabled_) glEnable(GL_TEXTURE_2D);
        textureEnabled_ = true;
        if (boundGlTexture_ != tex->glTexture) {
            glBindTexture(GL_TEXTURE_2D, tex->glTexture);
            boundGlTexture_ = tex->glTexture;
            ++stats_.textureBinds;
        }
        // Filters and addressing are device states in Direct3D but texture-object settings
        // in GL: each texture remembers what it was last given.
        uint32_t mag = uint32_t(MagFilterToGl(states_[RS_TEXTUREMAG]));
        uint32_t min = uint32_t(MinFilterToGl(states_[RS_TEXTUREMIN]));
        uint32_t wrap = uint32_t(AddressToGl(states_[RS_TEXTUREADDRESS]));
        if (tex->glMag != mag) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(mag));
        if (tex->glMin != min) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(min));
        if (tex->glWrap != wrap) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(wrap));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(wrap));
        }
        tex->glMag = mag;
        tex->glMin = min;
        tex->glWrap = wrap;

        // Modulating by opaque white vertices gives the texel itself, alpha included: the
        // texel then replaces the colour, which spares the rasteriser the colour's
        // interpolation and product on every pixel.
        const bool alpha = HasAlpha(tex->desc.pixelFormat);
        uint32_t blend = states_[RS_TEXTUREMAPBLEND];
        if (blend == TBLEND_MODULATE && whiteVertices) blend = TBLEND_COPY;
        uint32_t envKey = blend * 2 + (alpha ? 1 : 0);
        if (envKey != texEnvKey_) {
            texEnvKey_ = envKey;
            ApplyTextureBlend(blend, alpha);
        }
    } else if (textureEnabled_) {
        glDisable(GL_TEXTURE_2D);
        textureEnabled_ = false;
    }

    // One GL alpha test stands for both Direct3D's alpha test and its colour key: keyed texels
    // carry alpha 0, so with keying on and no stricter test, only alpha above 0 passes.
    uint32_t func = CMP_ALWAYS, ref = 0;
    if (states_[RS_ALPHATESTENABLE]) {
        func = states_[RS_ALPHAFUNC];
        ref = states_[RS_ALPHAREF] & 0xFF;
    }
    if (tex && tex->keyed && states_[RS_COLORKEYENABLE] && func == CMP_ALWAYS) {
        func = CMP_GREATER;
        ref = 0;
    }
    uint32_t alphaKey = func == CMP_ALWAYS ? 0 : (func << 8) | ref;
    if (alphaKey != alphaTestKey_) {
        alphaTestKey_ = alphaKey;
        if (alphaKey == 0) {
            glDisable(GL_ALPHA_TEST);
        } else {
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(CompareToGl(func), float(ref) / 255.0f);
        }
    }

    if (fogDirty_) {
        fogDirty_ = false;
        uint32_t mode = states_[RS_FOGTABLEMODE];
        float start = BitsToFloat(states_[RS_FOGTABLESTART]);
        float end = BitsToFloat(states_[RS_FOGTABLEEND]);
        float density = BitsToFloat(states_[RS_FOGTABLEDENSITY]);
        if (mode == 0) {
            mode = lightStates_[LIGHTSTATE_FOGMODE];
            start = BitsToFloat(lightStates_[LIGHTSTATE_FOGSTART]);
            end = BitsToFloat(lightStates_[LIGHTSTATE_FOGEND]);
            density = BitsToFloat(lightStates_[LIGHTSTATE_FOGDENSITY]);
        }
        if (states_[RS_FOGENABLE] && mode >= 1 && mode <= 3) {
            glEnable(GL_FOG);
            glFogi(GL_FOG_MODE, mode == 1 ? GL_EXP : mode == 2 ? GL_EXP2 : GL_LINEAR);
            glFogf(GL_FOG_START, start);
            glFogf(GL_FOG_END, end);
            glFogf(GL_FOG_DENSITY, density);
            uint32_t c = states_[RS_FOGCOLOR];
            const float color[4] = {float((c >> 16) & 0xFF) / 255.0f,
                                    float((c >> 8) & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f,
                                    1.0f};
            glFogfv(GL_FOG_COLOR, color);
        } else {
            glDisable(GL_FOG);
        }
    }
}

// The one place where Direct3D's conventions become GL's.
//  - A D3D matrix (row vectors) loads into GL unchanged: its memory is the column-major
//    transpose GL expects, so GL computes the same (v · W · V · P).
//  - Direct3D maps the clip rectangle (clipX .. clipX + clipWidth, clipY - clipHeight .. clipY)
//    onto the viewport's screen rectangle and clips z / w to minZ .. maxZ without scaling it;
//    GL maps its -1 .. 1 cube onto glViewport and glDepthRange. The matrix N below takes D3D's
//    clip volume onto GL's cube, y reversed because the render target keeps Direct3D's top row
//    first, and glDepthRange(minZ, maxZ) turns GL's depth back into z / w.
//  - Direct3D puts pixel centres on integer coordinates, GL half a pixel further; N moves
//    everything half a pixel so a triangle covers the pixels Direct3D would cover.
//  - Transformed vertices arrive in pixels with rhw: they are sent as (sx, sy, sz, 1) / rhw
//    under a pixel projection, so GL's perspective division gives back the pixel position
//    while its interpolation stays perspective-correct.
void GlDevice::LoadMatrices(VertexType vertexType) {
    const float W = float(Width()), H = float(Height());
    if (vertexType == VT_TLVERTEX) {
        if (loaded_ == LoadedMatrices::Screen) return;
        glViewport(0, 0, GLsizei(Width()), GLsizei(Height()));
        Matrix screen = ScreenClipMatrix(W, H);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(&screen.m[0][0]);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDepthRange(0.0, 1.0);
        loaded_ = LoadedMatrices::Screen;
        return;
    }
    if (loaded_ == LoadedMatrices::Scene && !matricesDirty_) return;
    const ViewportRecord& v = viewport_;
    glViewport(GLint(v.x), GLint(v.y), GLsizei(v.width), GLsizei(v.height));
    Matrix projection = projection_ * ViewportClipMatrix(v);
    Matrix modelView = world_ * view_;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&projection.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&modelView.m[0][0]);
    // Depth keeps z / w itself: N clips to minZ .. maxZ, the depth range maps back onto it.
    glDepthRange(std::clamp(v.minZ, 0.0f, 1.0f), std::clamp(v.maxZ, 0.0f, 1.0f));
    loaded_ = LoadedMatrices::Scene;
    matricesDirty_ = false;
}

void GlDevice::SetupArrays(VertexType vertexType, const void* vertices, VertexRange range,
                           uint32_t flags) {
    const GLsizei stride = 32;
    // Arrays made here keep the vertices' numbering; only the entries in range are filled.
    const uint32_t first = range.first, end = range.last + 1;
    if (vertexType == VT_TLVERTEX) {
        const TLVertex* v = static_cast<const TLVertex*>(vertices);
        positions_.resize(size_t(end) * 4);
        float* p = positions_.data() + size_t(first) * 4;
        for (uint32_t i = first; i < end; ++i, p += 4) {
            float w = v[i].rhw > 0.0f ? 1.0f / v[i].rhw : 1.0f;
            p[0] = v[i].sx * w;
            p[1] = v[i].sy * w;
            p[2] = v[i].sz * w;
            p[3] = w;
        }
        glVertexPointer(4, GL_FLOAT, 0, positions_.data());
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, &v->color);
        glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, &v->specular);
        glTexCoordPointer(2, GL_FLOAT, stride, &v->tu);
        return;
    }
    if (vertexType == VT_LVERTEX) {
        const LVertex* v = static_cast<const LVertex*>(vertices);
        glVertexPointer(3, GL_FLOAT, stride, &v->x);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, &v->color);
        glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, &v->specular);
        glTexCoordPointer(2, GL_FLOAT, stride, &v->tu);
        return;
    }
    const Vertex* v = static_cast<const Vertex*>(vertices);
    colors_.resize(end);
    speculars_.resize(end);
    if (flags & DP_DONOTLIGHT) {
        std::fill(colors_.begin() + first, colors_.end(), 0xFFFFFFFFu);
        std::fill(speculars_.begin() + first, speculars_.end(), 0xFF000000u);
    } else {
        const MaterialRecord* m = materials_.Get(MaterialHandle(lightStates_[LIGHTSTATE_MATERIAL]));
        lighting_.material = m ? *m : MaterialRecord{};
        uint32_t a = lightStates_[LIGHTSTATE_AMBIENT];
        lighting_.ambient = {float((a >> 16) & 0xFF) / 255.0f, float((a >> 8) & 0xFF) / 255.0f,
                             float(a & 0xFF) / 255.0f, float(a >> 24) / 255.0f};
        lighting_.lights.clear();
        for (LightHandle h : viewportLights_) {
            const LightRecord* l = lights_.Get(h);
            if (l && (l->flags & LIGHT_ACTIVE)) lighting_.lights.push_back(l);
        }
        lighting_.world = world_;
        const ColorValue& s = lighting_.material.specular;
        lighting_.specular = states_[RS_SPECULARENABLE] && lighting_.material.power > 0.0f &&
                             (s.r > 0.0f || s.g > 0.0f || s.b > 0.0f);
        if (lighting_.specular) lighting_.eye = AffineInverse(view_).GetTranslation();
        LightVertices(v + first, end - first, lighting_, colors_.data() + first,
                      speculars_.data() + first);
    }
    glVertexPointer(3, GL_FLOAT, stride, &v->x);
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 0, colors_.data());
    glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 0, speculars_.data());
    glTexCoordPointer(2, GL_FLOAT, stride, &v->tu);
}

}  // namespace orix
