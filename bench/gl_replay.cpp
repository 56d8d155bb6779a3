#include "gl_replay.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

#include "platform/gl/gl_enums.h"
#include "platform/gl/vertex_lighting.h"

namespace orix::bench {

namespace {

// The GL settings one draw needs; compared field by field so only differences are sent.
struct GlState {
    bool depthTest = false, depthWrite = true;
    GLenum depthFunc = GL_LEQUAL;
    bool blend = false;
    GLenum src = GL_ONE, dst = GL_ZERO;
    bool cull = false;
    GLenum cullFace = GL_BACK;
    GLenum shade = GL_SMOOTH;
    GLuint texture = 0;  // 0: texturing off
    uint32_t texEnv = 0;
    bool alphaTest = false;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaRef = 0.0f;
    bool colorSum = false;
    bool dither = false;
};

struct GlDraw {
    GlState state;
    GLenum mode = GL_TRIANGLES;
    GLsizei count = 0;
    std::vector<uint16_t> indices;
    std::vector<uint8_t> vertices;            // the captured 32-byte records
    std::vector<float> positions;             // xyzw for transformed vertices
    std::vector<uint32_t> colors, speculars;  // lit colours for unlit vertices
    float projection[16], modelView[16];
    GLint viewport[4];
    double depthNear = 0.0, depthFar = 1.0;
    bool screen = false;
    bool oneColor = false;  // lit vertices in one colour: the current colour, no colour array
    GLubyte color[4] = {};
};

// What a draw's vertex colours let it leave out: the colour product where every colour is
// opaque white, the colour sum where every specular is black.
struct DrawColors {
    bool allWhite = true;
    bool anySpecular = false;
};

DrawColors ScanColors(const uint32_t* colors, const uint32_t* speculars, size_t stride,
                      uint32_t n) {
    uint32_t all = 0xFFFFFFFFu, any = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t c, sp;
        std::memcpy(&c, colors + size_t(i) * stride, sizeof c);
        std::memcpy(&sp, speculars + size_t(i) * stride, sizeof sp);
        all &= c;
        any |= sp;
    }
    return {all == 0xFFFFFFFFu, (any & 0x00FFFFFFu) != 0};
}

void Toggle(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

}  // namespace

struct GlReplay::Impl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLDisplay prevDisplay = EGL_NO_DISPLAY;
    EGLContext prevContext = EGL_NO_CONTEXT;
    EGLSurface prevDraw = EGL_NO_SURFACE, prevRead = EGL_NO_SURFACE;
    GLuint fbo = 0, color = 0, depth = 0;
    uint32_t width = 0, height = 0;
    bool hasDepth = true;
    std::vector<GLuint> textures;
    std::vector<GlDraw> draws;
    struct Text {
        GLuint texture = 0;
        float quad[8] = {};
        uint32_t drawsBefore = 0;
    };
    std::vector<Text> texts;
    GLfloat clear[4] = {0, 0, 0, 1};
    bool cleared = false;
    GlState current;
    bool stateKnown = false;
    uint32_t texEnv = ~0u;

    void Apply(const GlState& s);
    void DrawText(const Text& t);
    void DeleteTextures();
    void Prepare(const CapturedFrame& frame, const CapturedDraw& in, GlDraw* out);
};

GlReplay::GlReplay() : impl_(std::make_unique<Impl>()) {}

GlReplay::~GlReplay() {
    Impl& m = *impl_;
    if (m.context == EGL_NO_CONTEXT) return;
    Enter();
    m.DeleteTextures();
    glDeleteFramebuffers(1, &m.fbo);
    glDeleteRenderbuffers(1, &m.color);
    glDeleteRenderbuffers(1, &m.depth);
    Leave();
    eglDestroyContext(m.display, m.context);
    if (m.surface != EGL_NO_SURFACE) eglDestroySurface(m.display, m.surface);
}

