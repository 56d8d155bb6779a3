/// \file
/// Mesh: the drawable polygon object. An indexed triangle list in one of the three device vertex
/// layouts, texture coordinates with their own face list (as the modelling tool exports them),
/// per-face normals and material ids, a material set with its sub-materials and the
/// per-material sub-meshes built from it. The model readers fill it in file order and call the
/// finishing steps; Update draws it with one indexed draw per material.
///
/// Storage: the vertex, face, index and texture arrays, the sub-meshes and the position table
/// live in one MeshGeometry that a clone shares with its source; shared ownership keeps a clone
/// valid whichever of the two is destroyed first; the same holds for an owned material set and
/// texture. Arrays grow in blocks of (at least) 10 records
/// while loading; nothing is allocated while drawing. Vertex indices are 16-bit, so a mesh holds
/// at most 65536 vertices. At most 3 collision volumes; one sub-mesh per sub-material that some
/// face selects (none for the others, however many the material set holds).
/// Depends on: scene/scene_object.h, scene/material_set.h, render/texture.h, the engine.
/// One call runs up a layer: EmitParticles copies falling particles (effects/) by their concrete
/// type, which a hook could only hide, so mesh.cpp includes effects/falling_particle.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/vertex.h"
#include "scene/material_set.h"
#include "scene/scene_object.h"

namespace orix {

class Scene;
struct Texture;
class CollisionVolume;

struct MeshFace {
    uint16_t a = 0, b = 0, c = 0;
    float normalX = 0, normalY = 0, normalZ = 0;
    int32_t materialId = 0;
};

struct TexCoord {
    float u = 0, v = 0;
};

/// A face as a reader gives it: three vertex (or texture-coordinate) indices, and for a face the
/// material id.
struct FaceInput {
    int32_t a = 0, b = 0, c = 0;
    int32_t materialId = 0;
};

/// Where the texture-coordinate split put each model-file position: position i became the
/// rendering vertices First(i) .. First(i) + Count(i) - 1, one per distinct (u, v) pair met at it
/// in file order, or one unchanged vertex when no textured face uses it. The first is the
/// representative. Empty until a split.
struct PositionTable {
    std::vector<uint32_t> start;  ///< one offset per position, then the vertex count

    size_t size() const { return start.size() < 2 ? 0 : start.size() - 1; }
    bool empty() const { return size() == 0; }
    uint32_t First(size_t position) const { return start[position]; }
    uint32_t Count(size_t position) const { return start[position + 1] - start[position]; }
};

/// The draw data of one material in one vertex format. Lit sub-meshes keep no vertices of
/// their own: they draw the mesh's in their colour, from their faces in the mesh's numbering
/// (GatherVertices makes the rest where a reader needs it).
struct SubMesh {
    int32_t materialId = 0;  ///< the sub-material its faces select
    uint32_t faceCount = 0;
    /// Unlit and pre-transformed formats: copies of the vertices the faces use, the faces in
    /// their numbering, and where each copy came from.
    uint32_t vertexCount = 0;
    std::vector<Vertex> unlitVertices;
    std::vector<TLVertex> transformedVertices;
    std::vector<uint16_t> indices;
    std::vector<uint16_t> meshIndex;  ///< sub-mesh vertex index -> mesh vertex index
    /// Lit format only: the faces in the mesh's own numbering and the sub-material's colour,
    /// so the sub-mesh draws from the mesh's (deformed) vertices without a copy to refresh.
    std::vector<uint16_t> sharedIndices;
    uint32_t color = 0;
};

/// The mesh vertices that `count` indices use, each once in the order met (meshIndex), and the
/// indices renumbered to that list (local). Indices at or beyond vertexCount are left out, with
/// the triangle they belong to.
void GatherVertices(const uint16_t* indices, size_t count, uint32_t vertexCount,
                    std::vector<uint16_t>* meshIndex, std::vector<uint16_t>* local);

/// The heavy storage of a mesh, shared by its clones.
struct MeshGeometry {
    std::vector<Vertex> unlitVertices;
    std::vector<LVertex> litVertices;
    std::vector<TLVertex> transformedVertices;
    std::vector<MeshFace> faces;
    std::vector<uint16_t> indices;  ///< three per face, parallel to faces
    std::vector<TexCoord> texCoords;
    std::vector<uint16_t> texFaces;  ///< three per texture face
    PositionTable positionTable;
    std::vector<SubMesh> subMeshes;  ///< subMeshCount of them, by ascending material id
    /// The positions stand relative to the node transform (TransformToNodeSpace ran), not in the
    /// model file's world space.
    bool inNodeSpace = false;
};

/// A new, empty texture record whose device objects are released with its last holder.
std::shared_ptr<Texture> MakeSharedTexture();

class Mesh : public SceneObject {
public:
    static constexpr uint32_t kMaxVertices = 65536;
    static constexpr int32_t kMaxCollisionVolumes = 3;

    /// vertexFormat 0 unlit, 1 lit, 2 pre-transformed; other values draw nothing.
    explicit Mesh(int32_t vertexFormat);
    /// Shares the source's storage and material set; fresh copies of its collision volumes; when
    /// the source owns particles, emits its own from the source's particle group.
    Mesh(const Mesh& source);
    ~Mesh() override;

