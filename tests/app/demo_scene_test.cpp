// The demonstration as it is drawn: rendered offscreen from the built resource folder with a
// fixed frame step and looked at pixel by pixel.
#include "app/demo_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "picture/jpeg_picture.h"
#include "platform/clock.h"
#include "render/camera.h"
#include "render/render_state_group.h"
#include "scene/light.h"
#include "scene/pavo_render_state.h"
#include "scene/pavo_sprite.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"
#include "support/picture_files.h"

namespace fs = std::filesystem;

namespace orix {
namespace {

fs::path BuiltResFolder() {
    return fs::path(ORIX_RES_DIR);
}

#define REQUIRE_MODELS()                                                                     \
    if (!fs::exists(BuiltResFolder() / "girl-t.bne") ||                                      \
        !fs::exists(BuiltResFolder() / "gland.bne"))                                         \
    GTEST_SKIP() << "the built res/ folder has no girl-t.bne or gland.bne (the build's ASE " \
                    "conversion makes them)"

// Display, engine and Application made as the program makes them, on the primary driver
// offscreen, in resFolder, with a fixed frame step; torn down (and the working directory
// restored) on destruction. One at a time: they are the process-wide objects.
class DemoRun {
public:
    explicit DemoRun(const fs::path& resFolder) : start_(fs::current_path()) {
        setenv("ORIX_OFFSCREEN", "1", 1);
        theDisplay = new Display();
        theEngine = new Engine(clock);
        theEngine->SetupWithDriver(theDisplay, nullptr, 640, 480, 16, DriverGuid());
        if (!theEngine->device) return;
        fs::current_path(resFolder);
        app = new Application();
        app->BuildScene();
    }
    ~DemoRun() {
        // Put back in reverse, so each goes where it was.
        while (!hidden_.empty()) Show(hidden_.back().first);
        if (app) {
            delete app;
        } else {
            delete theEngine;
            theEngine = nullptr;
            delete theDisplay;
            theDisplay = nullptr;
        }
        fs::current_path(start_);
    }
    bool Ready() const { return app != nullptr; }
    // Runs n program frames (render pass, frame-rate text, present) and reads the last back.
    FrameImage Frames(int n = 1) {
        FrameImage image;
        for (int i = 0; i < n && app; ++i) app->Frame();
        if (app) theEngine->device->ReadFrame(&image);
        return image;
    }
    FrameImage Frame() { return Frames(1); }
    // Takes an object out of the scene root's children, or puts it back where it was.
    void Hide(SceneObject* object) {
        auto& list = app->scene->children;
        auto it = std::find(list.begin(), list.end(), object);
        hidden_.push_back({object, size_t(it - list.begin())});
        list.erase(it);
    }
    void Show(SceneObject* object) {
        auto it = std::find_if(hidden_.begin(), hidden_.end(),
                               [&](const auto& h) { return h.first == object; });
        app->scene->children.insert(app->scene->children.begin() + long(it->second), object);
        hidden_.erase(it);
    }

