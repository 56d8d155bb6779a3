#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "device/display.h"
#include "device/engine.h"
#include "device/stored_device.h"
#include "platform/profile.h"
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
        EXPECT_EQ(value, engine.drawingMaterialHandle);
        EXPECT_NE(engine.backgroundMaterial, engine.drawingMaterial);
    }
    // The engine's teardown detached the z-buffer and took the device from the surfaces.
    EXPECT_FALSE(display.zBuffer->attached);
    EXPECT_EQ(display.backBuffer->device, nullptr);
    EXPECT_EQ(Boxes(), "");
}

TEST_F(EngineSetupTest, HeadlessWithNothingStoredSaysHowAndExitsMinusOne) {
    Display display;
    Engine engine(clock_);
    EXPECT_FALSE(engine.Setup(&display, nullptr, 640, 480, 16));
    EXPECT_EQ(ExitCode(), -1);
    EXPECT_NE(Boxes().find("orix device set"), std::string::npos) << Boxes();
    EXPECT_EQ(engine.device, nullptr);
}

TEST_F(EngineSetupTest, AStoredDriverThatIsGoneFallsBackToThePrimaryDisplay) {
    DriverGuid gone;
    gone.data1 = 0xDEADBEEF;
    ASSERT_TRUE(WriteStoredDeviceGuid(gone));
    Display display;
    Engine engine(clock_);
    ASSERT_TRUE(engine.Setup(&display, nullptr, 640, 480, 16));
    EXPECT_NE(engine.device, nullptr);
    EXPECT_TRUE(engine.deviceGuid.IsZero());
    EXPECT_NE(Boxes().find("not present"), std::string::npos) << Boxes();
    EXPECT_EQ(ExitCode(), 0);
}

}  // namespace
}  // namespace orix
