// Meshes, materials and pictures of the glTF export.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/gltf_axes.h"
#include "export/gltf_builder.h"
#include "render/texture.h"
#include "scene/mesh.h"

namespace orix::gltf {

namespace {

// Colours on the engine's screen are display values; glTF's factors are linear.
double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// What a primitive draws from: the whole mesh or one sub-mesh.
struct PartSource {
    const Material* material = nullptr;
    std::string materialName;
    size_t vertexCount = 0;
    const uint16_t* meshIndex = nullptr;  // null: vertex k is mesh vertex k
    const Vertex* unlit = nullptr;        // vertex k's record
    const LVertex* lit = nullptr;         // the mesh's records, read through meshIndex
    size_t litCount = 0;
    const uint32_t* color = nullptr;  // where given, every vertex's colour
    const uint16_t* indices = nullptr;
    size_t indexCount = 0;
    // A lit sub-mesh's vertex list and faces, made here (it draws in the mesh's numbering).
    std::vector<uint16_t> gatheredIndex, gatheredIndices;
};

}  // namespace

MeshWriter::MeshWriter(const ExportSource& source, GltfBuilder& builder, bool binary,
                       std::vector<std::string>& notes)
    : source_(source), b_(builder), binary_(binary), notes_(notes) {}

int MeshWriter::TextureFor(const std::string& pictureName, bool* cutOut) {
    auto known = textures_.find(pictureName);
    if (known != textures_.end()) {
        *cutOut = known->second.cutOut;
        return known->second.texture;
    }
    TextureEntry& entry = textures_[pictureName];
    std::string path = FindPicture(pictureName, source_.pictureFolder);
    Picture picture;
    std::vector<unsigned char> png;
    if (path.empty()) {
        notes_.push_back("picture " + pictureName + " not found: materials that use it have none");
        return -1;
    }
    if (!DecodePicture(path, source_.blackIsTransparent, &picture) || !EncodePng(picture, &png)) {
        notes_.push_back("picture " + path + " could not be read: materials that use it have none");
        return -1;
    }
    tinygltf::Image image;
    size_t slash = pictureName.find_last_of("/\\");
    image.name = slash == std::string::npos ? pictureName : pictureName.substr(slash + 1);
    image.mimeType = "image/png";
    if (binary_) {
        image.bufferView = b_.AddView(png);
    } else {
        // Named and written with the .gltf (gltf_files.h).
        b_.pictureFiles.push_back(std::move(png));
    }
    b_.model.images.push_back(image);
    tinygltf::Texture texture;
    texture.source = int(b_.model.images.size() - 1);
    b_.model.textures.push_back(texture);
    entry.texture = int(b_.model.textures.size() - 1);
    entry.cutOut = picture.cutOut;
    *cutOut = entry.cutOut;
    return entry.texture;
}

int MeshWriter::MaterialFor(const Mesh& m, const Material* material, const std::string& name,
                            const float color[3], bool prelit) {
    char key[160];
    std::snprintf(key, sizeof key, "%p %d %.9g %.9g %.9g", static_cast<const void*>(material),
                  int(prelit), double(color[0]), double(color[1]), double(color[2]));
    auto known = materials_.find(key);
    if (known != materials_.end()) return known->second;

    tinygltf::Material out;
    out.name = name;
    // The file's transparency is stored as the colours' alpha; 0 is opaque.
    double transparency = material ? double(material->record.diffuse.a) : 0.0;
    if (!std::isfinite(transparency)) transparency = 0.0;
    double alpha = std::clamp(1.0 - transparency, 0.0, 1.0);
    bool clamped = false;
    out.pbrMetallicRoughness.baseColorFactor.resize(4);
    for (int c = 0; c < 3; ++c) {
        double v = color[c];
        clamped = clamped || v < 0.0 || v > 1.0;
        out.pbrMetallicRoughness.baseColorFactor[size_t(c)] = SrgbToLinear(std::clamp(v, 0.0, 1.0));
    }
    if (clamped)
        notes_.push_back("material " + name + " of " + m.name +
                         ": colour outside 0 to 1 clamped (glTF colours stop at 1)");
    out.pbrMetallicRoughness.baseColorFactor[3] = alpha;
    // The fixed-function diffuse shading has no metal and no highlight of its own.
    out.pbrMetallicRoughness.metallicFactor = 0.0;
    out.pbrMetallicRoughness.roughnessFactor = 1.0;
    bool cutOut = false;
    std::string picture = material ? source_.model.materials.PictureOf(material) : std::string();
    if (!picture.empty()) {
        int texture = TextureFor(picture, &cutOut);
        if (texture >= 0) out.pbrMetallicRoughness.baseColorTexture.index = texture;
    }
    if (alpha < 1.0) {
        out.alphaMode = "BLEND";
    } else if (cutOut) {
        out.alphaMode = "MASK";
    }
    if (prelit) {
        out.extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object());
        auto& used = b_.model.extensionsUsed;
        if (std::find(used.begin(), used.end(), "KHR_materials_unlit") == used.end())
            used.push_back("KHR_materials_unlit");
    }
    b_.model.materials.push_back(out);
    int index = int(b_.model.materials.size() - 1);
    materials_[key] = index;
    return index;
}

