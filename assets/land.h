// The land: a square of gently rolling ground, flat under the character, large enough to
// reach the far plane from the demonstration's camera, with one tiled texture.
#pragma once

#include <string>

#include "body_mesh.h"

namespace orix_assets {

constexpr const char* kLandTexture = "gland.bmp";
constexpr double kLandHalfSize = 1800;  // the camera's far plane is 1500 away
constexpr int kLandCells = 56;          // per side

// Height of the ground at (x, y) of the tool's space.
double LandHeight(double x, double y);
// The land mesh; its faces run from far to near as seen from the demonstration's camera.
TriMesh BuildLandMesh();
// The whole "gland.ase" text.
std::string LandAse(const TriMesh& land);

}  // namespace orix_assets
