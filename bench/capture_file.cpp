#include "capture_file.h"

#include <cstring>
#include <vector>

#include "files/byte_cursor.h"
#include "files/input_file.h"
#include "files/output_file.h"

namespace orix::bench {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'I', 'X', 'C', 'A', 'P', 'T'};
constexpr uint32_t kVersion = 1;
// Far above any texture or text the device makes: a size past it is a damaged file.
constexpr uint32_t kMaxSide = 16384;

class ByteWriter {
public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void F32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, sizeof u);
        U32(u);
    }
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Color(const ColorValue& c) {
        for (float f : {c.r, c.g, c.b, c.a}) F32(f);
    }
    void Vector(const Vector3& v) {
        for (float f : {v.x, v.y, v.z}) F32(f);
    }
    void Matrix4(const Matrix& m) {
        for (const auto& row : m.m) {
            for (float f : row) F32(f);
        }
    }
    const std::vector<uint8_t>& Data() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The reads of one record; each false at the end of the data, so a && chain stops there.
struct Reader {
    ByteCursor& in;
    bool U8(uint8_t* v) { return in.ReadU8(v); }
    bool Bool(bool* v) {
        uint8_t b = 0;
        if (!in.ReadU8(&b) || b > 1) return false;
        *v = b != 0;
        return true;
    }
    bool U32(uint32_t* v) { return in.ReadU32(v); }
    bool I32(int32_t* v) { return in.ReadI32(v); }
    bool F32(float* v) { return in.ReadF32(v); }
    bool Bytes(void* out, size_t size) {
        const uint8_t* p = in.Peek(size);
        if (!p) return false;
        if (size) std::memcpy(out, p, size);
        return in.Skip(size);
    }
    bool Color(ColorValue* c) { return F32(&c->r) && F32(&c->g) && F32(&c->b) && F32(&c->a); }
    bool Vector(Vector3* v) { return F32(&v->x) && F32(&v->y) && F32(&v->z); }
    bool Matrix4(Matrix* m) {
        for (auto& row : m->m) {
            for (float& f : row) {
                if (!F32(&f)) return false;
            }
        }
        return true;
    }
    // A count of records of at least minBytes each that the rest of the file can hold.
    bool Count(uint32_t* n, size_t minBytes) { return U32(n) && in.HasRoomFor(*n, minBytes); }
    // width x height RGBA pixels, each side within kMaxSide.
    bool Pixels(uint32_t width, uint32_t height, std::vector<uint8_t>* rgba) {
        if (width > kMaxSide || height > kMaxSide) return false;
        const size_t size = size_t(width) * height * 4;
        if (in.Remaining() < size) return false;
        rgba->resize(size);
        return Bytes(rgba->data(), size);
    }
};

void WriteDraw(ByteWriter& w, const CapturedDraw& d) {
    w.U32(d.type);
    w.U32(d.vertexType);
    w.U32(d.flags);
    w.U32(d.vertexCount);
    w.Bytes(d.vertices.data(), size_t(d.vertexCount) * 32);
    w.U32(uint32_t(d.indices.size()));
    for (uint16_t i : d.indices) {
        w.U8(uint8_t(i));
        w.U8(uint8_t(i >> 8));
    }
    w.U8(d.oneColor ? 1 : 0);
    w.U32(d.color);
    w.Matrix4(d.world);
    w.Matrix4(d.view);
    w.Matrix4(d.projection);
    const ViewportRecord& v = d.viewport;
    for (uint32_t u : {v.x, v.y, v.width, v.height}) w.U32(u);
    for (float f : {v.clipX, v.clipY, v.clipWidth, v.clipHeight, v.minZ, v.maxZ}) w.F32(f);
    w.U32(RS_COUNT);
    for (uint32_t s : d.states) w.U32(s);
    w.U32(d.ambient);
    const MaterialRecord& m = d.material;
    for (const ColorValue* c : {&m.diffuse, &m.ambient, &m.specular, &m.emissive}) w.Color(*c);
    w.F32(m.power);
    w.U32(m.texture.value);
    w.U32(m.rampSize);
    w.U32(uint32_t(d.lights.size()));
    for (const LightRecord& l : d.lights) {
        w.U32(l.type);
        w.Color(l.color);
        w.Vector(l.position);
        w.Vector(l.direction);
        for (float f :
             {l.range, l.falloff, l.attenuation0, l.attenuation1, l.attenuation2, l.theta, l.phi})
            w.F32(f);
        w.U32(l.flags);
    }
    w.I32(d.texture);
}

