/// \file
/// The few process-wide objects the engine reaches without being handed them: the engine, the
/// current scene, the last frame's length in thirtieths of a second, and the log stream.
///
/// Depends on nothing but forward declarations. Single-threaded: only the window thread reads or
/// writes them, and tests reset them between cases.
#pragma once

#include <cstdio>

namespace orix {

class Engine;
class Scene;

/// The one engine; set by its creator, null before and after.
extern Engine* theEngine;
/// The scene the application is building and drawing; null when none.
extern Scene* currentScene;
/// The last frame's length in milliseconds times 0.03 (animation frames at 30 per second).
extern float frameStep;
/// The text log ("debug.txt"); null when not open.
extern std::FILE* logFile;

}  // namespace orix
