/// \file
/// A model as a load leaves it: a character, or one mesh, with what the load learned of it (its
/// frames and their speed, the pictures and names of its materials, its warnings and bounds) and
/// every file it read. The tools' load fills it (tools/model_load.h); the glTF export reads it by
/// reference. Owns the model; plain data otherwise. Single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/vector3.h"
#include "modelfile/material_notes.h"

namespace orix {

class Mesh;
class SkinnedCharacter;

struct LoadedModel {
    std::unique_ptr<SkinnedCharacter> character;  ///< one of these two
    std::unique_ptr<Mesh> mesh;
    std::vector<std::string> pictures;  ///< the pictures the file names, in order
    MaterialNotes materials;
    int32_t firstFrame = 0;  ///< the file's scene frames
    int32_t lastFrame = 0;
    /// The export's *SCENE_FRAMESPEED; where the file has none (BNE never has), 4800 / ticks per
    /// frame, marked derived.
    double framesPerSecond = 30.0;
    bool frameSpeedDerived = false;
    int32_t ticksPerFrame = 160;
    std::vector<std::string> warnings;    ///< every warning of the load, one line each
    bool isBne = false;                   ///< the content was a BNE file
    bool isGltf = false;                  ///< the content was a glTF file
    std::vector<std::string> animations;  ///< a glTF file's animations, by name
    int animation = -1;                   ///< the one loaded
    bool anyVertex = false;               ///< boxMin and boxMax hold the file's vertices
    Vector3 boxMin;                       ///< bounds of every vertex read, in engine space
    Vector3 boxMax;
    std::vector<std::string> collisionMeshes;  ///< left out of the model, by name
    /// Every file the load read (the model, its pictures, its skin and animation files), which
    /// no output may replace.
    std::vector<std::string> inputs;

    LoadedModel();
    ~LoadedModel();
    LoadedModel(LoadedModel&&) noexcept;
    LoadedModel& operator=(LoadedModel&&) noexcept;
};

}  // namespace orix
