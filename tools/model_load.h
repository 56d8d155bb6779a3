// A model loaded as a command sees it: from an ASE export, a BNE file or a glTF file (any other
// format assimp reads is imported first) into a character or a mesh, with what the load learned
// and every file it read.
//
// A file's type is told by its content (the BNE magic, an ASE keyword line, UTF-16 exports
// included, or glTF), never by its extension. A glTF file is imported (import/gltf_import.h)
// and its BNE bytes, pictures and skin loaded, as its conversion would write them. Pictures are
// looked for as named, then beside the model, then by their base name beside the model; one that is
// nowhere is a warning, and the model loads untextured. Every warning of a load is printed on
// stderr, one line each, and kept. Depends on the engine (see tool_engine.h) and the model
// readers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "modelfile/loaded_model.h"

namespace orix {
class Mesh;
struct ModelInput;
class SkinnedCharacter;
struct Material;
struct MaterialSet;
}  // namespace orix

namespace orix::tool {

// Reads path's bytes and type, a format assimp reads imported as glTF, its import's warnings on
// stderr; false after saying why it cannot be read.
bool ReadModelInput(const std::string& path, ModelInput* input);

// Loads path with flags (an ASE load never writes a copy), its meshes made in vertexFormat (1:
// pre-lit, as the demonstration; 0: lit by the scene's lights). False, with a message on stderr,
// when it cannot be opened, is neither a BNE file nor an ASE export, or cannot be read.
// animation chooses a glTF file's animation (index or name; empty: the first).
bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out,
               int32_t vertexFormat = 1, const std::string& animation = std::string());
// Adds a VUE animation and a skin to the model's character (recorded among its inputs): the
// files named (one that cannot be loaded is
// an error), else, unless left out, the ones beside the model under its name (said on stderr; one
// that cannot be loaded is reported and skipped). False, with a message, on an error.
bool LoadCompanions(LoadedModel& model, const std::string& modelPath, std::string vue,
                    std::string skin, bool noVue, bool noSkin);

}  // namespace orix::tool
