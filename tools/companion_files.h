// Files that belong to a model without being named by it: its skin file and its VUE animation,
// found beside the model under the model's own base name.
#pragma once

#include <string>

namespace orix::tool {

// The file in modelPath's folder whose name is the model's base name followed by extension
// (".skn", ".vue"; the extension compared without regard to case); empty when there is none.
std::string CompanionFile(const std::string& modelPath, const char* extension);

}  // namespace orix::tool
