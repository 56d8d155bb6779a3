// The names the tool reads and writes beside a model: its folder, its name, the copy a
// conversion writes, its skin and animation files. Text only, except CompanionFile, which looks
// in the model's folder.
#pragma once

#include <string>

#include "files/path_text.h"

namespace orix::tool {

// The name convert gives the copy of aseName: its extension replaced by ".bne" (added when
// it has none), in the same folder.
std::string BneNameFor(const std::string& aseName);
// The file name beside path that a conversion writes with extension (".bne", ".skn").
std::string SideNameFor(const std::string& path, const std::string& extension);
// A model's name for its pictures and skin: path's file name without its extension.
std::string ModelNameOf(const std::string& path);
// The file beside modelPath under its name with extension (".vue", ".skn"), in any case of the
// extension; "" when there is none.
std::string CompanionFile(const std::string& modelPath, const char* extension);

}  // namespace orix::tool
