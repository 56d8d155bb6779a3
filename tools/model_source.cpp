#include "model_source.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "viewer/missing_pictures.h"

namespace orix::tool {

namespace {

// Runs load with the model's folder as the working directory, where the pictures a model
// names without a folder are exported; the paths given are made absolute first.
class InModelFolder {
public:
    explicit InModelFolder(ModelSource* source) {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (std::string* p : {&source->path, &source->skin, &source->vue}) {
            if (!p->empty()) *p = fs::absolute(*p, ec).string();
        }
        start_ = fs::current_path(ec);
        fs::current_path(fs::path(source->path).parent_path(), ec);
    }
    ~InModelFolder() {
        std::error_code ec;
        std::filesystem::current_path(start_, ec);
    }

private:
    std::filesystem::path start_;
};

void StandInForMissingPictures(const LoadedModel& model, SceneObject* shown) {
    std::vector<const Material*> pictured;
    for (const auto& p : model.materials.pictures) pictured.push_back(p.first);
    if (shown) GreyMissingPictures(*shown, pictured);
}

}  // namespace

bool LoadModelSource(const ModelSource& given, LoadedModel* model) {
    ModelSource source = given;
    InModelFolder folder(&source);
    // Vertices with normals, so the view's light shapes the model.
    if (!LoadModel(source.path, source.asMesh, source.flags, model, 0, source.animation))
        return false;
    StandInForMissingPictures(*model, ShownObject(*model));
    if (source.asMesh || !model->character) return true;
    return LoadCompanions(*model, source.path, source.vue, source.skin, source.noVue,
                          source.noSkin);
}

SceneObject* ShownObject(const LoadedModel& model) {
    if (model.character) return model.character.get();
    return model.mesh.get();
}

ModelFrames FramesOf(const LoadedModel& model) {
    ModelFrames f;
    f.first = model.firstFrame;
    f.last = model.lastFrame;
    // An animation file may carry more frames than the model file's scene.
    if (model.character) {
        for (int32_t i = 0; i < model.character->meshCount; ++i)
            f.last = std::max(f.last, model.character->meshes[i]->lastFrame);
    }
    f.framesPerSecond = model.framesPerSecond;
    return f;
}

}  // namespace orix::tool
