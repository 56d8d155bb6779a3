// libFuzzer target: ASE text into a character and a mesh with every load flag, once without and
// once with the BNE copy (written to a scratch file and read back), textures reported rather
// than fatal, messages swallowed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace {

void Swallow(const std::string&, const std::string&) {}

std::string CopyPath() {
    return "/tmp/orix-ase-fuzz-" + std::to_string(getpid()) + ".bne";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orix::SetMessageBoxHook(Swallow);
    const char* text = reinterpret_cast<const char*>(data);
    // Flags from the first byte, so the fuzzer reaches the skipped and baked paths too.
    uint32_t flags = size ? uint32_t(data[0] & 0x0F) : uint32_t(orix::kAseFinishNodes);
    {
        orix::SkinnedCharacter character(1);
        orix::OrixFileAse reader(&character);
        reader.SetTextureFailureFatal(false);
        reader.LoadBytes(text, size, "fuzz.ase", flags);
        character.Update(orix::kUpdateAnimate | orix::kUpdateChildren);
    }
    {
        orix::Mesh mesh(0);
        orix::OrixFileAse reader(&mesh);
        reader.SetTextureFailureFatal(false);
        reader.LoadBytes(text, size, "fuzz.ase", 0);
    }
    const std::string copy = CopyPath();
    {
        orix::SkinnedCharacter character(1);
        orix::OrixFileAse reader(&character);
        reader.SetTextureFailureFatal(false);
        reader.SetCopyName(copy);
        reader.LoadBytes(text, size, "fuzz.ase", flags | orix::kAseWriteBne);
    }
    {
        orix::SkinnedCharacter character(1);
        orix::OrixFileBne reader(&character);
        reader.SetTextureFailureFatal(false);
        reader.Load(copy, flags & ~uint32_t(orix::kAseSkipMaterials));
        character.Update(orix::kUpdateAnimate | orix::kUpdateChildren);
    }
    std::remove(copy.c_str());
    return 0;
}
