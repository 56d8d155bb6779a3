#include "demo_run.h"

#include <algorithm>
#include <cstdlib>

#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "scene/scene.h"

namespace fs = std::filesystem;

namespace orix {

fs::path BuiltResFolder() {
    return fs::path(ORIX_RES_DIR);
}

bool BuiltResHasModels() {
    std::error_code ec;
    return fs::exists(BuiltResFolder() / "girl-t.bne", ec) &&
           fs::exists(BuiltResFolder() / "gland.bne", ec);
}

DemoRun::DemoRun(const fs::path& resFolder, uint32_t stepMs) : clock(1000, stepMs) {
    setenv("ORIX_OFFSCREEN", "1", 1);
    std::error_code ec;
    start_ = fs::current_path(ec);
    theDisplay = new Display();
    theEngine = new Engine(clock);
    theEngine->SetupWithDriver(theDisplay, nullptr, 640, 480, 16, DriverGuid());
    if (!theEngine->device) return;
    fs::current_path(resFolder, ec);
    app = new Application();
    app->BuildScene();
}

DemoRun::~DemoRun() {
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
    std::error_code ec;
    fs::current_path(start_, ec);
}

FrameImage DemoRun::Frame() {
    FrameImage image;
    if (!app || !theEngine || !theEngine->device) return image;
    app->Frame();
    theEngine->device->ReadFrame(&image);
    return image;
}

FrameImage DemoRun::Frames(int n) {
    FrameImage image;
    for (int i = 0; i < n; ++i) image = Frame();
    return image;
}

void DemoRun::Hide(SceneObject* object) {
    if (!app || !app->scene) return;
    auto& list = app->scene->children;
    auto it = std::find(list.begin(), list.end(), object);
    if (it == list.end()) return;
    hidden_.push_back({object, static_cast<size_t>(it - list.begin())});
    list.erase(it);
}

void DemoRun::Show(SceneObject* object) {
    if (!app || !app->scene) return;
    for (auto it = hidden_.begin(); it != hidden_.end(); ++it) {
        if (it->first != object) continue;
        auto& list = app->scene->children;
        list.insert(list.begin() + static_cast<long>(std::min(it->second, list.size())), object);
        hidden_.erase(it);
        return;
    }
}

}  // namespace orix
