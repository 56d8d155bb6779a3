// The names the tool reads and writes beside a model: its folder, its name, the copy a
// conversion writes, its skin and animation files. Text only, except CompanionFile, which looks
// in the model's folder.
#pragma once

#include <string>

namespace orix::tool {

// The folder holding path ("" for a bare name).
std::string FolderOf(const std::string& path);
// path's last component.
std::string FileName(const std::string& path);
// True when path ends in extension (".bne"), in any case.
bool HasExtension(const std::string& path, const std::string& extension);
// path's extension from its last dot, lower-cased ("" without one).
std::string LowerExtension(const std::string& path);
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
