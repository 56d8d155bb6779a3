#include "scene/light.h"
#include "scene/matrix_track.h"

#include <cfloat>
#include <cmath>

#include "device/engine.h"
#include "device/globals.h"

namespace orix {

Light::Light() = default;

Light::~Light() {
    ReleaseLightObject();
}

void Light::ReleaseLightObject() {
    if (device_ && light) {
        if (attached) device_->DeleteLight(light);
        device_->ReleaseLight(light);
    }
    light = {};
    attached = false;
}

void Light::CreateLightObject(uint32_t type, float r, float g, float b) {
    // A second set-up replaces the first light; the old one would stay lit and leak.
    ReleaseLightObject();
    description = LightRecord{};
    description.type = type;
    description.color = ColorValue{r, g, b, 0.0f};
    description.range = std::sqrt(FLT_MAX);
    description.falloff = 1.0f;
    description.attenuation0 = 1.0f;
    description.attenuation1 = 0.0f;
    description.attenuation2 = 0.0f;
    description.flags = LIGHT_ACTIVE;
    device_ = theEngine ? theEngine->device : nullptr;
    light = device_ ? device_->CreateLight() : LightHandle();
    attached = false;
    dirty = true;
}

void Light::SetPointLight(float r, float g, float b) {
    CreateLightObject(LIGHT_POINT, r, g, b);
}

void Light::SetSpotLight(float r, float g, float b, float theta, float phi) {
    CreateLightObject(LIGHT_SPOT, r, g, b);
    description.theta = theta;
    description.phi = phi;
    description.falloff = 100.0f;
}

void Light::SetColor(float r, float g, float b) {
    if (!light) return;
    description.color = ColorValue{r, g, b, description.color.a};
    dirty = true;
}

void Light::AimAt(float x, float y, float z) {
    Vector3 d = Vector3{x, y, z} - world.GetTranslation();
    if (d.IsZero()) return;
    description.direction = Normalize(d);
    dirty = true;
}

void Light::SetFalloff(float value) {
    description.falloff = value;
    dirty = true;
}

void Light::Move(float dx, float dy, float dz, bool perFrameStep) {
    Vector3 d{dx, dy, dz};
    if (perFrameStep) d *= frameStep;
    world.SetTranslation(world.GetTranslation() + d);
    position += d;
    description.position = position;
    dirty = true;
}

void Light::MoveX(float dx, bool perFrameStep) {
    position.x += perFrameStep ? dx * frameStep : dx;
    description.position = position;
    dirty = true;
}

void Light::MoveY(float dy, bool perFrameStep) {
    position.y += perFrameStep ? dy * frameStep : dy;
    description.position = position;
    dirty = true;
}

void Light::MoveZ(float dz, bool perFrameStep) {
    position.z += perFrameStep ? dz * frameStep : dz;
    description.position = position;
    dirty = true;
}

void Light::Update(uint32_t flags) {
    world = parent ? parent->world : Matrix::Identity();
    if (!attached) {
        // The first update only attaches; the description goes out from the next one on.
        if (device_ && light) {
            device_->AddLight(light);
            attached = true;
        }
        if (flags & kUpdateChildren) UpdateChildren(flags);
        return;
    }
    if (motionMode == MotionMode::MatrixTrack) {
        trackKey = StepMatrixTrack(*this);
        // The key places the light relative to its parent each frame; adding it to the last
        // place instead would send the light away a little further every update.
        Vector3 base = world.GetTranslation();
        Vector3 placed = trackKey.Row(0) + base;
        Move(placed.x - position.x, placed.y - position.y, placed.z - position.z, false);
        world.SetTranslation(placed);
        if (description.type == LIGHT_SPOT) {
            Vector3 aim = trackKey.Row(1) + base;
            AimAt(aim.x, aim.y, aim.z);
            SetFalloff(trackKey.m[3][1]);
        }
    } else {
        SceneObject::Update(kUpdateAnimate);
        description.position = world.GetTranslation();
        dirty = true;
    }
    if (dirty && device_ && light) {
        device_->SetLight(light, description);
        dirty = false;
    }
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

}  // namespace orix
