// The model that `orix view` and `orix render FILE` show: the file, its skin and animation
// files (given, or found beside it), the reader flags, and the loading of all of it lit by the
// scene's lights.
#pragma once

#include <cstdint>
#include <string>

#include "commands.h"
#include "tool_support.h"
#include "viewer/model_view.h"

namespace orix::tool {

struct ModelSource {
    std::string path;
    std::string skin;  // given with --skin
    std::string vue;   // given with --vue
    bool noSkin = false;
    bool noVue = false;
    bool asMesh = false;
    uint32_t flags = 1;
};

enum class OptionResult { NotMine, Taken, Bad };

// Takes args[*i] (and its value, moving *i on) when it is one of --skin FILE, --vue FILE,
// --no-skin, --no-vue, --flags N, --as mesh; Bad, with *error set, for a missing or bad value.
OptionResult TakeModelOption(const Args& args, size_t* i, ModelSource* source, std::string* error);

// Loads the model, then its animation and skin: the ones given, else the .vue / .skn beside
// it (saying so on stderr) unless turned off. A mesh (--as mesh) takes neither. False, with
// the reason on stderr, when the model or a file given by name cannot be read; a companion
// that cannot be read is reported and left out. A material whose picture cannot be had is given
// the grey stand-in (viewer/missing_pictures.h).
bool LoadModelSource(const ModelSource& source, LoadedModel* model);

// The object to show and its frames.
SceneObject* ShownObject(const LoadedModel& model);
ModelFrames FramesOf(const LoadedModel& model);

}  // namespace orix::tool
