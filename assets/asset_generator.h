// The demonstration's asset generator: writes the character, its skin file, the land and the
// pictures into one folder. Deterministic: the same bytes on every run.
//
// Depends on libjpeg-turbo only; none of the engine library. The files are inputs for the
// engine's ASE reader and BNE writer (`orix convert`), not for the demo directly.
#pragma once

#include <cstddef>
#include <string>

namespace orix_assets {

// Names of the files GenerateAssets writes.
constexpr const char* kCharacterAseFile = "girl.ase";
constexpr const char* kSkinFile = "girl.skn";
constexpr const char* kLandAseFile = "gland.ase";
constexpr const char* kSpritePicture = "vireo.jpg";

struct AssetSummary {
    size_t bones = 0;
    size_t keys = 0;
    size_t skinVertices = 0, skinFaces = 0, skinTexVerts = 0;
    size_t landVertices = 0, landFaces = 0;
    size_t files = 0, bytes = 0;
};

// Writes every asset into outDir (created when missing). False with a message in error when
// any step fails; files already written are left in place.
bool GenerateAssets(const std::string& outDir, AssetSummary* summary, std::string* error);

}  // namespace orix_assets
