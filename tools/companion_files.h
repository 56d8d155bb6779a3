// Files that go with a model file: the skin (.skn) or animation (.vue) exported beside it
// under the model's base name.
#pragma once

#include <string>

namespace orix::tool {

// The file in modelPath's folder named like the model with extension (".skn", ".vue") in
// place of its own, the extension matched in any case; empty when there is none.
std::string CompanionFile(const std::string& modelPath, const char* extension);

}  // namespace orix::tool
