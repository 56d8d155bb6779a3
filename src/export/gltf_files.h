/// \file
/// The files of one export, written through the file layer: a .glb alone, or a .gltf with its
/// .bin and PNG pictures beside it.
///
/// Side files are named after the output's own stem ("a b.gltf": "a b.bin", "a b_0.png") and
/// written into the JSON as percent-encoded URIs. A name already taken is used again only when
/// the .gltf being replaced names it (and it is no input of the export); otherwise the next
/// free name ("a b-1.bin") is taken, so two outputs never share a side file and nothing the user
/// did not name is replaced. Side files are put in place first and the .gltf last; side files
/// the old .gltf named and the new one does not are removed after it. Used by gltf_export.cpp.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace orix::gltf {

/// Writes model to path. pictures: for a .gltf, the PNG bytes of each image, in order (their
/// URIs are set here). inputs: files the export read. False, with *error naming the file that
/// failed, when anything could not be written; what was there before is then as it was.
bool WriteGltfFiles(tinygltf::Model& model, const std::vector<std::vector<unsigned char>>& pictures,
                    const std::string& path, bool binary, const std::vector<std::string>& inputs,
                    std::string* error);

/// name as a relative URI: every byte but the unreserved ones as \%XX.
std::string PercentEncode(const std::string& name);
/// The reverse; false when a '\%' is not followed by two hex digits.
bool PercentDecode(const std::string& uri, std::string* name);

}  // namespace orix::gltf
