/// \file
/// Camera: the viewer, described by an eye point, a target point and an up vector. Each update
/// brings them up to date from the camera's placement or animation, sets the active camera's
/// view on the device, and refreshes the far point the scene's view test measures against.
///
/// Depends on SceneObject and Scene (the active camera, its view matrix and the engine's
/// device). A camera never made active in a scene sets no view. Single-threaded.
#pragma once

#include <cstdint>

#include "scene/scene_object.h"

namespace orix {

class Scene;

class Camera : public SceneObject {
public:
    /// viewDirty set; the three vectors zero until the creator sets them.
    Camera();
    Camera(const Vector3& eyePoint, const Vector3& lookPoint, const Vector3& upVector);
    /// Drops the scene's link to it when it is that scene's active camera.
    ~Camera() override;

    void SetView(const Vector3& eyePoint, const Vector3& lookPoint, const Vector3& upVector);
    /// Sets viewTarget only.
    void SetTarget(const Vector3& point);
    using SceneObject::SetTarget;
    /// Sets viewEye and viewDirty.
    void SetPosition(const Vector3& point);
    /// A distance of exactly 0 is stored as 0.01.
    void SetNear(float distance);
    void SetFar(float distance) { farDistance = distance; }
    void SetFov(float radians) { fieldOfView = radians; }

    /// Parent transform, motion mode, view, far point, then children when asked.
    void Update(uint32_t flags) override;
    /// Builds the active camera's view and sets it on the device; nothing without a scene or an
    /// active camera.
    void ApplyView();

    void UpdateLookAt() override;
    void UpdateFreeMotion() override;
    void UpdateKeyframed() override;
    /// Key k = time truncated (clamped to the stored keys): position from row 1, look direction
    /// from row 2.
    void UpdateMatrixTrack() override;

    Vector3 viewEye;
    Vector3 viewTarget;
    Vector3 viewUp;
    Vector3 viewDirection;
    Vector3 localLookPoint;
    float nearDistance = 10.0f;
    float farDistance = 1500.0f;
    float fieldOfView = 0.7854f;
    bool viewDirty = true;
    Scene* scene = nullptr;
    Vector3 farPoint;
};

}  // namespace orix
