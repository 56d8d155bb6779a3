// A small, independent reading of the modelling tool's ASE text for the asset tests: the
// structure the engine's reader relies on (blocks, counts, indices, keys), with every
// structural problem collected as a message instead of being skipped.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace orix_assets_test {

struct AseKey {
    int ticks = 0;
    std::array<double, 4> v{};  // position x, y, z; or rotation axis x, y, z and angle
};

struct AseTrack {
    std::string control;  // the block keyword, e.g. "*CONTROL_ROT_TCB"
    std::vector<AseKey> keys;
};

struct AseMesh {
    int numVertex = -1, numFaces = -1, numTVertex = 0, numTVFaces = 0;
    std::vector<std::array<double, 3>> vertices;
    std::vector<std::array<int, 4>> faces;  // a, b, c, material id
    std::vector<std::array<double, 2>> tverts;
    std::vector<std::array<int, 3>> tfaces;
    std::vector<std::array<double, 3>> faceNormals;
};

struct AseNode {
    bool helper = false;
    std::string name, parent;
    std::array<std::array<double, 3>, 4> rows{};
    std::array<double, 3> rotAxis{};
    double rotAngle = 0;
    std::vector<AseTrack> tracks;
    AseMesh mesh;
    bool hasMesh = false;
    int materialRef = -1;
};

struct AseMaterial {
    std::string name, bitmap;
    int numSubs = 0;
    std::vector<AseMaterial> subs;
};

struct AseDocument {
    int firstFrame = 0, lastFrame = 0, ticksPerFrame = 0;
    std::vector<AseMaterial> materials;
    std::vector<AseNode> nodes;
    std::vector<std::string> problems;  // empty when the text is well formed

    const AseNode* Find(const std::string& name) const;
};

// Reads the text; problems lists every structural fault found.
AseDocument ParseAse(const std::string& text);

}  // namespace orix_assets_test
