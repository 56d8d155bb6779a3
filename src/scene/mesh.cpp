#include "scene/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "device/engine.h"
#include "device/globals.h"
#include "effects/falling_particle.h"
#include "render/texture.h"
#include "scene/collision_volume.h"
#include "scene/scene.h"

namespace orix {

namespace {

// Room for more elements announced ahead; at least half again the capacity when it must grow,
// so that many small announcements still cost linear time.
template <typename T>
void ReserveMore(std::vector<T>& v, size_t more) {
    size_t wanted = v.size() + more;
    if (wanted > v.capacity()) v.reserve(std::max(wanted, v.capacity() + v.capacity() / 2));
}

bool ValidIndex(int32_t i, uint32_t count) {
    return i >= 0 && uint32_t(i) < count;
}

bool ValidFace(const FaceInput& f, uint32_t count) {
    return ValidIndex(f.a, count) && ValidIndex(f.b, count) && ValidIndex(f.c, count);
}

}  // namespace

std::shared_ptr<Texture> MakeSharedTexture() {
    return std::shared_ptr<Texture>(new Texture(), [](Texture* t) {
        t->Release();
        delete t;
    });
}

Mesh::Mesh(int32_t format)
    : scene(theEngine ? theEngine->GetScene() : nullptr),
      vertexFormat(format),
      geometry(std::make_shared<MeshGeometry>()) {
    kind = static_cast<int32_t>(ObjectKind::Mesh);
}

Mesh::Mesh(const Mesh& source)
    : SceneObject(source),
      scene(source.scene),
      vertexCount(source.vertexCount),
      faceCount(source.faceCount),
      texCoordCount(source.texCoordCount),
      texFaceCount(source.texFaceCount),
      vertexFormat(source.vertexFormat),
      geometry(source.geometry),
      materials(source.materials),
      texture(source.texture),
      option11(source.option11),
      refreshSubMeshPositions(source.refreshSubMeshPositions),
      splitVertexCount(source.splitVertexCount),
      texCoordsOneToOne(source.texCoordsOneToOne),
      subMeshCount(source.subMeshCount),
      particleUpdate(source.particleUpdate),
      materialsHolder_(source.materialsHolder_),
      textureHolder_(source.textureHolder_) {
    for (int32_t i = 0; i < source.collisionVolumeCount; ++i) {
        collisionVolumes[i] = new CollisionVolume(*source.collisionVolumes[i]);
    }
    collisionVolumeCount = source.collisionVolumeCount;
    if (source.ownsParticles && source.particleGroup) EmitParticles(source.particleGroup);
}

Mesh::~Mesh() {
    if (ownsParticles) {
        DeleteChildren();
        // The group lists the template's particles; they are the template's to delete.
        if (particleGroup) particleGroup->children.clear();
        delete particleGroup;
    }
    // Copies share their sources' working arrays, so they go first.
    for (int32_t i = collisionVolumeCount - 1; i >= 0; --i) delete collisionVolumes[i];
}

SceneObject* Mesh::Clone() {
    return new Mesh(*this);
}

bool Mesh::AddVertex(float x, float y, float z) {
    const Vector3 p{x, y, z};
    return AddVertices(&p, 1) == 1;
}

namespace {

// Records are filled in place: one assembled on the stack and copied in whole stalls on the
// copy.
template <typename V>
void AppendPositions(std::vector<V>& vertices, const Vector3* points, size_t count) {
    ReserveMore(vertices, count);
    for (size_t i = 0; i < count; ++i) {
        V& v = vertices.emplace_back();
        v.x = points[i].x, v.y = points[i].y, v.z = points[i].z;
    }
}

}  // namespace

size_t Mesh::AddVertices(const Vector3* points, size_t count) {
    MeshGeometry& g = *geometry;
    count = std::min<size_t>(count, kMaxVertices - std::min(vertexCount, kMaxVertices));
    switch (vertexFormat) {
        case 0:
            AppendPositions(g.unlitVertices, points, count);
            break;
        case 1:
            AppendPositions(g.litVertices, points, count);
            break;
        case 2:
            ReserveMore(g.transformedVertices, count);
            for (size_t i = 0; i < count; ++i) {
                TLVertex& v = g.transformedVertices.emplace_back();
                v.sx = points[i].x, v.sy = points[i].y, v.sz = points[i].z;
            }
            break;
        default:
            return 0;
    }
    vertexCount += uint32_t(count);
    return count;
}

void Mesh::ReserveGeometry(uint32_t vertices, uint32_t faces) {
    MeshGeometry& g = *geometry;
    size_t more = std::min<size_t>(vertices, kMaxVertices - std::min(vertexCount, kMaxVertices));
    switch (vertexFormat) {
        case 0:
            ReserveMore(g.unlitVertices, more);
            break;
        case 1:
            ReserveMore(g.litVertices, more);
            break;
        case 2:
            ReserveMore(g.transformedVertices, more);
            break;
    }
    ReserveMore(g.faces, faces);
    ReserveMore(g.indices, size_t(faces) * 3);
}

void Mesh::ReserveTexCoords(uint32_t coords, uint32_t texFaces) {
    MeshGeometry& g = *geometry;
    ReserveMore(g.texCoords,
                std::min<size_t>(coords, kMaxVertices - std::min(texCoordCount, kMaxVertices)));
    ReserveMore(g.texFaces, size_t(texFaces) * 3);
}

void Mesh::AddTexCoord(float u, float v) {
    const TexCoord t{u, v};
    AddTexCoords(&t, 1);
}

void Mesh::AddTexCoords(const TexCoord* coords, size_t count) {
    // Texture faces index the coordinates with 16 bits, as faces do the vertices.
    count = std::min<size_t>(count, kMaxVertices - std::min(texCoordCount, kMaxVertices));
    std::vector<TexCoord>& to = geometry->texCoords;
    ReserveMore(to, count);
    to.insert(to.end(), coords, coords + count);
    texCoordCount += uint32_t(count);
}

void Mesh::AddFace(int32_t a, int32_t b, int32_t c, int32_t materialId) {
    // One at a time (the text reader's way): appended, not sized and cut back as a run is.
    if (!ValidFace({a, b, c, materialId}, vertexCount)) return;
    MeshGeometry& g = *geometry;
    ReserveMore(g.faces, 1);
    ReserveMore(g.indices, 3);
    MeshFace& f = g.faces.emplace_back();
    f.a = uint16_t(a), f.b = uint16_t(b), f.c = uint16_t(c);
    f.materialId = materialId;
    g.indices.push_back(uint16_t(a));
    g.indices.push_back(uint16_t(b));
    g.indices.push_back(uint16_t(c));
    ++faceCount;
}

void Mesh::AddFaces(const FaceInput* faces, size_t count) {
    MeshGeometry& g = *geometry;
    ReserveMore(g.faces, count);
    ReserveMore(g.indices, count * 3);
    // Sized for all, written through pointers, cut back to the valid ones.
    const size_t had = g.faces.size(), hadIndices = g.indices.size();
    g.faces.resize(had + count);
    g.indices.resize(hadIndices + count * 3);
    MeshFace* f = g.faces.data() + had;
    uint16_t* index = g.indices.data() + hadIndices;
    for (size_t i = 0; i < count; ++i) {
        const FaceInput& in = faces[i];
        if (!ValidFace(in, vertexCount)) continue;
        // From the inputs, not read back from the record just written.
        const uint16_t a = uint16_t(in.a), b = uint16_t(in.b), c = uint16_t(in.c);
        f->a = a, f->b = b, f->c = c;
        f->materialId = in.materialId;
        ++f;
        index[0] = a, index[1] = b, index[2] = c;
        index += 3;
    }
    const size_t added = size_t(f - (g.faces.data() + had));
    g.faces.resize(had + added);
    g.indices.resize(hadIndices + added * 3);
    faceCount += uint32_t(added);
}

void Mesh::AddTexFace(int32_t a, int32_t b, int32_t c) {
    if (!ValidFace({a, b, c, 0}, texCoordCount)) return;
    std::vector<uint16_t>& to = geometry->texFaces;
    ReserveMore(to, 3);
    to.push_back(uint16_t(a));
    to.push_back(uint16_t(b));
    to.push_back(uint16_t(c));
    ++texFaceCount;
}

void Mesh::AddTexFaces(const FaceInput* faces, size_t count) {
    std::vector<uint16_t>& to = geometry->texFaces;
    ReserveMore(to, count * 3);
    const size_t had = to.size();
    to.resize(had + count * 3);
    uint16_t* out = to.data() + had;
    for (size_t i = 0; i < count; ++i) {
        const FaceInput& in = faces[i];
        if (!ValidFace(in, texCoordCount)) continue;
        out[0] = uint16_t(in.a), out[1] = uint16_t(in.b), out[2] = uint16_t(in.c);
        out += 3;
    }
    const size_t added = size_t(out - (to.data() + had)) / 3;
    to.resize(had + added * 3);
    texFaceCount += uint32_t(added);
}

void Mesh::SetFaceNormal(int32_t face, float x, float y, float z) {
    if (!ValidIndex(face, faceCount)) return;
    MeshFace& f = geometry->faces[face];
    f.normalX = x, f.normalY = y, f.normalZ = z;
}

void Mesh::AddVertexNormal(int32_t vertex, float x, float y, float z) {
    if (vertexFormat != 0 || !ValidIndex(vertex, vertexCount)) return;
    Vertex& v = geometry->unlitVertices[vertex];
    v.nx += x, v.ny += y, v.nz += z;
}

void Mesh::SetVertexNormal(int32_t vertex, float x, float y, float z) {
    if (vertexFormat != 0 || !ValidIndex(vertex, vertexCount)) return;
    Vertex& v = geometry->unlitVertices[vertex];
    v.nx = x, v.ny = y, v.nz = z;
}

void Mesh::NormalizeVertexNormals() {
    if (vertexFormat != 0) return;
    for (Vertex& v : geometry->unlitVertices) {
        Vector3 n = Normalize({v.nx, v.ny, v.nz});
        v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
}

namespace {

template <typename V>
void SetUv(std::vector<V>& vertices, uint32_t i, const TexCoord& t) {
    vertices[i].tu = t.u;
    vertices[i].tv = t.v;
}

}  // namespace

void Mesh::CopyTexCoordsToVertices() {
    MeshGeometry& g = *geometry;
    uint32_t n = vertexCount < texCoordCount ? vertexCount : texCoordCount;
    for (uint32_t i = 0; i < n; ++i) {
        switch (vertexFormat) {
            case 0:
                SetUv(g.unlitVertices, i, g.texCoords[i]);
                break;
            case 1:
                SetUv(g.litVertices, i, g.texCoords[i]);
                break;
            case 2:
                SetUv(g.transformedVertices, i, g.texCoords[i]);
                break;
        }
    }
}

namespace {

// GatherVertices with slot mapping a mesh vertex to its place in meshIndex (-1 when not taken):
// it comes in all -1 and is left so, for the next list; its size bounds the indices.
void Gather(const uint16_t* indices, size_t count, std::vector<int32_t>& slot,
            std::vector<uint16_t>* meshIndex, std::vector<uint16_t>* local) {
    meshIndex->clear();
    local->clear();
    local->reserve(count - count % 3);
    for (size_t i = 0; i + 2 < count; i += 3) {
        const uint16_t* f = indices + i;
        if (f[0] >= slot.size() || f[1] >= slot.size() || f[2] >= slot.size()) continue;
        for (int k = 0; k < 3; ++k) {
            if (slot[f[k]] < 0) {
                slot[f[k]] = int32_t(meshIndex->size());
                meshIndex->push_back(f[k]);
            }
            local->push_back(uint16_t(slot[f[k]]));
        }
    }
    for (uint16_t vi : *meshIndex) slot[vi] = -1;
}

// An unlit or pre-transformed sub-mesh from its faces in the mesh's numbering: the vertices they
// use copied into own, the faces renumbered to the copies.
template <typename V>
void CopyVertices(const std::vector<uint16_t>& faces, const std::vector<V>& meshVertices,
                  std::vector<V>& own, SubMesh& sub, std::vector<int32_t>& slot) {
    Gather(faces.data(), faces.size(), slot, &sub.meshIndex, &sub.indices);
    own.reserve(sub.meshIndex.size());
    for (uint16_t vi : sub.meshIndex) own.push_back(meshVertices[vi]);
    sub.vertexCount = uint32_t(sub.meshIndex.size());
}

}  // namespace

void GatherVertices(const uint16_t* indices, size_t count, uint32_t vertexCount,
                    std::vector<uint16_t>* meshIndex, std::vector<uint16_t>* local) {
    std::vector<int32_t> slot(vertexCount, -1);
    Gather(indices, count, slot, meshIndex, local);
}

void Mesh::BuildMaterialSubMeshes() {
    if (!materials || !materials->hasSubMaterials) return;
    MeshGeometry& g = *geometry;
    // Only sub-materials some face selects get a sub-mesh: a set of thousands of sub-materials
    // costs nothing on a mesh whose faces name a few.
    std::map<int32_t, std::vector<uint32_t>> faceLists;
    // Faces come in runs of one material: the run's list is looked up once.
    std::vector<uint32_t>* run = nullptr;
    int32_t listId = -1;
    for (size_t fi = 0; fi < g.faces.size(); ++fi) {
        int32_t id = g.faces[fi].materialId;
        if (id < 0 || id >= materials->subMaterialCount) continue;
        if (!run || id != listId) run = &faceLists[id], listId = id;
        run->push_back(uint32_t(fi));
    }
    subMeshCount = int32_t(faceLists.size());
    g.subMeshes.assign(faceLists.size(), SubMesh());
    // Lit sub-meshes take no copies, so need no slots.
    std::vector<int32_t> slot(vertexFormat == 1 ? 0 : vertexCount, -1);
    std::vector<uint16_t> faces;
    size_t k = 0;
    for (const auto& [id, list] : faceLists) {
        SubMesh& sub = g.subMeshes[k++];
        sub.materialId = id;
        sub.faceCount = uint32_t(list.size());
        // The faces in the mesh's numbering: what a lit sub-mesh draws, what the others copy.
        std::vector<uint16_t>& shared = vertexFormat == 1 ? sub.sharedIndices : faces;
        shared.resize(list.size() * 3);
        uint16_t* out = shared.data();
        for (uint32_t fi : list) {
            const uint16_t* f = &g.indices[size_t(fi) * 3];
            out[0] = f[0], out[1] = f[1], out[2] = f[2];
            out += 3;
        }
        switch (vertexFormat) {
            case 0:
                CopyVertices(faces, g.unlitVertices, sub.unlitVertices, sub, slot);
                break;
            case 1: {
                const ColorValue& d = materials->subMaterials[size_t(id)].record.diffuse;
                sub.color = PackColor(ColorValue{d.r, d.g, d.b, 1.0f});
                break;
            }
            case 2:
                CopyVertices(faces, g.transformedVertices, sub.transformedVertices, sub, slot);
                break;
        }
    }
}

namespace {

// The positions of records with x, y, z carried by m.
template <typename V>
void CarryPositions(std::vector<V>& vertices, uint32_t count, const Matrix& m) {
    V* v = vertices.data();
    const size_t n = std::min<size_t>(count, vertices.size());
    for (size_t i = 0; i < n; ++i) {
        const Vector3 p = TransformPoint({v[i].x, v[i].y, v[i].z}, m);
        v[i].x = p.x, v[i].y = p.y, v[i].z = p.z;
    }
}

}  // namespace

void Mesh::TransformToNodeSpace() {
    Matrix inverse = AffineInverse(nodeTransform);
    MeshGeometry& g = *geometry;
    if (vertexFormat == 0) {
        CarryPositions(g.unlitVertices, vertexCount, inverse);
    } else if (vertexFormat == 1) {
        CarryPositions(g.litVertices, vertexCount, inverse);
    } else {
        for (uint32_t i = 0; i < vertexCount; ++i)
            SetVertexPosition(i, TransformPoint(VertexPosition(i), inverse));
    }
    g.inNodeSpace = true;
    if (vertexFormat == 0) {
        // Normals drawn with the node transform must leave world space with the positions.
        for (Vertex& v : g.unlitVertices) {
            Vector3 n = Normalize(TransformDirection({v.nx, v.ny, v.nz}, inverse));
            v.nx = n.x, v.ny = n.y, v.nz = n.z;
        }
    }
    // Lit sub-meshes draw the mesh's own vertices; the others carry copies to bring along.
    if (vertexFormat == 1) return;
    for (int32_t i = 0; i < subMeshCount; ++i) {
        SubMesh& sub = g.subMeshes[i];
        for (size_t k = 0; k < sub.meshIndex.size(); ++k) {
            uint16_t from = sub.meshIndex[k];
            switch (vertexFormat) {
                case 0:
                    if (k < sub.unlitVertices.size()) sub.unlitVertices[k] = g.unlitVertices[from];
                    break;
                case 2:
                    if (k < sub.transformedVertices.size())
                        sub.transformedVertices[k] = g.transformedVertices[from];
                    break;
            }
        }
    }
}

void Mesh::FinishGeometry(bool toNodeSpace) {
    if (geometryFinished) return;
    geometryFinished = true;
    if (toNodeSpace) TransformToNodeSpace();
}

Vector3 Mesh::VertexPosition(uint32_t i) const {
    const MeshGeometry& g = *geometry;
    if (i >= vertexCount) return {};
    switch (vertexFormat) {
        case 0:
            return {g.unlitVertices[i].x, g.unlitVertices[i].y, g.unlitVertices[i].z};
        case 1:
            return {g.litVertices[i].x, g.litVertices[i].y, g.litVertices[i].z};
        case 2:
            return {g.transformedVertices[i].sx, g.transformedVertices[i].sy,
                    g.transformedVertices[i].sz};
    }
    return {};
}

void Mesh::SetVertexPosition(uint32_t i, const Vector3& p) {
    MeshGeometry& g = *geometry;
    if (i >= vertexCount) return;
    switch (vertexFormat) {
        case 0:
            g.unlitVertices[i].x = p.x, g.unlitVertices[i].y = p.y, g.unlitVertices[i].z = p.z;
            break;
        case 1:
            g.litVertices[i].x = p.x, g.litVertices[i].y = p.y, g.litVertices[i].z = p.z;
            break;
        case 2:
            g.transformedVertices[i].sx = p.x, g.transformedVertices[i].sy = p.y;
            g.transformedVertices[i].sz = p.z;
            break;
    }
}

MaterialSet* Mesh::CreateMaterialSet() {
    materialsHolder_ = std::make_shared<MaterialSet>();
    materials = materialsHolder_.get();
    ownsMaterials = true;
    return materials;
}

Texture* Mesh::CreateTexture() {
    textureHolder_ = MakeSharedTexture();
    texture = textureHolder_.get();
    ownsTexture = true;
    return texture;
}

Matrix* Mesh::AddMatrixKeyFor(const std::string& meshName) {
    return meshName == name ? AddMatrixKey() : nullptr;
}

CollisionVolume* Mesh::AddCollisionVolume() {
    if (collisionVolumeCount >= kMaxCollisionVolumes) return nullptr;
    CollisionVolume* v = new CollisionVolume(this);
    collisionVolumes[collisionVolumeCount++] = v;
    return v;
}

void Mesh::EmitParticles(SceneObject* particleTemplate) {
    if (!particleTemplate) return;
    SceneObject* group = new SceneObject(*particleTemplate);
    int32_t made = 0;
    // A copy of the list: the template may be this mesh, whose children grow below.
    const std::vector<SceneObject*> sources = particleTemplate->children;
    for (SceneObject* child : sources) {
        FallingParticle* source = dynamic_cast<FallingParticle*>(child);
        if (!source) continue;
        group->children.push_back(source);
        FallingParticle* particle = new FallingParticle(*source);
        // The count to decrement is this mesh's, whatever emitter the template named.
        particle->emitter = this;
        AddChild(particle);
        ++made;
    }
    if (ownsParticles && particleGroup) {
        particleGroup->children.clear();
        delete particleGroup;
    }
    particleGroup = group;
    liveParticles += made;
    ownsParticles = true;
}

void Mesh::Update(uint32_t flags) {
    if (!enabled) return;
    if (flags & kUpdateAnimate) {
        SceneObject::Update(kUpdateAnimate);
        if (cullToView) {
            inView = scene ? scene->IsVisible(position) : true;
            if (!inView) return;
        }
    }
    if (updateCount == 0) return;
    if (flags & kUpdateDraw) {
        if (particleUpdate) {
            // An emitter draws nothing itself, sub-materials or not.
            if (liveParticles <= 0) enabled = false;
        } else {
            ApplyWorldTransform();
            if (materials && materials->hasSubMaterials) {
                DrawPerMaterial();
            } else {
                if (materials) ApplyMaterial(materials->main);
                DrawWhole();
            }
        }
    }
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

void Mesh::DrawWhole() {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (!device || faceCount == 0) return;
    const MeshGeometry& g = *geometry;
    const void* vertices = nullptr;
    VertexType type = VT_VERTEX;
    switch (vertexFormat) {
        case 0:
            vertices = g.unlitVertices.data();
            break;
        case 1:
            vertices = g.litVertices.data();
            type = VT_LVERTEX;
            break;
        case 2:
            vertices = g.transformedVertices.data();
            type = VT_TLVERTEX;
            break;
        default:
            return;
    }
    device->DrawIndexedPrimitive(PRIM_TRIANGLELIST, type, vertices, vertexCount, g.indices.data(),
                                 faceCount * 3, 0);
}

namespace {

template <typename V>
void RefreshPositions(std::vector<V>& own, const std::vector<uint16_t>& meshIndex,
                      const std::vector<V>& meshVertices) {
    const size_t n = std::min(own.size(), meshIndex.size());
    V* out = own.data();
    const V* in = meshVertices.data();
    const uint16_t* from = meshIndex.data();
    for (size_t i = 0; i < n; ++i) {
        const V& v = in[from[i]];
        out[i].x = v.x, out[i].y = v.y, out[i].z = v.z;
    }
}

void RefreshPositions(std::vector<TLVertex>& own, const std::vector<uint16_t>& meshIndex,
                      const std::vector<TLVertex>& meshVertices) {
    const size_t n = std::min(own.size(), meshIndex.size());
    for (size_t i = 0; i < n; ++i) {
        const TLVertex& from = meshVertices[meshIndex[i]];
        own[i].sx = from.sx, own[i].sy = from.sy, own[i].sz = from.sz;
    }
}

}  // namespace

void Mesh::DrawPerMaterial() {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    MeshGeometry& g = *geometry;
    for (int32_t i = 0; i < subMeshCount; ++i) {
        SubMesh& sub = g.subMeshes[size_t(i)];
        // A set that lost sub-materials since the split draws what it still has.
        if (sub.materialId >= materials->subMaterialCount) continue;
        ApplyMaterial(materials->subMaterials[size_t(sub.materialId)]);
        const void* vertices = nullptr;
        VertexType type = VT_VERTEX;
        switch (vertexFormat) {
            case 0:
                if (refreshSubMeshPositions)
                    RefreshPositions(sub.unlitVertices, sub.meshIndex, g.unlitVertices);
                vertices = sub.unlitVertices.data();
                break;
            case 1:
                // The copy carries nothing that the mesh's vertices and the colour do not, so
                // it needs no refresh.
                if (device && sub.faceCount > 0)
                    device->DrawIndexedPrimitiveInColor(
                        PRIM_TRIANGLELIST, g.litVertices.data(), vertexCount,
                        sub.sharedIndices.data(), uint32_t(sub.sharedIndices.size()), sub.color, 0);
                continue;
            case 2:
                if (refreshSubMeshPositions)
                    RefreshPositions(sub.transformedVertices, sub.meshIndex, g.transformedVertices);
                vertices = sub.transformedVertices.data();
                type = VT_TLVERTEX;
                break;
            default:
                return;
        }
        if (!device || sub.faceCount == 0) continue;
        device->DrawIndexedPrimitive(PRIM_TRIANGLELIST, type, vertices, sub.vertexCount,
                                     sub.indices.data(), sub.faceCount * 3, 0);
    }
}

}  // namespace orix
