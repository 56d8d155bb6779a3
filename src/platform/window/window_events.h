/// \file
/// Inside the platform layer only: hands an SDL event that belongs to no dialog to the message
/// queue, so a modal loop of its own (the device dialog) keeps the main window's events.
#pragma once

#include <SDL.h>

namespace orix {

/// Turns one SDL event into queued (or, like WM_SETCURSOR, sent) window messages.
void QueueWindowEvent(const SDL_Event& event);

}  // namespace orix
