// The effects suite's fixture: the shared test engine with 100 ms frames, and a scene root with a
// camera at (0, 0, -100) looking along +z, installed as the process-wide scene.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "math/vertex.h"
#include "render/camera.h"
#include "scene/scene.h"
#include "support/engine_fixture.h"

namespace orix {

class EffectsTest : public ::testing::Test, protected EngineFixture {
protected:
    void SetUp() override {
        // The clock's first read starts it; every frame after is 100 ms (frameStep 3).
        clock.SetStep(100);
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
    }
    // One whole frame through the engine: clock, clear, scene pass.
    void Frame() { engine.Render(); }
    // How many lit triangle strips were drawn, and the last one's vertices.
    int Strips() const {
        int n = 0;
        for (const auto& d : device.draws) n += d.type == PRIM_TRIANGLESTRIP;
        return n;
    }
    const std::vector<LVertex>& Strip() const {
        static const std::vector<LVertex> none;
        for (auto d = device.draws.rbegin(); d != device.draws.rend(); ++d)
            if (d->type == PRIM_TRIANGLESTRIP) return d->lit;
        return none;
    }

    Scene* scene = nullptr;
    Camera* camera = nullptr;
};

}  // namespace orix
