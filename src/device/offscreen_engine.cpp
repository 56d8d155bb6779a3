#include "device/offscreen_engine.h"

#include "device/engine.h"
#include "device/globals.h"
#include "platform/display_system.h"

namespace orix {

OffscreenEngine::OffscreenEngine(Clock& clock, uint32_t width, uint32_t height,
                                 uint32_t bitsPerPixel) {
    DisplayConfig config;
    config.width = width;
    config.height = height;
    config.bitsPerPixel = bitsPerPixel;
    config.mode = DisplayMode::Offscreen;
    display_ = OpenDisplay(config, &error_);
    if (display_) device_ = CreateGraphicsDevice(*display_, false, &error_);
    if (!device_) display_.reset();
    engine_ = std::make_unique<Engine>(clock, device_.get());
    engine_->hardware = false;
    engine_->fullScreen = false;
    engine_->width = static_cast<int32_t>(width);
    engine_->height = static_cast<int32_t>(height);
    engine_->depth = static_cast<int32_t>(bitsPerPixel);
    engine_->clearRect = Rect{0, 0, engine_->width, engine_->height};
    engine_->CreateDeviceObjects();
    theEngine = engine_.get();
    frameStep = 1.0f;
}

OffscreenEngine::~OffscreenEngine() {
    if (theEngine == engine_.get()) theEngine = nullptr;
    currentScene = nullptr;
    frameStep = 0.0f;
    // The engine releases its materials on the device, which goes before its display.
    engine_.reset();
    device_.reset();
    display_.reset();
}

void OffscreenEngine::SetBackground(float r, float g, float b) {
    SetBackgroundColor(*engine_, r, g, b);
}

bool OffscreenEngine::ReadFrame(FrameImage* image) {
    if (!device_ || !image || !device_->ReadFrame(image)) return false;
    // The drawing's alpha is the blending's, not coverage: a picture file would show it as holes.
    for (size_t i = 3; i < image->rgba.size(); i += 4) image->rgba[i] = 255;
    return true;
}

void SetBackgroundColor(Engine& engine, float r, float g, float b) {
    if (!engine.device || !engine.backgroundMaterial) return;
    MaterialRecord record = DefaultMaterialRecord();
    record.diffuse = ColorValue{r, g, b, 1.0f};
    engine.device->SetMaterial(engine.backgroundMaterial, record);
}

}  // namespace orix
