// orix info: what a model file holds, as text or one JSON object.
#include <cstdio>
#include <string>

#include "modelfile/orix_file_ase.h"
#include "render/texture.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

namespace {

std::string MeshJson(const Mesh& m, int32_t materialIndex) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  ", \"positions\": %u, \"vertices\": %u, \"faces\": %u, \"material\": ",
                  unsigned(m.geometry->positionTable.empty() ? m.vertexCount
                                                             : m.geometry->positionTable.size()),
                  unsigned(m.vertexCount), unsigned(m.faceCount));
    std::string out = "{\"name\": " + JsonString(m.name) + buf;
    out += materialIndex < 0 ? "null" : std::to_string(materialIndex);
    std::snprintf(buf, sizeof buf,
                  ", \"positionKeys\": %zu, \"rotationKeys\": %zu, \"scaleKeys\": %zu}",
                  PositionKeys(m), RotationKeys(m), ScaleKeys(m));
    return out + buf;
}

std::string OrNull(const std::string& s) {
    return s.empty() ? "null" : JsonString(s);
}

}  // namespace

int RunInfo(const Args& args) {
    std::string path;
    uint32_t flags = 0;
    bool flagsGiven = false, asMesh = false, json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--flags" && i + 1 < args.size()) {
            if (!ParseUnsigned(args[++i], &flags)) return UsageError("bad --flags " + args[i]);
            flagsGiven = true;
        } else if (a == "--as" && i + 1 < args.size()) {
            std::string kind = args[++i];
            if (kind != "mesh" && kind != "character") return UsageError("bad --as " + kind);
            asMesh = kind == "mesh";
        } else if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return UsageError("too many arguments");
        }
    }
    if (path.empty()) return UsageError("info needs a model file");
    if (!flagsGiven) flags = asMesh ? 0 : 1;
    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(path, asMesh, flags, &model)) return 1;

    std::vector<std::string> meshes, helpers, materials;
    int32_t first = model.firstFrame, last = model.lastFrame;
    float overall = 0.0f;
    auto materialIndexOf = [&](const MaterialSet* set) -> int32_t {
        if (!model.character || !set) return set ? 0 : -1;
        for (int32_t i = 0; i < model.character->materialCount; ++i) {
            if (model.character->materials[i] == set) return i;
        }
        return -1;
    };
    auto materialJson = [&](const MaterialSet& s) {
        return "{\"name\": " + JsonString(model.NameOf(&s)) +
               ", \"collision\": " + std::string(s.main.collision ? "true" : "false") +
               ", \"subMaterials\": " + std::to_string(s.subMaterialCount) +
               ", \"texture\": " + OrNull(model.PictureOf(&s.main)) + "}";
    };
    if (model.mesh) {
        const Mesh& m = *model.mesh;
        meshes.push_back(MeshJson(m, m.materials ? 0 : -1));
        if (m.materials) materials.push_back(materialJson(*m.materials));
    } else {
        const SkinnedCharacter& c = *model.character;
        for (int32_t i = 0; i < c.meshCount; ++i) {
            meshes.push_back(MeshJson(*c.meshes[i], materialIndexOf(c.meshes[i]->materials)));
        }
        for (int32_t i = 0; i < c.helperCount; ++i) {
            const Helper& h = *c.helpers[i];
            char buf[200];
            std::snprintf(buf, sizeof buf,
                          ", \"collisionVolumes\": %d, \"positionKeys\": %zu, \"rotationKeys\": "
                          "%zu, \"scaleKeys\": %zu}",
                          int(h.collisionVolumeCount), PositionKeys(h), RotationKeys(h),
                          ScaleKeys(h));
            helpers.push_back("{\"name\": " + JsonString(h.name) + ", \"parent\": " +
                              (h.boneParent ? JsonString(h.boneParent->name) : "null") + buf);
        }
        for (int32_t i = 0; i < c.materialCount; ++i)
            materials.push_back(materialJson(*c.materials[i]));
        overall = c.overallSize;
    }
    if (json) {
        auto list = [](const std::vector<std::string>& items) {
            std::string out = "[";
            for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + items[i];
            return out + "]";
        };
        std::vector<std::string> textures;
        for (const std::string& p : model.pictures) textures.push_back(JsonString(p));
        std::printf(
            "{\"meshes\": %s, \"helpers\": %s, \"materials\": %s, \"textures\": %s, "
            "\"firstFrame\": %d, \"lastFrame\": %d, \"overallSize\": %g}\n",
            list(meshes).c_str(), list(helpers).c_str(), list(materials).c_str(),
            list(textures).c_str(), int(first), int(last), double(overall));
        return 0;
    }
    std::printf(
        "%s: %zu meshes, %zu helpers, %zu materials, %zu textures, frames %d to %d, "
        "overall size %g\n",
        path.c_str(), meshes.size(), helpers.size(), materials.size(), model.pictures.size(),
        int(first), int(last), double(overall));
    for (const std::string& m : meshes) std::printf("  mesh %s\n", m.c_str());
    for (const std::string& h : helpers) std::printf("  helper %s\n", h.c_str());
    for (const std::string& m : materials) std::printf("  material %s\n", m.c_str());
    for (const std::string& p : model.pictures) std::printf("  texture %s\n", p.c_str());
    return 0;
}

}  // namespace orix::tool
