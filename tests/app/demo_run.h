// The demonstration drawn offscreen from the built resource folder with a fixed frame step, as
// `orix render` draws it, for tests that look at its pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/clock.h"
#include "platform/graphics_device.h"

namespace orix {

// The built resource folder, and whether it holds the converted models.
std::filesystem::path BuiltResFolder();
bool BuiltResHasModels();

// Display, engine and Application made as the program makes them, on the primary driver
// offscreen, in resFolder; torn down (and the working directory restored) on destruction.
// One at a time: they are the process-wide objects.
class DemoRun {
public:
    explicit DemoRun(const std::filesystem::path& resFolder, uint32_t stepMs = 33);
    ~DemoRun();
    DemoRun(const DemoRun&) = delete;
    DemoRun& operator=(const DemoRun&) = delete;

    bool Ready() const { return app != nullptr; }
    // One program frame (render pass, frame-rate text, present), read back.
    FrameImage Frame();
    // Runs n frames and returns the last.
    FrameImage Frames(int n);
    // Takes an object out of the scene root's children (or puts it back where it was).
    void Hide(SceneObject* object);
    void Show(SceneObject* object);

    FixedStepClock clock;
    Application* app = nullptr;

private:
    std::filesystem::path start_;
    std::vector<std::pair<SceneObject*, size_t>> hidden_;
};

// Pixel helpers: 0x00RRGGBB channels, and the regions the overlays draw on.
inline int Channel(uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}
// The picture sprite's square and the frame-rate text's box.
inline bool InSprite(uint32_t x, uint32_t y) {
    return x >= 474 && x < 626 && y >= 374;
}
inline bool InFpsText(uint32_t x, uint32_t y) {
    return x < 160 && y >= 436 && y < 476;
}

}  // namespace orix
