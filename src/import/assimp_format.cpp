#include <assimp/Importer.hpp>
#include <cstring>
#include <string>

#include "files/path_text.h"
#include "import/assimp_import.h"
#include "modelfile/model_text.h"
#include "render/texture.h"

namespace orix {

namespace {

bool StartsWith(const char* data, size_t size, const char* prefix) {
    size_t n = std::strlen(prefix);
    return size >= n && std::memcmp(data, prefix, n) == 0;
}

bool Contains(const char* data, size_t size, const char* text) {
    std::string_view haystack(data, size);
    return haystack.find(text) != std::string_view::npos;
}

// Formats whose first bytes say what they are. Text formats without a fixed opening (OBJ, SMD,
// STL, whose binary form often starts with "solid" too) are left to their extension.
std::string FormatBySignature(const char* data, size_t size, const std::string& extension) {
    if (StartsWith(data, size, "Kaydara FBX Binary")) return "fbx";
    if (StartsWith(data, size, "; FBX ")) return "fbx";
    if (StartsWith(data, size, "xof ")) return "x";
    if (StartsWith(data, size, "ply\n") || StartsWith(data, size, "ply\r")) return "ply";
    if (StartsWith(data, size, "BB3D")) return "b3d";
    if (StartsWith(data, size, "MS3D000000")) return "ms3d";
    if (StartsWith(data, size, "IDP2")) return "md2";
    if (StartsWith(data, size, "IDP3")) return "md3";
    if (StartsWith(data, size, "BLENDER")) return "blend";
    if (size >= 12 && StartsWith(data, size, "FORM") &&
        (std::memcmp(data + 8, "LWO2", 4) == 0 || std::memcmp(data + 8, "LWOB", 4) == 0))
        return "lwo";
    // MD5 keeps the mesh, animation and camera apart by extension only.
    if (StartsWith(data, size, "MD5Version"))
        return extension.rfind("md5", 0) == 0 ? extension : "md5mesh";
    // 3DS: the main chunk (0x4D4D) whose first child is the version or the editor chunk.
    if (size >= 8 && StartsWith(data, size, "MM") &&
        ((data[6] == 0x02 && data[7] == 0x00) || (data[6] == 0x3D && data[7] == 0x3D)))
        return "3ds";
    if (Contains(data, size < 4096 ? size : 4096, "<COLLADA")) return "dae";
    return "";
}

bool IsGltf(const char* data, size_t size) {
    if (StartsWith(data, size, "glTF")) return true;
    // A .gltf is JSON whose top object names its asset version.
    size_t i = 0;
    while (i < size && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return i < size && data[i] == '{' && Contains(data, size, "\"asset\"");
}

}  // namespace

bool AssimpCanRead(const std::string& pathOrExtension) {
    std::string extension = FileExtension(pathOrExtension);
    if (extension.empty() || extension.find('/') != std::string::npos) return false;
    if (extension == "ase" || extension == "ask" || extension == "bne" || extension == "gltf" ||
        extension == "glb")
        return false;
    Assimp::Importer importer;
    return importer.IsExtensionSupported(extension);
}

std::string AssimpFormatOf(const std::string& path, const char* head, size_t size) {
    if (DetectModelFileType(head, size) != ModelFileType::Unknown || IsGltf(head, size)) return "";
    std::string extension = FileExtension(path);
    std::string format = FormatBySignature(head, size, extension);
    if (!format.empty()) return format;
    return AssimpCanRead(extension) ? extension : "";
}

}  // namespace orix