    SceneObject* Clone() override;
    /// Transforms, view test, then one indexed draw per material; children last.
    void Update(uint32_t flags) override;
    /// Stores the one-byte option (read by nothing here).
    virtual void SetOption(int32_t value) { option11 = value != 0; }

    /// Reads a BNE file into this mesh (flags as the BNE reader takes them); false on failure.
    bool LoadBne(const std::string& fileName, int32_t flags);

    /// --- building (file order) ----------------------------------------------------------------
    /// Appends a vertex of the current format at (x, y, z); false beyond 65536 vertices.
    bool AddVertex(float x, float y, float z);
    /// AddVertex for each point in turn: the number appended, fewer at the vertex limit.
    size_t AddVertices(const Vector3* points, size_t count);
    /// Make room for the counts a file's list headers announce, so that the lists that follow
    /// are not copied as they grow; the caller bounds them by what its file can still hold.
    void ReserveGeometry(uint32_t vertices, uint32_t faces);
    void ReserveTexCoords(uint32_t coords, uint32_t texFaces);
    /// Appends a texture coordinate; ignored beyond 65536 of them.
    void AddTexCoord(float u, float v);
    void AddTexCoords(const TexCoord* coords, size_t count);
    /// Appended only when a, b and c are all valid vertex indices.
    void AddFace(int32_t a, int32_t b, int32_t c, int32_t materialId);
    void AddFaces(const FaceInput* faces, size_t count);
    /// Appended only when a, b and c are all valid texture-coordinate indices.
    void AddTexFace(int32_t a, int32_t b, int32_t c);
    /// The texture faces' materialId is not used.
    void AddTexFaces(const FaceInput* faces, size_t count);
    /// Ignored for a face index out of range.
    void SetFaceNormal(int32_t face, float x, float y, float z);
    /// Adds to the normal of an unlit vertex; ignored for other formats or a bad index.
    void AddVertexNormal(int32_t vertex, float x, float y, float z);
    /// Sets the normal of an unlit vertex; ignored for other formats or a bad index.
    void SetVertexNormal(int32_t vertex, float x, float y, float z);
    /// Scales every unlit vertex normal to unit length.
    void NormalizeVertexNormals();
    /// Vertex i takes texCoords[i] for every vertex that has one.
    void CopyTexCoordsToVertices();
    /// One rendering vertex per distinct (position, texture coordinate) pair met in the faces.
    void SplitVerticesByTexCoords();
    /// Groups the faces by material id into the sub-meshes (only with sub-materials).
    void BuildMaterialSubMeshes();
    /// Multiplies every vertex position by the inverse of nodeTransform (unlit normals by its
    /// 3 x 3 part, renormalised); the sub-meshes' copies follow.
    void TransformToNodeSpace();
    /// The end of a geometry object read from a model file, done once: when the node draws with
    /// its node transform (toNodeSpace), the world-space vertices move into node space.
    void FinishGeometry(bool toNodeSpace);
    /// Allocates and owns a new material set / texture record (replacing an owned one).
    MaterialSet* CreateMaterialSet();
    Texture* CreateTexture();
    /// AddMatrixKey when name equals this mesh's name exactly, null otherwise.
    Matrix* AddMatrixKeyFor(const std::string& meshName);
    /// A new collision volume bound to this mesh, or null when it has three.
    CollisionVolume* AddCollisionVolume();
    /// Keeps a base-layout clone of particleTemplate as particleGroup (listing, not owning, the
    /// template's falling-particle children, which must outlive this mesh and its copies) and
    /// adds one falling particle copied from each of them as a child emitted by this mesh;
    /// liveParticles grows by their number; ownsParticles is set. Nothing for a null template.
    void EmitParticles(SceneObject* particleTemplate);

    /// Vertex position i of the current format (zero for a bad index or format).
    Vector3 VertexPosition(uint32_t i) const;
    void SetVertexPosition(uint32_t i, const Vector3& p);

    /// --- fields -------------------------------------------------------------------------------
    Scene* scene = nullptr;
    uint32_t vertexCount = 0;
    uint32_t faceCount = 0;
    uint32_t texCoordCount = 0;
    uint32_t texFaceCount = 0;
    int32_t vertexFormat = 0;
    std::shared_ptr<MeshGeometry> geometry;
    MaterialSet* materials = nullptr;
    Texture* texture = nullptr;
    bool option11 = true;
    bool ownsMaterials = false;
    bool ownsTexture = false;
    bool refreshSubMeshPositions = false;
    uint32_t splitVertexCount = 0;
    bool texCoordsOneToOne = true;
    int32_t subMeshCount = 0;
    /// The emitter flag: the mesh draws nothing itself, its particles run, and it switches itself
    /// off (enabled = false) once liveParticles is 0.
    bool particleUpdate = false;
    SceneObject* particleGroup = nullptr;
    int32_t liveParticles = 0;
    bool ownsParticles = false;
    CollisionVolume* collisionVolumes[kMaxCollisionVolumes] = {};
    int32_t collisionVolumeCount = 0;
    bool geometryFinished = false;

private:
    /// Keep an owned material set and texture alive for as long as any clone draws with them.
    std::shared_ptr<MaterialSet> materialsHolder_;
    std::shared_ptr<Texture> textureHolder_;

    void DrawWhole();
    void DrawPerMaterial();
};

}  // namespace orix
