#include "model_load.h"

#include <cstdio>
#include <type_traits>

#include "import/gltf_import.h"
#include "import/model_import.h"
#include "model_paths.h"
#include "modelfile/model_builder.h"
#include "modelfile/model_input.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "picture/held_pictures.h"
#include "printable_text.h"
#include "render/texture.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix::tool {

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

bool ReadModelInput(const std::string& path, ModelInput* input) {
    std::string error;
    std::vector<std::string> importWarnings;
    if (!ReadAnyModelFile(path, input, &importWarnings, &error)) {
        PrintLine(stderr, "orix: " + error);
        return false;
    }
    for (const std::string& w : importWarnings) PrintLine(stderr, path + ": " + w);
    return true;
}

namespace {

// A glTF file's import in place of its bytes, loaded as its conversion: the BNE bytes, the
// pictures held in memory; its skin is left in imported for the character. False after saying
// why.
bool ImportGltfInput(const std::string& path, const std::string& animation, ModelInput* input,
                     gltf::ImportedModel* imported, LoadedModel* out) {
    gltf::ImportOptions options;
    options.animation = animation;
    options.modelName = ModelNameOf(path);
    std::string error;
    if (!gltf::ImportGltf(input->bytes.data(), input->bytes.size(), FolderOf(path), options,
                          imported, &error)) {
        PrintLine(stderr, "orix: " + path + ": " + error);
        return false;
    }
    for (const std::string& w : imported->warnings) PrintLine(stderr, path + ": " + w);
    for (const std::string& side : imported->sideFiles) out->inputs.push_back(side);
    for (gltf::ImportedPicture& p : imported->pictures) HoldPicture(p.name, std::move(p.bytes));
    input->bytes.assign(imported->bne.begin(), imported->bne.end());
    input->type = ModelFileType::Bne;
    out->isGltf = true;
    out->animations = imported->animations;
    out->animation = imported->animation;
    return true;
}

// What the reader's builder learned, its pictures among the inputs, its warnings on stderr.
void Record(const ModelBuilder& builder, const std::string& path, LoadedModel* out) {
    out->pictures = builder.PictureNames();
    for (const std::string& name : out->pictures) {
        std::string found = FindPicture(name, FolderOf(path));
        if (!found.empty() && !IsHeldPicture(found)) out->inputs.push_back(found);
    }
    out->materials = builder.Materials();
    out->firstFrame = builder.FirstFrame();
    out->lastFrame = builder.LastFrame();
    out->ticksPerFrame = builder.TicksPerFrame();
    out->framesPerSecond = builder.FramesPerSecond();
    out->frameSpeedDerived = builder.FrameSpeedDerived();
    out->warnings = builder.Warnings();
    out->boxMin = builder.BoxMin();
    out->boxMax = builder.BoxMax();
    out->anyVertex = builder.AnyVertex();
    for (const std::string& w : out->warnings) PrintLine(stderr, path + ": " + w);
    out->collisionMeshes = builder.CollisionMeshNames();
}

// Reads input (ASE or BNE) into out's mesh or character with reader, then binds skinText, with
// the reader still alive.
template <typename Reader>
bool ReadWith(Reader& reader, const std::string& path, const ModelInput& input, uint32_t flags,
              const std::string& skinText, LoadedModel* out) {
    reader.SetTextureFailureFatal(false);
    reader.SetPictureFolder(FolderOf(path));
    bool ok = false;
    if constexpr (std::is_same_v<Reader, OrixFileAse>) {
        ok = reader.LoadBytes(input.bytes.data(), input.bytes.size(), path,
                              flags & ~uint32_t(kAseWriteBne));
    } else {
        ok = reader.LoadBytes(reinterpret_cast<const uint8_t*>(input.bytes.data()),
                              input.bytes.size(), path, flags);
    }
    Record(reader.Builder(), path, out);
    if (ok && !skinText.empty() && out->character && !out->character->LoadSkinText(skinText)) {
        PrintLine(stderr, "orix: " + path + ": its skin could not be bound");
        ok = false;
    }
    return ok;
}

template <typename Reader>
bool Read(const std::string& path, const ModelInput& input, bool asMesh, uint32_t flags,
          const std::string& skinText, LoadedModel* out) {
    auto reader = asMesh ? std::make_unique<Reader>(out->mesh.get())
                         : std::make_unique<Reader>(out->character.get());
    return ReadWith(*reader, path, input, flags, skinText, out);
}

}  // namespace

bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out,
               int32_t vertexFormat, const std::string& animation) {
    ModelInput input;
    if (!ReadModelInput(path, &input)) return false;
    out->inputs.push_back(path);
    if (input.type == ModelFileType::Unknown) {
        PrintLine(stderr, "orix: " + path + " is not a model file Orix reads (ASE, BNE, glTF, " +
                              "or a format assimp reads)");
        return false;
    }
    out->isBne = input.type == ModelFileType::Bne;
    gltf::ImportedModel imported;
    if (input.type == ModelFileType::Gltf &&
        !ImportGltfInput(path, animation, &input, &imported, out))
        return false;
    if (asMesh) {
        out->mesh = std::make_unique<Mesh>(vertexFormat);
    } else {
        out->character = std::make_unique<SkinnedCharacter>(vertexFormat);
    }
    const bool ok = input.type == ModelFileType::Ase
                        ? Read<OrixFileAse>(path, input, asMesh, flags, imported.skinText, out)
                        : Read<OrixFileBne>(path, input, asMesh, flags, imported.skinText, out);
    if (!ok) PrintLine(stderr, "orix: could not load " + path);
    return ok;
}

}  // namespace orix::tool
