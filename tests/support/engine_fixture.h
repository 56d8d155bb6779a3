// A test engine on a recording device with a fixed-step clock, installed as the process-wide
// engine for the test's lifetime; frameStep starts at 1 (a 33.3 ms frame).
#pragma once

#include "device/engine.h"
#include "device/globals.h"
#include "platform/clock.h"
#include "support/recording_device.h"

namespace orix {

struct EngineFixture {
    FixedStepClock clock{1000, 33};
    RecordingDevice device;
    Engine engine{clock, &device};

    EngineFixture() {
        theEngine = &engine;
        frameStep = 1.0f;
    }
    ~EngineFixture() {
        theEngine = nullptr;
        currentScene = nullptr;
        frameStep = 0.0f;
    }
};

}  // namespace orix
