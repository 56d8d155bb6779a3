// An evaluation of a glTF file that owes nothing to the engine: node world matrices at a time
// (TRS or matrix nodes, linear and spherical-linear channels) and skinned vertex positions.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace orix_export_test {

using Mat4 = std::array<double, 16>;  // column-major, as glTF stores matrices

// Loads a .glb or .gltf file; false with the loader's message in error.
bool LoadGltf(const std::string& path, tinygltf::Model* model, std::string* error);
// The elements of an accessor as doubles (floats, or unsigned integers of any width).
std::vector<double> ReadAccessor(const tinygltf::Model& model, int accessor);
// The world matrix of every node at time t of the first animation (the rest pose without one).
std::vector<Mat4> WorldMatrices(const tinygltf::Model& model, double t);
// The last key time of the first animation, 0 without one.
double AnimationLength(const tinygltf::Model& model);
// Every vertex of the skinned meshes, carried by its joints, at time t.
std::vector<std::array<double, 3>> SkinnedVertices(const tinygltf::Model& model, double t);
// Faces (right-handed, counter-clockwise) whose normal points toward their mesh's centre.
size_t InwardFaces(const tinygltf::Model& model);

}  // namespace orix_export_test
