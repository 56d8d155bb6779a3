#include "scene/collision_volume.h"

#include "scene/mesh.h"

namespace orix {

CollisionVolume::CollisionVolume(SceneObject* owner) : bone(owner) {}

CollisionVolume::CollisionVolume(const CollisionVolume& source)
    : radius(source.radius),
      faceCount(source.faceCount),
      vertexCount(source.vertexCount),
      bone(source.bone),
      positions(source.vertexCount),
      workingPositions(source.workingPositions),
      faceNormals(source.faceCount),
      workingNormals(source.workingNormals),
      faceFirstVertex(source.faceFirstVertex),
      faceScratchA(source.faceCount),
      faceScratchB(source.faceCount),
      name(source.name),
      isCopy(true),
      built(true) {
    facePoint.resize(faceFirstVertex.size(), nullptr);
    for (size_t i = 0; i < faceFirstVertex.size(); ++i) {
        if (faceFirstVertex[i] < positions.size()) facePoint[i] = &positions[faceFirstVertex[i]];
    }
}

void CollisionVolume::Build(const Mesh& mesh) {
    if (mesh.boneParent) bone = mesh.boneParent;
    name = mesh.name;
    vertexCount = mesh.vertexCount;
    faceCount = mesh.faceCount;
    const MeshGeometry& g = *mesh.geometry;

    // The mesh's vertices are in model-file world space; the volume lives in the bone's.
    Matrix inverse = bone ? AffineInverse(bone->nodeTransform) : Matrix::Identity();
    faceNormals.resize(faceCount);
    faceFirstVertex.resize(faceCount);
    for (uint32_t i = 0; i < faceCount; ++i) {
        const MeshFace& f = g.faces[i];
        faceNormals[i] = TransformDirection({f.normalX, f.normalY, f.normalZ}, inverse);
        faceFirstVertex[i] = f.a;
    }
    positions.assign(vertexCount, Vector3{});
    radius = 0.0f;
    if (mesh.vertexFormat == 0 || mesh.vertexFormat == 1) {
        for (uint32_t i = 0; i < vertexCount; ++i) {
            positions[i] = TransformPoint(mesh.VertexPosition(i), inverse);
            float d = Length(positions[i]);
            if (d > radius) radius = d;
        }
    }
    workingPositions = std::make_shared<std::vector<Vector3>>(positions);
    workingNormals = std::make_shared<std::vector<Vector3>>(faceNormals);
    faceScratchA.assign(faceCount, 0);
    faceScratchB.assign(faceCount, 0);
    facePoint.resize(faceCount);
    for (uint32_t i = 0; i < faceCount; ++i) facePoint[i] = &positions[faceFirstVertex[i]];
    built = true;
}

}  // namespace orix
