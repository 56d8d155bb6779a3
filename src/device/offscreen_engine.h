/// \file
/// OffscreenEngine: an engine that draws into an offscreen buffer, with no window and no display
/// server (Mesa's software rasteriser will do), for servers, tests and programs that only write
/// pictures. It is the set-up a program of its own needs in one object: the offscreen display, a
/// software device on it, and an engine on the caller's clock with its device objects made (the
/// viewport, the initial render states, the drawing and background materials).
///
/// While alive it is the process-wide engine (theEngine) and frameStep starts at 1; both are
/// cleared again on destruction. One at a time: the engine is process-wide. Scene objects must
/// be gone before it, as they release their device objects on the device it owns. Depends on the
/// platform's display system and the Engine. Single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics_device.h"

namespace orix {

class Clock;
class DisplayContext;
class Engine;

class OffscreenEngine {
public:
    /// Opens a width x height display at bitsPerPixel (16: RGB565 as the program draws, 32: RGBA8)
    /// and the engine on clock; Ok() is false, with the reason in Error(), when no display or
    /// device can be made (the engine then exists without a device and draws nothing).
    explicit OffscreenEngine(Clock& clock, uint32_t width = 640, uint32_t height = 480,
                             uint32_t bitsPerPixel = 32);
    ~OffscreenEngine();
    OffscreenEngine(const OffscreenEngine&) = delete;
    OffscreenEngine& operator=(const OffscreenEngine&) = delete;

    bool Ok() const { return device_ != nullptr; }
    const std::string& Error() const { return error_; }
    Engine& engine() { return *engine_; }
    /// Null when !Ok().
    GraphicsDevice* device() { return device_.get(); }

    /// Sets the colour each frame clears to (0..1 a channel).
    void SetBackground(float r, float g, float b);
    /// The last frame drawn, read back as a display would show it (every pixel opaque); false
    /// without a device.
    bool ReadFrame(FrameImage* image);

private:
    std::string error_;
    std::unique_ptr<DisplayContext> display_;
    std::unique_ptr<GraphicsDevice> device_;
    std::unique_ptr<Engine> engine_;
};

/// Sets the colour engine's frames clear to (0..1 a channel); nothing without a device.
void SetBackgroundColor(Engine& engine, float r, float g, float b);

}  // namespace orix
