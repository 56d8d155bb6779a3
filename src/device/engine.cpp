#include "device/engine.h"

#include "device/globals.h"
#include "math/types.h"

namespace orix {

Engine::Engine(Clock& clock, GraphicsDevice* graphicsDevice) : clock_(clock) {
    if (graphicsDevice) AttachDevice(graphicsDevice);
}

void Engine::AttachDevice(GraphicsDevice* graphicsDevice) {
    device = graphicsDevice;
    if (!device) return;
    width = static_cast<int32_t>(device->Width());
    height = static_cast<int32_t>(device->Height());
    depth = static_cast<int32_t>(device->BitsPerPixel());
    clearRect = Rect{0, 0, width, height};
    scaleX = static_cast<float>(width) * 0.0015625f;
    scaleY = static_cast<float>(height) * 0.0020833334f;
    hardware = device->GetCaps().hardware;
    device->GetViewport(&viewport);
}

void Engine::LinkScene(Scene* root, FrameNode* node) {
    scene = root;
    sceneRoot = node;
}

void Engine::UpdateTiming() {
    uint32_t now = clock_.Milliseconds();
    currentTick = now;
    if (previousTick == 0) previousTick = now - 1;
    // Unsigned subtraction stays right across the 49.7-day wrap of the tick.
    uint32_t delta = now - previousTick;
    lastDeltaMs = delta;
    frameStep = static_cast<float>(delta) * 0.03f;
    frameCount += 1;
    accumulatedMs += delta;
    fps = static_cast<uint32_t>(static_cast<uint64_t>(frameCount) * 1000u / accumulatedMs);
    if (accumulatedMs > 2000) {
        // Shrink the window to one second holding the current rate: a fading average that
        // recovers from a stall gradually.
        frameCount = fps;
        accumulatedMs = 1000;
    }
    previousTick = now;
}

bool Engine::Render() {
    UpdateTiming();
    if (device) {
        device->Clear(&clearRect, 1, CLEAR_TARGET | CLEAR_ZBUFFER);
        device->BeginScene();
    }
    if (sceneRoot) sceneRoot->Update(kUpdateScene);
    if (overlays) {
        currentMaterial = nullptr;
        overlays->Update(kUpdateOverlays);
    }
    if (device) device->EndScene();
    return false;
}

MaterialRecord DefaultMaterialRecord() {
    MaterialRecord r;
    r.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    r.ambient = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    r.rampSize = 16;
    return r;
}

}  // namespace orix
