#include "skin/skin_deform.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "device/globals.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix {

namespace {

// Whether the mesh draws from a shared-position table (vertices split by texture coordinates).
bool HasPositionTable(const Mesh& mesh) {
    return !mesh.texCoordsOneToOne && !mesh.geometry->positionTable.empty();
}

// The vertices of the table entry named by a 1-based index, when it and all of them are usable.
struct EntryVertices {
    uint32_t first = 0, count = 0;
};

bool Entry(const Mesh& mesh, int32_t index, EntryVertices* out) {
    const PositionTable& table = mesh.geometry->positionTable;
    if (index < 1 || size_t(index) > table.size()) return false;
    uint32_t first = table.First(size_t(index) - 1), count = table.Count(size_t(index) - 1);
    if (count == 0 || uint64_t(first) + count > mesh.vertexCount) return false;
    *out = {first, count};
    return true;
}

template <typename V>
void Carry(std::vector<V>& vertices, uint32_t i, const Matrix& m) {
    V& v = vertices[i];
    Vector3 p = TransformPoint({v.x, v.y, v.z}, m);
    v.x = p.x, v.y = p.y, v.z = p.z;
}

// Validates the indices into the bindings' targets and lays out the per-frame plan; returns how
// many indices were dropped.
int32_t PlanTargets(SkinnedCharacter& c, const Mesh& mesh, SkinPlan& plan) {
    int32_t ignored = 0;
    bool table = HasPositionTable(mesh);
    std::vector<bool> copied(table ? mesh.geometry->positionTable.size() : 0, false);
    plan.bindingOfVertex.assign(mesh.vertexCount, -1);
    plan.matrices.assign(c.skinBindings.size(), Matrix::Identity());
    plan.copies.clear();
    plan.layered = false;
    for (size_t bi = 0; bi < c.skinBindings.size(); ++bi) {
        SkinBinding& b = c.skinBindings[bi];
        b.targets.clear();
        b.targets.reserve(b.indices.size());
        for (int32_t k : b.indices) {
            uint32_t target = 0;
            EntryVertices e;
            if (!table) {
                if (k < 1 || uint32_t(k) > mesh.vertexCount) {
                    ++ignored;
                    continue;
                }
                target = uint32_t(k - 1);
            } else {
                if (!Entry(mesh, k, &e)) {
                    ++ignored;
                    continue;
                }
                target = e.first;
            }
            b.targets.push_back(target);
            int32_t& owner = plan.bindingOfVertex[target];
            // Listed twice, the vertex takes both bones in file order: the slower path.
            if (owner >= 0 || !b.bone) plan.layered = true;
            owner = int32_t(bi);
            // The others follow their representative once, after every bone has moved.
            if (!table || copied[size_t(k) - 1]) continue;
            copied[size_t(k) - 1] = true;
            for (uint32_t i = 1; i < e.count; ++i) {
                plan.copies.push_back(e.first);
                plan.copies.push_back(e.first + i);
            }
        }
    }
    return ignored;
}

// The skin goes to world space in the mesh, and into bone space in the rest copy: the mesh keeps
// drawing the model file's pose until the first deformation replaces it.
template <typename V>
void BindArray(SkinnedCharacter& c, Mesh& mesh, std::vector<V>& vertices, std::vector<V>& rest) {
    if (mesh.geometry->inNodeSpace) {
        for (uint32_t i = 0; i < mesh.vertexCount; ++i) Carry(vertices, i, mesh.nodeTransform);
    }
    mesh.nodeTransform = Matrix::Identity();
    mesh.restPose = Matrix::Identity();
    std::memcpy(rest.data(), vertices.data(), size_t(mesh.vertexCount) * sizeof(V));
    bool table = HasPositionTable(mesh);
    for (const SkinBinding& b : c.skinBindings) {
        if (!b.bone) continue;
        Matrix inverse = AffineInverse(b.bone->nodeTransform);
        for (int32_t k : b.indices) {
            if (!table) {
                if (k >= 1 && uint32_t(k) <= mesh.vertexCount)
                    Carry(rest, uint32_t(k - 1), inverse);
                continue;
            }
            EntryVertices e;
            if (Entry(mesh, k, &e)) {
                for (uint32_t i = 0; i < e.count; ++i) Carry(rest, e.first + i, inverse);
            }
        }
    }
}

// A vertex that follows its representative takes the representative's rest point: carried by
// the same matrix it comes out exactly as the copy would, without a second pass.
template <typename V>
void FillRestPoints(const std::vector<V>& rest, SkinPlan* plan) {
    for (size_t i = 0; i < plan->restPoints.size(); ++i) {
        const V& v = rest[i];
        plan->restPoints[i] = {v.x, v.y, v.z, plan->bindingOfVertex[i]};
    }
    for (size_t i = 0; i + 1 < plan->copies.size(); i += 2)
        plan->restPoints[plan->copies[i + 1]] = plan->restPoints[plan->copies[i]];
}

void Log(const char* format, const std::string& meshName, int32_t value) {
    if (!logFile) return;
    std::fprintf(logFile, format, meshName.c_str(), value);
}

// out's position = in's position carried by m (out and in may be the same vertex).
template <typename V>
inline void CarryPosition(const V& in, V& out, const Matrix& m) {
    const float x = in.x, y = in.y, z = in.z;
    out.x = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0];
    out.y = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1];
    out.z = x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + m.m[3][2];
}

