// What the orix commands share: the offscreen engine they load models on, messages on stderr,
// a model loaded from .ase or .bne into a character or a mesh, and small argument helpers.
//
// Textures that cannot be loaded are reported on stderr and the model loads untextured.
// Depends on the engine, the model readers and the offscreen display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
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
    // Seconds of animation: the export's frame speed, else 4800 ticks a second.
    double framesPerSecond = 30.0;
    std::vector<std::string> collisionMeshes;  // left out of the model, by name
    std::string PictureOf(const Material* m) const;
    std::string NameOf(const MaterialSet* m) const;
};

// Loads path (.ase by its extension, anything else as BNE) with flags. False, with a message on
// stderr, when it cannot be read.
bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out);

// True when path ends in ".ase" (any case).
bool IsAsePath(const std::string& path);
// Parses a whole unsigned number; false otherwise.
bool ParseUnsigned(const std::string& text, uint32_t* out);
// Reports a usage error on stderr; returns 2.
int UsageError(const std::string& message);

}  // namespace orix::tool

namespace orix::tool {
// text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);
// Keys of one kind on a node (0 without an interpolator).
size_t PositionKeys(const SceneObject& node);
size_t RotationKeys(const SceneObject& node);
size_t ScaleKeys(const SceneObject& node);
}  // namespace orix::tool
