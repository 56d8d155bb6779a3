// orix info: what a model file holds, as text or one JSON object.
//
// The JSON object's keys only ever grow: scripts rely on the ones they know. It is always valid
// JSON (names as JsonString makes them, non-finite numbers as null).
#include <cstdio>
#include <set>
#include <string>

#include "command_line.h"
#include "json_text.h"
#include "model_load.h"
#include "model_options.h"
#include "printable_text.h"
#include "render/texture.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"

namespace orix::tool {

namespace {

// Keys of one kind on a node (0 without an interpolator).
size_t PositionKeys(const SceneObject& node) {
    return node.animation ? node.animation->PositionKeyCount() : 0;
}
size_t RotationKeys(const SceneObject& node) {
    return node.animation ? node.animation->RotationKeyCount() : 0;
}
size_t ScaleKeys(const SceneObject& node) {
    return node.animation ? node.animation->ScaleKeyCount() : 0;
}

enum class Track { Position, Rotation, Scale };

// First and last key frame of one track of a node; false when the track has no keys.
bool KeyFrameRange(const SceneObject& node, Track track, float* first, float* last) {
    if (!node.animation) return false;
    const KeyframeAnimation& a = *node.animation;
    auto range = [&](const auto& keys) {
        if (keys.empty()) return false;
        *first = keys.front().time;
        *last = keys.back().time;
        return true;
    };
    switch (track) {
        case Track::Position:
            return range(a.PositionKeys());
        case Track::Rotation:
            return range(a.RotationKeys());
        case Track::Scale:
            return range(a.ScaleKeys());
    }
    return false;
}

std::string OrNull(const std::string& s) {
    return s.empty() ? "null" : JsonString(s);
}

std::string VectorJson(const Vector3& v) {
    return "[" + JsonFloat(v.x) + ", " + JsonFloat(v.y) + ", " + JsonFloat(v.z) + "]";
}

std::string BoxJson(bool any, const Vector3& lo, const Vector3& hi) {
    return any ? "{\"min\": " + VectorJson(lo) + ", \"max\": " + VectorJson(hi) + "}" : "null";
}

std::string Num(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
}

std::string VectorText(const Vector3& v) {
    return "(" + Num(v.x) + ", " + Num(v.y) + ", " + Num(v.z) + ")";
}

std::string BoxText(bool any, const Vector3& lo, const Vector3& hi) {
    return any ? VectorText(lo) + " to " + VectorText(hi) : "none";
}

std::string KeysText(const SceneObject& node) {
    std::string out = "keys:";
    const char* names[3] = {"position", "rotation", "scale"};
    size_t counts[3] = {PositionKeys(node), RotationKeys(node), ScaleKeys(node)};
    for (int t = 0; t < 3; ++t) {
        float first = 0, last = 0;
        out += std::string(t ? "," : "") + " " + names[t] + " " + std::to_string(counts[t]);
        if (KeyFrameRange(node, Track(t), &first, &last))
            out += " (frames " + Num(first) + " to " + Num(last) + ")";
    }
    return out;
}

// A name from the file, quoted, as a terminal may show it.
std::string Quoted(const std::string& name) {
    return "\"" + PrintableText(name) + "\"";
}

std::string ParentText(const SceneObject& node) {
    return node.boneParent ? Quoted(node.boneParent->name) : "none";
}

// Keys of each track with the frames they span: "positionKeys": n, ..., "keyFrames": {...}.
std::string KeysJson(const SceneObject& node) {
    std::string out = ", \"positionKeys\": " + std::to_string(PositionKeys(node)) +
                      ", \"rotationKeys\": " + std::to_string(RotationKeys(node)) +
                      ", \"scaleKeys\": " + std::to_string(ScaleKeys(node)) + ", \"keyFrames\": {";
    const char* names[3] = {"position", "rotation", "scale"};
    for (int t = 0; t < 3; ++t) {
        float first = 0, last = 0;
        out += std::string(t ? ", " : "") + "\"" + names[t] + "\": ";
        out += KeyFrameRange(node, Track(t), &first, &last)
                   ? "[" + JsonFloat(first) + ", " + JsonFloat(last) + "]"
                   : "null";
    }
    return out + "}";
}

// The mesh's vertices where the file put them: vertices moved into node space go back out.
void MeshBox(const Mesh& m, bool* any, Vector3* lo, Vector3* hi) {
    *any = false;
    for (uint32_t i = 0; i < m.vertexCount; ++i) {
        Vector3 p = m.VertexPosition(i);
        if (m.geometry->inNodeSpace) p = TransformPoint(p, m.nodeTransform);
        for (int k = 0; k < 3; ++k) {
            if (!*any || p[k] < (*lo)[k]) (*lo)[k] = p[k];
            if (!*any || p[k] > (*hi)[k]) (*hi)[k] = p[k];
        }
        *any = true;
    }
}

std::set<int32_t> SubMaterialsUsed(const Mesh& m) {
    std::set<int32_t> used;
    if (m.materials && m.materials->hasSubMaterials) {
        for (const MeshFace& f : m.geometry->faces) {
            if (f.materialId >= 0 && f.materialId < m.materials->subMaterialCount)
                used.insert(f.materialId);
        }
    }
    return used;
}

std::string MeshText(const Mesh& m, int32_t materialIndex) {
    bool any = false;
    Vector3 lo, hi;
    MeshBox(m, &any, &lo, &hi);
    std::string subs;
    for (int32_t id : SubMaterialsUsed(m)) subs += " " + std::to_string(id);
    return "mesh " + Quoted(m.name) + ": parent " + ParentText(m) + ", " +
           std::to_string(m.vertexCount) + " vertices, " + std::to_string(m.faceCount) +
           " faces, material " + (materialIndex < 0 ? "none" : std::to_string(materialIndex)) +
           (subs.empty() ? "" : ", sub-materials" + subs) + "\n    " + KeysText(m) + "\n    box " +
           BoxText(any, lo, hi);
}

std::string HelperText(const Helper& h) {
    return "helper " + Quoted(h.name) + ": parent " + ParentText(h) + ", at " +
           VectorText(h.nodePosition) + ", " + std::to_string(h.collisionVolumeCount) +
           " collision volumes\n    " + KeysText(h);
}

std::string MeshJson(const Mesh& m, int32_t materialIndex) {
    std::string out =
        "{\"name\": " + JsonString(m.name) + ", \"positions\": " +
        std::to_string(m.geometry->positionTable.empty() ? m.vertexCount
                                                         : m.geometry->positionTable.size()) +
        ", \"vertices\": " + std::to_string(m.vertexCount) +
        ", \"faces\": " + std::to_string(m.faceCount) +
        ", \"material\": " + (materialIndex < 0 ? "null" : std::to_string(materialIndex));
    out += KeysJson(m);
    out += ", \"kind\": \"mesh\", \"parent\": " +
           (m.boneParent ? JsonString(m.boneParent->name) : std::string("null"));
    // The sub-materials its faces select, when its material has them.
    std::set<int32_t> used = SubMaterialsUsed(m);
    out += ", \"subMaterials\": [";
    for (int32_t id : used) out += (id == *used.begin() ? "" : ", ") + std::to_string(id);
    bool any = false;
    Vector3 lo, hi;
    MeshBox(m, &any, &lo, &hi);
    return out + "], \"box\": " + BoxJson(any, lo, hi) + "}";
}

std::string HelperJson(const Helper& h) {
    return "{\"name\": " + JsonString(h.name) + ", \"parent\": " +
           (h.boneParent ? JsonString(h.boneParent->name) : std::string("null")) +
           ", \"collisionVolumes\": " + std::to_string(h.collisionVolumeCount) + KeysJson(h) +
           ", \"kind\": \"helper\", \"position\": " + VectorJson(h.nodePosition) + "}";
}

std::string List(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
    return out + "]";
}

// What info prints of the model's nodes and materials, as text lines and as JSON.
struct InfoLists {
    std::vector<std::string> meshes, helpers, materials, lines;
    float overall = 0.0f;
};

int32_t MaterialIndexOf(const LoadedModel& model, const MaterialSet* set) {
    if (!model.character || !set) return set ? 0 : -1;
    for (int32_t i = 0; i < model.character->materialCount; ++i) {
        if (model.character->materials[size_t(i)] == set) return i;
    }
    return -1;
}

std::string MaterialText(const LoadedModel& model, const MaterialSet& s, size_t index) {
    std::string picture = model.materials.PictureOf(&s.main);
    return "material " + std::to_string(index) + " " + Quoted(model.materials.NameOf(&s)) + ": " +
           std::to_string(s.subMaterialCount) + " sub-materials" +
           (s.main.collision ? ", collision" : "") +
           (picture.empty() ? "" : ", picture " + PrintableText(picture));
}

std::string MaterialJson(const LoadedModel& model, const MaterialSet& s) {
    std::string subPictures;
    for (int32_t i = 0; i < s.subMaterialCount; ++i)
        subPictures +=
            (i ? ", " : "") + OrNull(model.materials.PictureOf(&s.subMaterials[size_t(i)]));
    return "{\"name\": " + JsonString(model.materials.NameOf(&s)) +
           ", \"collision\": " + std::string(s.main.collision ? "true" : "false") +
           ", \"subMaterials\": " + std::to_string(s.subMaterialCount) +
           ", \"texture\": " + OrNull(model.materials.PictureOf(&s.main)) +
           ", \"subMaterialTextures\": [" + subPictures + "]}";
}

void AddMaterial(const LoadedModel& model, const MaterialSet& s, InfoLists* out) {
    out->lines.push_back(MaterialText(model, s, out->materials.size()));
    out->materials.push_back(MaterialJson(model, s));
}

void AddMesh(const LoadedModel& model, const Mesh& m, InfoLists* out) {
    const int32_t material = MaterialIndexOf(model, m.materials);
    out->meshes.push_back(MeshJson(m, material));
    out->lines.push_back(MeshText(m, material));
}

InfoLists Describe(const LoadedModel& model) {
    InfoLists out;
    if (model.mesh) {
        AddMesh(model, *model.mesh, &out);
        if (model.mesh->materials) AddMaterial(model, *model.mesh->materials, &out);
        return out;
    }
    const SkinnedCharacter& c = *model.character;
    for (const Mesh* m : c.meshes) AddMesh(model, *m, &out);
    for (const Helper* h : c.helpers) {
        out.helpers.push_back(HelperJson(*h));
        out.lines.push_back(HelperText(*h));
    }
    for (const MaterialSet* s : c.materials) AddMaterial(model, *s, &out);
    out.overall = c.overallSize;
    return out;
}

std::vector<std::string> JsonStrings(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const std::string& t : texts) out.push_back(JsonString(t));
    return out;
}

void PrintJson(const LoadedModel& model, const InfoLists& info) {
    std::string box = BoxJson(model.anyVertex, model.boxMin, model.boxMax);
    std::printf(
        "{\"meshes\": %s, \"helpers\": %s, \"materials\": %s, \"textures\": %s, "
        "\"firstFrame\": %d, \"lastFrame\": %d, \"overallSize\": %s, "
        "\"frameSpeed\": %s, \"frameSpeedDerived\": %s, \"ticksPerFrame\": %d, \"box\": %s, "
        "\"warnings\": %s, \"animations\": %s, \"animation\": %d}\n",
        List(info.meshes).c_str(), List(info.helpers).c_str(), List(info.materials).c_str(),
        List(JsonStrings(model.pictures)).c_str(), int(model.firstFrame), int(model.lastFrame),
        JsonFloat(info.overall).c_str(), JsonNumber(model.framesPerSecond).c_str(),
        model.frameSpeedDerived ? "true" : "false", int(model.ticksPerFrame), box.c_str(),
        List(JsonStrings(model.warnings)).c_str(), List(JsonStrings(model.animations)).c_str(),
        model.animation);
}

void PrintText(const std::string& path, const LoadedModel& model, const InfoLists& info) {
    std::printf(
        "%s: %zu meshes, %zu helpers, %zu materials, %zu textures, frames %d to %d, "
        "overall size %g\n",
        PrintableText(path).c_str(), info.meshes.size(), info.helpers.size(), info.materials.size(),
        model.pictures.size(), int(model.firstFrame), int(model.lastFrame), double(info.overall));
    std::printf("  %s file, %g frames a second%s, %d ticks a frame, bounds %s\n",
                model.isBne    ? "BNE"
                : model.isGltf ? "glTF"
                               : "ASE",
                model.framesPerSecond, model.frameSpeedDerived ? " (derived from the ticks)" : "",
                int(model.ticksPerFrame),
                BoxText(model.anyVertex, model.boxMin, model.boxMax).c_str());
    for (const std::string& l : info.lines) std::printf("  %s\n", l.c_str());
    for (size_t i = 0; i < model.animations.size(); ++i)
        PrintLine(stdout, "  animation " + std::to_string(i) + " " + model.animations[i] +
                              (int(i) == model.animation ? " (loaded)" : ""));
    for (const std::string& p : model.pictures) PrintLine(stdout, "  texture " + p);
    for (const std::string& w : model.warnings) PrintLine(stdout, "  warning: " + w);
}

}  // namespace

const CommandOptions& InfoOptions() {
    static const CommandOptions options = {
        {{"FILE", nullptr, nullptr, "an ASE export or a BNE file (told by its content)\n"},
         {"--json", nullptr, nullptr,
          "one JSON object: meshes, helpers, materials, textures, frames, frame\n"
          "                  speed, ticks per frame, bounds and the load's warnings\n"}},
        kInfoModelOptions};
    return options;
}

int RunInfo(const Args& args) {
    ModelSource source;
    std::vector<std::string> files;
    bool json = false;
    auto take = [&json](const std::string&, const std::string&, std::string*) {
        json = true;  // --json, its only option
        return true;
    };
    if (int status = ParseArguments(args, InfoOptions(), &source, &files, take)) return status;
    if (files.empty() || files[0].empty()) return UsageError("info needs a model file");
    source.path = files[0];
    // A mesh reads no animation unless asked to.
    const uint32_t flags = source.flagsGiven ? source.flags : source.asMesh ? 0 : 1;
    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(source.path, source.asMesh, flags, &model, 1, source.animation)) return 1;
    const InfoLists info = Describe(model);
    if (json) {
        PrintJson(model, info);
    } else {
        PrintText(source.path, model, info);
    }
    return 0;
}

}  // namespace orix::tool
