// The demonstration composed for the frame benchmarks in a tree that does not have the shared
// demonstration builder (src/app/demo_scene.h) yet: the same record, names and order, so the
// frame suite reads the same either way. Files are read from the working directory (res/).
// Benchmark code; depends on the scene, render and overlay classes.
#pragma once

#include "math/vector3.h"

namespace orix {

class Camera;
class Engine;
class Light;
class PavoOverlayList;
class PavoRenderState;
class PavoSprite;
class RenderStateGroup;
class Scene;
class SceneObject;

struct DemoScene {
    Scene* scene = nullptr;
    PavoOverlayList* overlays = nullptr;
    Camera* camera = nullptr;
    SceneObject* character = nullptr;
    SceneObject* land = nullptr;
    Light* light = nullptr;
    RenderStateGroup* landGroup = nullptr;
    PavoSprite* sprite = nullptr;
    PavoRenderState* renderStateOverlay = nullptr;
};

namespace demo {
constexpr const char* kCharacterFile = "girl-t.bne";
constexpr const char* kSkinFile = "girl.skn";
}  // namespace demo

// Land without depth, the skinned character playing, a point light high above, the camera on
// the pelvis, a black background and the additive picture in the lower right corner.
void BuildDemoScene(Engine& engine, DemoScene& objects);
// Deletes everything present and empties the record; the engine must still be alive.
void DestroyDemoScene(DemoScene& objects);

}  // namespace orix
