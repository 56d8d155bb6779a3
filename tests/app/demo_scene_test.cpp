// The demonstration as it is drawn: rendered offscreen from the built resource folder with a
// fixed frame step and looked at pixel by pixel.
#include "app/demo_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "picture/jpeg_picture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/pavo_sprite.h"
#include "scene/render_state_group.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"
#include "support/picture_files.h"

namespace fs = std::filesystem;

namespace orix {
namespace {

const fs::path kRes = ORIX_RES_DIR;

#define REQUIRE_MODELS()                                                     \
    if (!fs::exists(kRes / "girl-t.bne") || !fs::exists(kRes / "gland.bne")) \
    GTEST_SKIP() << "the build's ASE conversion made no girl-t.bne or gland.bne"

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
    // One frame with only the camera, the given objects and the light in the scene root.
    FrameImage Only(std::vector<SceneObject*> objects) {
        std::vector<SceneObject*> all = app->scene->children;
        objects.insert(objects.begin(), app->camera);
        objects.push_back(app->light);
        app->scene->children = objects;
        FrameImage f = Frames();
        app->scene->children = all;
        return f;
    }
    // Runs n program frames (render pass, frame-rate text, present) and reads the last back.
    FrameImage Frames(int n = 1) {
        FrameImage image;
        for (int i = 0; i < n && app; ++i) app->Frame();
        if (app) theEngine->device->ReadFrame(&image);
        return image;
    }
    FixedStepClock clock{1000, 33};
    Application* app = nullptr;

private:
    fs::path start_;
};

int Channel(uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}
// The picture sprite's square and the frame-rate text's box.
bool InSprite(uint32_t x, uint32_t y) {
    return x >= 474 && x < 626 && y >= 374;
}
bool InFpsText(uint32_t x, uint32_t y) {
    return x < 160 && y >= 436 && y < 476;
}

// Pixels outside the overlays' regions that are not black.
int DrawnPixels(const FrameImage& f) {
    int n = 0;
    for (uint32_t y = 0; y < f.height; ++y) {
        for (uint32_t x = 0; x < f.width; ++x) {
            if (!InSprite(x, y) && !InFpsText(x, y) && f.Rgb(x, y) != 0) ++n;
        }
    }
    return n;
}

// Pixels outside the overlays' regions that differ between two frames.
int Changed(const FrameImage& a, const FrameImage& b) {
    int n = 0;
    for (uint32_t y = 0; y < a.height; ++y) {
        for (uint32_t x = 0; x < a.width; ++x)
            n += !InSprite(x, y) && !InFpsText(x, y) && a.Rgb(x, y) != b.Rgb(x, y);
    }
    return n;
}

// One run: the camera's aim, the black background, the land under the character and never over
// it, the picture sprite's light, the character's motion, its skin and the frame rate.
TEST(DemoScene, ComposesDrawsAndAnimatesTheDemonstration) {
    REQUIRE_MODELS();
    DemoRun run(kRes);
    ASSERT_TRUE(run.Ready());
    Application& a = *run.app;
    auto* girl = dynamic_cast<SkinnedCharacter*>(a.character);
    ASSERT_TRUE(girl && girl->skinLoaded && girl->skinMesh);
    const Mesh& skin = *girl->skinMesh;
    const std::vector<uint16_t> indices = skin.geometry->indices;
    ASSERT_GE(indices.size(), 3u * 1500u);
    auto edges = [&] {
        std::vector<float> out;
        for (size_t f = 0; f + 2 < indices.size(); f += 3) {
            for (size_t e = 0; e < 3; ++e)
                out.push_back(Length(skin.VertexPosition(indices[f + e]) -
                                     skin.VertexPosition(indices[f + (e + 1) % 3])));
        }
        return out;
    };
    const std::vector<float> rest = edges();
    run.Frames(2);
    // The camera comes before the character in the scene, so it aims where the pelvis was at
    // the end of the last frame.
    SceneObject* pelvis = a.character->FindChild("Bip01 Pelvis");
    ASSERT_NE(pelvis, nullptr);
    Vector3 p = pelvis->world.GetTranslation();
    run.Frames();
    EXPECT_LT(Length(a.camera->viewTarget - p), 1e-2f);

    run.Frames(7);
    // A zero step holds the pose, so the pictures differ only in what is drawn.
    run.clock.SetStep(0);
    run.Frames();
    FrameImage both = run.Frames();
    FrameImage character = run.Only({a.character}), land = run.Only({a.landGroup});
    a.sprite->visible = false;
    FrameImage without = run.Frames();
    a.sprite->visible = true;
    EXPECT_EQ(DrawnPixels(run.Only({})), 0) << "the background is black";
    EXPECT_GT(DrawnPixels(both), 640 * 480 / 4);
    int characterPixels = 0, overLand = 0, hidden = 0;
    for (uint32_t y = 0; y < 480; ++y) {
        for (uint32_t x = 0; x < 640; ++x) {
            uint32_t c = character.Rgb(x, y);
            if (InSprite(x, y) || InFpsText(x, y) || c == 0) continue;
            ++characterPixels;
            overLand += land.Rgb(x, y) != 0;
            hidden += both.Rgb(x, y) != c;
        }
    }
    EXPECT_GT(characterPixels, 2000);
    EXPECT_GT(overLand, characterPixels / 4) << "the character should stand on the land";
    EXPECT_EQ(hidden, 0);

    // The sprite adds to its square only.
    EXPECT_EQ(Changed(both, without), 0);
    uint32_t pw = 0, ph = 0;
    auto picture = DecodeJpegFile((kRes / "vireo.jpg").string(), &pw, &ph);
    ASSERT_TRUE(picture);
    // Block by block the added light is 0.3 of the picture's (the square's rows from 375 to
    // 475 are on screen; the picture is stretched over 150 x 150); saturated blocks say nothing.
    int blocks = 0;
    for (int block = 0; block < 24; ++block) {
        const int bx = block % 6 * 25, by = block / 6 * 25;
        double added[3] = {0, 0, 0}, expected[3] = {0, 0, 0};
        bool saturated = false;
        for (int y = by; y < by + 25; ++y) {
            for (int x = bx; x < bx + 25; ++x) {
                uint32_t on = both.Rgb(475 + x, 375 + y), off = without.Rgb(475 + x, 375 + y);
                const uint8_t* rgb =
                    picture.get() + (uint32_t(y) * ph / 150 * pw + uint32_t(x) * pw / 150) * 3;
                for (int c = 0; c < 3; ++c) {
                    saturated = saturated || Channel(on, 16 - 8 * c) >= 248;
                    added[c] += Channel(on, 16 - 8 * c) - Channel(off, 16 - 8 * c);
                    expected[c] += 0.3 * rgb[c];
                }
            }
        }
        for (int c = 0; c < 3 && !saturated; ++c)
            EXPECT_NEAR(added[c] / 625, expected[c] / 625, 10.0) << "block " << block << "," << c;
        blocks += !saturated;
    }
    EXPECT_GE(blocks, 12);

    run.clock.SetStep(33);
    EXPECT_GT(Changed(both, run.Frames(10)), 300) << "the character moves as it animates";

    // Every skin edge keeps roughly its length through a whole walk cycle: no triangle is torn
    // open at a joint or thrown across the picture. With one bone per vertex the edges across
    // a bent knee stretch most, to about 1.8 times their length.
    double worst = 1.0;
    for (int frame = 0; frame < 90; frame += 3) {
        run.Frames(3);
        std::vector<float> posed = edges();
        for (size_t i = 0; i < rest.size(); ++i) {
            double ratio = rest[i] < 0.05f ? 1.0 : std::max(double(posed[i] / rest[i]), 1e-6);
            worst = std::max(worst, std::max(ratio, 1.0 / ratio));
        }
    }
    EXPECT_LT(worst, 2.0) << "an edge stretched or shrank by " << worst;

    // The frame rate reads 30 in blue at (20, 450): the same text drawn by hand on a black
    // picture is what the frame holds there.
    run.Frames(10);
    FrameImage f = run.Only({});
    ASSERT_EQ(theEngine->fps, 30u);
    GraphicsDevice* device = theEngine->device;
    Rect all{0, 0, 640, 480};
    device->Clear(&all, 1, CLEAR_TARGET);
    device->DrawText(20, 450, 0x00FF0000, "FPS : 30");
    FrameImage reference;
    ASSERT_TRUE(device->ReadFrame(&reference));
    for (uint32_t y = 400; y < 480; ++y) {
        for (uint32_t x = 0; x < 400; ++x)
            ASSERT_EQ(f.Rgb(x, y), reference.Rgb(x, y)) << x << "," << y;
    }
}

// Without the character the demo runs on and the camera keeps its own view; a missing picture
// ends the program with -1; a camera photo saved as CMYK is drawn like any picture; one wider
// than the device's largest texture is reported and ends the program too.
TEST(MissingFiles, EachIsReportedAndOnlyThePictureEndsTheProgram) {
    REQUIRE_MODELS();
    test::PictureTempDir temp;
    const fs::path dir = temp.Path();
    test::MessageCapture capture;
    auto said = [&](const std::string& what) {
        for (const auto& m : capture.Messages())
            if ((m.caption + ": " + m.text).find(what) != std::string::npos) return true;
        return false;
    };
    auto exitCode = [&] { return capture.ExitCodes().empty() ? 0 : capture.ExitCodes().back(); };
    for (const fs::directory_entry& e : fs::directory_iterator(kRes)) {
        std::string name = e.path().filename().string();
        if (name != "debug.txt" && name != "girl-t.bne") fs::create_symlink(e.path(), dir / name);
    }
    {
        DemoRun run(dir);
        ASSERT_TRUE(run.Ready());
        EXPECT_TRUE(said("OrixFileBne")) << "the missing model is reported";
        EXPECT_EQ(exitCode(), 0);
        EXPECT_EQ(run.app->character->FindChild("Bip01 Pelvis"), nullptr);
        EXPECT_GT(DrawnPixels(run.Frames(3)), 640 * 480 / 4) << "the land is still drawn";
        EXPECT_EQ(run.app->camera->viewEye, demo::kCameraEye);
        EXPECT_EQ(run.app->camera->viewTarget, demo::kCameraLookAt);
    }
    fs::create_symlink(kRes / "girl-t.bne", dir / "girl-t.bne");
    fs::remove(dir / "vireo.jpg");
    capture.Clear();
    {
        DemoRun run(dir);
        EXPECT_TRUE(said("PavoSprite: Can't Load texture. : vireo.jpg"));
        EXPECT_EQ(exitCode(), -1);
    }
    capture.Clear();
    const std::string picture = (dir / "vireo.jpg").string();
    test::JpegOptions cmyk;
    cmyk.cmyk = true;
    cmyk.quality = 50;
    std::vector<uint8_t> green(size_t{6000} * 4000 * 3, 0);
    for (size_t i = 1; i < green.size(); i += 3) green[i] = 255;
    ASSERT_TRUE(test::WriteJpeg(picture, 6000, 4000, green, cmyk));
    {
        DemoRun run(dir);
        ASSERT_TRUE(run.Ready());
        EXPECT_TRUE(capture.Messages().empty());
        run.clock.SetStep(0);
        FrameImage with = run.Frames(2);
        run.app->sprite->visible = false;
        FrameImage without = run.Frames();
        // The green picture adds 0.3 of full green over the square's part on screen.
        double added = 0;
        for (uint32_t y = 380; y < 480; ++y) {
            for (uint32_t x = 480; x < 620; ++x)
                added += Channel(with.Rgb(x, y), 8) - Channel(without.Rgb(x, y), 8);
        }
        EXPECT_NEAR(added / (100 * 140), 0.3 * 255, 8.0);
    }
    EXPECT_EQ(exitCode(), 0);

    ASSERT_TRUE(
        test::WriteJpeg(picture, 16385, 8, std::vector<uint8_t>(size_t{16385} * 8 * 3, 200)));
    DemoRun run(dir);
    EXPECT_TRUE(
        said("OrixFileJpg: JPEG :\nPicture too large in vireo.jpg: the picture is 16385 x 8 "
             "pixels; the limit is 16384 pixels a side"));
    EXPECT_TRUE(said("PavoSprite: Can't Load texture. : vireo.jpg"));
    EXPECT_EQ(exitCode(), -1);
}

}  // namespace
}  // namespace orix
