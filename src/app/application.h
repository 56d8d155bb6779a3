/// \file
/// Application: the demonstration's top-level objects, the log, and the per-frame function that
/// draws the frame-rate text over the finished picture and presents it.
///
/// Depends on the Engine and Display globals and the demonstration scene. Owns every object that
/// BuildScene creates (the DemoScene members) and destroys each exactly once. Single-threaded.
#pragma once

#include <cstdint>

#include "app/demo_scene.h"

namespace orix {

class Application : public DemoScene {
public:
    /// With keepLog (the program), opens "debug.txt" in the working directory for writing in text
    /// mode into logFile (null when it cannot be opened); the tool keeps no log.
    explicit Application(bool keepLog = true);
    /// Destroys every object it holds, each once, scene objects before the engine and display.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    /// Composes the demonstration (BuildDemoScene) on the process-wide engine; nothing without
    /// one.
    void BuildScene();
    /// One frame: the render pass, "FPS : \%d" at (20, height - 30) in blue over a transparent
    /// background, then the flip. Returns true.
    bool Frame();

    bool flag = false;
};

}  // namespace orix
