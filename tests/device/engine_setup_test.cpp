#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/stored_device.h"
#include "platform/profile.h"
#include "support/fake_device.h"
#include "support/picture_files.h"

namespace orix {
namespace {

class EngineSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORIX_OFFSCREEN", "1", 1);
        setenv("ORIX_PROFILE", dir_.File("profile.ini").c_str(), 1);
    }
    std::string Boxes() const {
        std::string all;
        for (const auto& m : capture_.Messages()) all += m.caption + ": " + m.text + "\n";
        return all;
    }
    int ExitCode() const { return capture_.ExitCodes().empty() ? 0 : capture_.ExitCodes().back(); }

    test::PictureTempDir dir_;
    test::MessageCapture capture_;
    FixedStepClock clock_;
};

TEST_F(EngineSetupTest, BuildsTheViewportStatesAndMaterials) {
    ASSERT_TRUE(WriteStoredDeviceGuid(DriverGuid()));
    Display display;
    {
        Engine engine(clock_);
        ASSERT_TRUE(engine.Setup(&display, nullptr, 640, 480, 16));
        ASSERT_NE(engine.device, nullptr);
        ViewportRecord vp;
        ASSERT_TRUE(engine.device->GetViewport(&vp));
        EXPECT_EQ(vp.height, 480u);
        EXPECT_EQ((std::vector<float>{vp.clipX, vp.clipY, vp.clipWidth, vp.clipHeight}),
                  (std::vector<float>{-1.0f, 0.75f, 2.0f, 1.5f}));
        uint32_t value = 0;
        engine.device->GetRenderState(RS_TEXTUREMAG, &value);
        EXPECT_EQ(value == FILTER_LINEAR, engine.hardware);
        EXPECT_EQ(engine.zBufferMemory,
                  engine.hardware ? uint32_t{DDSCAPS_VIDEOMEMORY} : uint32_t{DDSCAPS_SYSTEMMEMORY});
        ASSERT_NE(display.zBuffer, nullptr);
        EXPECT_EQ(display.zBuffer->caps, DDSCAPS_ZBUFFER | engine.zBufferMemory);
        engine.device->GetLightState(LIGHTSTATE_MATERIAL, &value);
        EXPECT_EQ(value, engine.drawingMaterialHandle.value);
    }
    // The engine's teardown detached the z-buffer and took the device from the surfaces.
    EXPECT_FALSE(display.zBuffer->attached);
    EXPECT_EQ(display.backBuffer->device, nullptr);
    EXPECT_EQ(Boxes(), "");
}

// Headless with nothing stored, setup says how to choose and exits with -1; a stored driver that
// is gone falls back to the primary display, and says so.
TEST_F(EngineSetupTest, WithoutAUsableStoredDriver) {
    Display display;
    Engine engine(clock_);
    EXPECT_FALSE(engine.Setup(&display, nullptr, 640, 480, 16));
    EXPECT_EQ(ExitCode(), -1);
    EXPECT_NE(Boxes().find("orix device set"), std::string::npos) << Boxes();
    EXPECT_EQ(engine.device, nullptr);

    capture_.Clear();
    DriverGuid gone;
    gone.data1 = 0xDEADBEEF;
    ASSERT_TRUE(WriteStoredDeviceGuid(gone));
    Display other;
    Engine fallback(clock_);
    ASSERT_TRUE(fallback.Setup(&other, nullptr, 640, 480, 16));
    EXPECT_NE(fallback.device, nullptr);
    EXPECT_TRUE(fallback.deviceGuid.IsZero());
    EXPECT_NE(Boxes().find("not present"), std::string::npos) << Boxes();
    EXPECT_EQ(ExitCode(), 0);
}

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

// Writes the flags it is updated with into the device's call log.
struct CountingNode : FrameNode {
    FakeDevice* device = nullptr;
    void Update(uint32_t f) override { device->DrawText(0, 0, 0, std::to_string(f)); }
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
    EXPECT_EQ(engine.currentMaterial, nullptr);
    std::vector<std::string> expected = {"Clear 1 3 0,0,640,480", "BeginScene", "DrawText 0 0 15",
                                         "DrawText 0 0 255", "EndScene"};
    EXPECT_EQ(device.Calls(), expected);

    engine.LinkOverlays(nullptr);
    device.ClearCalls();
    engine.Render();
    expected.erase(expected.begin() + 3);
    EXPECT_EQ(device.Calls(), expected);
}

}  // namespace
}  // namespace orix
