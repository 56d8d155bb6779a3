#include "app/application.h"

#include <cstdio>

#include "app/program.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "render/camera.h"
#include "render/render_state_group.h"
#include "scene/light.h"
#include "scene/pavo_overlay_list.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "scene/scene.h"

namespace orix {

Application::Application() {
    flag = false;
    logFile = std::fopen("debug.txt", "wt");
}

Application::~Application() {
    flag = false;
    delete scene;
    scene = nullptr;
    delete overlays;
    overlays = nullptr;
    delete light;
    light = nullptr;
    delete character;
    character = nullptr;
    delete land;
    land = nullptr;
    delete landGroup;
    landGroup = nullptr;
    delete renderStateOverlay;
    renderStateOverlay = nullptr;
    delete sprite;
    sprite = nullptr;
    delete camera;
    camera = nullptr;
    // The engine and the display go last: the objects above may still release device
    // resources while they are destroyed.
    delete theEngine;
    theEngine = nullptr;
    delete theDisplay;
    theDisplay = nullptr;
}

void Application::BuildScene() {
    scene = new Scene(theEngine);
    currentScene = scene;
    camera = new Camera(Vector3{0.0f, 100.0f, -300.0f}, Vector3{0.0f, 0.0f, 0.0f},
                        Vector3{0.0f, 1.0f, 0.0f});
    scene->AddObjects({camera});
    scene->SetCamera(camera);
}

bool Application::Frame() {
    if (!theEngine) return true;
    theEngine->Render();
    char text[64];
    std::snprintf(text, sizeof text, "FPS : %d", static_cast<int>(theEngine->fps));
    if (theDisplay && theDisplay->backBuffer) {
        Surface* back = theDisplay->backBuffer;
        if (back->GetDC()) {
            back->SelectFont();
            back->DrawText(20, theEngine->height - 30, 0x00FF0000, text);
            back->ReleaseDC();
        }
        theDisplay->Present();
    }
    return true;
}

}  // namespace orix
