// A test engine on a fake device with a fixed-step clock, installed as the process-wide engine
// for the test's lifetime; frameStep starts at 1 (a 33.3 ms frame). DrawFixture is the same as a
// gtest fixture.
#pragma once

#include <gtest/gtest.h>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/clock.h"
#include "support/fake_device.h"

namespace orix {

struct EngineFixture {
    FixedStepClock clock{1000, 33};
    FakeDevice device;
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

namespace testing {
class DrawFixture : public ::testing::Test, protected EngineFixture {};
}  // namespace testing

}  // namespace orix
