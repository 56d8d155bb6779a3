/// \file
/// Scene: the root of the scene-object tree and the 3D half of the render pass. The engine
/// updates it once per frame; it updates its children in the order added, so drawing order is
/// tree order. It owns the view and projection transforms and answers the view test that
/// drawables use to skip themselves.
///
/// Depends on SceneObject, the Engine (its device receives the transforms) and the Camera. Holds
/// its children without owning them. Single-threaded.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "scene/scene_object.h"

namespace orix {

class Camera;
class Engine;
class GraphicsDevice;

/// Left-handed look-at view: z = normalise(t - e), x = normalise(u × z), y = z × x; rows 0 to 2
/// hold the columns x, y, z; row 3 is (-x·e, -y·e, -z·e, 1).
Matrix LookAtMatrix(const Vector3& eye, const Vector3& target, const Vector3& up);
/// c = cos(a/2), s = sin(a/2), q = s / (1 - n/f); (0,0) = (1,1) = c, (2,2) = q, (2,3) = s,
/// (3,2) = -q·n, all else 0.
Matrix ProjectionMatrix(float nearPlane, float farPlane, float fieldOfView);

class Scene : public SceneObject {
public:
    /// Links itself as the engine's scene and sets the default view and projection on its device.
    explicit Scene(Engine* owner);
    /// Unlinks itself from the engine and the current-scene pointer; children are not deleted.
    ~Scene() override;

    /// Stores the three values and sets the projection transform on the device.
    void SetProjection(float nearDistance, float farDistance, float fov);
    /// Makes camera the active one, gives it the scene's distances and sets its view.
    void SetCamera(Camera* activeCamera);
    /// Rebuilds the view from the active camera's vectors and sets it on the device.
    void UpdateView();
    /// Adds each object in order with AddChild, stopping at the first null.
    void AddObjects(std::initializer_list<SceneObject*> objects);
    /// The view test: within farPlane on each axis, within farPlane of the camera's far point,
    /// within 1.414213 farPlane of the eye. True without a camera (nothing can be culled yet).
    bool IsVisible(const Vector3& point) const;
    /// Updates the children; the scene's own world stays the identity.
    void Update(uint32_t flags) override;

    GraphicsDevice* Device() const;

    Engine* engine = nullptr;
    Matrix projection;
    Matrix worldIdentity;
    Matrix view;
    Camera* camera = nullptr;
    float nearPlane = 10.0f;
    float farPlane = 1500.0f;
    float fieldOfView = 0.7854f;
    bool viewDirty = false;  ///< cleared each time a camera's view reaches the device
};

}  // namespace orix
