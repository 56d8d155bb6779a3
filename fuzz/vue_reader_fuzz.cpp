// libFuzzer target: bytes as a VUE file read into a small character made in memory (meshes "A"
// and "Left Hand", a helper "Bone"), then one animation update over the keys it made.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "device/globals.h"
#include "scene/skinned_character.h"
#include "skin/vue_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::SkinnedCharacter c(0);
    for (const char* n : {"A", "Left Hand"}) {
        orix::Mesh* m = c.NewMesh();
        m->name = n;
        m->AddVertex(1.0f, 2.0f, 3.0f);
    }
    c.NewHelper()->name = "Bone";
    static const uint8_t kEmpty[1] = {0};
    std::FILE* f = fmemopen(const_cast<uint8_t*>(size ? data : kEmpty), size ? size : 1, "rb");
    if (!f) return 0;
    orix::VueReader reader(&c);
    reader.ReadStream(f);
    std::fclose(f);
    c.SetPlayMode(int32_t(orix::PlayMode::Playing));
    c.Update(orix::kUpdateAnimate | orix::kUpdateChildren);
    return 0;
}
