// The program started headless in a start folder of its own with a stored driver: it works in
// res/, and closing its window ends the loop with 0 and destroys each object once.
#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/stored_device.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "support/picture_files.h"

namespace fs = std::filesystem;

namespace orix {
namespace {

int destroyed = 0;

// A scene object that counts its destruction.
class Counted : public SceneObject {
public:
    ~Counted() override { ++destroyed; }
};

void Drain() {
    for (WindowMessage m; PeekMessage(&m, PM_REMOVE);) {
    }
}

// Leaves the working directory and the queue as it found them.
class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (IsWindow(window_)) DestroyWindow(window_);
        Drain();
        fs::current_path(startDir_);
    }

    FixedStepClock clock_{1000, 20};
    WindowHandle window_ = nullptr;
    test::PictureTempDir temp_;
    fs::path dir_ = temp_.Path();
    fs::path startDir_ = fs::current_path();
};

TEST_F(ProgramTest, RunsInResAndClosingTheWindowDestroysEachObjectOnceAndEndsWithZero) {
    setenv("ORIX_OFFSCREEN", "1", 1);
    fs::create_directories(dir_ / "res");
    for (const fs::directory_entry& e : fs::directory_iterator(ORIX_RES_DIR)) {
        if (e.path().filename() != "debug.txt")
            fs::create_symlink(e.path(), dir_ / "res" / e.path().filename());
    }
    setenv("ORIX_PROFILE", (dir_ / "profile.ini").c_str(), 1);
    ASSERT_TRUE(WriteStoredDeviceGuid(DriverGuid()));
    fs::current_path(dir_);
    settingUp = true;
    appActive = appReady = false;
    Drain();
    window_ = StartProgram(clock_);
    ASSERT_TRUE(theEngine && theEngine->device) << "no device offscreen";
    EXPECT_EQ(fs::current_path(), fs::canonical(dir_ / "res"));
    EXPECT_NE(logFile, nullptr);
    EXPECT_FALSE(settingUp);
    // A counted object takes the character's place, in the scene root as in the Application.
    auto* extra = new Counted();
    SceneObject* character = theApplication->character;
    ASSERT_NE(character, nullptr);
    theApplication->camera->SetTarget(nullptr, 0);
    auto& children = theApplication->scene->children;
    std::replace(children.begin(), children.end(), character, static_cast<SceneObject*>(extra));
    delete character;
    theApplication->character = extra;
    for (int i = 0; i < 3; ++i) theApplication->Frame();
    EXPECT_GT(theEngine->fps, 0u);
    PostMessage(window_, WM_CLOSE, 0, 0);
    uint64_t frames = 0;
    EXPECT_EQ(RunMainLoop(&frames), 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(theApplication, nullptr);
    EXPECT_EQ(theEngine, nullptr);
    EXPECT_EQ(theDisplay, nullptr);
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
}  // namespace orix
