// Drawing fixtures for the scene suites: a real offscreen device under an engine with a fixed
// clock, a scene root with a camera at (0, 0, -100) looking at the origin, a known background,
// and DrawProbe, a square scene object that draws itself with its world matrix.
//
// Depends on the offscreen device helper; tests skip when no offscreen display can be opened.
#pragma once

#include <cstdint>
#include <memory>

#include "device/engine.h"
#include "platform/clock.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "support/offscreen_device.h"

namespace orix {

// A square of side `size` in its own xy plane, centred on its origin. Lit vertices in `color`,
// or, when `unlit`, vertices with normals toward -z lit by the device's material and lights.
struct DrawProbe : SceneObject {
    DrawProbe(uint32_t argb, float side, bool useLighting = false)
        : color(argb), size(side), unlit(useLighting) {}
    void Update(uint32_t flags) override;

    uint32_t color;
    float size;
    bool unlit;
};

struct DrawScene {
    // Opens the device; `ok` is false (and nothing else is made) when that fails.
    DrawScene();
    ~DrawScene();
    // The frame as it stands, pixel (x, y) as 0x00RRGGBB.
    uint32_t Pixel(uint32_t x, uint32_t y);
    // Sets the background colour the engine clears to.
    void SetBackground(float r, float g, float b);

    bool ok = false;
    OffscreenDevice offscreen;
    GraphicsDevice* device = nullptr;
    FixedStepClock clock{1000, 33};
    std::unique_ptr<Engine> engine;
    std::unique_ptr<Scene> scene;
    std::unique_ptr<Camera> camera;
};

}  // namespace orix
