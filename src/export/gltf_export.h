/// \file
/// glTF 2.0 export of a loaded model: what the engine built from an ASE or BNE file (a skinned
/// character, or one mesh) written as one .glb file (buffer and PNG pictures inside) or a .gltf
/// file with its .bin buffer and PNG pictures beside it, through tinygltf.
///
/// Reads the engine's scene objects, never the model files again: nodes with their names,
/// parents and rest transforms; meshes as one primitive per sub-material with the material's
/// colour, transparency and picture (decoded by the engine's picture loaders, re-encoded as PNG);
/// the animation sampled at every frame of the range by playing the model with the engine's own
/// evaluator (keyframes, baked poses, VUE matrix tracks), linear, with keys on a straight line
/// dropped; a bound skin as a glTF skin over its bones. Space conversion: export/gltf_axes.h.
///
/// Bounds: the frames played times the nodes is at most 2^21 samples, and the frames lie within
/// the 2^24 whole frames float time steps through; past either nothing is written and the error
/// says which. The work is linear in the samples. Non-finite numbers never reach the file: a
/// transform holding one becomes the identity, a position the origin, a normal +y, a texture
/// coordinate 0, a colour white; one note per node gives the count replaced.
///
/// What glTF cannot carry is listed in the result's notes, one line each. The model is played
/// (its time and pose change) and must not be drawn while the export runs. Single-threaded.
#pragma once

#include <string>
#include <vector>

#include "modelfile/loaded_model.h"

namespace orix::gltf {

/// What the export reads: the load's result, by reference, and how its pictures are read.
struct ExportSource {
    const LoadedModel& model;
    /// Pictures not found by their own name are looked for here (the model's folder).
    std::string pictureFolder;
    bool blackIsTransparent = false;  ///< the load's colour-key flag
};

struct ExportResult {
    bool written = false;
    std::string error;               ///< why nothing was written
    std::vector<std::string> notes;  ///< what the file could not carry, one line each
};

/// Writes source to path: binary when path ends in ".glb", JSON otherwise (see gltf_files.h
/// for how the files are written and named).
ExportResult ExportGltf(const ExportSource& source, const std::string& path);

}  // namespace orix::gltf
