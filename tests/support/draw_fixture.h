// DrawFixture: a test fixture that makes the process-wide engine for one test, on a
// DrawRecorder and a fixed-step clock, and takes it down afterwards.
#pragma once

#include <gtest/gtest.h>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/clock.h"
#include "support/draw_recorder.h"

namespace orix::testing {

class DrawFixture : public ::testing::Test {
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
    DrawRecorder device;
    Engine engine{clock, &device};
};

}  // namespace orix::testing
