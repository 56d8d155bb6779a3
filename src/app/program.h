/// \file
/// The program: the window and its procedure, start-up (window, display, engine, set-up, the
/// move into "res", the Application and its scene), the busy main loop and the shutdown that
/// closing the window sets off.
///
/// Depends on the platform window and message queue, the Engine and Display, and Application.
/// The process-wide objects live here. Single-threaded.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/window.h"

namespace orix {

class Application;

extern Application* theApplication;
/// While true the window procedure never hides the cursor.
extern bool settingUp;
/// Both must be true for a frame to be drawn and the cursor to be hidden.
extern bool appActive;
extern bool appReady;

/// WM_DESTROY destroys the Application and posts the quit message with 0; WM_CLOSE destroys the
/// window; WM_SETCURSOR hides the cursor once the loop runs; the rest default processing.
intptr_t WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

/// Start-up as far as the loop: the window class and window, the display, the engine on clock,
/// set-up at 640 x 480 x 16, the move into "res", the Application and its scene. Returns the
/// window.
WindowHandle StartProgram(Clock& clock);
/// Peeks once, sets appActive and appReady and runs the loop until WM_QUIT is taken; a frame
/// runs whenever no message waits. Returns the quit message's code; *frames counts the frames.
int RunMainLoop(uint64_t* frames = nullptr);
/// The whole program: StartProgram then RunMainLoop.
int ProgramMain();

}  // namespace orix
