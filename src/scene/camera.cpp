#include "scene/camera.h"
#include "scene/matrix_track.h"

#include "device/engine.h"
#include "scene/scene.h"

namespace orix {

Camera::Camera() = default;

Camera::Camera(const Vector3& eyePoint, const Vector3& lookPoint, const Vector3& upVector) {
    SetView(eyePoint, lookPoint, upVector);
}

Camera::~Camera() {
    if (scene && scene->camera == this) scene->camera = nullptr;
}

void Camera::SetView(const Vector3& eyePoint, const Vector3& lookPoint, const Vector3& upVector) {
    viewEye = eyePoint;
    viewTarget = lookPoint;
    viewUp = upVector;
    viewDirty = true;
}

void Camera::SetTarget(const Vector3& point) {
    viewTarget = point;
}

void Camera::SetPosition(const Vector3& point) {
    viewEye = point;
    viewDirty = true;
}

void Camera::SetNear(float distance) {
    nearDistance = distance == 0.0f ? 0.01f : distance;
}

void Camera::Update(uint32_t flags) {
    world = parent ? parent->world : Matrix::Identity();
    // The keyframed pose is placed in this space, as for every other object.
    parentWorld = world;
    UpdateTransformByMode();
    ApplyView();
    viewDirection = Normalize(viewTarget - viewEye);
    farPoint = viewEye + viewDirection * farDistance;
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

void Camera::ApplyView() {
    if (!scene || !scene->camera) return;
    const Camera* active = scene->camera;
    scene->view = LookAtMatrix(active->viewEye, active->viewTarget, active->viewUp);
    if (GraphicsDevice* device = scene->Device()) device->SetTransform(TRANSFORM_VIEW, scene->view);
    scene->viewDirty = false;
}

void Camera::UpdateLookAt() {
    if (target) targetPoint = target->world.GetTranslation();
    eye = world.GetTranslation();
    SetTarget(targetPoint);
}

void Camera::UpdateFreeMotion() {
    if (motionMode == MotionMode::LookAt) UpdateLookAt();
    ComposeFreeMotion();
    SetPosition(world.GetTranslation());
}

void Camera::UpdateKeyframed() {
    if (IsPlaying()) AdvanceTime();
    ComputeKeyframedWorld();
    Vector3 eyePoint = world.GetTranslation();
    SetView(eyePoint, TransformPoint(localLookPoint, world), Vector3{0.0f, 1.0f, 0.0f});
}

void Camera::UpdateMatrixTrack() {
    if (MatrixKeyCount() == 0) return;
    // The key is taken before the advance and never past the last stored key.
    Matrix key = StepMatrixTrack(*this);
    world = Matrix::Translation(key.Row(1)) * world;
    Vector3 eyePoint = world.GetTranslation();
    SetView(eyePoint, eyePoint + key.Row(2), Vector3{0.0f, 1.0f, 0.0f});
}

}  // namespace orix
