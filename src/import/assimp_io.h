/// \file
/// assimp's file access, served by the file layer: every file an importer opens (the model itself,
/// an OBJ's MTL, MD5's animation, ...) is read whole with ReadWholeFile under kMaxInputBytes and
/// handed out from memory. Only the model's folder and the folders below it are reached; a name
/// pointing elsewhere is looked up by its last component in the model's folder. Nothing is ever
/// written. Used in the import child only (see assimp_import.h).
///
/// Depends on assimp and the file layer.
#pragma once

#include <assimp/IOSystem.hpp>
#include <string>

namespace orix {

/// Where a file that a model names (as an importer composed it, or as a material gives it) is
/// looked for: inside modelFolder, never above it. Backslashes count as separators.
std::string SideFilePath(const std::string& name, const std::string& modelFolder);

class FileLayerIOSystem : public Assimp::IOSystem {
public:
    /// modelName: the name assimp is given for the model, served from modelPath; its folder is
    /// modelPath's.
    FileLayerIOSystem(std::string modelName, std::string modelPath);

    bool Exists(const char* file) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode) override;
    void Close(Assimp::IOStream* stream) override;

    const std::string& ModelFolder() const { return folder_; }
    /// The file layer's path for a name assimp asks for.
    std::string Resolve(const std::string& name) const;

private:
    std::string modelName_;
    std::string modelPath_;
    std::string folder_;
};

}  // namespace orix
