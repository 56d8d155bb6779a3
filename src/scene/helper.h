/// \file
/// Helper: a bone or dummy object of a model's skeleton; a scene object of kind 2. Bones are
/// found by name with FindChild ("Bip01 Pelvis"). A bone also keeps the collision volumes that
/// the model readers make from the collision meshes under it (at most three), and deletes them.
/// Depends on: scene/scene_object.h, scene/collision_volume.h.
#pragma once

#include "scene/scene_object.h"

namespace orix {

class CollisionVolume;

class Helper : public SceneObject {
public:
    static constexpr int32_t kMaxCollisionVolumes = 3;

    Helper();
    /// Base copy plus fresh copies of the source's collision volumes.
    Helper(const Helper& source);
    ~Helper() override;
    SceneObject* Clone() override { return new Helper(*this); }

    /// A new collision volume bound to this bone, or null when it has three.
    CollisionVolume* AddCollisionVolume();

    CollisionVolume* collisionVolumes[kMaxCollisionVolumes] = {};
    int32_t collisionVolumeCount = 0;
};

/// The collision-volume list of node (a mesh or a helper) gets a new volume; null for another
/// kind of node or a full list.
CollisionVolume* AddCollisionVolumeTo(SceneObject* node);

}  // namespace orix
