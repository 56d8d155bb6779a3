#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/engine.h"
#include "device/globals.h"
#include "math/types.h"
#include "support/fake_device.h"

namespace orix {
namespace {

// The first frame lasts a millisecond; then steps follow the clock, also across the tick wrap.
TEST(EngineClock, FirstFrameLastsOneMillisecondAndStepsFollowTheClock) {
    FixedStepClock clock(0xFFFFFFF0u, 20);
    Engine engine(clock);
    engine.UpdateTiming();
    EXPECT_EQ(engine.lastDeltaMs, 1u);
    EXPECT_FLOAT_EQ(frameStep, 0.03f);
    EXPECT_EQ(engine.currentTick, 0xFFFFFFF0u);

    engine.UpdateTiming();  // 0xFFFFFFF0 + 20 wraps to 4
    EXPECT_EQ(engine.currentTick, 4u);
    EXPECT_EQ(engine.lastDeltaMs, 20u);
    EXPECT_NEAR(frameStep, 0.6f, 1e-6);

    clock.SetStep(100);
    engine.UpdateTiming();  // still the 20 ms step that was queued
    engine.UpdateTiming();
    EXPECT_EQ(engine.lastDeltaMs, 100u);
    EXPECT_NEAR(frameStep, 3.0f, 1e-6);
}

struct CountingNode : FrameNode {
    std::vector<uint32_t> flags;
    FakeDevice* device = nullptr;
    void Update(uint32_t f) override {
        flags.push_back(f);
        if (device) device->DrawText(0, 0, 0, "node");
    }
};

TEST(EngineRender, ClearsBeginsDrawsSceneThenOverlaysAndEnds) {
    FixedStepClock clock;
    FakeDevice device;
    Engine engine(clock, &device);
    CountingNode root, overlays;
    root.device = &device;
    overlays.device = &device;
    engine.LinkScene(nullptr, &root);
    engine.LinkOverlays(&overlays);
    int dummyMaterial = 0;  // forgotten at each frame
    engine.currentMaterial = reinterpret_cast<const Material*>(&dummyMaterial);

    EXPECT_FALSE(engine.Render());
    EXPECT_EQ(root.flags, std::vector<uint32_t>{15u});
    EXPECT_EQ(overlays.flags, std::vector<uint32_t>{255u});
    EXPECT_EQ(engine.currentMaterial, nullptr);
    std::vector<std::string> expected = {"Clear 1 3 0,0,640,480", "BeginScene", "DrawText 0 0 node",
                                         "DrawText 0 0 node", "EndScene"};
    EXPECT_EQ(device.Calls(), expected);

    engine.LinkOverlays(nullptr);
    device.ClearCalls();
    engine.Render();
    expected.erase(expected.begin() + 3);
    EXPECT_EQ(device.Calls(), expected);
}

}  // namespace
}  // namespace orix
