// The character's files: "girl.ase" (skeleton, animation, skin mesh, collision mesh, materials)
// and "girl.skn" (which bone carries each skin vertex).
#pragma once

#include <string>

#include "body_mesh.h"
#include "skeleton.h"

namespace orix_assets {

constexpr const char* kSkinMeshName = "Girl";
constexpr const char* kCharacterTexture = "girl.jpg";
// Every length of the figure is written at this scale (about 58 units tall), so that the demo's
// camera at (-90, 75, -75), aiming at the pelvis with its 45 degree view, shows the whole figure
// with ground around it at 640 x 480.
constexpr double kFigureScale = 0.75;

// The whole "girl.ase" text. keyCount, when given, receives the number of key lines written.
std::string CharacterAse(const Skeleton& skeleton, const TriMesh& body, const TriMesh& collision,
                         int* keyCount);

// The skin file: one bone line per bone that carries vertices, then its 1-based vertex numbers
// (the position order of the skin mesh in the ASE file), sixteen to a line.
std::string SkinFile(const Skeleton& skeleton, const TriMesh& body);

}  // namespace orix_assets
