#include "tool_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "companion_files.h"
#include "device/engine.h"
#include "device/globals.h"
#include "import/gltf_import.h"
#include "import/model_import.h"
#include "modelfile/model_input.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "modelfile/utf8_text.h"
#include "picture/held_pictures.h"
#include "platform/clock.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "printable_text.h"
#include "render/texture.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix::tool {

ToolEngine::ToolEngine() : clock_(std::make_unique<FixedStepClock>()) {
    SetMessageBoxHook(MessageToStderr);
    DisplayConfig config;
    config.width = 64;
    config.height = 64;
    config.bitsPerPixel = 32;
    config.mode = DisplayMode::Offscreen;
    std::string error;
    display_ = OpenDisplay(config, &error);
    if (display_) device_ = CreateGraphicsDevice(*display_, false, &error);
    if (!device_)
        std::fprintf(stderr, "orix: no offscreen device (%s); pictures will not load\n",
                     error.c_str());
    engine_ = std::make_unique<Engine>(*clock_, device_.get());
    theEngine = engine_.get();
    frameStep = 1.0f;
}

ToolEngine::~ToolEngine() {
    theEngine = nullptr;
    currentScene = nullptr;
    engine_.reset();
    device_.reset();
    display_.reset();
}

std::string LoadedModel::PictureOf(const Material* m) const {
    std::string name;
    for (const auto& p : materialPictures) {
        if (p.first == m) name = p.second;
    }
    return name;
}

std::string LoadedModel::NameOf(const MaterialSet* m) const {
    for (const auto& p : materialNames) {
        if (p.first == m) return p.second;
    }
    return std::string();
}

bool LoadCompanions(LoadedModel& model, const std::string& modelPath, std::string vue,
                    std::string skin, bool noVue, bool noSkin) {
    SkinnedCharacter& character = *model.character;
    const bool vueGiven = !vue.empty(), skinGiven = !skin.empty();
    if (!vueGiven && !noVue) vue = CompanionFile(modelPath, ".vue");
    if (!vue.empty()) {
        if (!vueGiven) PrintLine(stderr, "orix: animation " + vue + " found beside the model");
        model.inputs.push_back(vue);
        if (!character.LoadVue(vue)) {
            PrintLine(stderr, "orix: could not load the animation " + vue);
            if (vueGiven) return false;
        }
    }
    if (!skinGiven && !noSkin) skin = CompanionFile(modelPath, ".skn");
    if (!skin.empty()) {
        if (!skinGiven) PrintLine(stderr, "orix: skin " + skin + " found beside the model");
        model.inputs.push_back(skin);
        if (!character.LoadSkin(skin) || !character.skinLoaded) {
            PrintLine(stderr, "orix: could not load the skin " + skin);
            if (skinGiven) return false;
        }
    }
    return true;
}

bool IsAsePath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".ase";
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1 == 1 ? 1 : slash);
}

std::string ModelNameOf(const std::string& path) {
    std::string bne = BneNameFor(path);
    size_t slash = bne.find_last_of("/\\");
    return bne.substr(slash == std::string::npos ? 0 : slash + 1,
                      bne.size() - 4 - (slash == std::string::npos ? 0 : slash + 1));
}

std::string SideNameFor(const std::string& path, const std::string& extension) {
    std::string bne = BneNameFor(path);
    return bne.substr(0, bne.size() - 4) + extension;
}

bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out,
               int32_t vertexFormat, const std::string& animation) {
    ModelInput input;
    std::string error;
    std::vector<std::string> importWarnings;
    if (!ReadAnyModelFile(path, &input, &importWarnings, &error)) {
        PrintLine(stderr, "orix: " + error);
        return false;
    }
    for (const std::string& w : importWarnings) PrintLine(stderr, path + ": " + w);
    std::vector<char>& bytes = input.bytes;
    ModelFileType type = input.type;
    out->inputs.push_back(path);
    if (type == ModelFileType::Unknown) {
        PrintLine(stderr, "orix: " + path + " is not a model file Orix reads (ASE, BNE, glTF, " +
                              "or a format assimp reads)");
        return false;
    }
    gltf::ImportedModel imported;
    if (type == ModelFileType::Gltf) {
        // Loaded as its conversion: the BNE bytes, the pictures held in memory, then the skin.
        gltf::ImportOptions options;
        options.animation = animation;
        options.modelName = ModelNameOf(path);
        if (!gltf::ImportGltf(bytes.data(), bytes.size(), FolderOf(path), options, &imported,
                              &error)) {
            PrintLine(stderr, "orix: " + path + ": " + error);
            return false;
        }
        for (const std::string& w : imported.warnings) PrintLine(stderr, path + ": " + w);
        for (const std::string& side : imported.sideFiles) out->inputs.push_back(side);
        for (gltf::ImportedPicture& p : imported.pictures) HoldPicture(p.name, std::move(p.bytes));
        bytes.assign(imported.bne.begin(), imported.bne.end());
        type = ModelFileType::Bne;
        out->isGltf = true;
        out->animations = imported.animations;
        out->animation = imported.animation;
    }
    bool ok = false;
    const ModelBuilder* builder = nullptr;
    std::unique_ptr<OrixFileAse> ase;
    std::unique_ptr<OrixFileBne> bne;
    if (asMesh) {
        out->mesh = std::make_unique<Mesh>(vertexFormat);
    } else {
        out->character = std::make_unique<SkinnedCharacter>(vertexFormat);
    }
    out->isBne = input.type == ModelFileType::Bne;
    if (type == ModelFileType::Ase) {
        ase = asMesh ? std::make_unique<OrixFileAse>(out->mesh.get())
                     : std::make_unique<OrixFileAse>(out->character.get());
        ase->SetTextureFailureFatal(false);
        ase->SetPictureFolder(FolderOf(path));
        ok = ase->LoadBytes(bytes.data(), bytes.size(), path, flags & ~uint32_t(kAseWriteBne));
        builder = &ase->Builder();
    } else {
        bne = asMesh ? std::make_unique<OrixFileBne>(out->mesh.get())
                     : std::make_unique<OrixFileBne>(out->character.get());
        bne->SetTextureFailureFatal(false);
        bne->SetPictureFolder(FolderOf(path));
        ok = bne->LoadBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path,
                            flags);
        builder = &bne->Builder();
    }
    out->pictures = builder->PictureNames();
    for (const std::string& name : out->pictures) {
        std::string found = FindPicture(name, FolderOf(path));
        if (!found.empty() && !IsHeldPicture(found)) out->inputs.push_back(found);
    }
    out->materialPictures = builder->MaterialPictures();
    out->materialNames = builder->MaterialNames();
    out->firstFrame = builder->FirstFrame();
    out->lastFrame = builder->LastFrame();
    out->ticksPerFrame = builder->TicksPerFrame();
    out->framesPerSecond = builder->FramesPerSecond();
    out->frameSpeedDerived = builder->FrameSpeedDerived();
    out->warnings = builder->Warnings();
    out->boxMin = builder->BoxMin();
    out->boxMax = builder->BoxMax();
    out->anyVertex = builder->AnyVertex();
    for (const std::string& w : out->warnings) PrintLine(stderr, path + ": " + w);
    out->collisionMeshes = builder->CollisionMeshNames();
    if (ok && !imported.skinText.empty() && out->character &&
        !out->character->LoadSkinText(imported.skinText)) {
        PrintLine(stderr, "orix: " + path + ": its skin could not be bound");
        ok = false;
    }
    if (!ok) PrintLine(stderr, "orix: could not load " + path);
    return ok;
}

bool ParseUnsigned(const std::string& text, uint32_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || text[0] == '-' || v > 0xFFFFFFFFul) return false;
    *out = uint32_t(v);
    return true;
}

int UsageError(const std::string& message) {
    PrintLine(stderr, "orix: " + message + " (see `orix help`)");
    return 2;
}

}  // namespace orix::tool

namespace orix::tool {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : AsUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

std::string JsonFloat(float value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(value));
    return buf;
}

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

size_t PositionKeys(const SceneObject& node) {
    return node.animation ? node.animation->PositionKeyCount() : 0;
}
size_t RotationKeys(const SceneObject& node) {
    return node.animation ? node.animation->RotationKeyCount() : 0;
}
size_t ScaleKeys(const SceneObject& node) {
    return node.animation ? node.animation->ScaleKeyCount() : 0;
}

}  // namespace orix::tool
