/// \file
/// Reading a glTF 2.0 file (JSON .gltf or binary .glb) from memory through tinygltf, and its
/// accessors as numbers, trusting nothing the file says.
///
/// tinygltf parses the JSON; its picture decoding is turned off (the picture bytes are kept as
/// they are, for gltf/gltf_pictures.h), and the buffers and pictures a .gltf names are read
/// through the file layer, under its size limit, from the file's folder only. A file whose
/// extensionsRequired names an extension we cannot read is refused by that name.
///
/// Accessors are read with every offset, stride and count checked against their buffer, sparse
/// substitutions applied, normalized integers (KHR_mesh_quantization) mapped to -1..1 or 0..1,
/// and numbers that are not finite refused. Depends on tinygltf and files/input_file.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace orix::gltf {

/// Parses data as glTF (told by the GLB magic, else JSON). Side files are looked for in folder;
/// the ones read are appended to *sideFiles. False with *error, true with notes in *warnings.
bool ParseGltf(const char* data, size_t size, const std::string& folder, tinygltf::Model* model,
               std::vector<std::string>* sideFiles, std::vector<std::string>* warnings,
               std::string* error);

/// Accessor index as count x components numbers (row after row). components, when not 0, is the
/// number each element must have. False with *error naming the accessor and the fault.
bool ReadAccessor(const tinygltf::Model& model, int index, int components, std::vector<double>* out,
                  std::string* error);
/// An index accessor (unsigned integers, scalar), each below limit.
bool ReadIndices(const tinygltf::Model& model, int index, uint32_t limit,
                 std::vector<uint32_t>* out, std::string* error);

}  // namespace orix::gltf
