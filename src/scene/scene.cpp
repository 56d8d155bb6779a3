#include "scene/scene.h"

#include <cmath>

#include "device/engine.h"
#include "device/globals.h"
#include "scene/camera.h"

namespace orix {

Matrix LookAtMatrix(const Vector3& eye, const Vector3& target, const Vector3& up) {
    Vector3 z = Normalize(target - eye);
    Vector3 x = Normalize(Cross(up, z));
    Vector3 y = Cross(z, x);
    Matrix m;
    for (int i = 0; i < 3; ++i) {
        m.m[i][0] = x[i];
        m.m[i][1] = y[i];
        m.m[i][2] = z[i];
        m.m[i][3] = 0.0f;
    }
    m.m[3][0] = -Dot(x, eye);
    m.m[3][1] = -Dot(y, eye);
    m.m[3][2] = -Dot(z, eye);
    m.m[3][3] = 1.0f;
    return m;
}

Matrix ProjectionMatrix(float nearPlane, float farPlane, float fieldOfView) {
    float c = std::cos(fieldOfView * 0.5f);
    float s = std::sin(fieldOfView * 0.5f);
    float q = s / (1.0f - nearPlane / farPlane);
    Matrix m = Matrix::Zero();
    m.m[0][0] = c;
    m.m[1][1] = c;
    m.m[2][2] = q;
    m.m[2][3] = s;
    m.m[3][2] = -q * nearPlane;
    return m;
}

Scene::Scene(Engine* owner) : engine(owner) {
    if (engine) engine->LinkScene(this, this);
    view = LookAtMatrix(Vector3{0.0f, 200.0f, -300.0f}, Vector3{0.0f, 0.0f, 100.0f},
                        Vector3{0.0f, 0.66f, 1.0f});
    SetProjection(10.0f, 1500.0f, 0.7854f);
    if (GraphicsDevice* device = Device()) {
        device->SetTransform(TRANSFORM_WORLD, worldIdentity);
        device->SetTransform(TRANSFORM_VIEW, view);
    }
}

Scene::~Scene() {
    if (engine && engine->scene == this) engine->LinkScene(nullptr, nullptr);
    if (currentScene == this) currentScene = nullptr;
    if (camera && camera->scene == this) camera->scene = nullptr;
}

GraphicsDevice* Scene::Device() const {
    return engine ? engine->device : nullptr;
}

void Scene::SetProjection(float nearDistance, float farDistance, float fov) {
    nearPlane = nearDistance;
    farPlane = farDistance;
    fieldOfView = fov;
    projection = ProjectionMatrix(nearPlane, farPlane, fieldOfView);
    if (GraphicsDevice* device = Device()) device->SetTransform(TRANSFORM_PROJECTION, projection);
}

void Scene::SetCamera(Camera* activeCamera) {
    camera = activeCamera;
    if (!camera) return;
    camera->scene = this;
    camera->SetFar(farPlane);
    camera->SetNear(nearPlane);
    UpdateView();
}

void Scene::UpdateView() {
    if (!camera) return;
    view = LookAtMatrix(camera->viewEye, camera->viewTarget, camera->viewUp);
    if (GraphicsDevice* device = Device()) device->SetTransform(TRANSFORM_VIEW, view);
    viewDirty = false;
}

void Scene::AddObjects(std::initializer_list<SceneObject*> objects) {
    for (SceneObject* object : objects) {
        if (!object) break;
        AddChild(object);
    }
}

bool Scene::IsVisible(const Vector3& point) const {
    if (!camera) return true;
    const float r = farPlane;
    Vector3 d = point - camera->viewEye;
    for (int a = 0; a < 3; ++a) {
        // Truncated toward zero as an integer would be, without an integer's overflow.
        if (std::trunc(std::fabs(d[a])) > r) return false;
    }
    Vector3 f = point - camera->farPoint;
    if (Dot(f, f) > r * r) return false;
    float reach = 1.414213f * r;
    return Dot(d, d) <= reach * reach;
}

void Scene::Update(uint32_t flags) {
    UpdateChildren(flags);
}

}  // namespace orix