    FixedStepClock clock{1000, 33};
    Application* app = nullptr;

private:
    fs::path start_;
    std::vector<std::pair<SceneObject*, size_t>> hidden_;
};

// The picture sprite's square and the frame-rate text's box.
bool InSprite(uint32_t x, uint32_t y) {
    return x >= 474 && x < 626 && y >= 374;
}
bool InFpsText(uint32_t x, uint32_t y) {
    return x < 160 && y >= 436 && y < 476;
}

bool IsBlack(uint32_t rgb) {
    return rgb == 0;
}

// Pixels outside the overlays' regions that are not black.
int DrawnPixels(const FrameImage& f) {
    int n = 0;
    for (uint32_t y = 0; y < f.height; ++y) {
        for (uint32_t x = 0; x < f.width; ++x) {
            if (!InSprite(x, y) && !InFpsText(x, y) && !IsBlack(f.Rgb(x, y))) ++n;
        }
    }
    return n;
}

// One run: the scene's order, the camera's aim, the black background, the land under the
// character and never over it, and the character's motion.
TEST(DemoScene, ComposesDrawsAndAnimatesTheDemonstration) {
    REQUIRE_MODELS();
    DemoRun run(BuiltResFolder());
    ASSERT_TRUE(run.Ready());
    Application& a = *run.app;
    ASSERT_NE(a.scene, nullptr);
    EXPECT_EQ(theEngine->GetScene(), a.scene);
    std::vector<SceneObject*> order{a.camera, a.landGroup, a.character, a.light};
    EXPECT_EQ(a.scene->children, order);
    EXPECT_EQ(a.landGroup->children, std::vector<SceneObject*>{a.land});
    EXPECT_EQ(a.scene->camera, a.camera);
    EXPECT_EQ(a.light->name, "Light");
    run.Frames(2);
    EXPECT_LT(Length(a.camera->viewEye - Vector3(-90, 75, -75)), 1e-3f);
    // The camera comes before the character in the scene, so it aims where the pelvis was at
    // the end of the last frame.
    SceneObject* pelvis = a.character->FindChild("Bip01 Pelvis");
    ASSERT_NE(pelvis, nullptr);
    Vector3 p = pelvis->world.GetTranslation();
    run.Frame();
    EXPECT_LT(Length(a.camera->viewTarget - p), 1e-2f);

    run.Frames(7);
    // A zero step holds the pose, so the pictures differ only in what is drawn.
    run.clock.SetStep(0);
    run.Frame();
    FrameImage both = run.Frame();
    run.Hide(a.landGroup);
    FrameImage character = run.Frame();
    run.Show(a.landGroup);
    run.Hide(a.character);
    FrameImage land = run.Frame();
    run.Hide(a.landGroup);
    EXPECT_EQ(DrawnPixels(run.Frame()), 0) << "the background is black";
    run.Show(a.landGroup);
    run.Show(a.character);
    EXPECT_EQ(a.scene->children, order);
    EXPECT_GT(DrawnPixels(both), 640 * 480 / 4);
    int characterPixels = 0, overLand = 0, hidden = 0;
    for (uint32_t y = 0; y < 480; ++y) {
        for (uint32_t x = 0; x < 640; ++x) {
            uint32_t c = character.Rgb(x, y);
            if (InSprite(x, y) || InFpsText(x, y) || IsBlack(c)) continue;
            ++characterPixels;
            overLand += !IsBlack(land.Rgb(x, y));
            hidden += both.Rgb(x, y) != c;
        }
    }
    EXPECT_GT(characterPixels, 2000);
    EXPECT_GT(overLand, characterPixels / 4) << "the character should stand on the land";
    EXPECT_EQ(hidden, 0);

    run.clock.SetStep(33);
    FrameImage later = run.Frames(10);
    int changed = 0;
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 640; ++x)
            changed += !InSprite(x, y) && !InFpsText(x, y) && both.Rgb(x, y) != later.Rgb(x, y);
    EXPECT_GT(changed, 300) << "the character moves as it animates";
}

// --- a resource folder with files missing -------------------------------------------------

class MissingFiles : public ::testing::Test {
protected:
    // Links the built files into the folder, all but those named.
    void LinkAllBut(const std::vector<std::string>& left) {
        for (const fs::directory_entry& e : fs::directory_iterator(BuiltResFolder())) {
            std::string name = e.path().filename().string();
            bool skip = name == "debug.txt";
            for (const std::string& l : left) skip = skip || name == l;
            if (!skip) fs::create_symlink(e.path(), dir_ / name);
        }
    }
    bool Said(const std::string& what) const {
        for (const auto& m : capture_.Messages())
            if ((m.caption + ": " + m.text).find(what) != std::string::npos) return true;
        return false;
    }
    int ExitCode() const { return capture_.ExitCodes().empty() ? 0 : capture_.ExitCodes().back(); }

    test::PictureTempDir temp_;
    fs::path dir_ = temp_.Path();
    test::MessageCapture capture_;
};

TEST_F(MissingFiles, WithoutTheCharacterTheCameraKeepsItsOwnView) {
    REQUIRE_MODELS();
    LinkAllBut({"girl-t.bne"});
    DemoRun run(dir_);
    ASSERT_TRUE(run.Ready());
    EXPECT_TRUE(Said("OrixFileBne")) << "the missing model is reported";
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_EQ(run.app->character->FindChild("Bip01 Pelvis"), nullptr);
    FrameImage f = run.Frames(3);
    EXPECT_GT(DrawnPixels(f), 640 * 480 / 4) << "the land is still drawn";
    const Camera& c = *run.app->camera;
    EXPECT_EQ(c.viewEye, demo::kCameraEye);
    EXPECT_EQ(c.viewTarget, demo::kCameraLookAt);
}

TEST_F(MissingFiles, AMissingPictureEndsTheProgramWithMinusOne) {
    REQUIRE_MODELS();
    LinkAllBut({"vireo.jpg"});
    DemoRun run(dir_);
    EXPECT_TRUE(Said("PavoSprite: Can't Load texture. : vireo.jpg"));
    EXPECT_EQ(ExitCode(), -1);
}

}  // namespace
}  // namespace orix
