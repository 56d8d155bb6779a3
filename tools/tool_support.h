// What the orix commands share: the offscreen engine they load models on, messages on stderr,
// a model loaded from an ASE export or a BNE file into a character or a mesh, and small
// argument helpers.
//
// A file's type is told by its content (the BNE magic, an ASE keyword line, UTF-16 exports
// included, or glTF), never by its extension. A glTF file is imported (import/gltf_import.h)
// and its BNE bytes, pictures and skin loaded, as its conversion would write them. Pictures are
// looked for as named, then beside the model, then by their base name beside the model; one that is
// nowhere is a warning, and the model loads untextured. Every warning of a load is printed on
// stderr, one line each, and kept. Depends on the engine, the model readers and the offscreen
// display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "math/vector3.h"
#include "modelfile/model_builder.h"

namespace orix {
class DisplayContext;
class Engine;
class GraphicsDevice;
class FixedStepClock;
class Mesh;
class SceneObject;
class SkinnedCharacter;
struct Material;
struct MaterialSet;
}  // namespace orix

namespace orix::tool {

// The offscreen display, device and engine, installed as the process-wide engine while alive.
// Without a display the engine runs without a device (pictures then fail and are reported).
class ToolEngine {
public:
    ToolEngine();
    ~ToolEngine();

private:
    std::unique_ptr<FixedStepClock> clock_;
    std::unique_ptr<DisplayContext> display_;
    std::unique_ptr<GraphicsDevice> device_;
    std::unique_ptr<Engine> engine_;
};

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

// Loads path with flags (an ASE load never writes a copy), its meshes made in vertexFormat (1:
// pre-lit, as the demonstration; 0: lit by the scene's lights). False, with a message on stderr,
// when it cannot be opened, is neither a BNE file nor an ASE export, or cannot be read.
// animation chooses a glTF file's animation (index or name; empty: the first).
bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out,
               int32_t vertexFormat = 1, const std::string& animation = std::string());
// The file name beside path that a conversion writes with extension (".bne", ".skn").
std::string SideNameFor(const std::string& path, const std::string& extension);
// A model's name for its pictures and skin: path's file name without its extension.
std::string ModelNameOf(const std::string& path);

// Adds a VUE animation and a skin to the model's character (recorded among its inputs): the
// files named (one that cannot be loaded is
// an error), else, unless left out, the ones beside the model under its name (said on stderr; one
// that cannot be loaded is reported and skipped). False, with a message, on an error.
bool LoadCompanions(LoadedModel& model, const std::string& modelPath, std::string vue,
                    std::string skin, bool noVue, bool noSkin);

// True when path ends in ".ase" (any case). A name says nothing of the content: loading goes
// by DetectModelFileType; this is for choosing names.
bool IsAsePath(const std::string& path);
// The name convert gives the copy of aseName: its extension replaced by ".bne" (added when
// it has none), in the same folder.
std::string BneNameFor(const std::string& aseName);
// The folder holding path ("" for a bare name).
std::string FolderOf(const std::string& path);
// Parses a whole unsigned number; false otherwise.
bool ParseUnsigned(const std::string& text, uint32_t* out);
// Reports a usage error on stderr; returns 2.
int UsageError(const std::string& message);

}  // namespace orix::tool

namespace orix::tool {
// text as a JSON string literal, quotes included, always valid JSON: text that is valid UTF-8
// stays as it is; other text (names from exports of other code pages) is taken byte by byte as
// Latin-1. Control characters are escaped.
std::string JsonString(const std::string& text);
// A number as JSON: up to 9 significant digits; null for NaN and infinities.
std::string JsonNumber(double value);
// A float as JSON with the digits a float holds (%g's 6 significant digits); null when not finite.
std::string JsonFloat(float value);
// Keys of one kind on a node (0 without an interpolator).
size_t PositionKeys(const SceneObject& node);
size_t RotationKeys(const SceneObject& node);
size_t ScaleKeys(const SceneObject& node);
// First and last key frame of one track of a node; false when the track has no keys.
enum class Track { Position, Rotation, Scale };
bool KeyFrameRange(const SceneObject& node, Track track, float* first, float* last);
}  // namespace orix::tool
