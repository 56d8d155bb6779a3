/// \file
/// What a model load records of its materials that the engine's records do not keep: the picture
/// each material was given and the name each top-level material was made with. The one lookup
/// behind `orix info`, the glTF export and the model builder. Plain data; single-threaded.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orix {

struct Material;
struct MaterialSet;

struct MaterialNotes {
    /// In load order; a material given a picture twice keeps the later one.
    std::vector<std::pair<const Material*, std::string>> pictures;
    std::vector<std::pair<const MaterialSet*, std::string>> names;

    /// The picture material was given, or empty.
    std::string PictureOf(const Material* material) const;
    /// The name the set was made with, or empty.
    std::string NameOf(const MaterialSet* set) const;
    void Clear() {
        pictures.clear();
        names.clear();
    }
};

}  // namespace orix