// One sequential pass over the rest points: every vertex's position restored, the bound ones
// carried by their binding's matrix. The rest of each record never changes after binding, so it
// is left as it is.
template <typename V>
void RestoreAndCarry(V* out, const SkinRestPoint* in, const Matrix* matrices, uint32_t count) {
#if defined(__SSE2__)
    // Both vertex layouts begin with x, y, z. Same operation order as the scalar form.
    static_assert(sizeof(V) == 32, "vertex records are 32 bytes");
    static_assert(sizeof(SkinRestPoint) == 16, "rest points are 16 bytes");
    for (uint32_t i = 0; i < count; ++i) {
        float* dst = reinterpret_cast<float*>(out + i);
        __m128 p = _mm_loadu_ps(&in[i].x);
        const int32_t o = in[i].binding;
        if (o >= 0) {
            const float* m = &matrices[o].m[0][0];
            const __m128 a = p;
            p = _mm_mul_ps(_mm_shuffle_ps(a, a, 0x00), _mm_loadu_ps(m));
            p = _mm_add_ps(p, _mm_mul_ps(_mm_shuffle_ps(a, a, 0x55), _mm_loadu_ps(m + 4)));
            p = _mm_add_ps(p, _mm_mul_ps(_mm_shuffle_ps(a, a, 0xAA), _mm_loadu_ps(m + 8)));
            p = _mm_add_ps(p, _mm_loadu_ps(m + 12));
        }
        // x and y, then z: stores alone, so no read of the record waits on memory.
        _mm_storel_pi(reinterpret_cast<__m64*>(dst), p);
        _mm_store_ss(dst + 2, _mm_movehl_ps(p, p));
    }
#else
    for (uint32_t i = 0; i < count; ++i) {
        V& v = out[i];
        v.x = in[i].x, v.y = in[i].y, v.z = in[i].z;
        if (in[i].binding >= 0) CarryPosition(v, v, matrices[in[i].binding]);
    }
#endif
}

