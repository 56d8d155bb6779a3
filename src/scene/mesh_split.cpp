// The texture-coordinate split: one rendering vertex per distinct (position, u, v) met in the
// faces, and the table of which vertices each model-file position became.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/mesh.h"

namespace orix {

namespace {

// The distinct (position, u, v) triples met in the textured faces, numbered in the order met.
// Most positions carry one pair, so each position's first pair is checked directly; the others
// go through an open-addressing table, so that the work stays linear however a file repeats
// itself. Coordinates compare by value, with -0 the same as +0 (and a NaN as its own bits).
class PairIndex {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    struct Pair {
        uint32_t position;
        TexCoord t;
    };

    PairIndex(uint32_t positions, size_t most) : first_(positions, kNone) {
        // Seams add a fraction more pairs than positions.
        pairs_.reserve(std::min<size_t>(most, size_t(positions) + positions / 2));
    }

    // The number of the pair, made when new; kNone when a new pair would be one more than a
    // mesh may have vertices.
    uint32_t Find(uint32_t position, const TexCoord& t) {
        uint32_t& first = first_[position];
        if (first == kNone) {
            first = Add(position, t);
            return first;
        }
        const Pair& p = pairs_[first];
        // The same bits are the same value; only a -0 beside a +0 needs the second look.
        if (Raw(p.t) == Raw(t)) return first;
        const uint32_t u = Bits(t.u), v = Bits(t.v);
        if (Bits(p.t.u) == u && Bits(p.t.v) == v) return first;
        return FindOther(position, t, u, v);
    }

    const std::vector<Pair>& Pairs() const { return pairs_; }

private:
    uint32_t FindOther(uint32_t position, const TexCoord& t, uint32_t u, uint32_t v) {
        // Grown by doubling at half full: sized for the seams a model has, not for the worst
        // case, whose table would cost more to clear than the split itself.
        if ((others_ + 1) * 2 > slots_.size()) Grow();
        const size_t mask = slots_.size() - 1;
        size_t slot = Hash(position, u, v) & mask;
        for (;; slot = (slot + 1) & mask) {
            uint32_t e = slots_[slot];
            if (e == kNone) break;
            const Pair& p = pairs_[e];
            if (p.position == position && Bits(p.t.u) == u && Bits(p.t.v) == v) return e;
        }
        const uint32_t e = Add(position, t);
        if (e == kNone) return kNone;
        slots_[slot] = e;
        ++others_;
        return e;
    }

    void Grow() {
        std::vector<uint32_t> old(std::max<size_t>(16, slots_.size() * 2), kNone);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (uint32_t e : old) {
            if (e == kNone) continue;
            const Pair& p = pairs_[e];
            size_t slot = Hash(p.position, Bits(p.t.u), Bits(p.t.v)) & mask;
            while (slots_[slot] != kNone) slot = (slot + 1) & mask;
            slots_[slot] = e;
        }
    }

    uint32_t Add(uint32_t position, const TexCoord& t) {
        if (pairs_.size() >= Mesh::kMaxVertices) return kNone;
        // Field by field: a pair assembled whole on the stack is read back before its two
        // stores can be forwarded, which stalls every new pair.
        Pair& p = pairs_.emplace_back();
        p.position = position;
        p.t = t;
        return uint32_t(pairs_.size() - 1);
    }

    static uint64_t Raw(const TexCoord& t) {
        uint64_t bits;
        static_assert(sizeof t == sizeof bits, "a coordinate pair is two floats");
        std::memcpy(&bits, &t, sizeof bits);
        return bits;
    }
    static uint32_t Bits(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return bits == 0x80000000u ? 0 : bits;
    }
    static size_t Hash(uint32_t position, uint32_t u, uint32_t v) {
        uint64_t h = position * 0x9E3779B97F4A7C15ull;
        h ^= (uint64_t(u) << 32 | v) * 0xC2B2AE3D27D4EB4Full;
        return size_t(h ^ (h >> 29));
    }

    std::vector<uint32_t> first_;
    std::vector<uint32_t> slots_;
    std::vector<Pair> pairs_;
    size_t others_ = 0;  // pairs in slots_
};

template <typename V>
bool SplitArray(MeshGeometry& g, std::vector<V>& vertices, uint32_t* vertexCount) {
    const uint32_t count = *vertexCount;
    // A face without a texture face of its index keeps the coordinates its vertex has.
    const size_t textured = std::min(g.faces.size(), g.texFaces.size() / 3);
    const size_t corners = textured * 3;
    PairIndex index(count, std::min<size_t>(corners, Mesh::kMaxVertices));
    // Every entry is written before it is read: no need to clear it first.
    std::unique_ptr<uint32_t[]> cornerPair(new uint32_t[corners]);
    const uint16_t* positions = g.indices.data();
    const uint16_t* texFaces = g.texFaces.data();
    const TexCoord* coords = g.texCoords.data();
    for (size_t c = 0; c < corners; ++c) {
        const uint32_t pair = index.Find(positions[c], coords[texFaces[c]]);
        // More pairs than a mesh may have vertices: give up before the table grows further.
        if (pair == PairIndex::kNone) return false;
        cornerPair[c] = pair;
    }
    const std::vector<PairIndex::Pair>& pairs = index.Pairs();

    // Each position's vertices in a row; a position that no textured face uses keeps one.
    PositionTable table;
    table.start.assign(size_t(count) + 1, 0);
    for (const PairIndex::Pair& p : pairs) ++table.start[p.position];
    uint32_t total = 0;
    for (uint32_t vi = 0; vi < count; ++vi) {
        uint32_t n = table.start[vi] ? table.start[vi] : 1;
        table.start[vi] = total;
        total += n;
        if (total > Mesh::kMaxVertices) return false;
    }
    table.start[count] = total;

    std::vector<V> split(total);
    std::vector<uint32_t> filled(count, 0);
    std::vector<uint16_t> vertexOfPair(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const PairIndex::Pair& p = pairs[i];
        uint32_t at = table.start[p.position] + filled[p.position]++;
        V v = vertices[p.position];
        v.tu = p.t.u;
        v.tv = p.t.v;
        split[at] = v;
        vertexOfPair[i] = uint16_t(at);
    }
    for (uint32_t vi = 0; vi < count; ++vi) {
        if (!filled[vi]) split[table.start[vi]] = vertices[vi];
    }

    uint16_t* indices = g.indices.data();
    for (size_t c = 0; c < corners; ++c) indices[c] = vertexOfPair[cornerPair[c]];
    for (size_t c = corners; c < g.indices.size(); ++c)
        indices[c] = uint16_t(table.start[indices[c]]);
    for (size_t f = 0; f < g.faces.size(); ++f) {
        MeshFace& face = g.faces[f];
        face.a = g.indices[f * 3], face.b = g.indices[f * 3 + 1], face.c = g.indices[f * 3 + 2];
    }
    vertices.swap(split);
    g.positionTable = std::move(table);
    *vertexCount = total;
    return true;
}

}  // namespace

void Mesh::SplitVerticesByTexCoords() {
    MeshGeometry& g = *geometry;
    bool split = false;
    switch (vertexFormat) {
        case 0:
            split = SplitArray(g, g.unlitVertices, &vertexCount);
            break;
        case 1:
            split = SplitArray(g, g.litVertices, &vertexCount);
            break;
        case 2:
            split = SplitArray(g, g.transformedVertices, &vertexCount);
            break;
    }
    if (split) splitVertexCount = vertexCount;
}

}  // namespace orix
