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

#include "math/vector3.h"

namespace orix {
class Mesh;
struct ModelInput;
class SkinnedCharacter;
struct Material;
struct MaterialSet;
}  // namespace orix

namespace orix::tool {

// A model as a command sees it: a character, or one mesh (--as mesh).
struct LoadedModel {
    std::unique_ptr<SkinnedCharacter> character;
    std::unique_ptr<Mesh> mesh;
    std::vector<std::string> pictures;
    std::vector<std::pair<const Material*, std::string>> materialPictures;
    std::vector<std::pair<const MaterialSet*, std::string>> materialNames;
    int32_t firstFrame = 0;  // the file's scene frames
    int32_t lastFrame = 0;
    // The export's *SCENE_FRAMESPEED; where the file has none (BNE never has), 4800 / ticks per
    // frame, marked derived.
    double framesPerSecond = 30.0;
    bool frameSpeedDerived = false;
    int32_t ticksPerFrame = 160;
    std::vector<std::string> warnings;    // every warning of the load, one line each
    bool isBne = false;                   // the content was a BNE file
    bool isGltf = false;                  // the content was a glTF file
    std::vector<std::string> animations;  // a glTF file's animations, by name
    int animation = -1;                   // the one loaded
    bool anyVertex = false;               // boxMin and boxMax hold the file's vertices
    Vector3 boxMin;                       // bounds of every vertex read, in engine space
    Vector3 boxMax;
    std::vector<std::string> collisionMeshes;  // left out of the model, by name
    // Every file the load read (the model, its pictures, its skin and animation files), which
    // no output may replace.
    std::vector<std::string> inputs;
    std::string PictureOf(const Material* m) const;
    std::string NameOf(const MaterialSet* m) const;
};

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
