#include "modelfile/material_notes.h"

namespace orix {

std::string MaterialNotes::PictureOf(const Material* material) const {
    for (auto p = pictures.rbegin(); p != pictures.rend(); ++p) {
        if (p->first == material) return p->second;
    }
    return std::string();
}

std::string MaterialNotes::NameOf(const MaterialSet* set) const {
    for (const auto& n : names) {
        if (n.first == set) return n.second;
    }
    return std::string();
}

}  // namespace orix
