#include "skin/skin_deform.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "device/globals.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix {

namespace {

// Whether the mesh draws from a shared-position table (vertices split by texture coordinates).
bool HasPositionTable(const Mesh& mesh) {
    return !mesh.texCoordsOneToOne && !mesh.geometry->positionTable.empty();
}

// The table entry named by a 1-based index when it and all its vertices are usable.
const SharedPosition* Entry(const Mesh& mesh, int32_t index) {
    const std::vector<SharedPosition>& table = mesh.geometry->positionTable;
    if (index < 1 || size_t(index) > table.size()) return nullptr;
    const SharedPosition& e = table[size_t(index) - 1];
    if (e.vertices.empty()) return nullptr;
    for (uint16_t v : e.vertices) {
        if (v >= mesh.vertexCount) return nullptr;
    }
    return &e;
}

template <typename V>
void Carry(std::vector<V>& vertices, uint32_t i, const Matrix& m) {
    V& v = vertices[i];
    Vector3 p = TransformPoint({v.x, v.y, v.z}, m);
    v.x = p.x, v.y = p.y, v.z = p.z;
}

// Validates the indices into targets (and the shared positions' copy pairs); returns how many
// were dropped.
int32_t PlanTargets(SkinnedCharacter& c, const Mesh& mesh) {
    int32_t ignored = 0;
    bool table = HasPositionTable(mesh);
    std::vector<bool> copied(table ? mesh.geometry->positionTable.size() : 0, false);
    c.skinCopies.clear();
    for (SkinBinding& b : c.skinBindings) {
        b.targets.clear();
        b.targets.reserve(b.indices.size());
        for (int32_t k : b.indices) {
            if (!table) {
                if (k >= 1 && uint32_t(k) <= mesh.vertexCount) {
                    b.targets.push_back(uint32_t(k - 1));
                } else {
                    ++ignored;
                }
                continue;
            }
            const SharedPosition* e = Entry(mesh, k);
            if (!e) {
                ++ignored;
                continue;
            }
            b.targets.push_back(e->vertices[0]);
            // The others follow their representative once, after every bone has moved.
            if (copied[size_t(k) - 1]) continue;
            copied[size_t(k) - 1] = true;
            for (size_t i = 1; i < e->vertices.size(); ++i) {
                c.skinCopies.push_back(e->vertices[0]);
                c.skinCopies.push_back(e->vertices[i]);
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
                if (k >= 1 && uint32_t(k) <= mesh.vertexCount) Carry(rest, uint32_t(k - 1), inverse);
                continue;
            }
            if (const SharedPosition* e = Entry(mesh, k)) {
                for (uint16_t v : e->vertices) Carry(rest, v, inverse);
            }
        }
    }
}

void Log(const char* format, const std::string& meshName, int32_t value) {
    if (!logFile) return;
    std::fprintf(logFile, format, meshName.c_str(), value);
}

// The hot loop: one matrix times point per bound vertex, over the mesh's contiguous array.
template <typename V>
void DeformArray(SkinnedCharacter& c, std::vector<V>& vertices, const std::vector<V>& rest,
                 uint32_t count, const Matrix* toSkin) {
    std::memcpy(vertices.data(), rest.data(), size_t(count) * sizeof(V));
    V* out = vertices.data();
    for (const SkinBinding& b : c.skinBindings) {
        if (b.targets.empty() || !b.bone) continue;
        Matrix m = toSkin ? b.bone->world * *toSkin : b.bone->world;
        const float a00 = m.m[0][0], a01 = m.m[0][1], a02 = m.m[0][2];
        const float a10 = m.m[1][0], a11 = m.m[1][1], a12 = m.m[1][2];
        const float a20 = m.m[2][0], a21 = m.m[2][1], a22 = m.m[2][2];
        const float a30 = m.m[3][0], a31 = m.m[3][1], a32 = m.m[3][2];
        const uint32_t* t = b.targets.data();
        const size_t n = b.targets.size();
        for (size_t i = 0; i < n; ++i) {
            V& v = out[t[i]];
            const float x = v.x, y = v.y, z = v.z;
            v.x = x * a00 + y * a10 + z * a20 + a30;
            v.y = x * a01 + y * a11 + z * a21 + a31;
            v.z = x * a02 + y * a12 + z * a22 + a32;
        }
    }
    const uint32_t* p = c.skinCopies.data();
    const size_t pairs = c.skinCopies.size() / 2;
    for (size_t i = 0; i < pairs; ++i) {
        const V& from = out[p[2 * i]];
        V& to = out[p[2 * i + 1]];
        to.x = from.x, to.y = from.y, to.z = from.z;
    }
}

}  // namespace

SkinBindResult SkinBind(SkinnedCharacter& c) {
    SkinBindResult result;
    Mesh* mesh = c.skinMesh;
    c.unlitRestCopy.clear();
    c.litRestCopy.clear();
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
    try {
        if (c.vertexFormat == 0) {
            c.unlitRestCopy.resize(mesh->vertexCount);
        } else {
            c.litRestCopy.resize(mesh->vertexCount);
        }
        result.ignoredIndices = PlanTargets(c, *mesh);
    } catch (const std::bad_alloc&) {
        c.unlitRestCopy = {};
        c.litRestCopy = {};
        c.skinCopies = {};
        for (SkinBinding& b : c.skinBindings) b.targets = {};
        Log("Skin mesh \"%s\": no memory for the rest copy (%d vertices); the skin will not "
            "deform.\n",
            mesh->name, int32_t(mesh->vertexCount));
        return result;
    }
    if (c.vertexFormat == 0) {
        BindArray(c, *mesh, g.unlitVertices, c.unlitRestCopy);
    } else {
        BindArray(c, *mesh, g.litVertices, c.litRestCopy);
    }
    if (result.ignoredIndices > 0) {
        Log("Skin mesh \"%s\": %d vertex indices outside the mesh were ignored.\n", mesh->name,
            result.ignoredIndices);
    }
    result.bound = true;
    return result;
}

void SkinDeform(SkinnedCharacter& c) {
    Mesh* mesh = c.skinMesh;
    if (!mesh) return;
    MeshGeometry& g = *mesh->geometry;
    // The skin draws with its own world matrix; the bones' world matrices already hold the
    // character's placement, so the posed vertices are expressed relative to the skin's.
    Matrix toSkin;
    bool compensate = mesh->world != Matrix::Identity();
    if (compensate) toSkin = AffineInverse(mesh->world);
    const Matrix* skinSpace = compensate ? &toSkin : nullptr;
    uint32_t n = mesh->vertexCount;
    if (c.vertexFormat == 0 && c.unlitRestCopy.size() == n && g.unlitVertices.size() >= n) {
        DeformArray(c, g.unlitVertices, c.unlitRestCopy, n, skinSpace);
    } else if (c.vertexFormat == 1 && c.litRestCopy.size() == n && g.litVertices.size() >= n) {
        DeformArray(c, g.litVertices, c.litRestCopy, n, skinSpace);
    }
}

}  // namespace orix