int MeshWriter::AddMesh(const Mesh& m, const MeshSkin* skin, size_t* replaced) {
    if (m.vertexFormat == 2) {
        notes_.push_back("mesh " + m.name + ": screen-space vertices have no place in a scene");
        return -1;
    }
    if (m.particleUpdate) {
        notes_.push_back("mesh " + m.name + ": a particle emitter, which draws nothing itself");
        return -1;
    }
    if (m.faceCount == 0 || m.vertexCount == 0 || !m.geometry) return -1;
    const MeshGeometry& g = *m.geometry;
    const bool prelit = m.vertexFormat == 1;

    std::vector<PartSource> parts;
    const std::string setName = source_.model.materials.NameOf(m.materials);
    if (m.materials && m.materials->hasSubMaterials) {
        int32_t count = std::min(m.materials->subMaterialCount, m.subMeshCount);
        // Gathered lists stay where they are as the parts grow: their pointers hold.
        parts.reserve(size_t(std::max(count, 0)));
        for (int32_t i = 0; i < count; ++i) {
            const SubMesh& sub = g.subMeshes[size_t(i)];
            PartSource s;
            s.material = &m.materials->subMaterials[i];
            s.materialName = (setName.empty() ? m.name : setName) + " " + std::to_string(i);
            if (prelit) {
                s.lit = g.litVertices.data();
                s.litCount = g.litVertices.size();
                s.color = &sub.color;
                GatherVertices(sub.sharedIndices.data(), sub.sharedIndices.size(), m.vertexCount,
                               &s.gatheredIndex, &s.gatheredIndices);
                parts.push_back(std::move(s));
                PartSource& p = parts.back();
                p.vertexCount = p.gatheredIndex.size();
                p.meshIndex = p.gatheredIndex.data();
                p.indices = p.gatheredIndices.data();
                p.indexCount = p.gatheredIndices.size();
                continue;
            }
            s.vertexCount = std::min<size_t>(sub.vertexCount, sub.meshIndex.size());
            s.meshIndex = sub.meshIndex.data();
            s.unlit = sub.unlitVertices.data();
            if (sub.unlitVertices.size() < s.vertexCount) continue;
            s.indices = sub.indices.data();
            s.indexCount = std::min<size_t>(size_t(sub.faceCount) * 3, sub.indices.size());
            parts.push_back(s);
        }
    } else {
        PartSource s;
        s.material = m.materials ? &m.materials->main : nullptr;
        s.materialName = setName.empty() ? m.name : setName;
        s.vertexCount = m.vertexCount;
        s.unlit = prelit ? nullptr : g.unlitVertices.data();
        s.lit = prelit ? g.litVertices.data() : nullptr;
        s.litCount = g.litVertices.size();
        if ((prelit ? g.litVertices.size() : g.unlitVertices.size()) >= s.vertexCount) {
            s.indices = g.indices.data();
            s.indexCount = std::min<size_t>(size_t(m.faceCount) * 3, g.indices.size());
            parts.push_back(s);
        }
    }

    tinygltf::Mesh out;
    out.name = m.name;
    for (const PartSource& s : parts) {
        if (s.indexCount < 3 || s.vertexCount == 0) continue;
        std::vector<uint32_t> indices;
        for (size_t i = 0; i + 2 < s.indexCount; i += 3) {
            uint32_t a = s.indices[i], bb = s.indices[i + 1], c = s.indices[i + 2];
            if (a >= s.vertexCount || bb >= s.vertexCount || c >= s.vertexCount) continue;
            for (uint32_t v : ToGltfWinding(a, bb, c)) indices.push_back(v);
        }
        if (indices.empty()) continue;
        // Without texture coordinates the engine still draws a picture, all from its corner
        // texel (0, 0); glTF wants coordinates wherever there is a picture.
        const bool textured =
            m.texCoordCount > 0 || !source_.model.materials.PictureOf(s.material).empty();
        std::vector<float> positions, normals, uvs, colors, weights;
        std::vector<uint16_t> joints;
        bool sameColor = true;
        uint32_t firstColor = 0;
        for (size_t k = 0; k < s.vertexCount; ++k) {
            uint32_t v = s.meshIndex ? s.meshIndex[k] : uint32_t(k);
            Vector3 p = skin && v < skin->bindPositions.size() ? skin->bindPositions[v]
                                                               : m.VertexPosition(v);
            p = ToGltf(p);
            float xyz[3] = {p.x, p.y, p.z};
            if (size_t bad = FiniteOr(xyz, 3, 0.0f); bad > 0) {
                xyz[0] = xyz[1] = xyz[2] = 0.0f;
                *replaced += bad;
            }
            positions.insert(positions.end(), xyz, xyz + 3);
            if (s.unlit) {
                const Vertex& u = s.unlit[k];
                Vector3 n = ToGltf(Vector3{u.nx, u.ny, u.nz});
                float nxyz[3] = {n.x, n.y, n.z}, uv[2] = {u.tu, u.tv};
                size_t badNormal = FiniteOr(nxyz, 3, 0.0f);
                *replaced += badNormal;
                double len = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
                if (badNormal == 0 && len > 1e-12 && std::isfinite(len)) {
                    normals.insert(normals.end(),
                                   {float(n.x / len), float(n.y / len), float(n.z / len)});
                } else {
                    normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
                }
                *replaced += textured ? FiniteOr(uv, 2, 0.0f) : 0;
                if (textured) uvs.insert(uvs.end(), uv, uv + 2);
            } else {
                const LVertex l = v < s.litCount ? s.lit[v] : LVertex{};
                const uint32_t c = s.color ? *s.color : l.color;
                colors.insert(colors.end(),
                              {float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                               float(c & 0xFF) / 255.0f});
                if (k == 0) firstColor = c;
                sameColor = sameColor && c == firstColor;
                float uv[2] = {l.tu, l.tv};
                *replaced += textured ? FiniteOr(uv, 2, 0.0f) : 0;
                if (textured) uvs.insert(uvs.end(), uv, uv + 2);
            }
            if (skin) {
                uint16_t j = v < skin->jointOfVertex.size() ? skin->jointOfVertex[v] : 0;
                joints.insert(joints.end(), {j, 0, 0, 0});
                weights.insert(weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
            }
        }
        tinygltf::Primitive prim;
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        prim.attributes["POSITION"] =
            b_.AddFloats(positions, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
        if (!normals.empty())
            prim.attributes["NORMAL"] =
                b_.AddFloats(normals, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        if (!uvs.empty())
            prim.attributes["TEXCOORD_0"] =
                b_.AddFloats(uvs, TINYGLTF_TYPE_VEC2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        float color[3] = {1.0f, 1.0f, 1.0f};
        if (prelit && sameColor) {
            // One colour for the whole primitive: the material carries it, so that tools which
            // ignore vertex colours show it too.
            std::copy(colors.begin(), colors.begin() + 3, color);
        } else if (prelit) {
            for (float& c : colors) c = float(SrgbToLinear(c));
            prim.attributes["COLOR_0"] =
                b_.AddFloats(colors, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        } else if (s.material) {
            const ColorValue& d = s.material->record.diffuse;
            color[0] = d.r, color[1] = d.g, color[2] = d.b;
            *replaced += FiniteOr(color, 3, 1.0f);
        }
        if (s.material && !std::isfinite(s.material->record.diffuse.a)) ++*replaced;
        if (skin) {
            prim.attributes["JOINTS_0"] = b_.AddJoints(joints);
            prim.attributes["WEIGHTS_0"] =
                b_.AddFloats(weights, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER, false);
        }
        prim.indices = b_.AddIndices(indices);
        prim.material = MaterialFor(m, s.material, s.materialName, color, prelit);
        out.primitives.push_back(prim);
    }
    if (out.primitives.empty()) return -1;
    b_.model.meshes.push_back(out);
    return int(b_.model.meshes.size() - 1);
}

}  // namespace orix::gltf
