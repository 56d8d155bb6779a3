#include "modelfile/loaded_model.h"

#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix {

// Out of line, where the model's types are complete.
LoadedModel::LoadedModel() = default;
LoadedModel::~LoadedModel() = default;
LoadedModel::LoadedModel(LoadedModel&&) noexcept = default;
LoadedModel& LoadedModel::operator=(LoadedModel&&) noexcept = default;

}  // namespace orix
