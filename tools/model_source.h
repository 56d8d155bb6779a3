// The model that `orix view` and `orix render FILE` show: the file, its skin and animation
// files (given, or found beside it), the reader flags, and the loading of all of it lit by the
// scene's lights.
#pragma once

#include <cstdint>
#include <string>

#include "commands.h"
#include "model_load.h"
#include "model_options.h"
#include "viewer/model_view.h"

namespace orix::tool {

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
