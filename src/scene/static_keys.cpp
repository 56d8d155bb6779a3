#include "scene/static_keys.h"

namespace orix {

void AddStaticRotationKey(SceneObject& node) {
    const SceneObject* bone = node.boneParent;
    if (!bone) {
        node.AddRotationKey(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, true);
        return;
    }
    Quaternion q = QuaternionFromRotation(node.nodeRotationAxis, node.nodeRotationAngle);
    Quaternion p = QuaternionFromRotation(bone->nodeRotationAxis, bone->nodeRotationAngle);
    Vector3 axis;
    float angle = 0.0f;
    QuaternionToAxisAngle(QuaternionQuotient(q, p), &axis, &angle);
    node.AddRotationKey(0.0f, axis.x, axis.y, axis.z, angle, true);
}

void AddStaticPositionKey(SceneObject& node) {
    const SceneObject* bone = node.boneParent;
    if (!bone) {
        node.AddPositionKey(0.0f, node.nodePosition.x, node.nodePosition.y, node.nodePosition.z,
                            true);
        return;
    }
    Vector3 d = node.nodePosition - bone->nodePosition;
    Vector3 local = TransformDirection(d, AffineInverse(bone->nodeTransform));
    node.AddPositionKey(0.0f, local.x, local.y, local.z, true);
}

void AddMissingStaticKeys(SceneObject& node) {
    bool positions = node.hasPositionKeys;
    bool rotations = node.hasRotationKeys;
    if (positions && !rotations) {
        AddStaticRotationKey(node);
    } else if (rotations && !positions) {
        AddStaticPositionKey(node);
    } else if (!positions && !rotations) {
        AddStaticPositionKey(node);
        AddStaticRotationKey(node);
        node.CaptureRestPose();
    }
}

}  // namespace orix
