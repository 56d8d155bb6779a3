/// \file
/// Rigid CPU skinning of a character's skin mesh. SkinBind runs once after the skin file was
/// read: the skin goes to model-file world space, and its rest copy holds each bound vertex in
/// its bone's space (the mesh itself shows the model file's pose until the first deformation).
/// SkinDeform runs once per frame after the skeleton was updated: every vertex's position is
/// restored from the rest copy and every bound vertex (or shared-position entry) is carried by its
/// bone's world matrix. Only positions change; normals, colours and texture coordinates keep their
/// rest values. No weights:
/// each vertex follows one bone wholly.
///
/// A crowd of clones shares the work: when the skin mesh and every bone hang from the character
/// and play keyframes, their local transforms tell the pose, and a character whose pose some
/// clone has deformed already draws that clone's vertices (the skin mesh's geometry becomes the
/// pose's). A lone character deforms its own vertices in place, as ever.
///
/// Limits: vertex formats 0 (unlit) and 1 (lit) only, and the mesh's format must be the
/// character's. Indices outside the vertex array or the position table are dropped at bind time
/// and reported once in the log. SkinDeform makes no virtual call and allocates only when a crowd
/// stands in more poses at once than it ever did.
/// Depends on: scene/skinned_character.h, scene/mesh.h, math/matrix.h, the log stream.
#pragma once

#include <cstdint>

namespace orix {

class SkinnedCharacter;

struct SkinBindResult {
    bool bound = false;          ///< the rest copy exists and the skin will deform
    int32_t ignoredIndices = 0;  ///< indices outside the vertex array or the position table
};

/// Binds the character's skin mesh to its skinBindings and makes the rest copy. Not bound, with
/// the mesh untouched, when there is no skin mesh, its format has no rest copy or memory runs
/// out.
SkinBindResult SkinBind(SkinnedCharacter& character);

/// Rebuilds the skin mesh's vertices from the rest copy and the bones' world matrices; does
/// nothing without a bound skin.
void SkinDeform(SkinnedCharacter& character);

}  // namespace orix
