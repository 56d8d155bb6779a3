// SkinnedCharacter's skin and VUE loading, kept beside the readers they drive.
#include <cstdio>
#include <memory>
#include <vector>

#include "device/globals.h"
#include "scene/skinned_character.h"
#include "skin/skin_deform.h"
#include "skin/skin_file_reader.h"
#include "skin/vue_reader.h"

namespace orix {

namespace {

// What a VUE read may change in a mesh, so that a malformed file leaves no trace.
struct MeshTrackState {
    size_t keys = 0;
    bool hadKeys = false;
    MotionMode motionMode = MotionMode::Free;
    Matrix nodeTransform;
    Vector3 position;
    int32_t firstFrame = 0, lastFrame = 0, keyCount = 0;
    float time = 0.0f;
};

MeshTrackState Save(const Mesh& m) {
    MeshTrackState s;
    s.keys = m.MatrixKeyCount();
    s.hadKeys = m.matrixKeys != nullptr;
    s.motionMode = m.motionMode;
    s.nodeTransform = m.nodeTransform;
    s.position = m.position;
    s.firstFrame = m.firstFrame;
    s.lastFrame = m.lastFrame;
    s.keyCount = m.keyCount;
    s.time = m.time;
    return s;
}

void Restore(Mesh& m, const MeshTrackState& s) {
    if (!s.hadKeys) {
        m.matrixKeys.reset();
    } else if (m.matrixKeys) {
        m.matrixKeys->resize(s.keys);
    }
    m.motionMode = s.motionMode;
    m.nodeTransform = s.nodeTransform;
    m.position = s.position;
    m.firstFrame = s.firstFrame;
    m.lastFrame = s.lastFrame;
    m.keyCount = s.keyCount;
    m.time = s.time;
}

// Vertices already in node space relative to `before` move to the node space of the new
// nodeTransform (through world space); model-file world-space vertices simply move into it.
void MoveToNodeSpace(Mesh& m, const Matrix& before) {
    if (!m.geometry->inNodeSpace) {
        m.TransformToNodeSpace();
        return;
    }
    if (m.nodeTransform == before) return;
    // TransformToNodeSpace applies the inverse of nodeTransform; the inverse of
    // (new · before⁻¹) is before · new⁻¹: back to world space, then into the new node space.
    Matrix now = m.nodeTransform;
    m.nodeTransform = now * AffineInverse(before);
    m.TransformToNodeSpace();
    m.nodeTransform = now;
}

}  // namespace

bool SkinnedCharacter::LoadSkin(const std::string& fileName) {
    return LoadSkinFrom(fileName, nullptr);
}

bool SkinnedCharacter::LoadSkinText(const std::string& text) {
    return LoadSkinFrom("(in memory)", &text);
}

bool SkinnedCharacter::LoadSkinFrom(const std::string& fileName, const std::string* text) {
    if (skinLoaded) {
        if (logFile)
            std::fprintf(logFile, "Skin %s: the character has a skin already.\n", fileName.c_str());
        return false;
    }
    // Whatever an earlier, failed load left goes first: bindings bound twice would move twice.
    skinBindings.clear();
    skin.reset();
    skinMesh = nullptr;
    SkinFileReader reader(this);
    bool read = false;
    if (text) {
        std::string copy = *text;
        std::FILE* stream = copy.empty() ? nullptr : fmemopen(copy.data(), copy.size(), "rb");
        read = stream && reader.ReadStream(stream);
        if (stream) std::fclose(stream);
    } else {
        read = reader.Read(fileName);
    }
    if (!read) {
        skinBindings.clear();
        return false;
    }
    skinLoaded = SkinBind(*this).bound;
    return skinLoaded;
}

bool SkinnedCharacter::LoadVue(const std::string& fileName) {
    std::vector<MeshTrackState> saved;
    saved.reserve(size_t(meshCount));
    for (int32_t i = 0; i < meshCount; ++i) saved.push_back(Save(*meshes[i]));
    Mesh* savedCurrent = currentMesh;

    VueReader reader(this);
    if (!reader.Read(fileName)) {
        for (int32_t i = 0; i < meshCount; ++i) Restore(*meshes[i], saved[size_t(i)]);
        currentMesh = savedCurrent;
        return false;
    }
    for (int32_t i = 0; i < meshCount; ++i) {
        MoveToNodeSpace(*meshes[i], saved[size_t(i)].nodeTransform);
    }
    return true;
}

}  // namespace orix