// The hot loop. Each vertex is listed under at most one bone (the usual skin): one sequential
// pass over the rest points restores and carries every vertex, the shared-position copies
// included. Otherwise the rest copy is restored whole, the bones act one after another, in file
// order, and the copies follow their representatives.
template <typename V>
void DeformArray(const SkinnedCharacter& c, SkinPlan& plan, std::vector<V>& vertices,
                 const std::vector<V>& rest, uint32_t count, const Matrix* toSkin) {
    for (size_t bi = 0; bi < c.skinBindings.size(); ++bi) {
        const SceneObject* bone = c.skinBindings[bi].bone;
        if (bone) plan.matrices[bi] = toSkin ? bone->world * *toSkin : bone->world;
    }
    V* out = vertices.data();
    const V* from = rest.data();
    if (!plan.layered && plan.restPoints.size() == count) {
        RestoreAndCarry(out, plan.restPoints.data(), plan.matrices.data(), count);
        return;
    }
    std::memcpy(out, from, size_t(count) * sizeof(V));
    for (size_t bi = 0; bi < c.skinBindings.size(); ++bi) {
        const SkinBinding& b = c.skinBindings[bi];
        if (!b.bone) continue;
        const Matrix m = plan.matrices[bi];
        for (uint32_t t : b.targets) CarryPosition(out[t], out[t], m);
    }
    const uint32_t* p = plan.copies.data();
    const size_t pairs = plan.copies.size() / 2;
    for (size_t i = 0; i < pairs; ++i) {
        const V& a = out[p[2 * i]];
        V& b = out[p[2 * i + 1]];
        b.x = a.x, b.y = a.y, b.z = a.z;
    }
}

bool Keyframed(const SceneObject& o, const SkinnedCharacter& c) {
    return o.parent == &c && o.motionMode == MotionMode::Keyframed && !o.updateCallback;
}

// The pose as the skin mesh's and the bones' local transforms. Relative to the skin, the posed
// vertices depend on nothing else when all of them hang from the character and play keyframes:
// equal keys give equal vertices wherever the characters stand. False when some node moves
// otherwise (its world is not told by its local transform).
bool HasPoseKey(const SkinnedCharacter& c, const Mesh& mesh) {
    if (!Keyframed(mesh, c)) return false;
    for (const SkinBinding& b : c.skinBindings) {
        if (b.bone && !Keyframed(*b.bone, c)) return false;
    }
    return true;
}

// Calls f with each matrix of the key in turn.
template <typename F>
void ForEachKeyMatrix(const SkinnedCharacter& c, const Mesh& mesh, F f) {
    f(mesh.animatedLocal);
    for (const SkinBinding& b : c.skinBindings) {
        if (b.bone) f(b.bone->animatedLocal);
    }
}

uint64_t HashPoseKey(const SkinnedCharacter& c, const Mesh& mesh) {
    static_assert(sizeof(Matrix) == 64, "a matrix is sixteen floats");
    // Four lanes, so the multiplications do not wait on one another.
    uint64_t lane[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                        0x27D4EB2F165667C5ull};
    ForEachKeyMatrix(c, mesh, [&](const Matrix& m) {
        uint64_t words[8];
        std::memcpy(words, &m, sizeof words);
        for (size_t i = 0; i < 8; ++i)
            lane[i & 3] = (lane[i & 3] ^ words[i]) * 0xFF51AFD7ED558CCDull;
    });
    uint64_t h = lane[0] ^ (lane[1] >> 17) ^ (lane[2] << 23) ^ (lane[3] >> 31);
    return h ^ (h >> 29);
}

bool SameKey(const SkinPose& pose, const SkinnedCharacter& c, const Mesh& mesh) {
    size_t at = 0;
    bool same = true;
    ForEachKeyMatrix(c, mesh, [&](const Matrix& m) {
        // Bit for bit: a key that only compares equal (0 and -0) may come from other vertices.
        same = same && at < pose.key.size() && std::memcmp(&pose.key[at], &m, sizeof m) == 0;
        ++at;
    });
    return same && at == pose.key.size();
}

