#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_enums.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/gl/gl_text.h"

namespace orix {

namespace {

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Direct3D 5's render-state defaults, by state number. Where 0 is no valid value the state
// gets Direct3D's documented default instead (fill solid, address wrap, ROP2 copy-pen, all
// planes, last pixel drawn, fog density 1). ZENABLE is TRUE only when a depth buffer exists.
//   TEXTUREHANDLE 0          ANTIALIAS FALSE        TEXTUREADDRESS WRAP
//   TEXTUREPERSPECTIVE FALSE WRAPU/WRAPV FALSE      ZENABLE TRUE (with depth)
//   FILLMODE SOLID           SHADEMODE GOURAUD      LINEPATTERN 0
//   MONOENABLE FALSE         ROP2 13 (copy pen)     PLANEMASK 0xFFFFFFFF
//   ZWRITEENABLE TRUE        ALPHATESTENABLE FALSE  LASTPIXEL TRUE
//   TEXTUREMAG/MIN NEAREST   SRCBLEND ONE           DESTBLEND ZERO
//   TEXTUREMAPBLEND MODULATE CULLMODE CCW           ZFUNC LESSEQUAL
//   ALPHAREF 0               ALPHAFUNC ALWAYS       DITHERENABLE FALSE
//   ALPHABLENDENABLE FALSE   FOGENABLE FALSE        SPECULARENABLE TRUE
//   ZVISIBLE, SUBPIXEL, SUBPIXELX, STIPPLEDALPHA FALSE
//   FOGCOLOR 0, FOGTABLEMODE NONE, FOGTABLESTART 0.0, FOGTABLEEND 0.0, FOGTABLEDENSITY 1.0
//   STIPPLEENABLE, EDGEANTIALIAS, COLORKEYENABLE FALSE
std::array<uint32_t, RS_COUNT> DefaultStates(bool depth) {
    std::array<uint32_t, RS_COUNT> s{};
    s[RS_TEXTUREADDRESS] = TADDRESS_WRAP;
    s[RS_ZENABLE] = depth ? D3D_TRUE : D3D_FALSE;
    s[RS_FILLMODE] = FILL_SOLID;
    s[RS_SHADEMODE] = SHADE_GOURAUD;
    s[RS_ROP2] = 13;
    s[RS_PLANEMASK] = 0xFFFFFFFFu;
    s[RS_ZWRITEENABLE] = D3D_TRUE;
    s[RS_LASTPIXEL] = D3D_TRUE;
    s[RS_TEXTUREMAG] = FILTER_NEAREST;
    s[RS_TEXTUREMIN] = FILTER_NEAREST;
    s[RS_SRCBLEND] = BLEND_ONE;
    s[RS_DESTBLEND] = BLEND_ZERO;
    s[RS_TEXTUREMAPBLEND] = TBLEND_MODULATE;
    s[RS_CULLMODE] = CULL_CCW;
    s[RS_ZFUNC] = CMP_LESSEQUAL;
    s[RS_ALPHAFUNC] = CMP_ALWAYS;
    s[RS_SPECULARENABLE] = D3D_TRUE;
    s[RS_FOGTABLEDENSITY] = FloatBits(1.0f);
    return s;
}

ColorValue Unpack(uint32_t argb) {
    return {float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f,
            float(argb & 0xFF) / 255.0f, float(argb >> 24) / 255.0f};
}

}  // namespace

GlDevice::GlDevice(GlDisplay& display, bool hardware) : display_(display) {
    caps_.hardware = hardware && display.IsHardware();
    caps_.renderer = display.Renderer();
    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    caps_.maxTextureSize = uint32_t(std::max(maxTexture, 0));
    hasDepth_ = display.Target().HasDepth();
    viewport_.width = display.Width();
    viewport_.height = display.Height();
    viewport_.clipHeight = 2.0f * float(display.Height()) / float(display.Width());
    viewport_.clipY = viewport_.clipHeight * 0.5f;
    states_ = DefaultStates(hasDepth_);
    lightStates_[LIGHTSTATE_COLORMODEL] = 2;  // RGB
    lightStates_[LIGHTSTATE_FOGDENSITY] = FloatBits(1.0f);
    InitGlState();
}

GlDevice::~GlDevice() {
    display_.MakeCurrent();
    text_.reset();
    surfaces_.ForEach([](SurfaceHandle, Surface& s) {
        if (s.glTexture) glDeleteTextures(1, &s.glTexture);
        s.glTexture = 0;
    });
}

void GlDevice::InitGlState() {
    display_.MakeCurrent();
    display_.Target().Bind();
    ApplyGlStartState();
    glDisable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    for (uint32_t s = 1; s < RS_COUNT; ++s) ApplyRenderState(RenderState(s), states_[s]);
    ApplyViewportRect();
}

void GlDevice::TraceLine(const std::string& line) {
    if (traceLines_.size() < 1000000) traceLines_.push_back(line);
}

bool GlDevice::BeginScene() {
    if (trace_) TraceLine("BeginScene");
    if (inScene_) return false;
    inScene_ = true;
    stats_ = FrameStats{};
    // A frame clears before its scene begins; those clears belong to it.
    stats_.clears = clearsBeforeScene_;
    clearsBeforeScene_ = 0;
    return true;
}

bool GlDevice::EndScene() {
    if (trace_) TraceLine("EndScene");
    if (!inScene_) return false;
    inScene_ = false;
    glFlush();
    return true;
}

bool GlDevice::SetTransform(TransformState state, const Matrix& m) {
    if (trace_)
        TraceLine(std::string("SetTransform ") + (state == TRANSFORM_WORLD        ? "WORLD"
                                                  : state == TRANSFORM_VIEW       ? "VIEW"
                                                  : state == TRANSFORM_PROJECTION ? "PROJECTION"
                                                                                  : "?"));
    Matrix* target = state == TRANSFORM_WORLD        ? &world_
                     : state == TRANSFORM_VIEW       ? &view_
                     : state == TRANSFORM_PROJECTION ? &projection_
                                                     : nullptr;
    if (!target) return false;
    if (*target == m) return true;
    *target = m;
    matricesDirty_ = true;
    ++stats_.transformChanges;
    return true;
}

bool GlDevice::GetTransform(TransformState state, Matrix* m) const {
    const Matrix* source = state == TRANSFORM_WORLD        ? &world_
                           : state == TRANSFORM_VIEW       ? &view_
                           : state == TRANSFORM_PROJECTION ? &projection_
                                                           : nullptr;
    if (!source || !m) return false;
    *m = *source;
    return true;
}

bool GlDevice::SetRenderState(RenderState state, uint32_t value) {
    if (trace_)
        TraceLine(std::string("SetRenderState ") + RenderStateName(state) + " " +
                  std::to_string(value));
    if (state == 0 || state >= RS_COUNT) return false;
    if (state == RS_TEXTUREHANDLE && value != 0) {
        const Surface* s = FindSurface(SurfaceHandle(value));
        if (!s || s->root || !(s->desc.caps & DDSCAPS_TEXTURE)) return false;
    }
    if (states_[state] == value) {
        ++stats_.renderStateRedundant;
        return true;
    }
    states_[state] = value;
    ++stats_.renderStateChanges;
    ApplyRenderState(state, value);
    return true;
}

bool GlDevice::GetRenderState(RenderState state, uint32_t* value) const {
    if (state == 0 || state >= RS_COUNT || !value) return false;
    *value = states_[state];
    return true;
}

// States with a GL setting of their own are sent at once; those resolved together with others
// (texture, filters, texture blend, alpha test and colour key, fog, specular) wait for a draw.
void GlDevice::ApplyRenderState(RenderState state, uint32_t v) {
    switch (state) {
        case RS_ZENABLE:
            if (hasDepth_ && v)
                glEnable(GL_DEPTH_TEST);
            else
                glDisable(GL_DEPTH_TEST);
            break;
        case RS_ZWRITEENABLE:
            glDepthMask(v ? GL_TRUE : GL_FALSE);
            break;
        case RS_ZFUNC:
            glDepthFunc(CompareToGl(v));
            break;
        case RS_ALPHABLENDENABLE:
            if (v)
                glEnable(GL_BLEND);
            else
                glDisable(GL_BLEND);
            break;
        case RS_SRCBLEND:
        case RS_DESTBLEND: {
            uint32_t src = states_[RS_SRCBLEND], dst = states_[RS_DESTBLEND];
            // The BOTH modes set the destination factor too, whatever DESTBLEND says.
            if (src == BLEND_BOTHSRCALPHA)
                glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            else if (src == BLEND_BOTHINVSRCALPHA)
                glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
            else
                glBlendFunc(BlendToGl(src), BlendToGl(dst));
            break;
        }
        case RS_CULLMODE:
            if (v == CULL_CW || v == CULL_CCW) {
                glEnable(GL_CULL_FACE);
                glCullFace(v == CULL_CCW ? GL_BACK : GL_FRONT);
            } else {
                glDisable(GL_CULL_FACE);
            }
            break;
        case RS_SHADEMODE:
            glShadeModel(v == SHADE_FLAT ? GL_FLAT : GL_SMOOTH);
            break;
        case RS_FILLMODE:
            glPolygonMode(GL_FRONT_AND_BACK, v == FILL_POINT       ? GL_POINT
                                             : v == FILL_WIREFRAME ? GL_LINE
                                                                   : GL_FILL);
            break;
        case RS_DITHERENABLE:
            if (v)
                glEnable(GL_DITHER);
            else
                glDisable(GL_DITHER);
            break;
        case RS_TEXTUREPERSPECTIVE:
            // GL interpolates in perspective anyway; the hint is all it offers.
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, v ? GL_NICEST : GL_FASTEST);
            break;
        case RS_FOGENABLE:
        case RS_FOGCOLOR:
        case RS_FOGTABLEMODE:
        case RS_FOGTABLESTART:
        case RS_FOGTABLEEND:
        case RS_FOGTABLEDENSITY:
            fogDirty_ = true;
            break;
        default:
            break;  // kept in the shadow; read when a draw needs it
    }
}

