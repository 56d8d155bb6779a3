// EngineFixture: a test fixture that makes the process-wide engine for one test, on a
// RecordingDevice and a fixed-step clock, and takes it down afterwards.
#pragma once

#include <gtest/gtest.h>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/clock.h"
#include "support/recording_device.h"

namespace orix::testing {

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        theEngine = &engine;
        frameStep = 1.0f;
    }
    void TearDown() override {
        theEngine = nullptr;
        currentScene = nullptr;
    }

    FixedStepClock clock;
    RecordingDevice device;
    Engine engine{clock, &device};
};

}  // namespace orix::testing
