// The character's ASE load: a short-lived ASE reader.
#include "modelfile/orix_file_ase.h"
#include "scene/skinned_character.h"

namespace orix {

bool SkinnedCharacter::LoadAse(const std::string& fileName, int32_t flags) {
    OrixFileAse reader(this);
    if (mipmapTextures) reader.SetMipmapMode(true, mipmapLevelCount);
    return reader.Load(fileName, uint32_t(flags));
}

}  // namespace orix
