// The engine a command runs on, set up one way: ToolEngine, a small offscreen one for the
// commands that only load models (info, pose, convert, export), and OpenEngine, the display and
// engine the drawing commands draw with (render, view), at a size, depth and driver of their
// choosing, in a window or offscreen. Depends on the device layer.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/window.h"

namespace orix {
class OffscreenEngine;
}

namespace orix::tool {

// The offscreen engine, installed as the process-wide engine while alive, with the tool's
// message sink. Without a device (said on stderr) pictures fail and are reported.
class ToolEngine {
public:
    ToolEngine();
    ~ToolEngine();

private:
    FixedStepClock clock_;
    std::unique_ptr<OffscreenEngine> engine_;
};

struct EngineSetup {
    WindowHandle window = nullptr;  // null: offscreen
    int width = 640;
    int height = 480;
    int bitsPerPixel = 32;
    long driver = -1;  // index into the driver list; -1: the stored driver
};

// theDisplay and theEngine made on clock as setup says; false, with why in *error ("no device
// could be made"), when there is no such driver or no device (both are made all the same, for
// CloseEngine to release).
bool OpenEngine(const EngineSetup& setup, Clock& clock, std::string* error);
// Releases theEngine and theDisplay; the device's textures must be gone first.
void CloseEngine();

}  // namespace orix::tool
