#include "export/gltf_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "files/file_identity.h"
#include "files/input_file.h"
#include "files/output_file.h"

namespace orix::gltf {

namespace {

using Json = nlohmann::json;

// A .gltf's JSON is small beside its buffer; a larger one is not ours to read.
constexpr uint64_t kMaxOldGltfBytes = 64u << 20;

std::string FolderPart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The plain file names beside it that an existing .gltf at path refers to.
std::set<std::string> SideFilesNamedBy(const std::string& path) {
    std::set<std::string> names;
    std::vector<char> bytes;
    std::string error;
    struct stat st = {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return names;
    if (!ReadWholeFile(path, &bytes, &error, kMaxOldGltfBytes)) return names;
    Json json = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!json.is_object()) return names;
    for (const char* list : {"buffers", "images"}) {
        auto items = json.find(list);
        if (items == json.end() || !items->is_array()) continue;
        for (const Json& item : *items) {
            if (!item.is_object() || !item.contains("uri") || !item["uri"].is_string()) continue;
            std::string name;
            const std::string& uri = item["uri"].get_ref<const std::string&>();
            if (uri.rfind("data:", 0) == 0 || !PercentDecode(uri, &name)) continue;
            if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
                continue;
            names.insert(name);
        }
    }
    return names;
}

// Chooses side-file names for one .gltf.
class SideNames {
public:
    SideNames(const std::string& path, const std::vector<std::string>& inputs)
        : folder_(FolderPart(path)), owned_(SideFilesNamedBy(path)) {
        for (const std::string& in : inputs) inputs_.push_back(IdentifyPath(in));
        taken_.insert(NamePart(path));
    }

    // base + ext where it is free, else base-1 + ext, base-2 + ext, ...
    std::string Take(const std::string& base, const std::string& ext) {
        for (int k = 0;; ++k) {
            std::string name = base + (k == 0 ? std::string() : "-" + std::to_string(k)) + ext;
            if (Usable(name)) {
                taken_.insert(name);
                return name;
            }
        }
    }

    const std::set<std::string>& Owned() const { return owned_; }
    const std::set<std::string>& Taken() const { return taken_; }
    bool IsInput(const std::string& name) const {
        PathIdentity id = IdentifyPath(folder_ + name);
        for (const PathIdentity& in : inputs_) {
            if (SameFile(id, in)) return true;
        }
        return false;
    }

private:
    bool Usable(const std::string& name) const {
        if (taken_.count(name)) return false;
        struct stat st = {};
        if (lstat((folder_ + name).c_str(), &st) != 0) return errno == ENOENT;
        return owned_.count(name) && S_ISREG(st.st_mode) && !IsInput(name);
    }

    std::string folder_;
    std::set<std::string> owned_;
    std::set<std::string> taken_;
    std::vector<PathIdentity> inputs_;
};

bool WriteGltfText(tinygltf::Model& model, const std::vector<std::vector<unsigned char>>& pictures,
                   const std::string& path, const std::vector<std::string>& inputs,
                   std::string* error) {
    const std::string folder = FolderPart(path);
    std::string name = NamePart(path);
    const std::string stem = name.substr(0, name.size() - 5);  // ".gltf"
    SideNames names(path, inputs);
    OutputSet files;

    // tinygltf would embed the buffer; it is written beside the file instead.
    std::vector<unsigned char> buffer;
    if (!model.buffers.empty()) buffer.swap(model.buffers[0].data);
    std::ostringstream text;
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);
    bool serialized = writer.WriteGltfSceneToStream(&model, text, true, false);
    if (!model.buffers.empty()) buffer.swap(model.buffers[0].data);
    Json json = serialized ? Json::parse(text.str(), nullptr, false) : Json();
    if (!json.is_object()) {
        *error = "cannot write " + path + ": the glTF text could not be made";
        return false;
    }
    if (!model.buffers.empty()) {
        std::string bin = names.Take(stem, ".bin");
        Json& b = json["buffers"][0];
        b["uri"] = PercentEncode(bin);
        b["byteLength"] = model.buffers[0].data.size();
        if (!files.AddBytes(folder + bin, model.buffers[0].data.data(),
                            model.buffers[0].data.size(), error))
            return false;
    }
    for (size_t i = 0; i < pictures.size() && i < model.images.size(); ++i) {
        std::string png = names.Take(stem + "_" + std::to_string(i), ".png");
        Json& image = json["images"][i];
        image.erase("bufferView");  // what tinygltf writes for an image with no URI yet
        image["uri"] = PercentEncode(png);
        if (!files.AddBytes(folder + png, pictures[i].data(), pictures[i].size(), error))
            return false;
    }
    const std::string out = json.dump(2);
    if (!files.AddBytes(path, out.data(), out.size(), error) || !files.Commit(error)) return false;
    for (const std::string& old : names.Owned()) {
        struct stat st = {};
        if (names.Taken().count(old) || names.IsInput(old)) continue;
        if (lstat((folder + old).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            unlink((folder + old).c_str());
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentEncode(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool PercentDecode(const std::string& uri, std::string* name) {
    name->clear();
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] != '%') {
            *name += uri[i];
            continue;
        }
        int hi = i + 2 < uri.size() ? HexDigit(uri[i + 1]) : -1;
        int lo = hi >= 0 ? HexDigit(uri[i + 2]) : -1;
        if (lo < 0) return false;
        *name += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool WriteGltfFiles(tinygltf::Model& model, const std::vector<std::vector<unsigned char>>& pictures,
                    const std::string& path, bool binary, const std::vector<std::string>& inputs,
                    std::string* error) {
    // The JSON library throws on text it cannot write; no exception leaves the export.
    try {
        if (!binary) return WriteGltfText(model, pictures, path, inputs, error);
        tinygltf::TinyGLTF writer;
        writer.SetImageWriter(nullptr, nullptr);
        std::ostringstream bytes;
        if (!writer.WriteGltfSceneToStream(&model, bytes, false, true)) {
            *error = "cannot write " + path + ": the glTF data could not be made";
            return false;
        }
        const std::string data = bytes.str();
        return WriteWholeFile(path, data.data(), data.size(), error);
    } catch (const std::exception& e) {
        *error = "cannot write " + path + ": " + e.what();
        return false;
    }
}

}  // namespace orix::gltf
