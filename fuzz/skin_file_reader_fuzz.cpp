// libFuzzer target: bytes as a skin file read into a small character made in memory (a split
// skin mesh with a shared-position table, a plain one, two bones), then bound and deformed.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "scene/skinned_character.h"
#include "skin/skin_deform.h"
#include "skin/skin_file_reader.h"

namespace {

void Build(orix::SkinnedCharacter& c) {
    orix::Mesh* skin = c.NewMesh();
    skin->name = "Skin";
    for (int i = 0; i < 6; ++i) skin->AddVertex(float(i), float(i % 2), 0.0f);
    skin->AddFace(0, 1, 2, 0);
    skin->AddFace(0, 2, 3, 0);
    skin->AddFace(3, 4, 5, 0);
    for (int i = 0; i < 6; ++i) skin->AddTexCoord(0.2f * float(i), 0.0f);
    skin->AddTexFace(0, 1, 2);
    skin->AddTexFace(4, 2, 3);
    skin->AddTexFace(3, 4, 5);
    skin->texCoordsOneToOne = false;
    skin->SplitVerticesByTexCoords();
    orix::Mesh* plain = c.NewMesh();
    plain->name = "Plain";
    for (int i = 0; i < 4; ++i) plain->AddVertex(0.0f, float(i), 0.0f);
    orix::Helper* pelvis = c.NewHelper();
    pelvis->name = "Bip01 Pelvis";
    orix::Helper* arm = c.NewHelper();
    arm->name = "Bip01 L Arm";
    arm->nodeTransform = orix::Matrix::Translation({2.0f, 0.0f, 0.0f});
    arm->world = orix::Matrix::RotationZ(0.5f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // fmemopen refuses an empty buffer; an empty file is one byte of nothing.
    static const uint8_t kEmpty[1] = {0};
    std::FILE* f = fmemopen(const_cast<uint8_t*>(size ? data : kEmpty), size ? size : 1, "rb");
    if (!f) return 0;
    orix::SkinnedCharacter c(1);
    Build(c);
    orix::SkinFileReader reader(&c);
    if (reader.ReadStream(f)) {
        c.skinLoaded = orix::SkinBind(c).bound;
        if (c.skinLoaded) orix::SkinDeform(c);
    }
    std::fclose(f);
    return 0;
}