bool ReadDraw(Reader& r, size_t textureCount, CapturedDraw* d) {
    uint32_t type = 0, vertexType = 0;
    if (!r.U32(&type) || type < PRIM_POINTLIST || type > PRIM_TRIANGLEFAN) return false;
    if (!r.U32(&vertexType) || vertexType < VT_VERTEX || vertexType > VT_TLVERTEX) return false;
    d->type = PrimitiveType(type);
    d->vertexType = VertexType(vertexType);
    if (!r.U32(&d->flags) || !r.Count(&d->vertexCount, 32)) return false;
    d->vertices.resize(size_t(d->vertexCount) * 32);
    if (!r.Bytes(d->vertices.data(), d->vertices.size())) return false;
    uint32_t indexCount = 0;
    if (!r.Count(&indexCount, 2)) return false;
    d->indices.resize(indexCount);
    for (uint16_t& i : d->indices) {
        uint8_t lo = 0, hi = 0;
        if (!r.U8(&lo) || !r.U8(&hi)) return false;
        i = uint16_t(lo | (hi << 8));
        // The replay draws from the vertices it was given: an index past them is damage.
        if (i >= d->vertexCount) return false;
    }
    ViewportRecord& v = d->viewport;
    if (!r.Bool(&d->oneColor) || !r.U32(&d->color) || !r.Matrix4(&d->world) ||
        !r.Matrix4(&d->view) || !r.Matrix4(&d->projection) || !r.U32(&v.x) || !r.U32(&v.y) ||
        !r.U32(&v.width) || !r.U32(&v.height) || !r.F32(&v.clipX) || !r.F32(&v.clipY) ||
        !r.F32(&v.clipWidth) || !r.F32(&v.clipHeight) || !r.F32(&v.minZ) || !r.F32(&v.maxZ))
        return false;
    uint32_t states = 0;
    if (!r.U32(&states) || states != RS_COUNT) return false;
    for (uint32_t& s : d->states) {
        if (!r.U32(&s)) return false;
    }
    MaterialRecord& m = d->material;
    uint32_t texture = 0, lightCount = 0;
    if (!r.U32(&d->ambient) || !r.Color(&m.diffuse) || !r.Color(&m.ambient) ||
        !r.Color(&m.specular) || !r.Color(&m.emissive) || !r.F32(&m.power) || !r.U32(&texture) ||
        !r.U32(&m.rampSize) || !r.Count(&lightCount, 4 + 16 + 24 + 28 + 4))
        return false;
    m.texture = TextureHandle(texture);
    d->lights.resize(lightCount);
    for (LightRecord& l : d->lights) {
        if (!r.U32(&l.type) || !r.Color(&l.color) || !r.Vector(&l.position) ||
            !r.Vector(&l.direction) || !r.F32(&l.range) || !r.F32(&l.falloff) ||
            !r.F32(&l.attenuation0) || !r.F32(&l.attenuation1) || !r.F32(&l.attenuation2) ||
            !r.F32(&l.theta) || !r.F32(&l.phi) || !r.U32(&l.flags))
            return false;
    }
    return r.I32(&d->texture) && d->texture >= -1 && d->texture < int64_t(textureCount);
}

}  // namespace

