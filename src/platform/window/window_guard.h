/// \file
/// What ends the program when its window or its display goes away
/// under it, or when the program is asked to terminate.
///
/// - A window destroyed by another client (a tool, the window manager, the X server) arrives as
///   its DestroyNotify, or as the error the next request on it raises; either way the message
///   queue is told, and closes that window as the close button would. X errors never call back
///   into Xlib (SDL's own handler does, and deadlocks a thread that holds Xlib's lock).
/// - Losing the X connection prints a message and ends the process with status 1 at once: no
///   request can reach the display any more, so no teardown can run.
/// - SIGINT and SIGTERM ask every window to close, and end at once the process of a message box
///   that is open (its call then fails and the text goes to stderr); should the program not have
///   ended within kTerminationGraceSeconds (a stuck driver), the signal's default action ends it.
/// - Whatever ends the program, the processes it forked (a message box's) end with it
///   (child_processes.h).
///
/// X11 only; on other video drivers the window part does nothing. One thread. Declares SDL's
/// types only, so that tests may include it.
#pragma once

#include <cstdint>

struct SDL_Window;
union SDL_Event;

namespace orix {

constexpr unsigned kTerminationGraceSeconds = 3;

/// Installs the SIGINT / SIGTERM handlers and ties forked children to the program (once), and
/// keeps SDL from installing its own handlers. Call before SDL starts its video.
void GuardTermination();
/// True once a termination was asked for; TakeTerminationRequest also clears it.
bool TerminationRequested();
bool TakeTerminationRequest();

/// Watches window's X connection and the window itself (again after each SDL video start, which
/// puts SDL's handlers back).
void GuardWindow(SDL_Window* window);
/// Forgets window.
void UnguardWindow(SDL_Window* window);
/// Forgets and destroys window; the X errors its end raises are taken before SDL may close the
/// connection.
void DestroyGuardedWindow(SDL_Window* window);
/// The SDL id of a guarded window that was destroyed from outside since the last call (taking
/// it), or 0. event, when given, is looked at first (an SDL_SYSWMEVENT carries DestroyNotify).
uint32_t TakeDestroyedWindow(const SDL_Event* event = nullptr);

}  // namespace orix