bool GlReplay::Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, std::string* error) {
    Impl& m = *impl_;
    auto fail = [error](const char* what) {
        if (error) *error = what;
        return false;
    };
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay)
        m.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (m.display == EGL_NO_DISPLAY) m.display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (m.display == EGL_NO_DISPLAY || !eglInitialize(m.display, nullptr, nullptr))
        return fail("no EGL display for the replay");
    if (!eglBindAPI(EGL_OPENGL_API)) return fail("EGL has no desktop OpenGL");
    const EGLint attribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                              EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig cfg = nullptr;
    EGLint found = 0;
    if (!eglChooseConfig(m.display, attribs, &cfg, 1, &found) || found < 1) {
        const EGLint any[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        if (!eglChooseConfig(m.display, any, &cfg, 1, &found) || found < 1)
            return fail("no EGL configuration for the replay");
    }
    m.context = eglCreateContext(m.display, cfg, EGL_NO_CONTEXT, nullptr);
    if (m.context == EGL_NO_CONTEXT) return fail("no EGL context for the replay");
    const char* ext = eglQueryString(m.display, EGL_EXTENSIONS);
    if (!ext || !std::strstr(ext, "EGL_KHR_surfaceless_context")) {
        const EGLint pb[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        m.surface = eglCreatePbufferSurface(m.display, cfg, pb);
    }
    Enter();
    const bool deep = bitsPerPixel > 16;
    glGenFramebuffers(1, &m.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
    glGenRenderbuffers(1, &m.color);
    glBindRenderbuffer(GL_RENDERBUFFER, m.color);
    glRenderbufferStorage(GL_RENDERBUFFER, deep ? GL_RGBA8 : GL_RGB565, GLsizei(width),
                          GLsizei(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m.color);
    glGenRenderbuffers(1, &m.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, m.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, deep ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16,
                          GLsizei(width), GLsizei(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m.depth);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    m.width = width;
    m.height = height;
    ApplyGlStartState();
    Leave();
    return complete ? true : fail("the replay's framebuffer is incomplete");
}

void GlReplay::Enter() {
    Impl& m = *impl_;
    m.prevDisplay = eglGetCurrentDisplay();
    m.prevContext = eglGetCurrentContext();
    m.prevDraw = eglGetCurrentSurface(EGL_DRAW);
    m.prevRead = eglGetCurrentSurface(EGL_READ);
    eglMakeCurrent(m.display, m.surface, m.surface, m.context);
}

void GlReplay::Leave() {
    Impl& m = *impl_;
    if (m.prevContext != EGL_NO_CONTEXT)
        eglMakeCurrent(m.prevDisplay, m.prevDraw, m.prevRead, m.prevContext);
}

// The same arithmetic the engine's device does per draw, done here once.
void GlReplay::Impl::Prepare(const CapturedFrame& frame, const CapturedDraw& in, GlDraw* out) {
    GlDraw& d = *out;
    const auto& st = in.states;
    d.mode = PrimitiveToGl(in.type);
    uint32_t elements = in.indices.empty() ? in.vertexCount : uint32_t(in.indices.size());
    if (in.type == PRIM_TRIANGLELIST) elements -= elements % 3;
    if (in.type == PRIM_LINELIST) elements -= elements % 2;
    d.count = GLsizei(elements);
    d.indices = in.indices;
    d.vertices = in.vertices;
    d.oneColor = in.oneColor;
    const uint32_t c = in.color;
    d.color[0] = GLubyte((c >> 16) & 0xFF), d.color[1] = GLubyte((c >> 8) & 0xFF);
    d.color[2] = GLubyte(c & 0xFF), d.color[3] = GLubyte(c >> 24);
    const float W = float(frame.width), H = float(frame.height);
    if (in.vertexType == VT_TLVERTEX) {
        d.screen = true;
        const TLVertex* v = reinterpret_cast<const TLVertex*>(d.vertices.data());
        d.positions.resize(size_t(in.vertexCount) * 4);
        for (uint32_t i = 0; i < in.vertexCount; ++i) {
            float w = v[i].rhw > 0.0f ? 1.0f / v[i].rhw : 1.0f;
            float* p = &d.positions[size_t(i) * 4];
            p[0] = v[i].sx * w, p[1] = v[i].sy * w, p[2] = v[i].sz * w, p[3] = w;
        }
        Matrix screen = ScreenClipMatrix(W, H);
        std::memcpy(d.projection, &screen.m[0][0], sizeof d.projection);
        Matrix identity = Matrix::Identity();
        std::memcpy(d.modelView, &identity.m[0][0], sizeof d.modelView);
        d.viewport[0] = 0, d.viewport[1] = 0, d.viewport[2] = GLint(W), d.viewport[3] = GLint(H);
    } else {
        const ViewportRecord& v = in.viewport;
        Matrix projection = in.projection * ViewportClipMatrix(v);
        Matrix modelView = in.world * in.view;
        std::memcpy(d.projection, &projection.m[0][0], sizeof d.projection);
        std::memcpy(d.modelView, &modelView.m[0][0], sizeof d.modelView);
        d.viewport[0] = GLint(v.x), d.viewport[1] = GLint(v.y);
        d.viewport[2] = GLint(v.width), d.viewport[3] = GLint(v.height);
        d.depthNear = std::clamp(v.minZ, 0.0f, 1.0f);
        d.depthFar = std::clamp(v.maxZ, 0.0f, 1.0f);
    }
    if (in.vertexType == VT_VERTEX) {
        const Vertex* v = reinterpret_cast<const Vertex*>(d.vertices.data());
        d.colors.assign(in.vertexCount, 0xFFFFFFFFu);
        d.speculars.assign(in.vertexCount, 0xFF000000u);
        if (!(in.flags & DP_DONOTLIGHT)) {
            LightingSetup l;
            l.material = in.material;
            uint32_t a = in.ambient;
            l.ambient = {float((a >> 16) & 0xFF) / 255.0f, float((a >> 8) & 0xFF) / 255.0f,
                         float(a & 0xFF) / 255.0f, float(a >> 24) / 255.0f};
            for (const LightRecord& light : in.lights) l.lights.push_back(&light);
            l.world = in.world;
            const ColorValue& s = in.material.specular;
            l.specular = st[RS_SPECULARENABLE] && in.material.power > 0.0f &&
                         (s.r > 0.0f || s.g > 0.0f || s.b > 0.0f);
            if (l.specular) l.eye = AffineInverse(in.view).GetTranslation();
            LightVertices(v, in.vertexCount, l, d.colors.data(), d.speculars.data());
        }
    }

    DrawColors colors = in.vertexType == VT_VERTEX
                            ? ScanColors(d.colors.data(), d.speculars.data(), 1, in.vertexCount)
                            : ScanColors(reinterpret_cast<const uint32_t*>(d.vertices.data() + 16),
                                         reinterpret_cast<const uint32_t*>(d.vertices.data() + 20),
                                         8, in.vertexCount);
    if (d.oneColor) colors.allWhite = in.color == 0xFFFFFFFFu;
    GlState& s = d.state;
    s.depthTest = hasDepth && st[RS_ZENABLE];
    s.depthWrite = st[RS_ZWRITEENABLE] != 0;
    s.depthFunc = CompareToGl(st[RS_ZFUNC]);
    s.blend = st[RS_ALPHABLENDENABLE] != 0;
    if (st[RS_SRCBLEND] == BLEND_BOTHSRCALPHA) {
        s.src = GL_SRC_ALPHA, s.dst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (st[RS_SRCBLEND] == BLEND_BOTHINVSRCALPHA) {
        s.src = GL_ONE_MINUS_SRC_ALPHA, s.dst = GL_SRC_ALPHA;
    } else {
        s.src = BlendToGl(st[RS_SRCBLEND]), s.dst = BlendToGl(st[RS_DESTBLEND]);
    }
    s.cull = st[RS_CULLMODE] == CULL_CW || st[RS_CULLMODE] == CULL_CCW;
    s.cullFace = st[RS_CULLMODE] == CULL_CCW ? GL_BACK : GL_FRONT;
    s.shade = st[RS_SHADEMODE] == SHADE_FLAT ? GL_FLAT : GL_SMOOTH;
    const CapturedTexture* tex = in.texture >= 0 ? &frame.textures[size_t(in.texture)] : nullptr;
    if (tex) {
        s.texture = textures[size_t(in.texture)];
        // Like the device, and as a hand-written GL program would: a texture modulated by
        // opaque white vertices is the texel itself.
        uint32_t blend = st[RS_TEXTUREMAPBLEND];
        if (blend == TBLEND_MODULATE && colors.allWhite) blend = TBLEND_COPY;
        s.texEnv = blend * 2 + (tex->hasAlpha ? 1 : 0);
        glBindTexture(GL_TEXTURE_2D, s.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, MagFilterToGl(st[RS_TEXTUREMAG]));
        GLint min = MinFilterToGl(st[RS_TEXTUREMIN]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
        if (min != GL_LINEAR && min != GL_NEAREST) glGenerateMipmap(GL_TEXTURE_2D);
        GLint wrap = AddressToGl(st[RS_TEXTUREADDRESS]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    }
    uint32_t func = CMP_ALWAYS, ref = 0;
    if (st[RS_ALPHATESTENABLE]) func = st[RS_ALPHAFUNC], ref = st[RS_ALPHAREF] & 0xFF;
    if (tex && tex->keyed && st[RS_COLORKEYENABLE] && func == CMP_ALWAYS) func = CMP_GREATER;
    s.alphaTest = func != CMP_ALWAYS;
    s.alphaFunc = CompareToGl(func);
    s.alphaRef = float(ref) / 255.0f;
    // The sum adds nothing where every specular colour is black.
    s.colorSum = st[RS_SPECULARENABLE] != 0 && colors.anySpecular;
    s.dither = st[RS_DITHERENABLE] != 0;
}

void GlReplay::Impl::DeleteTextures() {
    if (!textures.empty()) glDeleteTextures(GLsizei(textures.size()), textures.data());
    textures.clear();
    for (const Text& t : texts) glDeleteTextures(1, &t.texture);
    texts.clear();
}

bool GlReplay::Load(const CapturedFrame& frame) {
    Impl& m = *impl_;
    Enter();
    m.DeleteTextures();
    m.textures.assign(frame.textures.size(), 0);
    if (!m.textures.empty()) glGenTextures(GLsizei(m.textures.size()), m.textures.data());
    for (size_t i = 0; i < frame.textures.size(); ++i) {
        const CapturedTexture& t = frame.textures[i];
        glBindTexture(GL_TEXTURE_2D, m.textures[i]);
        // RGBA8 as the device stores every texture.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(t.width), GLsizei(t.height), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, t.rgba.data());
    }
    m.draws.clear();
    m.draws.resize(frame.draws.size());
    for (size_t i = 0; i < frame.draws.size(); ++i) m.Prepare(frame, frame.draws[i], &m.draws[i]);
    for (const CapturedText& in : frame.texts) {
        Impl::Text t;
        t.drawsBefore = in.drawsBefore;
        const float x0 = float(in.x), y0 = float(in.y);
        const float x1 = x0 + float(in.width), y1 = y0 + float(in.height);
        const float quad[] = {x0, y0, x1, y0, x1, y1, x0, y1};
        std::memcpy(t.quad, quad, sizeof quad);
        glGenTextures(1, &t.texture);
        glBindTexture(GL_TEXTURE_2D, t.texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(in.width), GLsizei(in.height), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, in.rgba.data());
        m.texts.push_back(t);
    }
    const uint32_t c = frame.clearColor;
    m.clear[0] = float((c >> 16) & 0xFF) / 255.0f;
    m.clear[1] = float((c >> 8) & 0xFF) / 255.0f;
    m.clear[2] = float(c & 0xFF) / 255.0f;
    m.clear[3] = float(c >> 24) / 255.0f;
    m.cleared = frame.cleared;
    m.stateKnown = false;
    m.texEnv = ~0u;
    glBindTexture(GL_TEXTURE_2D, 0);
    Leave();
    return true;
}

void GlReplay::Impl::Apply(const GlState& s) {
    const GlState& c = current;
    bool all = !stateKnown;
    if (all || s.depthTest != c.depthTest) Toggle(GL_DEPTH_TEST, s.depthTest);
    if (all || s.depthWrite != c.depthWrite) glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || s.depthFunc != c.depthFunc) glDepthFunc(s.depthFunc);
    if (all || s.blend != c.blend) Toggle(GL_BLEND, s.blend);
    if (all || s.src != c.src || s.dst != c.dst) glBlendFunc(s.src, s.dst);
    if (all || s.cull != c.cull) Toggle(GL_CULL_FACE, s.cull);
    if (all || s.cullFace != c.cullFace) glCullFace(s.cullFace);
    if (all || s.shade != c.shade) glShadeModel(s.shade);
    if (all || (s.texture != 0) != (c.texture != 0)) Toggle(GL_TEXTURE_2D, s.texture != 0);
    if (s.texture && (all || s.texture != c.texture)) glBindTexture(GL_TEXTURE_2D, s.texture);
    if (s.texture && s.texEnv != texEnv) {
        ApplyTextureBlend(s.texEnv >> 1, (s.texEnv & 1) != 0);
        texEnv = s.texEnv;
    }
    if (all || s.alphaTest != c.alphaTest) Toggle(GL_ALPHA_TEST, s.alphaTest);
    if (s.alphaTest && (all || s.alphaFunc != c.alphaFunc || s.alphaRef != c.alphaRef))
        glAlphaFunc(s.alphaFunc, s.alphaRef);
    if (all || s.colorSum != c.colorSum) Toggle(GL_COLOR_SUM, s.colorSum);
    if (all || s.dither != c.dither) Toggle(GL_DITHER, s.dither);
    current = s;
    stateKnown = true;
}

void GlReplay::Draw() {
    Impl& m = *impl_;
    glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
    glScissor(0, 0, GLsizei(m.width), GLsizei(m.height));
    if (m.cleared) {
        glClearColor(m.clear[0], m.clear[1], m.clear[2], m.clear[3]);
        glClearDepth(1.0);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m.current.depthWrite = true;
    }
    const GlDraw* last = nullptr;
    size_t text = 0;
    for (size_t i = 0; i < m.draws.size(); ++i) {
        for (; text < m.texts.size() && m.texts[text].drawsBefore <= i; ++text) {
            m.DrawText(m.texts[text]);
            last = nullptr;
        }
        const GlDraw& d = m.draws[i];
        m.Apply(d.state);
        if (!last || std::memcmp(d.projection, last->projection, sizeof d.projection) != 0 ||
            std::memcmp(d.modelView, last->modelView, sizeof d.modelView) != 0) {
            glViewport(d.viewport[0], d.viewport[1], d.viewport[2], d.viewport[3]);
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixf(d.projection);
            glMatrixMode(GL_MODELVIEW);
            glLoadMatrixf(d.modelView);
            glDepthRange(d.depthNear, d.depthFar);
        }
        last = &d;
        const uint8_t* v = d.vertices.data();
        if (d.screen) {
            glVertexPointer(4, GL_FLOAT, 0, d.positions.data());
        } else {
            glVertexPointer(3, GL_FLOAT, 32, v);
        }
        if (!d.colors.empty()) {
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 0, d.colors.data());
            glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 0, d.speculars.data());
        } else {
            // Lit and transformed records keep colour and specular at bytes 16 and 20.
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 32, v + 16);
            glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 32, v + 20);
        }
        glTexCoordPointer(2, GL_FLOAT, 32, v + 24);
        if (d.oneColor) {
            glDisableClientState(GL_COLOR_ARRAY);
            glColor4ubv(d.color);
        }
        if (d.indices.empty())
            glDrawArrays(d.mode, 0, d.count);
        else
            glDrawElements(d.mode, d.count, GL_UNSIGNED_SHORT, d.indices.data());
        if (d.oneColor) glEnableClientState(GL_COLOR_ARRAY);
    }
    for (; text < m.texts.size(); ++text) m.DrawText(m.texts[text]);
}

// As the device's text drawing does it (gl_text.cpp): pixel space with the target's top row
// first, the string's texels where their alpha is set; the draws' settings are sent again after.
void GlReplay::Impl::DrawText(const Text& t) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, GLsizei(width), GLsizei(height));
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_SUM);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    static const float uv[] = {0, 0, 1, 0, 1, 1, 0, 1};
    glVertexPointer(2, GL_FLOAT, 0, t.quad);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glColor4f(1, 1, 1, 1);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    glEnable(GL_SCISSOR_TEST);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
    stateKnown = false;
    texEnv = ~0u;
}

bool ReadTextPixels(CapturedText* text) {
    GLint name = 0, width = 0, height = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    if (name == 0) return false;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
    text->width = uint32_t(width);
    text->height = uint32_t(height);
    text->rgba.resize(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, text->rgba.data());
    return glGetError() == GL_NO_ERROR;
}

void GlReplay::Finish() {
    glFinish();
}

bool GlReplay::ReadPixels(std::vector<uint8_t>* rgba) {
    Impl& m = *impl_;
    rgba->resize(size_t(m.width) * m.height * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, m.fbo);
    glReadPixels(0, 0, GLsizei(m.width), GLsizei(m.height), GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba->data());
    return glGetError() == GL_NO_ERROR;
}

}  // namespace orix::bench