bool WriteCapturedFrame(const std::string& path, const CapturedFrame& frame, std::string* error) {
    ByteWriter w;
    w.Bytes(kMagic, sizeof kMagic);
    w.U32(kVersion);
    w.U32(frame.width);
    w.U32(frame.height);
    w.U32(frame.bitsPerPixel);
    w.U32(frame.clearColor);
    w.U8(frame.cleared ? 1 : 0);
    w.U32(uint32_t(frame.textures.size()));
    for (const CapturedTexture& t : frame.textures) {
        w.U32(t.width);
        w.U32(t.height);
        w.U8(t.hasAlpha ? 1 : 0);
        w.U8(t.keyed ? 1 : 0);
        w.Bytes(t.rgba.data(), size_t(t.width) * t.height * 4);
    }
    w.U32(uint32_t(frame.draws.size()));
    for (const CapturedDraw& d : frame.draws) WriteDraw(w, d);
    w.U32(uint32_t(frame.texts.size()));
    for (const CapturedText& t : frame.texts) {
        w.I32(t.x);
        w.I32(t.y);
        w.U32(t.drawsBefore);
        w.U32(t.width);
        w.U32(t.height);
        w.Bytes(t.rgba.data(), size_t(t.width) * t.height * 4);
    }
    return WriteWholeFile(path, w.Data().data(), w.Data().size(), error);
}

bool ReadCapturedFrame(const std::string& path, CapturedFrame* frame, std::string* error) {
    InputFile file;
    std::vector<char> bytes;
    if (!file.Open(path, error) || !file.ReadAll(&bytes, error, kMaxCaptureBytes)) return false;
    ByteCursor in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    Reader r{in};
    auto fail = [&](const char* what) {
        if (error) *error = path + ": " + what;
        return false;
    };
    char magic[sizeof kMagic];
    uint32_t version = 0;
    if (!r.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0)
        return fail("not a captured frame");
    if (!r.U32(&version) || version != kVersion) return fail("a captured frame of another version");
    CapturedFrame f;
    uint32_t textures = 0, draws = 0, texts = 0;
    if (!r.U32(&f.width) || !r.U32(&f.height) || !r.U32(&f.bitsPerPixel) || !r.U32(&f.clearColor) ||
        !r.Bool(&f.cleared) || !r.Count(&textures, 10))
        return fail("the frame's header is cut short or damaged");
    if (f.width == 0 || f.height == 0 || f.width > kMaxSide || f.height > kMaxSide ||
        (f.bitsPerPixel != 16 && f.bitsPerPixel != 32))
        return fail("the frame's size or depth is out of range");
    f.textures.resize(textures);
    for (CapturedTexture& t : f.textures) {
        if (!r.U32(&t.width) || !r.U32(&t.height) || !r.Bool(&t.hasAlpha) || !r.Bool(&t.keyed) ||
            !r.Pixels(t.width, t.height, &t.rgba))
            return fail("a texture is cut short or damaged");
    }
    // The smallest draw: its fixed fields with no vertices, indices or lights.
    if (!r.Count(&draws, 4 * 4 + 4 + 1 + 4 + 3 * 64 + 40 + 4 + 4 * RS_COUNT + 4 + 76 + 4 + 4))
        return fail("the draws are cut short or damaged");
    f.draws.resize(draws);
    for (CapturedDraw& d : f.draws) {
        if (!ReadDraw(r, f.textures.size(), &d)) return fail("a draw is cut short or damaged");
    }
    if (!r.Count(&texts, 20)) return fail("the texts are cut short or damaged");
    f.texts.resize(texts);
    for (CapturedText& t : f.texts) {
        if (!r.I32(&t.x) || !r.I32(&t.y) || !r.U32(&t.drawsBefore) || t.drawsBefore > draws ||
            !r.U32(&t.width) || !r.U32(&t.height) || !r.Pixels(t.width, t.height, &t.rgba))
            return fail("a text is cut short or damaged");
    }
    if (!in.AtEnd()) return fail("bytes follow the last record");
    *frame = std::move(f);
    return true;
}

}  // namespace orix::bench
