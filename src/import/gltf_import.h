/// \file
/// glTF 2.0 into Orix: a .gltf or .glb file, from memory, turned into the bytes of the BNE file,
/// the skin file text and the pictures that hold it as the engine holds a model. Loading those
/// BNE bytes is a direct load of the glTF file; writing them beside it is its conversion, so the
/// two pose alike by construction. Other importers that can write glTF hand their models over
/// through this entry point.
///
/// What comes in: the node tree of the scene (meshes as geometry objects, other nodes as helpers,
/// names made unique, cut to fit BNE and the skin file, a renamed node one warning), a mesh used
/// by several nodes copied to each, vertices in world space as BNE keeps them, one sub-material
/// per primitive, strips and fans triangulated; base colour (display values, as the export's
/// conversion back) and picture, alpha as transparency; one animation sampled at 30 frames a
/// second (160 ticks a frame) of the file's own time as position, rotation and scale keys; the
/// skinned meshes merged into one skin mesh whose vertices follow their strongest joint, the
/// joints' node transforms the bind pose their inverse bind matrices give. A mesh of more than
/// the engine's 65,536 vertices is split (a skin into one rigid mesh per joint). What the engine
/// cannot hold is a warning, one line each.
///
/// Space: export/gltf_axes.h run backwards. Every node's keys are relative to its BNE parent and
/// its node transform is the rigid part of its bind transform; the rest of the bind transform
/// (scale, shear, mirror) stays in the vertices. Bounded: frames times nodes at most 2^22 keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orix::gltf {

struct ImportOptions {
    /// The animation to take: its index or its name; empty for the first.
    std::string animation;
    /// Names the pictures and the skin mesh: "\<modelName\>_\<n\>.bmp".
    std::string modelName = "model";
};

struct ImportedPicture {
    std::string name;  ///< a file name, without folder
    std::vector<char> bytes;
};

struct ImportedModel {
    std::string bne;       ///< the BNE file
    std::string skinText;  ///< the skin file's text; empty without a skin
    std::vector<ImportedPicture> pictures;
    std::vector<std::string> warnings;    ///< what could not be held, one line each
    std::vector<std::string> animations;  ///< the file's animations, by name
    int animation = -1;                   ///< the one taken
    std::vector<std::string> sideFiles;   ///< buffers and pictures read beside the file
};

/// Imports the glTF file in data; side files are read from folder. False with *error (the fault,
/// without the file's name) when the file cannot be read or holds what cannot be trusted.
bool ImportGltf(const char* data, size_t size, const std::string& folder,
                const ImportOptions& options, ImportedModel* out, std::string* error);

}  // namespace orix::gltf
