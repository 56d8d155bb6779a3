// libFuzzer target: bytes as a glTF file (JSON or binary) imported into BNE bytes, a skin file
// and pictures, then the BNE bytes read back into a character. No side file is read: the folder
// is one that does not exist.
#include <cstddef>
#include <cstdint>

#include "import/gltf_import.h"
#include "modelfile/orix_file_bne.h"
#include "scene/skinned_character.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::gltf::ImportedModel model;
    std::string error;
    if (!orix::gltf::ImportGltf(reinterpret_cast<const char*>(data), size, "/nonexistent-orix-fuzz",
                                {}, &model, &error))
        return 0;
    orix::SkinnedCharacter character(0);
    orix::OrixFileBne reader(&character);
    reader.SetTextureFailureFatal(false);
    reader.LoadBytes(reinterpret_cast<const uint8_t*>(model.bne.data()), model.bne.size(), "fuzz",
                     1);
    if (!model.skinText.empty()) character.LoadSkinText(model.skinText);
    return 0;
}
