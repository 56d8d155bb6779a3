#include "export/gltf_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "files/path_text.h"
#include "picture/bmp_picture.h"
#include "picture/jpeg_picture.h"
#include "picture/tga_png_picture.h"
#include "render/texture.h"

namespace orix::gltf {

namespace {

// Collects what tinygltf's image writer would have written to a file.
bool CaptureFile(std::string*, const std::string&, const std::vector<unsigned char>& contents,
                 void* user) {
    *static_cast<std::vector<unsigned char>*>(user) = contents;
    return true;
}

}  // namespace

int GltfBuilder::AddData(const void* data, size_t size, int target) {
    if (model.buffers.empty()) model.buffers.emplace_back();
    std::vector<unsigned char>& bytes = model.buffers[0].data;
    while (bytes.size() % 4 != 0) bytes.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + size);
    model.bufferViews.push_back(view);
    return int(model.bufferViews.size() - 1);
}

int GltfBuilder::AddFloats(const std::vector<float>& values, int type, int target, bool minMax) {
    const int n = tinygltf::GetNumComponentsInType(uint32_t(type));
    tinygltf::Accessor a;
    a.bufferView = AddData(values.data(), values.size() * sizeof(float), target);
    a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    a.type = type;
    a.count = values.size() / size_t(n);
    if (minMax && a.count > 0) {
        a.minValues.assign(size_t(n), std::numeric_limits<double>::max());
        a.maxValues.assign(size_t(n), std::numeric_limits<double>::lowest());
        for (size_t i = 0; i < values.size(); ++i) {
            size_t c = i % size_t(n);
            a.minValues[c] = std::min(a.minValues[c], double(values[i]));
            a.maxValues[c] = std::max(a.maxValues[c], double(values[i]));
        }
    }
    model.accessors.push_back(a);
    return int(model.accessors.size() - 1);
}

int GltfBuilder::AddIndices(const std::vector<uint32_t>& indices) {
    tinygltf::Accessor a;
    a.type = TINYGLTF_TYPE_SCALAR;
    a.count = indices.size();
    uint32_t top = indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
    // 65535 is the primitive-restart value glTF forbids in unsigned-short indices.
    if (top < 65535) {
        std::vector<uint16_t> small(indices.begin(), indices.end());
        a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        a.bufferView =
            AddData(small.data(), small.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    } else {
        a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        a.bufferView =
            AddData(indices.data(), indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    }
    model.accessors.push_back(a);
    return int(model.accessors.size() - 1);
}

int GltfBuilder::AddJoints(const std::vector<uint16_t>& joints) {
    tinygltf::Accessor a;
    a.type = TINYGLTF_TYPE_VEC4;
    a.count = joints.size() / 4;
    a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    a.bufferView = AddData(joints.data(), joints.size() * 2, TINYGLTF_TARGET_ARRAY_BUFFER);
    model.accessors.push_back(a);
    return int(model.accessors.size() - 1);
}

int GltfBuilder::AddView(const std::vector<unsigned char>& bytes) {
    return AddData(bytes.data(), bytes.size(), 0);
}

bool DecodePicture(const std::string& path, bool blackIsTransparent, Picture* out) {
    std::string ext = FileExtension(path);
    BitmapPtr bitmap;
    // The extensions the engine's textures take; JPEG as the full-colour DIB, not the 16-bit
    // copy the device gets.
    if (ext == "bmp") {
        bitmap = LoadBitmapPicture(path);
    } else if (ext == "jpg") {
        bitmap = LoadJpegDib(path);
    } else if (ext == "tga") {
        bitmap = LoadTgaPicture(path);
    } else if (ext == "png") {
        bitmap = LoadPngPicture(path);
    }
    if (!bitmap || !bitmap->IsValid()) return false;
    out->width = bitmap->width;
    out->height = bitmap->height;
    out->rgba.resize(size_t(out->width) * size_t(out->height) * 4);
    out->cutOut = false;
    unsigned char* p = out->rgba.data();
    for (int32_t y = 0; y < out->height; ++y) {
        for (int32_t x = 0; x < out->width; ++x, p += 4) {
            uint32_t rgb = bitmap->PixelRgb(x, y);
            p[0] = uint8_t(rgb >> 16), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb);
            bool keyed = blackIsTransparent && (rgb & 0xFFFFFF) == 0;
            p[3] = keyed ? 0 : 255;
            out->cutOut = out->cutOut || keyed;
        }
    }
    return true;
}

bool EncodePng(const Picture& picture, std::vector<unsigned char>* png) {
    if (picture.rgba.empty()) return false;
    tinygltf::Image image;
    image.width = picture.width;
    image.height = picture.height;
    image.component = 4;
    image.bits = 8;
    image.pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    image.image = picture.rgba;
    // tinygltf's own PNG writer, with the file it would write caught in memory.
    tinygltf::FsCallbacks fs{};
    fs.WriteWholeFile = CaptureFile;
    fs.user_data = png;
    std::string base, name = "picture.png", uri;
    png->clear();
    return tinygltf::WriteImageData(&base, &name, &image, false, &uri, &fs) && !png->empty();
}

}  // namespace orix::gltf
