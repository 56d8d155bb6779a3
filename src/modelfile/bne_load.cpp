// The load operations of the mesh and the character: a short-lived BNE reader each.
#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix {

bool Mesh::LoadBne(const std::string& fileName, int32_t flags) {
    OrixFileBne reader(this);
    return reader.Load(fileName, uint32_t(flags));
}

bool SkinnedCharacter::LoadBne(const std::string& fileName, int32_t flags) {
    OrixFileBne reader(this);
    if (mipmapTextures) reader.SetMipmapMode(true, mipmapLevelCount);
    return reader.Load(fileName, uint32_t(flags));
}

}  // namespace orix