bool GlDevice::SetLightState(LightState state, uint32_t value) {
    if (trace_)
        TraceLine("SetLightState " + std::to_string(uint32_t(state)) + " " + std::to_string(value));
    if (state < LIGHTSTATE_MATERIAL || state > LIGHTSTATE_FOGDENSITY) return false;
    if (state == LIGHTSTATE_MATERIAL && value != 0 && !materials_.Get(MaterialHandle(value)))
        return false;
    if (lightStates_[state] == value) {
        ++stats_.renderStateRedundant;
        return true;
    }
    lightStates_[state] = value;
    ++stats_.renderStateChanges;
    if (state >= LIGHTSTATE_FOGMODE) fogDirty_ = true;
    return true;
}

bool GlDevice::GetLightState(LightState state, uint32_t* value) const {
    if (state < LIGHTSTATE_MATERIAL || state > LIGHTSTATE_FOGDENSITY || !value) return false;
    *value = lightStates_[state];
    return true;
}

bool GlDevice::SetViewport(const ViewportRecord& v) {
    if (trace_) TraceLine("SetViewport");
    if (v.width == 0 || v.height == 0 || uint64_t(v.x) + v.width > Width() ||
        uint64_t(v.y) + v.height > Height() || !(v.clipWidth != 0.0f) || !(v.clipHeight != 0.0f) ||
        !(v.maxZ != v.minZ))
        return false;
    viewport_ = v;
    matricesDirty_ = true;
    ApplyViewportRect();
    return true;
}