// The pose this character's deformation goes into: its own when no other skin mesh draws it,
// else one that nobody draws any more, else a new copy of the mesh's geometry.
size_t PoseToWrite(SkinShare& share, Mesh& mesh, size_t current) {
    std::vector<SkinPose>& poses = share.poses;
    if (current < poses.size() && poses[current].geometry == mesh.geometry) {
        // Held by the table and this mesh alone.
        if (mesh.geometry.use_count() == 2) return current;
    } else if (mesh.geometry.use_count() == 1) {
        // A lone character's first pose: its own geometry, held by nothing else, joins the table.
        poses.push_back({0, {}, mesh.geometry});
        return poses.size() - 1;
    }
    for (size_t k = 0; k < poses.size(); ++k) {
        const size_t i = (share.nextFree + k) % poses.size();
        if (poses[i].geometry.use_count() == 1) {
            share.nextFree = i + 1;
            return i;
        }
    }
    poses.push_back({0, {}, std::make_shared<MeshGeometry>(*mesh.geometry)});
    return poses.size() - 1;
}

// The two slots where a hash's pose may be named; none while the table is empty.
bool SlotsOf(const SkinShare& share, uint64_t hash, size_t* a, size_t* b) {
    if (share.slots.empty()) return false;
    const size_t mask = share.slots.size() - 1;
    *a = size_t(hash) & mask;
    *b = size_t(hash >> 32) & mask;
    return true;
}

// Names pose k in one of its hash's two slots: one that is empty or names a pose no longer kept
// under it, else the one whose pose nobody draws.
void Place(SkinShare& share, size_t k) {
    size_t a = 0, b = 0;
    if (share.poses[k].key.empty() || !SlotsOf(share, share.poses[k].hash, &a, &b)) return;
    auto free = [&](size_t slot) {
        const uint32_t named = share.slots[slot];
        if (named == 0 || named - 1 == k) return true;
        const SkinPose& p = share.poses[named - 1];
        size_t pa = 0, pb = 0;
        return p.key.empty() || !SlotsOf(share, p.hash, &pa, &pb) || (slot != pa && slot != pb);
    };
    size_t slot = a;
    if (!free(a)) {
        slot = free(b) || share.poses[share.slots[a] - 1].geometry.use_count() > 1 ? b : a;
    }
    share.slots[slot] = uint32_t(k + 1);
}

// Pose k was just written: the slots grow with the table, then name it under its hash.
void Index(SkinShare& share, size_t k) {
    if (share.slots.size() < 4 * share.poses.size()) {
        size_t size = 64;
        while (size < 4 * share.poses.size()) size *= 2;
        share.slots.assign(size, 0);
        for (size_t i = 0; i < share.poses.size(); ++i) Place(share, i);
        return;
    }
    Place(share, k);
}

// The pose kept under this character's key, if any.
const SkinPose* Find(const SkinShare& share, uint64_t hash, const SkinnedCharacter& c,
                     const Mesh& mesh, size_t* at) {
    size_t a = 0, b = 0;
    if (!SlotsOf(share, hash, &a, &b)) return nullptr;
    for (size_t slot : {a, b}) {
        const uint32_t named = share.slots[slot];
        if (named == 0 || named > share.poses.size()) continue;
        const SkinPose& p = share.poses[named - 1];
        if (p.hash == hash && SameKey(p, c, mesh)) {
            *at = named - 1;
            return &p;
        }
    }
    return nullptr;
}

}  // namespace

