/// \file
/// CollisionVolume: the geometry of a collision mesh (one whose material is named "Collision")
/// kept in the space of the bone it belongs to, as face planes: vertex positions, one normal and
/// one reference point per face, plus working copies for the application's collision code. The
/// model readers build one per collision mesh on its parent bone; meshes copy and delete them.
///
/// A copy shares its source's working arrays (they live while either holds them); its own
/// positions and normals are allocated but left for the application to fill. Nothing here tests
/// against the volumes. Depends on: scene/mesh.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/vector3.h"

namespace orix {

class Mesh;
class SceneObject;

class CollisionVolume {
public:
    /// Empty, radius 1, bone = owner, not built.
    explicit CollisionVolume(SceneObject* owner);
    /// Copy: sizes and face layout of source, fresh (unfilled) positions and normals, working
    /// arrays shared with source.
    CollisionVolume(const CollisionVolume& source);
    CollisionVolume& operator=(const CollisionVolume&) = delete;
    ~CollisionVolume() = default;

    /// Fills the volume from mesh, in the space of mesh's bone parent (the mesh's own space when
    /// it has none).
    void Build(const Mesh& mesh);

    float radius = 1.0f;
    uint32_t faceCount = 0;
    uint32_t vertexCount = 0;
    SceneObject* bone = nullptr;
    std::vector<Vector3> positions;
    std::shared_ptr<std::vector<Vector3>> workingPositions;
    std::vector<Vector3> faceNormals;
    std::shared_ptr<std::vector<Vector3>> workingNormals;
    std::vector<uint16_t> faceFirstVertex;
    std::vector<const Vector3*> facePoint;  ///< into positions
    std::vector<uint32_t> faceScratchA;
    std::vector<uint32_t> faceScratchB;
    std::string name;
    bool isCopy = false;
    bool built = false;
};

}  // namespace orix
