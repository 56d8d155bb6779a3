// orix_assets: writes the demonstration's source assets into the folder named on its command
// line (the build runs it into <build>/res).
#include <cstdio>
#include <cstring>
#include <string>

#include "asset_generator.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: orix_assets OUTPUT_FOLDER\n");
        return 2;
    }
    orix_assets::AssetSummary s;
    std::string error;
    if (!orix_assets::GenerateAssets(argv[1], &s, &error)) {
        std::fprintf(stderr, "orix_assets: %s\n", error.c_str());
        return 1;
    }
    std::printf(
        "orix_assets: %zu files (%zu bytes) in %s: character %zu bones, %zu keys, skin %zu "
        "vertices, %zu faces; land %zu faces\n",
        s.files, s.bytes, argv[1], s.bones, s.keys, s.skinVertices, s.skinFaces, s.landFaces);
    return 0;
}