SkinBindResult SkinBind(SkinnedCharacter& c) {
    SkinBindResult result;
    Mesh* mesh = c.skinMesh;
    c.deformSkin = nullptr;
    c.skin.reset();
    if (!mesh) return result;
    MeshGeometry& g = *mesh->geometry;
    bool usable = mesh->vertexFormat == c.vertexFormat &&
                  ((c.vertexFormat == 0 && g.unlitVertices.size() >= mesh->vertexCount) ||
                   (c.vertexFormat == 1 && g.litVertices.size() >= mesh->vertexCount));
    if (!usable) {
        Log("Skin mesh \"%s\": vertex format %d has no rest copy; the skin will not deform.\n",
            mesh->name, mesh->vertexFormat);
        return result;
    }
    // Everything that can fail is allocated before the mesh is touched.
    auto share = std::make_shared<SkinShare>();
    try {
        if (c.vertexFormat == 0) {
            share->unlitRestCopy.resize(mesh->vertexCount);
        } else {
            share->litRestCopy.resize(mesh->vertexCount);
        }
        result.ignoredIndices = PlanTargets(c, *mesh, share->plan);
        share->plan.restPoints.resize(mesh->vertexCount);
    } catch (const std::bad_alloc&) {
        for (SkinBinding& b : c.skinBindings) b.targets = {};
        Log("Skin mesh \"%s\": no memory for the rest copy (%d vertices); the skin will not "
            "deform.\n",
            mesh->name, int32_t(mesh->vertexCount));
        return result;
    }
    if (c.vertexFormat == 0) {
        BindArray(c, *mesh, g.unlitVertices, share->unlitRestCopy);
        FillRestPoints(share->unlitRestCopy, &share->plan);
    } else {
        BindArray(c, *mesh, g.litVertices, share->litRestCopy);
        FillRestPoints(share->litRestCopy, &share->plan);
    }
    c.skin = std::move(share);
    if (result.ignoredIndices > 0) {
        Log("Skin mesh \"%s\": %d vertex indices outside the mesh were ignored.\n", mesh->name,
            result.ignoredIndices);
    }
    result.bound = true;
    c.deformSkin = SkinDeform;
    return result;
}

void SkinDeform(SkinnedCharacter& c) {
    Mesh* mesh = c.skinMesh;
    SkinShare* share = c.skin.get();
    if (!mesh || !share) return;
    uint32_t n = mesh->vertexCount;
    SkinPlan& plan = share->plan;
    if (plan.bindingOfVertex.size() != n || plan.matrices.size() != c.skinBindings.size()) return;
    const bool lit = c.vertexFormat == 1;
    if (c.vertexFormat != 0 && !lit) return;
    if ((lit ? share->litRestCopy.size() : share->unlitRestCopy.size()) != n) return;
    // A clone already deformed into this pose this frame, or one before: draw its vertices.
    // A skin no clone shares has no pose to find elsewhere: it deforms in place unkeyed.
    const bool keyed = c.skin.use_count() > 1 && HasPoseKey(c, *mesh);
    const uint64_t hash = keyed ? HashPoseKey(c, *mesh) : 0;
    if (keyed) {
        size_t found = 0;
        if (const SkinPose* p = Find(*share, hash, c, *mesh, &found)) {
            if (mesh->geometry != p->geometry) mesh->geometry = p->geometry;
            c.skinPose = found;
            return;
        }
    }
    const size_t at = PoseToWrite(*share, *mesh, c.skinPose);
    SkinPose& pose = share->poses[at];
    MeshGeometry& g = *pose.geometry;
    if ((lit ? g.litVertices.size() : g.unlitVertices.size()) < n) return;
    // The skin draws with its own world matrix; the bones' world matrices already hold the
    // character's placement, so the posed vertices are expressed relative to the skin's.
    Matrix toSkin;
    bool compensate = mesh->world != Matrix::Identity();
    if (compensate) toSkin = AffineInverse(mesh->world);
    const Matrix* skinSpace = compensate ? &toSkin : nullptr;
    if (lit) {
        DeformArray(c, plan, g.litVertices, share->litRestCopy, n, skinSpace);
    } else {
        DeformArray(c, plan, g.unlitVertices, share->unlitRestCopy, n, skinSpace);
    }
    pose.key.clear();
    if (keyed) ForEachKeyMatrix(c, *mesh, [&](const Matrix& m) { pose.key.push_back(m); });
    pose.hash = hash;
    Index(*share, at);
    if (mesh->geometry != pose.geometry) mesh->geometry = pose.geometry;
    c.skinPose = at;
}

}  // namespace orix
