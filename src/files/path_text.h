/// \file
/// File names as text: extension, folder, last component, and the ASCII case folding that file
/// names and keywords from Windows exports need. Text only: nothing here touches the disk; paths
/// are POSIX ones ('/' separates).
#pragma once

#include <string>
#include <string_view>

namespace orix {

/// text with A-Z turned to a-z; other bytes (UTF-8 included) as they are.
std::string LowerAscii(std::string text);
/// True when a and b are equal but for the case of A-Z.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
/// The lower-cased text after fileName's last dot ("glb"); the whole name, lower-cased, when it
/// has no dot.
std::string FileExtension(const std::string& fileName);
/// path's extension from its last dot, with the dot, lower-cased (".bne"; "" without one).
std::string LowerExtension(const std::string& path);
/// True when path ends in extension (".bne"), in any case.
bool HasExtension(const std::string& path, const std::string& extension);
/// The folder holding path ("" for a bare name, "/" for a file at the root).
std::string FolderOf(const std::string& path);
/// path's last component.
std::string FileName(const std::string& path);

}  // namespace orix
