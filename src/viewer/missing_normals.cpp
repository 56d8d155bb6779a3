#include "viewer/missing_normals.h"

#include <vector>

#include "math/vector3.h"
#include "scene/mesh.h"

namespace orix {

namespace {

bool HasNoNormals(const Mesh& mesh) {
    if (mesh.vertexFormat != 0 || !mesh.geometry || mesh.faceCount == 0) return false;
    for (const Vertex& v : mesh.geometry->unlitVertices) {
        if (v.nx != 0.0f || v.ny != 0.0f || v.nz != 0.0f) return false;
    }
    return true;
}

void FillFromFaces(Mesh& mesh) {
    MeshGeometry& g = *mesh.geometry;
    const size_t count = g.unlitVertices.size();
    std::vector<Vector3> sums(count);
    for (size_t f = 0; f + 2 < g.indices.size(); f += 3) {
        const uint16_t i[3] = {g.indices[f], g.indices[f + 1], g.indices[f + 2]};
        if (i[0] >= count || i[1] >= count || i[2] >= count) continue;
        Vector3 p[3];
        for (int k = 0; k < 3; ++k) {
            const Vertex& v = g.unlitVertices[i[k]];
            p[k] = {v.x, v.y, v.z};
        }
        // Clockwise corners seen from the front, in a left-handed space: this cross product
        // points toward the viewer; its length weighs the face by its area.
        const Vector3 n = Cross(p[1] - p[0], p[2] - p[0]);
        for (int k = 0; k < 3; ++k) sums[i[k]] = sums[i[k]] + n;
    }
    for (size_t i = 0; i < count; ++i) {
        const Vector3 n = Normalize(sums[i]);
        Vertex& v = g.unlitVertices[i];
        v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
    for (SubMesh& sub : g.subMeshes) {
        for (size_t k = 0; k < sub.meshIndex.size() && k < sub.unlitVertices.size(); ++k) {
            const Vertex& from = g.unlitVertices[sub.meshIndex[k]];
            Vertex& to = sub.unlitVertices[k];
            to.nx = from.nx, to.ny = from.ny, to.nz = from.nz;
        }
    }
}

int Fill(SceneObject& node) {
    int filled = 0;
    if (Mesh* mesh = dynamic_cast<Mesh*>(&node); mesh && HasNoNormals(*mesh)) {
        FillFromFaces(*mesh);
        ++filled;
    }
    for (SceneObject* child : node.children) {
        if (child) filled += Fill(*child);
    }
    return filled;
}

}  // namespace

int FillMissingNormals(SceneObject& root) {
    return Fill(root);
}

}  // namespace orix
