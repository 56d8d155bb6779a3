// Application: the demonstration's top-level objects, the log, and the per-frame function that
// draws the frame-rate text over the finished picture and presents it.
//
// Depends on the Engine and Display globals, the scene root and camera. Owns every object that
// BuildScene creates and destroys each exactly once. Single-threaded.
#pragma once

#include <cstdint>

namespace orix {

class Camera;
class Light;
class PavoOverlayList;
class PavoRenderState;
class PavoSprite;
class RenderStateGroup;
class Scene;
class SceneObject;

class Application {
public:
    // Opens "debug.txt" for writing in text mode into logFile (null when it cannot be opened).
    Application();
    // Destroys every object it holds, each once, scene objects before the engine and display.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Composes the scene: a scene root and a camera looking into it.
    void BuildScene();
    // One frame: the render pass, "FPS : %d" at (20, height - 30) in blue over a transparent
    // background, then the flip. Returns true.
    bool Frame();

    Scene* scene = nullptr;
    PavoOverlayList* overlays = nullptr;
    Camera* camera = nullptr;
    SceneObject* character = nullptr;  // the skinned character and the land, once the demo
                                       // scene builds them
    SceneObject* land = nullptr;
    Light* light = nullptr;
    RenderStateGroup* landGroup = nullptr;
    PavoSprite* sprite = nullptr;
    PavoRenderState* renderStateOverlay = nullptr;
    bool flag = false;
};

}  // namespace orix