bool GlDevice::GetViewport(ViewportRecord* v) const {
    if (!v) return false;
    *v = viewport_;
    return true;
}

void GlDevice::ApplyViewportRect() {
    // Direct3D clips every primitive to the viewport's screen rectangle; GL's viewport
    // transform alone would let wide points, lines and the half-pixel shift spill over it.
    glScissor(GLint(viewport_.x), GLint(viewport_.y), GLsizei(viewport_.width),
              GLsizei(viewport_.height));
    loaded_ = LoadedMatrices::None;
}

bool GlDevice::SetBackground(MaterialHandle material) {
    if (trace_) TraceLine("SetBackground " + std::to_string(material.value));
    if (material && !materials_.Get(material)) return false;
    background_ = material;
    return true;
}

bool GlDevice::Clear(const Rect* rects, uint32_t count, uint32_t flags) {
    if (trace_) TraceLine("Clear " + std::to_string(count) + " " + std::to_string(flags));
    if (count > 0 && !rects) return false;
    if (!(flags & (CLEAR_TARGET | CLEAR_ZBUFFER))) return false;
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET) {
        const MaterialRecord* m = materials_.Get(background_);
        // Through the packed colour, as Direct3D fills with a D3DCOLOR.
        ColorValue c = Unpack(m ? PackColor(m->diffuse) : 0u);
        glClearColor(c.r, c.g, c.b, c.a);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & CLEAR_ZBUFFER) && hasDepth_) {
        glClearDepth(1.0);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (!mask) return true;
    // Direct3D's Clear ignores ZWRITEENABLE and the colour write state; GL's obeys the masks.
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const int32_t vx0 = int32_t(viewport_.x), vy0 = int32_t(viewport_.y);
    const int32_t vx1 = vx0 + int32_t(viewport_.width), vy1 = vy0 + int32_t(viewport_.height);
    for (uint32_t i = 0; i < count; ++i) {
        int32_t x0 = std::max(rects[i].left, vx0), y0 = std::max(rects[i].top, vy0);
        int32_t x1 = std::min(rects[i].right, vx1), y1 = std::min(rects[i].bottom, vy1);
        if (x1 <= x0 || y1 <= y0) continue;
        glScissor(x0, y0, x1 - x0, y1 - y0);
        glClear(mask);
    }
    glDepthMask(states_[RS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    ApplyViewportRect();
    if (inScene_)
        ++stats_.clears;
    else
        ++clearsBeforeScene_;
    return true;
}

bool GlDevice::AddLight(LightHandle light) {
    if (trace_) TraceLine("AddLight " + std::to_string(light.value));
    if (!lights_.Get(light)) return false;
    if (std::find(viewportLights_.begin(), viewportLights_.end(), light) != viewportLights_.end())
        return false;
    viewportLights_.push_back(light);
    return true;
}

bool GlDevice::DeleteLight(LightHandle light) {
    if (trace_) TraceLine("DeleteLight " + std::to_string(light.value));
    auto it = std::find(viewportLights_.begin(), viewportLights_.end(), light);
    if (it == viewportLights_.end()) return false;
    viewportLights_.erase(it);
    return true;
}

MaterialHandle GlDevice::CreateMaterial() {
    return materials_.Add(MaterialRecord{});
}

bool GlDevice::SetMaterial(MaterialHandle material, const MaterialRecord& record) {
    MaterialRecord* m = materials_.Get(material);
    if (!m) return false;
    *m = record;
    return true;
}

bool GlDevice::GetMaterial(MaterialHandle material, MaterialRecord* record) const {
    const MaterialRecord* m = materials_.Get(material);
    if (!m || !record) return false;
    *record = *m;
    return true;
}

void GlDevice::ReleaseMaterial(MaterialHandle material) {
    if (!materials_.Remove(material)) return;
    if (background_ == material) background_ = {};
    if (lightStates_[LIGHTSTATE_MATERIAL] == material.value) lightStates_[LIGHTSTATE_MATERIAL] = 0;
}

LightHandle GlDevice::CreateLight() {
    return lights_.Add(LightRecord{});
}

bool GlDevice::SetLight(LightHandle light, const LightRecord& record) {
    LightRecord* l = lights_.Get(light);
    if (!l) return false;
    *l = record;
    return true;
}

bool GlDevice::GetLight(LightHandle light, LightRecord* record) const {
    const LightRecord* l = lights_.Get(light);
    if (!l || !record) return false;
    *record = *l;
    return true;
}

void GlDevice::ReleaseLight(LightHandle light) {
    if (!lights_.Remove(light)) return;
    auto it = std::find(viewportLights_.begin(), viewportLights_.end(), light);
    if (it != viewportLights_.end()) viewportLights_.erase(it);
}

bool GlDevice::Present() {
    if (trace_) TraceLine("Present");
    return display_.Present();
}

bool GlDevice::DrawText(int32_t x, int32_t y, uint32_t colorRef, const std::string& text) {
    if (trace_) TraceLine("DrawText " + std::to_string(x) + " " + std::to_string(y) + " " + text);
    if (text.empty()) return true;
    if (!text_) text_ = std::make_unique<GlText>();
    bool drawn = text_->Draw(x, y, colorRef, text, Width(), Height());
    RestoreAfterText();
    if (!drawn) return false;
    ++stats_.textDraws;
    return true;
}

void GlDevice::RestoreAfterText() {
    // The text left its own settings in GL: the device's are sent again where it keeps them
    // applied, and forgotten where a draw resolves them, so nothing else is sent twice.
    glEnable(GL_SCISSOR_TEST);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
    for (RenderState s : {RS_ZENABLE, RS_CULLMODE, RS_ALPHABLENDENABLE, RS_FILLMODE})
        ApplyRenderState(s, states_[s]);
    ApplyViewportRect();
    fogDirty_ = true;
    secondaryEnabled_ = false;
    textureEnabled_ = true;
    boundGlTexture_ = 0;
    texEnvKey_ = ~0u;
    alphaTestKey_ = ~0u;
}

bool GlDevice::ReadFrame(FrameImage* image) {
    if (!image) return false;
    image->width = Width();
    image->height = Height();
    image->rgba.resize(size_t(Width()) * Height() * 4);
    // The target holds the top row first, so GL's row order is already top-down.
    glReadPixels(0, 0, GLsizei(Width()), GLsizei(Height()), GL_RGBA, GL_UNSIGNED_BYTE,
                 image->rgba.data());
    return glGetError() == GL_NO_ERROR;
}

const char* PrimitiveName(PrimitiveType type) {
    static const char* names[] = {
        "?", "POINTLIST", "LINELIST", "LINESTRIP", "TRIANGLELIST", "TRIANGLESTRIP", "TRIANGLEFAN"};
    return type <= PRIM_TRIANGLEFAN ? names[type] : "?";
}

const char* VertexTypeName(VertexType type) {
    static const char* names[] = {"?", "VERTEX", "LVERTEX", "TLVERTEX"};
    return type <= VT_TLVERTEX ? names[type] : "?";
}

const char* RenderStateName(RenderState state) {
    static const char* names[RS_COUNT] = {"?",
                                          "TEXTUREHANDLE",
                                          "ANTIALIAS",
                                          "TEXTUREADDRESS",
                                          "TEXTUREPERSPECTIVE",
                                          "WRAPU",
                                          "WRAPV",
                                          "ZENABLE",
                                          "FILLMODE",
                                          "SHADEMODE",
                                          "LINEPATTERN",
                                          "MONOENABLE",
                                          "ROP2",
                                          "PLANEMASK",
                                          "ZWRITEENABLE",
                                          "ALPHATESTENABLE",
                                          "LASTPIXEL",
                                          "TEXTUREMAG",
                                          "TEXTUREMIN",
                                          "SRCBLEND",
                                          "DESTBLEND",
                                          "TEXTUREMAPBLEND",
                                          "CULLMODE",
                                          "ZFUNC",
                                          "ALPHAREF",
                                          "ALPHAFUNC",
                                          "DITHERENABLE",
                                          "ALPHABLENDENABLE",
                                          "FOGENABLE",
                                          "SPECULARENABLE",
                                          "ZVISIBLE",
                                          "SUBPIXEL",
                                          "SUBPIXELX",
                                          "STIPPLEDALPHA",
                                          "FOGCOLOR",
                                          "FOGTABLEMODE",
                                          "FOGTABLESTART",
                                          "FOGTABLEEND",
                                          "FOGTABLEDENSITY",
                                          "STIPPLEENABLE",
                                          "EDGEANTIALIAS",
                                          "COLORKEYENABLE"};
    return state < RS_COUNT ? names[state] : "?";
}

}  // namespace orix
