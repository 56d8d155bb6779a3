#include "import/gltf_document.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/input_file.h"

namespace orix::gltf {

namespace {

// What a file may need that we read; anything else it requires is refused.
const char* const kReadable[] = {"KHR_mesh_quantization", "KHR_texture_transform",
                                 "KHR_materials_unlit"};

// Names people know the common compression extensions by.
std::string Described(const std::string& extension) {
    if (extension == "KHR_draco_mesh_compression") return extension + " (Draco compression)";
    if (extension == "EXT_meshopt_compression" || extension == "KHR_meshopt_compression")
        return extension + " (meshopt compression)";
    if (extension == "KHR_texture_basisu") return extension + " (Basis Universal pictures)";
    return extension;
}

// Side files: in the file's own folder, read through the file layer.
struct SideFiles {
    std::string folder;
    std::vector<std::string>* read;
};

// True when path names a file under the model's own folder: a URI may go down into sub-folders
// but never up out of it or to an absolute path, so a file cannot pull in what lies elsewhere.
bool InsideFolder(const SideFiles& side, const std::string& path) {
    // tinygltf also tries the working folder; only the file's own folder counts.
    const std::string prefix = side.folder.empty() ? std::string() : side.folder + "/";
    if (path.compare(0, prefix.size(), prefix) != 0) return false;
    const std::filesystem::path relative(path.substr(prefix.size()));
    if (relative.empty() || relative.is_absolute()) return false;
    for (const auto& part : relative) {
        if (part == "..") return false;
    }
    return true;
}

bool Exists(const std::string& path, void* user) {
    const SideFiles& side = *static_cast<const SideFiles*>(user);
    if (!InsideFolder(side, path)) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string Expand(const std::string& path, void*) {
    return path;
}

bool ReadSide(std::vector<unsigned char>* out, std::string* error, const std::string& path,
              void* user) {
    if (!InsideFolder(*static_cast<const SideFiles*>(user), path)) {
        *error = path + " lies outside the model's folder";
        return false;
    }
    std::vector<char> bytes;
    if (!ReadWholeFile(path, &bytes, error)) return false;
    static_cast<SideFiles*>(user)->read->push_back(path);
    out->assign(bytes.begin(), bytes.end());
    return true;
}

// Keeps a picture's bytes undecoded; gltf_pictures.h decodes them under the picture limits.
bool KeepPictureBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                      const unsigned char* bytes, int size, void*) {
    image->image.assign(bytes, bytes + size);
    image->width = image->height = 0;
    return true;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
        if (c == '\n') c = ';';
    }
    return text;
}

std::string AccessorName(int index) {
    return "accessor " + std::to_string(index);
}

double Component(const unsigned char* p, int type, bool normalized) {
    switch (type) {
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            int8_t v;
            std::memcpy(&v, p, 1);
            return normalized ? std::max(double(v) / 127.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return normalized ? double(*p) / 255.0 : *p;
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return normalized ? std::max(double(v) / 32767.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return normalized ? double(v) / 65535.0 : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return normalized ? double(v) / 4294967295.0 : v;
        }
        default: {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}

int ComponentBytes(int type) {
    switch (type) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            return 4;
        default:
            return 0;
    }
}

int ComponentsOf(int type) {
    switch (type) {
        case TINYGLTF_TYPE_SCALAR:
            return 1;
        case TINYGLTF_TYPE_VEC2:
            return 2;
        case TINYGLTF_TYPE_VEC3:
            return 3;
        case TINYGLTF_TYPE_VEC4:
            return 4;
        case TINYGLTF_TYPE_MAT4:
            return 16;
        default:
            return 0;  // MAT2 and MAT3 carry column padding no attribute we read uses
    }
}

// The bytes of count elements of elementBytes at offset in bufferView view, stride apart
// (0: packed). Null with *error when they do not lie inside the view and its buffer.
const unsigned char* ViewBytes(const tinygltf::Model& model, int view, size_t offset, size_t count,
                               size_t elementBytes, size_t* stride, std::string* error) {
    if (view < 0 || size_t(view) >= model.bufferViews.size()) {
        *error = "names bufferView " + std::to_string(view) + ", which does not exist";
        return nullptr;
    }
    const tinygltf::BufferView& v = model.bufferViews[size_t(view)];
    if (v.buffer < 0 || size_t(v.buffer) >= model.buffers.size()) {
        *error = "its bufferView names a buffer that does not exist";
        return nullptr;
    }
    const std::vector<unsigned char>& data = model.buffers[size_t(v.buffer)].data;
    if (v.byteOffset > data.size() || v.byteLength > data.size() - v.byteOffset) {
        *error = "its bufferView " + std::to_string(view) + " reaches past the end of buffer " +
                 std::to_string(v.buffer) + " (" + std::to_string(data.size()) + " bytes read)";
        return nullptr;
    }
    *stride = v.byteStride ? v.byteStride : elementBytes;
    if (*stride < elementBytes) {
        *error = "its bufferView's byteStride is smaller than one element";
        return nullptr;
    }
    if (count > 0) {
        // Each term is bounded by the view's length before they are added.
        if (offset > v.byteLength || count - 1 > (v.byteLength - offset) / *stride ||
            (count - 1) * *stride + elementBytes > v.byteLength - offset) {
            *error = "its " + std::to_string(count) +
                     " elements reach past the end of bufferView " + std::to_string(view);
            return nullptr;
        }
    }
    return data.data() + v.byteOffset + offset;
}

}  // namespace

bool ParseGltf(const char* data, size_t size, const std::string& folder, tinygltf::Model* model,
               std::vector<std::string>* sideFiles, std::vector<std::string>* warnings,
               std::string* error) {
    if (size == 0) {
        *error = "the file is empty";
        return false;
    }
    SideFiles side{folder, sideFiles};
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(KeepPictureBytes, nullptr);
    tinygltf::FsCallbacks fs{};
    fs.FileExists = Exists;
    fs.ExpandFilePath = Expand;
    fs.ReadWholeFile = ReadSide;
    fs.WriteWholeFile = nullptr;
    fs.user_data = &side;
    loader.SetFsCallbacks(fs);
    std::string err, warn;
    bool ok = false;
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    try {
        if (binary) {
            if (size > UINT32_MAX) {
                *error = "a binary glTF file is at most 4 GiB";
                return false;
            }
            ok = loader.LoadBinaryFromMemory(model, &err, &warn,
                                             reinterpret_cast<const unsigned char*>(data),
                                             unsigned(size), folder);
        } else {
            ok = loader.LoadASCIIFromString(model, &err, &warn, data, unsigned(size), folder);
        }
    } catch (const std::exception& e) {
        err = e.what();
        ok = false;
    }
    if (!warn.empty()) warnings->push_back(Trimmed(warn));
    if (!ok) {
        *error = err.empty() ? "not a glTF file tinygltf can read" : Trimmed(err);
        return false;
    }
    for (const std::string& required : model->extensionsRequired) {
        bool readable = false;
        for (const char* known : kReadable) readable = readable || required == known;
        if (!readable) {
            *error = "the file requires the extension " + Described(required) +
                     ", which Orix cannot read";
            return false;
        }
    }
    return true;
}

bool ReadAccessor(const tinygltf::Model& model, int index, int components, std::vector<double>* out,
                  std::string* error) {
    out->clear();
    if (index < 0 || size_t(index) >= model.accessors.size()) {
        *error = AccessorName(index) + " does not exist";
        return false;
    }
    const tinygltf::Accessor& a = model.accessors[size_t(index)];
    const int n = ComponentsOf(a.type);
    const int bytes = ComponentBytes(a.componentType);
    if (n == 0 || bytes == 0) {
        *error = AccessorName(index) + " has a type or component type that is not read";
        return false;
    }
    if (components && n != components) {
        *error = AccessorName(index) + " has " + std::to_string(n) + " components where " +
                 std::to_string(components) + " are wanted";
        return false;
    }
    // Bounded by the buffer below; this keeps the arithmetic of a file without one in range.
    constexpr size_t kMaxElements = size_t{1} << 26;
    if (a.count > kMaxElements) {
        *error = AccessorName(index) + " claims " + std::to_string(a.count) + " elements";
        return false;
    }
    const size_t elementBytes = size_t(n) * size_t(bytes);
    out->assign(a.count * size_t(n), 0.0);
    std::string why;
    if (a.bufferView >= 0) {
        size_t stride = 0;
        const unsigned char* p =
            ViewBytes(model, a.bufferView, a.byteOffset, a.count, elementBytes, &stride, &why);
        if (!p) {
            *error = AccessorName(index) + " " + why;
            return false;
        }
        for (size_t e = 0; e < a.count; ++e) {
            for (int c = 0; c < n; ++c)
                (*out)[e * size_t(n) + size_t(c)] =
                    Component(p + e * stride + size_t(c * bytes), a.componentType, a.normalized);
        }
    }
    if (a.sparse.isSparse) {
        const auto& s = a.sparse;
        const int indexBytes = ComponentBytes(s.indices.componentType);
        if (s.count < 0 || size_t(s.count) > a.count || indexBytes == 0 ||
            s.indices.componentType == TINYGLTF_COMPONENT_TYPE_BYTE ||
            s.indices.componentType == TINYGLTF_COMPONENT_TYPE_SHORT) {
            *error = AccessorName(index) + " has a sparse part with a bad count or index type";
            return false;
        }
        size_t indexStride = 0, valueStride = 0;
        const unsigned char* ip =
            ViewBytes(model, s.indices.bufferView, size_t(s.indices.byteOffset), size_t(s.count),
                      size_t(indexBytes), &indexStride, &why);
        const unsigned char* vp =
            ip ? ViewBytes(model, s.values.bufferView, size_t(s.values.byteOffset), size_t(s.count),
                           elementBytes, &valueStride, &why)
               : nullptr;
        if (!vp) {
            *error = AccessorName(index) + "'s sparse part: " + why;
            return false;
        }
        for (size_t k = 0; k < size_t(s.count); ++k) {
            double at = Component(ip + k * size_t(indexBytes), s.indices.componentType, false);
            if (at >= double(a.count)) {
                *error = AccessorName(index) + "'s sparse index " + std::to_string(size_t(at)) +
                         " is outside its " + std::to_string(a.count) + " elements";
                return false;
            }
            for (int c = 0; c < n; ++c)
                (*out)[size_t(at) * size_t(n) + size_t(c)] = Component(
                    vp + k * elementBytes + size_t(c * bytes), a.componentType, a.normalized);
        }
    }
    for (double v : *out) {
        if (!std::isfinite(v)) {
            *error = AccessorName(index) + " holds a number that is not finite";
            return false;
        }
    }
    return true;
}

bool ReadIndices(const tinygltf::Model& model, int index, uint32_t limit,
                 std::vector<uint32_t>* out, std::string* error) {
    std::vector<double> values;
    if (!ReadAccessor(model, index, 1, &values, error)) return false;
    const int type = model.accessors[size_t(index)].componentType;
    if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
        type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        *error = AccessorName(index) + " holds indices that are not unsigned integers";
        return false;
    }
    out->resize(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] >= double(limit)) {
            *error = AccessorName(index) + " holds index " + std::to_string(uint64_t(values[i])) +
                     ", outside the " + std::to_string(limit) + " it may name";
            return false;
        }
        (*out)[i] = uint32_t(values[i]);
    }
    return true;
}

}  // namespace orix::gltf
