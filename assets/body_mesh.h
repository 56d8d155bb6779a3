// The character's skin mesh: lofted tubes and ellipsoids shaped like a person, with texture
// coordinates in a three-region atlas and one bone per vertex.
//
// Geometry is in the tool's world space (z up, facing -y) in the skeleton's bind pose. Every
// tube and ellipsoid wraps its texture around once, so the seam column and the poles carry
// more texture vertices than positions: the export is deliberately not one-to-one.
#pragma once

#include <array>
#include <vector>

#include "gen_math.h"
#include "skeleton.h"

namespace orix_assets {

// Sub-material ids of the character's material.
enum Material { kSkin = 0, kClothes = 1, kHair = 2, kShoes = 3, kMaterialCount = 4 };

struct MeshFace {
    std::array<int, 3> v;  // positions, counter-clockwise seen from outside
    std::array<int, 3> t;  // texture vertices
    int material = 0;
};

struct TriMesh {
    std::vector<Vec3> positions;
    std::vector<std::array<double, 2>> texVerts;  // (u, v), v up as the tool stores it
    std::vector<MeshFace> faces;
    std::vector<int> vertexBone;  // skeleton bone per position (skin meshes only)

    // Outward unit normal of a face.
    Vec3 FaceNormal(const MeshFace& f) const;
};

// The atlas rows (tool v range) that a sub-material's texture coordinates use.
void MaterialRegion(int material, double* v0, double* v1);

// Builds the skin mesh and binds each vertex to the nearest bone segment of its body part.
TriMesh BuildBodyMesh(const Skeleton& skeleton);

// A closed box around the head, for the collision volume.
TriMesh BuildHeadCollisionMesh(const Skeleton& skeleton);

}  // namespace orix_assets
