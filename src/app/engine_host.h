/// \file
/// EngineHost: what a program of its own needs around the engine, so that it only builds a scene:
/// a window with the display and engine set up on it (the primary display, at 32 bits), or, when
/// asked for a fixed number of frames, an OffscreenEngine with a fixed-step clock; and the frame
/// loop that draws into either. Examples and small tools start here.
///
/// While alive it holds the process-wide engine (theEngine) and, with a window, the display
/// (theDisplay) and main window (theMainWindow); all are cleared on destruction. Scene objects
/// made on its engine must be destroyed before it. A window that cannot get a display or device
/// ends the program with -1 through the exit hook, as the demonstration does. Offscreen, message
/// boxes go to stderr: there is nobody to close them. One host at a time. Single-threaded.
/// Depends on the platform window, the Display, the Engine and OffscreenEngine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/window.h"

namespace orix {

class Display;
class Engine;
class OffscreenEngine;

struct HostOptions {
    int32_t width = 640;
    int32_t height = 480;
    std::string title = "Orix";
    /// 0: a window, drawn until it is closed; more: that many frames offscreen.
    uint32_t frames = 0;
    /// Offscreen: the folder the last frame is written to as frame-NNNN.png; empty writes none.
    std::string out;
    /// Offscreen: the fixed frame step in milliseconds (33: the engine's 30 frames a second).
    uint32_t stepMs = 33;
    /// The program's own arguments, in order: whatever is not a host option.
    std::vector<std::string> args;
};

/// Takes --frames N, --out DIR and --size WxH from a program's arguments into options and keeps
/// the rest (none of which may start with "--") in options->args. False, after printing the
/// reason and the host options' usage on stderr, for a bad or unknown option.
bool ParseHostOptions(int argc, char** argv, HostOptions* options);

class EngineHost {
public:
    /// Opens the window or the offscreen engine; Ok() tells whether there is a device to draw
    /// on (false with no display and no --frames, after saying so on stderr).
    explicit EngineHost(const HostOptions& options);
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    bool Ok() const;
    bool Offscreen() const { return offscreen_ != nullptr; }
    Engine& engine() { return *engine_; }
    /// Sets the colour each frame clears to (0..1 a channel).
    void SetBackground(float r, float g, float b);

    /// Draws frames: before each, beforeFrame (when given) with the frame's number from 0; then
    /// the engine's render pass, and with a window the present. Windowed it runs until the window
    /// is closed (close button, Alt+F4, SIGINT or SIGTERM); offscreen it draws options.frames
    /// frames and writes the last. Returns the exit status: 0, or 1 when nothing could be drawn
    /// or the picture could not be written.
    int Run(const std::function<void(uint32_t frame)>& beforeFrame = nullptr);

private:
    int RunWindow(const std::function<void(uint32_t)>& beforeFrame);
    int RunOffscreen(const std::function<void(uint32_t)>& beforeFrame);

    HostOptions options_;
    SystemClock systemClock_;
    FixedStepClock fixedClock_;
    WindowHandle window_ = nullptr;
    std::unique_ptr<Display> display_;
    std::unique_ptr<OffscreenEngine> offscreen_;
    std::unique_ptr<Engine> windowEngine_;
    Engine* engine_ = nullptr;
};

}  // namespace orix
