#include "import/gltf_import.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "export/gltf_axes.h"
#include "import/gltf_document.h"
#include "import/gltf_pictures.h"
#include "import/gltf_scene.h"
#include "modelfile/bne_format.h"

namespace orix::gltf {

namespace {

constexpr uint32_t kTicksPerFrame = 160;
constexpr double kFramesPerSecond = 30.0;
constexpr int64_t kMaxKeys = int64_t{1} << 22;
constexpr size_t kMaxMeshVertices = 65536;
// A bone line of the skin file is a quoted name and a count within 254 characters.
constexpr size_t kMaxNameBytes = 240;

// Appends BNE records to a byte string.
class BneOut {
public:
    BneOut() { bytes.assign("BNE\0", 4); }
    void Record(uint8_t tag, std::initializer_list<double> values = {},
                const std::string& text = "") {
        BneRecord r;
        r.tag = tag;
        size_t i = 0;
        const BneRecordFormat* f = FindBneRecordFormat(tag);
        for (double v : values) {
            if (f->fields[i].type == BneField::F32) {
                r.f[i] = float(v);
            } else {
                r.u[i] = uint32_t(v);
            }
            ++i;
        }
        r.text = text;
        EncodeBneRecord(r, &bytes);
    }
    void Named(uint8_t tag, const std::string& text) { Record(tag, {}, text); }
    std::string bytes;
};

// One geometry object or helper of the BNE file.
struct OutNode {
    std::string name;
    int parent = -1;  // index among the out nodes
    int gltfNode = -1;
    bool geometry = false;
    Transform bind;                   // engine space; its rigid part is the node transform
    std::vector<Transform> animated;  // per frame: the pose the engine's chain must reach
    // Geometry, world space.
    std::vector<double> positions, uvs;
    std::vector<uint32_t> faces;  // engine winding
    std::vector<uint8_t> faceMaterial;
    std::vector<double> faceNormals;
    int material = -1;  // top-level material
};

struct Part {
    int material;                                 // glTF material (-1 default)
    std::vector<double> positions, normals, uvs;  // per corner vertex, engine space
    std::vector<uint32_t> triangles;              // glTF winding
    std::vector<int> joint;                       // per vertex, out node or -1
};

double LinearToDisplay(double c) {
    c = std::clamp(c, 0.0, 1.0);
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

// Names with what the skin file and BNE cannot hold replaced.
std::string CleanName(const std::string& name) {
    std::string out;
    for (char c : name) out += (c == '"' || c == ';' || uint8_t(c) < 0x20) ? '_' : c;
    if (out.size() > kMaxNameBytes) {
        size_t cut = kMaxNameBytes;
        // Not inside a UTF-8 sequence.
        while (cut > 0 && (uint8_t(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    return out;
}

class Importer {
public:
    Importer(const ImportOptions& options, ImportedModel* out) : options_(options), out_(*out) {}
    bool Run(const char* data, size_t size, const std::string& folder, std::string* error);

private:
    bool CheckNodes(std::string* error);
    bool ChooseAnimation(std::string* error);
    bool ReadSkins(std::string* error);
    std::string UniqueName(const std::string& wanted, const std::string& fallback);
    bool ReadPrimitive(const tinygltf::Primitive& p, const Transform* bind, int skin, Part* part,
                       std::string* error);
    void AddGeometry(int templateNode, const std::string& name, std::vector<Part>& parts);
    int MaterialFor(const std::vector<int>& combo);
    std::string PictureFor(int texture, std::string* error);
    void Warn(const std::string& text) {
        if (std::find(out_.warnings.begin(), out_.warnings.end(), text) == out_.warnings.end())
            out_.warnings.push_back(text);
    }
    bool WriteMaterials(BneOut& bne, std::string* error);
    void WriteNode(BneOut& bne, const OutNode& node);

    const ImportOptions& options_;
    ImportedModel& out_;
    tinygltf::Model model_;
    SceneGraph graph_;
    int frames_ = 1;
    std::vector<std::vector<Transform>> world_;  // per frame, per glTF node
    std::vector<Transform> rest_;
    std::map<int, Transform> jointBind_;  // glTF joint node -> bind transform
    std::set<int> skinOnly_;              // skinned mesh nodes that are the skin mesh alone
    std::vector<OutNode> nodes_;
    std::map<int, int> outOf_;  // glTF node -> out node
    std::set<std::string> names_;
    std::vector<std::vector<int>> combos_;
    std::map<int, std::string> pictureOf_;  // glTF image -> picture name
    std::string pictureError_;
    size_t blendedVertices_ = 0;
};

bool Importer::CheckNodes(std::string* error) {
    for (size_t i = 0; i < model_.nodes.size(); ++i) {
        const tinygltf::Node& n = model_.nodes[i];
        for (const std::vector<double>* v : {&n.translation, &n.rotation, &n.scale, &n.matrix}) {
            for (double x : *v) {
                if (!std::isfinite(x)) {
                    *error = "node " + std::to_string(i) + " has a transform that is not finite";
                    return false;
                }
            }
        }
        if (n.mesh >= int(model_.meshes.size()) || n.skin >= int(model_.skins.size())) {
            *error = "node " + std::to_string(i) + " names a mesh or skin that does not exist";
            return false;
        }
        if (n.camera >= 0) Warn("node " + n.name + ": its camera is left out");
        if (n.extensions.count("KHR_lights_punctual"))
            Warn("node " + n.name + ": its light is left out");
    }
    return true;
}

bool Importer::ChooseAnimation(std::string* error) {
    for (size_t i = 0; i < model_.animations.size(); ++i)
        out_.animations.push_back(model_.animations[i].name.empty()
                                      ? "animation " + std::to_string(i)
                                      : model_.animations[i].name);
    int chosen = model_.animations.empty() ? -1 : 0;
    const std::string& wanted = options_.animation;
    if (!wanted.empty()) {
        chosen = -1;
        bool digits = wanted.find_first_not_of("0123456789") == std::string::npos;
        if (digits && wanted.size() < 9 && size_t(std::stoi(wanted)) < model_.animations.size())
            chosen = std::stoi(wanted);
        for (size_t i = 0; i < model_.animations.size() && chosen < 0; ++i) {
            if (model_.animations[i].name == wanted) chosen = int(i);
        }
        if (chosen < 0) {
            *error = "no animation " + wanted + " (the file has " +
                     std::to_string(model_.animations.size()) + ")";
            return false;
        }
    }
    out_.animation = chosen;
    if (model_.animations.size() > 1)
        Warn("animation " + out_.animations[size_t(std::max(chosen, 0))] + " taken of " +
             std::to_string(model_.animations.size()) + " (choose with --animation)");
    if (!graph_.SetAnimation(model_, -1, error)) return false;
    graph_.WorldAt(model_, 0.0, &rest_);
    if (!graph_.SetAnimation(model_, chosen, error)) return false;
    const double lastFrame = std::ceil(graph_.Duration() * kFramesPerSecond - 1e-3);
    const double nodes = double(std::max<size_t>(1, graph_.Order().size()));
    if (!(lastFrame + 1.0 <= double(kMaxKeys) / nodes)) {
        *error = "the animation's " + std::to_string(graph_.Duration()) + " seconds of " +
                 std::to_string(graph_.Order().size()) + " nodes exceed " +
                 std::to_string(kMaxKeys) + " keys";
        return false;
    }
    frames_ = int(lastFrame) + 1;
    world_.resize(size_t(frames_));
    for (int f = 0; f < frames_; ++f)
        graph_.WorldAt(model_, f / kFramesPerSecond, &world_[size_t(f)]);
    return true;
}

bool Importer::ReadSkins(std::string* error) {
    for (size_t s = 0; s < model_.skins.size(); ++s) {
        const tinygltf::Skin& skin = model_.skins[s];
        std::vector<double> inverse;
        if (skin.inverseBindMatrices >= 0 &&
            !ReadAccessor(model_, skin.inverseBindMatrices, 16, &inverse, error))
            return false;
        if (skin.inverseBindMatrices >= 0 && inverse.size() < skin.joints.size() * 16) {
            *error = "skin " + std::to_string(s) + " has fewer inverse bind matrices than joints";
            return false;
        }
        for (size_t j = 0; j < skin.joints.size(); ++j) {
            int node = skin.joints[j];
            if (node < 0 || size_t(node) >= model_.nodes.size()) {
                *error = "skin " + std::to_string(s) + " names joint " + std::to_string(node) +
                         ", which does not exist";
                return false;
            }
            Transform unbind;
            if (!inverse.empty()) {
                // glTF's column-major numbers are the row-vector matrix row by row.
                for (int r = 0; r < 4; ++r) {
                    for (int c = 0; c < 4; ++c)
                        unbind.m[r][c] = inverse[j * 16 + size_t(r * 4 + c)];
                }
            }
            Transform bind = Inverse(FromGltf(unbind));
            jointBind_.emplace(node, bind);
        }
    }
    return true;
}

std::string Importer::UniqueName(const std::string& wanted, const std::string& fallback) {
    std::string base = CleanName(wanted.empty() ? fallback : wanted);
    if (base.empty()) base = fallback;
    std::string name = base;
    for (int k = 2; names_.count(name); ++k) name = base + " " + std::to_string(k);
    if (!wanted.empty() && name != wanted)
        Warn("node \"" + wanted + "\" renamed \"" + name + "\" (names must be unique and fit)");
    names_.insert(name);
    return name;
}

bool Importer::ReadPrimitive(const tinygltf::Primitive& p, const Transform* bind, int skin,
                             Part* part, std::string* error) {
    part->material = p.material;
    if (p.material >= int(model_.materials.size())) {
        *error =
            "a primitive names material " + std::to_string(p.material) + ", which does not exist";
        return false;
    }
    auto attribute = [&](const char* name) {
        auto a = p.attributes.find(name);
        return a == p.attributes.end() ? -1 : a->second;
    };
    if (p.mode < 4 && p.mode >= 0) {
        Warn("points and lines are left out (only triangles are drawn)");
        return true;
    }
    if (!p.targets.empty()) Warn("morph targets are left out");
    if (attribute("COLOR_0") >= 0) Warn("vertex colours are left out");
    if (attribute("TEXCOORD_1") >= 0) Warn("a second texture coordinate set is left out");
    if (attribute("JOINTS_1") >= 0) Warn("joints past the fourth of a vertex are left out");
    std::vector<double> pos, normals, uvs, joints, weights;
    if (!ReadAccessor(model_, attribute("POSITION"), 3, &pos, error)) return false;
    const size_t count = pos.size() / 3;
    if (attribute("NORMAL") >= 0 && !ReadAccessor(model_, attribute("NORMAL"), 3, &normals, error))
        return false;
    if (attribute("TEXCOORD_0") >= 0 &&
        !ReadAccessor(model_, attribute("TEXCOORD_0"), 2, &uvs, error))
        return false;
    if (normals.size() != 0 && normals.size() != count * 3) normals.clear();
    if (uvs.size() != 0 && uvs.size() != count * 2) {
        *error = "a primitive's texture coordinates do not match its positions";
        return false;
    }
    std::vector<uint32_t> indices;
    if (p.indices >= 0) {
        if (!ReadIndices(model_, p.indices, uint32_t(std::min<size_t>(count, UINT32_MAX)), &indices,
                         error))
            return false;
    } else {
        for (size_t i = 0; i < count; ++i) indices.push_back(uint32_t(i));
    }
    const size_t n = indices.size();
    auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
        if (a != b && b != c && a != c) part->triangles.insert(part->triangles.end(), {a, b, c});
    };
    if (p.mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0)
                add(indices[i], indices[i + 1], indices[i + 2]);
            else
                add(indices[i + 1], indices[i], indices[i + 2]);
        }
    } else if (p.mode == TINYGLTF_MODE_TRIANGLE_FAN) {
        for (size_t i = 1; i + 1 < n; ++i) add(indices[i], indices[i + 1], indices[0]);
    } else {
        for (size_t i = 0; i + 2 < n; i += 3) add(indices[i], indices[i + 1], indices[i + 2]);
    }
    // KHR_texture_transform of the base colour picture.
    double uvm[2][3] = {{1, 0, 0}, {0, 1, 0}};
    if (p.material >= 0) {
        const auto& info =
            model_.materials[size_t(p.material)].pbrMetallicRoughness.baseColorTexture;
        auto ext = info.extensions.find("KHR_texture_transform");
        if (info.texCoord != 0)
            Warn("a picture on a second texture coordinate set is drawn with the first");
        if (ext != info.extensions.end() && ext->second.IsObject()) {
            auto number = [&](const tinygltf::Value& v, int i, double fallback) {
                if (!v.IsArray() || size_t(i) >= v.ArrayLen() || !v.Get(i).IsNumber())
                    return fallback;
                double x = v.Get(i).GetNumberAsDouble();
                return std::isfinite(x) ? x : fallback;
            };
            const tinygltf::Value& e = ext->second;
            double ox = number(e.Get("offset"), 0, 0), oy = number(e.Get("offset"), 1, 0);
            double sx = number(e.Get("scale"), 0, 1), sy = number(e.Get("scale"), 1, 1);
            double r = e.Get("rotation").IsNumber() ? e.Get("rotation").GetNumberAsDouble() : 0.0;
            if (!std::isfinite(r)) r = 0.0;
            uvm[0][0] = sx * std::cos(r), uvm[0][1] = sy * std::sin(r), uvm[0][2] = ox;
            uvm[1][0] = -sx * std::sin(r), uvm[1][1] = sy * std::cos(r), uvm[1][2] = oy;
        }
    }
    part->positions.resize(count * 3);
    part->normals.resize(normals.empty() ? 0 : count * 3);
    part->uvs.assign(count * 2, 0.0);
    for (size_t v = 0; v < count; ++v) {
        double g[3] = {pos[v * 3], pos[v * 3 + 1], -pos[v * 3 + 2]};
        if (bind) {
            TransformPoint(*bind, g, &part->positions[v * 3]);
        } else {
            std::copy(g, g + 3, &part->positions[v * 3]);
        }
        if (!normals.empty()) {
            double d[3] = {normals[v * 3], normals[v * 3 + 1], -normals[v * 3 + 2]}, w[3];
            Transform turn = bind ? RigidPart(*bind) : Transform();
            for (int c = 0; c < 3; ++c) turn.m[3][c] = 0.0;
            TransformPoint(turn, d, w);
            std::copy(w, w + 3, &part->normals[v * 3]);
        }
        if (!uvs.empty()) {
            double u = uvs[v * 2], t = uvs[v * 2 + 1];
            part->uvs[v * 2] = uvm[0][0] * u + uvm[0][1] * t + uvm[0][2];
            part->uvs[v * 2 + 1] = uvm[1][0] * u + uvm[1][1] * t + uvm[1][2];
        }
    }
    if (skin >= 0) {
        const tinygltf::Skin& s = model_.skins[size_t(skin)];
        part->joint.assign(count, -1);
        if (attribute("JOINTS_0") < 0 || attribute("WEIGHTS_0") < 0) {
            Warn("a skinned primitive without joints and weights stays still");
            return true;
        }
        if (!ReadAccessor(model_, attribute("JOINTS_0"), 4, &joints, error) ||
            !ReadAccessor(model_, attribute("WEIGHTS_0"), 4, &weights, error))
            return false;
        if (joints.size() != count * 4 || weights.size() != count * 4) {
            *error = "a skinned primitive's joints or weights do not match its positions";
            return false;
        }
        for (size_t v = 0; v < count; ++v) {
            int best = -1, nonzero = 0;
            double bestWeight = 0.0;
            for (int k = 0; k < 4; ++k) {
                double w = weights[v * 4 + size_t(k)];
                nonzero += w > 0.0 ? 1 : 0;
                if (w > bestWeight) bestWeight = w, best = k;
            }
            blendedVertices_ += nonzero > 1 ? 1 : 0;
            if (best < 0) continue;
            double j = joints[v * 4 + size_t(best)];
            if (j >= double(s.joints.size())) {
                *error = "a skinned vertex names joint " + std::to_string(size_t(j)) +
                         " of a skin of " + std::to_string(s.joints.size());
                return false;
            }
            auto known = outOf_.find(s.joints[size_t(j)]);
            part->joint[v] = known == outOf_.end() ? -1 : known->second;
        }
    }
    return true;
}

int Importer::MaterialFor(const std::vector<int>& combo) {
    for (size_t i = 0; i < combos_.size(); ++i) {
        if (combos_[i] == combo) return int(i);
    }
    combos_.push_back(combo);
    return int(combos_.size() - 1);
}

// Geometry objects for parts: as few as hold them within the vertex limit; the first takes
// the template's place, the others are its copies beside it.
void Importer::AddGeometry(int templateNode, const std::string& name, std::vector<Part>& parts) {
    const size_t firstCopy = nodes_.size();
    std::vector<int> combo;
    for (const Part& p : parts) combo.push_back(p.material);
    int geometry = templateNode;
    auto next = [&]() {
        OutNode copy = nodes_[size_t(templateNode)];
        copy.positions.clear(), copy.uvs.clear(), copy.faces.clear();
        copy.faceMaterial.clear(), copy.faceNormals.clear();
        copy.name = UniqueName("", name + " part");
        nodes_.push_back(copy);
        return int(nodes_.size() - 1);
    };
    bool normalsDiffer = false;
    for (size_t pi = 0; pi < parts.size(); ++pi) {
        const Part& p = parts[pi];
        std::vector<int64_t> remap(p.positions.size() / 3, -1);
        for (size_t t = 0; t + 2 < p.triangles.size(); t += 3) {
            OutNode* g = &nodes_[size_t(geometry)];
            size_t fresh = 0;
            for (int k = 0; k < 3; ++k) fresh += remap[p.triangles[t + size_t(k)]] < 0 ? 1 : 0;
            if (g->positions.size() / 3 + fresh > kMaxMeshVertices) {
                geometry = next();
                std::fill(remap.begin(), remap.end(), -1);
                g = &nodes_[size_t(geometry)];
            }
            g->geometry = true;
            uint32_t corner[3];
            for (int k = 0; k < 3; ++k) {
                uint32_t v = p.triangles[t + size_t(k)];
                if (remap[v] < 0) {
                    remap[v] = int64_t(g->positions.size() / 3);
                    g->positions.insert(g->positions.end(), &p.positions[v * 3],
                                        &p.positions[v * 3] + 3);
                    g->uvs.insert(g->uvs.end(), &p.uvs[v * 2], &p.uvs[v * 2] + 2);
                }
                corner[k] = uint32_t(remap[v]);
            }
            auto w = FromGltfWinding(corner[0], corner[1], corner[2]);
            g->faces.insert(g->faces.end(), w.begin(), w.end());
            g->faceMaterial.push_back(uint8_t(pi));
            double n[3] = {0, 0, 0};
            const double* a = &g->positions[size_t(w[0]) * 3];
            const double* b = &g->positions[size_t(w[1]) * 3];
            const double* c = &g->positions[size_t(w[2]) * 3];
            if (!p.normals.empty()) {
                for (int k = 0; k < 3; ++k) {
                    const double* vn = &p.normals[size_t(p.triangles[t + size_t(k)]) * 3];
                    for (int i = 0; i < 3; ++i) n[i] += vn[i];
                    const double* v0 = &p.normals[size_t(p.triangles[t]) * 3];
                    normalsDiffer = normalsDiffer || std::fabs(vn[0] - v0[0]) +
                                                             std::fabs(vn[1] - v0[1]) +
                                                             std::fabs(vn[2] - v0[2]) >
                                                         1e-6;
                }
            } else {
                // The engine's front face turns clockwise: (b - a) x (c - a) faces outward.
                double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
                double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                n[0] = e1[1] * e2[2] - e1[2] * e2[1];
                n[1] = e1[2] * e2[0] - e1[0] * e2[2];
                n[2] = e1[0] * e2[1] - e1[1] * e2[0];
            }
            double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double& x : n) x = len > 1e-30 ? x / len : 0.0;
            g->faceNormals.insert(g->faceNormals.end(), n, n + 3);
        }
    }
    if (normalsDiffer) Warn("vertex normals are kept per face, as BNE keeps them");
    const int material = MaterialFor(combo);
    nodes_[size_t(templateNode)].material = material;
    for (size_t i = firstCopy; i < nodes_.size(); ++i) nodes_[i].material = material;
}

std::string Importer::PictureFor(int texture, std::string* error) {
    if (texture < 0 || size_t(texture) >= model_.textures.size()) {
        *error = "a material names texture " + std::to_string(texture) + ", which does not exist";
        return "";
    }
    int image = model_.textures[size_t(texture)].source;
    if (image < 0 || size_t(image) >= model_.images.size()) {
        Warn("texture " + std::to_string(texture) + " has no picture the engine reads");
        return "";
    }
    auto known = pictureOf_.find(image);
    if (known != pictureOf_.end()) return known->second;
    const tinygltf::Image& im = model_.images[size_t(image)];
    std::string& name = pictureOf_[image];
    if (im.image.empty()) {
        Warn("picture " + (im.uri.empty() ? std::to_string(image) : im.uri) +
             " not found: materials that use it have none");
        return "";
    }
    EnginePicture picture;
    std::string why;
    if (!ToEnginePicture(im.image.data(), im.image.size(), &picture, &why)) {
        *error = "picture " + (im.uri.empty() ? std::to_string(image) : im.uri) + ": " + why;
        return "";
    }
    if (picture.hadAlpha) Warn("picture alpha is left out (only black can be the colour key)");
    name =
        options_.modelName + "_" + std::to_string(out_.pictures.size()) + "." + picture.extension;
    out_.pictures.push_back({name, std::move(picture.bytes)});
    return name;
}

bool Importer::WriteMaterials(BneOut& bne, std::string* error) {
    if (combos_.size() > 255) {
        *error = std::to_string(combos_.size()) +
                 " different material sets, where BNE holds at most 255";
        return false;
    }
    bne.Record(kBneMaterialList, {double(combos_.size())});
    auto body = [&](int m) {
        double color[4] = {1, 1, 1, 1};
        std::string picture;
        if (m >= 0) {
            const tinygltf::Material& mat = model_.materials[size_t(m)];
            const auto& factor = mat.pbrMetallicRoughness.baseColorFactor;
            for (size_t i = 0; i < 4 && i < factor.size(); ++i)
                color[i] = std::isfinite(factor[i]) ? factor[i] : 1.0;
            if (mat.alphaMode == "MASK")
                Warn("material " + mat.name + ": its alpha cut-out is drawn opaque");
            if (mat.alphaMode != "BLEND") color[3] = 1.0;
            int texture = mat.pbrMetallicRoughness.baseColorTexture.index;
            if (texture >= 0) picture = PictureFor(texture, error);
            if (!error->empty()) return false;
        }
        double r = LinearToDisplay(color[0]), g = LinearToDisplay(color[1]),
               b = LinearToDisplay(color[2]);
        bne.Record(kBneAmbient, {r, g, b});
        bne.Record(kBneDiffuse, {r, g, b});
        bne.Record(kBneSpecular, {0, 0, 0});
        bne.Record(kBneTransparency, {1.0 - std::clamp(color[3], 0.0, 1.0)});
        if (!picture.empty()) bne.Named(kBneMapDiffuse, picture);
        return true;
    };
    auto nameOf = [&](int m) {
        std::string name = m >= 0 ? CleanName(model_.materials[size_t(m)].name) : "";
        if (name.empty()) name = m >= 0 ? "material " + std::to_string(m) : "default";
        // The engine turns a material of that name into collision volumes.
        if (name == "Collision") name = "Collision material";
        return name;
    };
    for (const std::vector<int>& combo : combos_) {
        bne.Named(kBneMaterialHeader, nameOf(combo[0]));
        if (combo.size() == 1) {
            if (!body(combo[0])) return false;
            bne.Record(kBneEndMaterial);
            continue;
        }
        if (!body(combo[0])) return false;
        if (combo.size() > 255) {
            *error =
                "a mesh of " + std::to_string(combo.size()) + " primitives, where BNE holds 255";
            return false;
        }
        bne.Record(kBneSubMaterialList, {double(combo.size())});
        // No name and no end record inside: either would end the list the engine's way.
        for (size_t i = 0; i < combo.size(); ++i) {
            bne.Record(kBneSubMaterialHeader, {double(i)});
            if (!body(combo[i])) return false;
        }
        bne.Record(kBneEndMaterial);
    }
    return true;
}

// Engine axis and angle of a quaternion (w, x, y, z), precise near zero turns.
void AxisAngle(const double q[4], double axis[3], double* angle) {
    double s = std::sqrt(q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    *angle = 2.0 * std::atan2(s, q[0]);
    for (int i = 0; i < 3; ++i) axis[i] = s > 1e-300 ? q[i + 1] / s : 0.0;
}

void Importer::WriteNode(BneOut& bne, const OutNode& node) {
    bne.Named(node.geometry ? kBneGeometryHeader : kBneHelperHeader, node.name);
    if (node.parent >= 0) bne.Named(kBneNodeParent, nodes_[size_t(node.parent)].name);
    Transform rigid = RigidPart(node.bind);
    EngineTrs rest;
    Decompose(rigid, &rest);
    double axis[3], angle;
    AxisAngle(rest.q, axis, &angle);
    const auto& m = rigid.m;
    bne.Record(kBneNodeTransform, {m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0],
                                   m[2][1], m[2][2], m[3][0], m[3][1], m[3][2]});
    bne.Record(kBneRotationAxis, {axis[0], axis[1], axis[2]});
    bne.Record(kBneRotationAngle, {angle});
    bne.Record(kBneScale, {1, 1, 1});
    bne.Record(kBneEndNodeTransform);
    if (node.geometry) {
        const size_t vertices = node.positions.size() / 3, faces = node.faces.size() / 3;
        bne.Record(kBneMeshHeader, {double(vertices), double(faces)});
        for (size_t v = 0; v < vertices; ++v)
            bne.Record(kBneVertex, {node.positions[v * 3], node.positions[v * 3 + 1],
                                    node.positions[v * 3 + 2]});
        for (size_t f = 0; f < faces; ++f)
            bne.Record(kBneFace, {double(node.faces[f * 3]), double(node.faces[f * 3 + 1]),
                                  double(node.faces[f * 3 + 2]), double(node.faceMaterial[f])});
        bne.Record(kBneTextureVertexList, {double(vertices)});
        for (size_t v = 0; v < vertices; ++v)
            bne.Record(kBneTextureVertex, {node.uvs[v * 2], node.uvs[v * 2 + 1]});
        bne.Record(kBneTextureFaceList, {double(faces)});
        for (size_t f = 0; f < faces; ++f)
            bne.Record(kBneTextureFace, {double(node.faces[f * 3]), double(node.faces[f * 3 + 1]),
                                         double(node.faces[f * 3 + 2])});
        for (size_t f = 0; f < faces; ++f)
            bne.Record(kBneFaceNormal, {double(f), node.faceNormals[f * 3],
                                        node.faceNormals[f * 3 + 1], node.faceNormals[f * 3 + 2]});
    }
    // Keys relative to the parent: the engine chains them through the bone parents.
    std::vector<EngineTrs> keys(static_cast<size_t>(frames_));
    bool sheared = false, moves = false, scaled = false;
    for (int f = 0; f < frames_; ++f) {
        Transform local = node.animated[size_t(f)];
        if (node.parent >= 0)
            local = local * Inverse(nodes_[size_t(node.parent)].animated[size_t(f)]);
        sheared = !Decompose(local, &keys[size_t(f)]) || sheared;
        const EngineTrs& k = keys[size_t(f)];
        for (int i = 0; i < 3; ++i) {
            scaled = scaled || std::fabs(k.s[i] - 1.0) > 1e-6;
            moves = moves || std::fabs(k.t[i] - keys[0].t[i]) > 1e-9 ||
                    std::fabs(k.s[i] - keys[0].s[i]) > 1e-9;
        }
        for (int i = 0; i < 4; ++i) moves = moves || std::fabs(k.q[i] - keys[0].q[i]) > 1e-9;
    }
    if (sheared) Warn("node " + node.name + ": a shear its keys cannot hold is left out");
    const int keyFrames = moves ? frames_ : 1;
    bne.Record(kBneAnimationHeader);
    for (int f = 0; f < keyFrames; ++f) {
        const EngineTrs& k = keys[size_t(f)];
        bne.Record(kBneBezierPosition,
                   {double(uint32_t(f) * kTicksPerFrame), k.t[0], k.t[1], k.t[2]});
    }
    for (int f = 0; f < keyFrames; ++f) {
        double a[3], turn;
        AxisAngle(keys[size_t(f)].q, a, &turn);
        bne.Record(kBneBezierRotation,
                   {double(uint32_t(f) * kTicksPerFrame), a[0], a[1], a[2], turn});
    }
    if (scaled) {
        for (int f = 0; f < keyFrames; ++f) {
            const EngineTrs& k = keys[size_t(f)];
            bne.Record(kBneBezierScale,
                       {double(uint32_t(f) * kTicksPerFrame), k.s[0], k.s[1], k.s[2]});
        }
    }
    if (node.geometry) bne.Record(kBneMaterialReference, {double(node.material)});
    bne.Record(node.geometry ? kBneEndGeometry : kBneEndHelper);
}

bool Importer::Run(const char* data, size_t size, const std::string& folder, std::string* error) {
    if (!ParseGltf(data, size, folder, &model_, &out_.sideFiles, &out_.warnings, error))
        return false;
    if (!CheckNodes(error) || !graph_.Build(model_, error) || !ChooseAnimation(error) ||
        !ReadSkins(error))
        return false;
    const std::vector<int>& order = graph_.Order();
    if (order.empty()) {
        *error = "the scene holds no node";
        return false;
    }
    // The nodes, parents first; a skinned mesh's node stays as a helper, its mesh goes to the skin.
    std::string skinName;
    for (int g : order) {
        OutNode n;
        const tinygltf::Node& node = model_.nodes[size_t(g)];
        // A skinned mesh's own node, holding nothing else, is the skin mesh: glTF ignores its
        // place.
        if (node.mesh >= 0 && node.skin >= 0 && node.children.empty() && !jointBind_.count(g)) {
            if (skinName.empty()) skinName = UniqueName(node.name, "skin");
            skinOnly_.insert(g);
            continue;
        }
        n.gltfNode = g;
        n.name = UniqueName(node.name, "node " + std::to_string(g));
        int parent = graph_.ParentOf(g);
        n.parent = parent >= 0 ? outOf_[parent] : -1;
        auto joint = jointBind_.find(g);
        n.bind = joint != jointBind_.end() ? joint->second : rest_[size_t(g)];
        outOf_[g] = int(nodes_.size());
        nodes_.push_back(n);
    }
    // The pose each node's chain must reach: its bind's non-rigid part undone, as its vertices
    // keep it.
    for (OutNode& n : nodes_) {
        Transform keep = n.bind * Inverse(RigidPart(n.bind));
        Transform undo = Inverse(keep);
        for (int f = 0; f < frames_; ++f)
            n.animated.push_back(undo * world_[size_t(f)][size_t(n.gltfNode)]);
    }
    const size_t sceneNodes = nodes_.size();
    std::vector<Part> skinParts;
    for (int g : skinOnly_) {
        for (const tinygltf::Primitive& p :
             model_.meshes[size_t(model_.nodes[size_t(g)].mesh)].primitives) {
            Part part;
            if (!ReadPrimitive(p, nullptr, model_.nodes[size_t(g)].skin, &part, error))
                return false;
            if (!part.triangles.empty()) skinParts.push_back(std::move(part));
        }
    }
    for (size_t i = 0; i < sceneNodes; ++i) {
        const tinygltf::Node& node = model_.nodes[size_t(nodes_[i].gltfNode)];
        if (node.mesh < 0) continue;
        const tinygltf::Mesh& mesh = model_.meshes[size_t(node.mesh)];
        std::vector<Part> parts;
        for (const tinygltf::Primitive& p : mesh.primitives) {
            Part part;
            const bool skinned = node.skin >= 0;
            if (!ReadPrimitive(p, skinned ? nullptr : &nodes_[i].bind, skinned ? node.skin : -1,
                               &part, error))
                return false;
            if (part.triangles.empty()) continue;
            (skinned ? skinParts : parts).push_back(std::move(part));
        }
        if (!parts.empty()) AddGeometry(int(i), nodes_[i].name, parts);
    }
    if (blendedVertices_ > 0)
        Warn(std::to_string(blendedVertices_) +
             " skinned vertices had several joints and follow their strongest only");
    // The skin: one mesh at the origin, or past the vertex limit one rigid mesh per joint.
    size_t skinVertices = 0;
    for (const Part& p : skinParts) skinVertices += p.positions.size() / 3;
    if (!skinParts.empty() && skinVertices > kMaxMeshVertices) {
        Warn("the skin's " + std::to_string(skinVertices) +
             " vertices exceed the engine's 65536: one rigid mesh per joint instead");
        std::map<int, std::vector<Part>> byJoint;
        for (const Part& p : skinParts) {
            for (size_t t = 0; t + 2 < p.triangles.size(); t += 3) {
                int joint = p.joint[p.triangles[t]];
                std::vector<Part>& parts = byJoint[joint];
                if (parts.empty() || parts.back().material != p.material) {
                    Part copy;
                    copy.material = p.material;
                    copy.positions = p.positions, copy.normals = p.normals, copy.uvs = p.uvs;
                    parts.push_back(std::move(copy));
                }
                parts.back().triangles.insert(parts.back().triangles.end(), &p.triangles[t],
                                              &p.triangles[t] + 3);
            }
        }
        for (auto& [joint, parts] : byJoint) {
            OutNode n;
            n.name = UniqueName("", (joint >= 0 ? nodes_[size_t(joint)].name : "skin") + " skin");
            n.parent = joint;
            n.gltfNode = joint >= 0 ? nodes_[size_t(joint)].gltfNode : -1;
            n.bind = joint >= 0 ? nodes_[size_t(joint)].bind : Transform();
            n.animated = joint >= 0 ? nodes_[size_t(joint)].animated
                                    : std::vector<Transform>(size_t(frames_), Transform());
            nodes_.push_back(n);
            AddGeometry(int(nodes_.size() - 1), n.name, parts);
        }
    } else if (!skinParts.empty()) {
        OutNode n;
        n.name = skinName.empty() ? UniqueName("", options_.modelName + " skin") : skinName;
        n.animated.assign(size_t(frames_), Transform());
        nodes_.push_back(n);
        const int skin = int(nodes_.size() - 1);
        AddGeometry(skin, n.name, skinParts);
        // Vertex k of the skin mesh is part vertex order through AddGeometry's numbering.
        std::map<int, std::vector<uint32_t>> verticesOf;
        std::vector<int64_t> seen;
        uint32_t next = 0;
        for (const Part& p : skinParts) {
            seen.assign(p.positions.size() / 3, -1);
            for (uint32_t v : p.triangles) {
                if (seen[v] >= 0) continue;
                seen[v] = next++;
                if (p.joint[v] >= 0) verticesOf[p.joint[v]].push_back(uint32_t(seen[v]) + 1);
            }
        }
        std::string text = "MESH_SKIN_FILE \"" + nodes_[size_t(skin)].name + "\"\n";
        for (const auto& [joint, list] : verticesOf) {
            text += "\"" + nodes_[size_t(joint)].name + "\" " + std::to_string(list.size()) + "\n";
            std::string line;
            for (uint32_t v : list) {
                std::string item = std::to_string(v);
                if (line.size() + item.size() + 1 > 200) text += line + "\n", line.clear();
                line += (line.empty() ? "" : " ") + item;
            }
            if (!line.empty()) text += line + "\n";
        }
        out_.skinText = text;
    }
    BneOut bne;
    bne.Record(kBneSceneInfo, {0, double(frames_ - 1), double(kTicksPerFrame)});
    error->clear();
    if (!WriteMaterials(bne, error)) return false;
    for (const OutNode& n : nodes_) WriteNode(bne, n);
    bne.Record(kBneFileEnd);
    out_.bne = std::move(bne.bytes);
    return true;
}

}  // namespace

bool ImportGltf(const char* data, size_t size, const std::string& folder,
                const ImportOptions& options, ImportedModel* out, std::string* error) {
    *out = ImportedModel();
    Importer importer(options, out);
    return importer.Run(data, size, folder, error);
}

}  // namespace orix::gltf
