/// \file
/// Static keys: the keys a model-file loader adds at frame 0 to a node that lacks one kind, built
/// from the node's own transform, so that the node comes back to exactly that transform. Shared
/// by the BNE reader and the ASE scene builder.
///
/// Depends on SceneObject's keyframe operations. Needs nodeRotationAxis, nodeRotationAngle,
/// nodePosition and nodeTransform set (and the bone parent's, when there is one).
#pragma once

#include "scene/scene_object.h"

namespace orix {

/// Without a bone parent the identity; with one, the node rotation relative to the parent's
/// (q · p⁻¹), as a static rotation key at frame 0.
void AddStaticRotationKey(SceneObject& node);
/// Without a bone parent nodePosition; with one, the offset from the parent's nodePosition in
/// the parent's node space, as a static position key at frame 0.
void AddStaticPositionKey(SceneObject& node);
/// By the node's key flags: position keys only, a static rotation key; rotation keys only, a
/// static position key; neither, both and then CaptureRestPose; both, nothing.
void AddMissingStaticKeys(SceneObject& node);

}  // namespace orix
