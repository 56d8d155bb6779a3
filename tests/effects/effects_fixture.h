// A test engine for the effects suite: a recording device that also keeps the last triangle
// strip of lit vertices it was given, a fixed-step clock, and a scene root with a camera at
// (0, 0, -100) looking along +z, installed as the process-wide engine and scene.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "device/engine.h"
#include "device/globals.h"
#include "math/vertex.h"
#include "platform/clock.h"
#include "render/camera.h"
#include "scene/scene.h"
#include "support/recording_device.h"

namespace orix {

struct StripDevice : RecordingDevice {
    bool DrawPrimitive(PrimitiveType type, VertexType vertexType, const void* vertices,
                       uint32_t vertexCount, uint32_t flags) override {
        if (type == PRIM_TRIANGLESTRIP && vertexType == VT_LVERTEX) {
            const LVertex* v = static_cast<const LVertex*>(vertices);
            strip.assign(v, v + vertexCount);
            strips += 1;
        }
        return RecordingDevice::DrawPrimitive(type, vertexType, vertices, vertexCount, flags);
    }
    std::vector<LVertex> strip;
    int strips = 0;
};

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        theEngine = &engine;
        // The clock's first read starts it; every frame after is 100 ms (frameStep 3).
        engine.UpdateTiming();
        scene = new Scene(&engine);
        currentScene = scene;
        camera = new Camera(Vector3{0, 0, -100}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
        camera->motionMode = MotionMode::Fixed;
        scene->AddChild(camera);
        scene->SetCamera(camera);
    }
    void TearDown() override {
        // The tests delete what they made; the camera is ours.
        scene->children.clear();
        delete camera;
        delete scene;
        theEngine = nullptr;
        currentScene = nullptr;
        frameStep = 0.0f;
    }
    // One whole frame through the engine: clock, clear, scene pass.
    void Frame() { engine.Render(); }

    FixedStepClock clock{1000, 100};
    StripDevice device;
    Engine engine{clock, &device};
    Scene* scene = nullptr;
    Camera* camera = nullptr;
};

}  // namespace orix
