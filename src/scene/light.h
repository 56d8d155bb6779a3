/// \file
/// Light: a scene object carrying one device light, a point or a spot light. It attaches itself
/// to the device's viewport on its first update and sends its description whenever it changed.
/// Its position follows the scene-object transform, or the keys of a matrix track.
///
/// Depends on SceneObject and the engine's device (through the global engine pointer, read when
/// the light object is created). Clones are plain SceneObjects. Single-threaded.
#pragma once

#include <cstdint>

#include "platform/device_types.h"
#include "platform/graphics_device.h"
#include "scene/scene_object.h"

namespace orix {

class Light : public SceneObject {
public:
    Light();
    /// Detaches and releases its light object.
    ~Light() override;

    /// A white-hot point light of colour (r, g, b): range the largest, falloff 1, attenuation
    /// (1, 0, 0), active. Replaces (and releases) a light object made before.
    void SetPointLight(float r, float g, float b);
    /// As SetPointLight but a spot light with cone angles theta and phi and falloff 100.
    void SetSpotLight(float r, float g, float b, float theta, float phi);
    /// Colour (r, g, b); nothing before a light object exists.
    void SetColor(float r, float g, float b);
    /// Points the light from its world translation toward (x, y, z); a point on the light keeps
    /// the old direction.
    void AimAt(float x, float y, float z);
    void SetFalloff(float value);

    /// Moves world translation and position by the deltas (times frameStep if asked).
    virtual void Move(float dx, float dy, float dz, bool perFrameStep);
    virtual void MoveX(float dx, bool perFrameStep);
    virtual void MoveY(float dy, bool perFrameStep);
    virtual void MoveZ(float dz, bool perFrameStep);

    /// First update attaches; later ones place the light and send a changed description. Runs
    /// whether or not the light is enabled.
    void Update(uint32_t flags) override;

    bool dirty = true;
    bool attached = false;
    LightRecord description;
    LightHandle light;
    Matrix trackKey = Matrix::Zero();

private:
    void CreateLightObject(uint32_t type, float r, float g, float b);
    void ReleaseLightObject();

    GraphicsDevice* device_ = nullptr;  ///< the device that made `light`
};

}  // namespace orix
