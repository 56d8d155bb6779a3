// libFuzzer target: BNE bytes through the record walker, then into a character and a mesh with
// every load flag, textures reported rather than fatal (fuzz_hooks.cpp drops the messages).
#include <cstddef>
#include <cstdint>
#include <string>

#include "modelfile/bne_dump.h"
#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::WalkBne(data, size, [](const std::string&) {});
    {
        orix::SkinnedCharacter character(1);
        orix::OrixFileBne reader(&character);
        reader.SetTextureFailureFatal(false);
        reader.LoadBytes(data, size, "fuzz.bne", orix::kBneFinishNodes | orix::kBneBakePoses);
        character.Update(orix::kUpdateAnimate | orix::kUpdateChildren);
    }
    {
        orix::Mesh mesh(0);
        orix::OrixFileBne reader(&mesh);
        reader.SetTextureFailureFatal(false);
        reader.LoadBytes(data, size, "fuzz.bne", 0);
    }
    return 0;
}
