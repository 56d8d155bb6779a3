#include "scene/helper.h"

#include "scene/collision_volume.h"
#include "scene/mesh.h"

namespace orix {

Helper::Helper() {
    kind = static_cast<int32_t>(ObjectKind::Helper);
}

Helper::Helper(const Helper& source) : SceneObject(source) {
    for (int32_t i = 0; i < source.collisionVolumeCount; ++i) {
        collisionVolumes[i] = new CollisionVolume(*source.collisionVolumes[i]);
    }
    collisionVolumeCount = source.collisionVolumeCount;
}

Helper::~Helper() {
    for (int32_t i = collisionVolumeCount - 1; i >= 0; --i) delete collisionVolumes[i];
}

CollisionVolume* Helper::AddCollisionVolume() {
    if (collisionVolumeCount >= kMaxCollisionVolumes) return nullptr;
    CollisionVolume* v = new CollisionVolume(this);
    collisionVolumes[collisionVolumeCount++] = v;
    return v;
}

CollisionVolume* AddCollisionVolumeTo(SceneObject* node) {
    if (!node) return nullptr;
    if (node->kind == static_cast<int32_t>(ObjectKind::Helper)) {
        return static_cast<Helper*>(node)->AddCollisionVolume();
    }
    if (node->kind == static_cast<int32_t>(ObjectKind::Mesh)) {
        return static_cast<Mesh*>(node)->AddCollisionVolume();
    }
    return nullptr;
}

}  // namespace orix
