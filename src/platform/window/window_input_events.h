/// \file
/// Inside the platform layer only: the pointer, wheel, resize and drop events of SDL turned
/// into window messages (window_input.cpp), called for every event the queue reads.
#pragma once

#include <SDL.h>

#include "platform/window.h"

namespace orix {

/// Posts the messages one SDL event makes, when it is one of these kinds.
void QueueInputEvent(const SDL_Event& event);
/// The window made for an SDL window id, or null.
WindowHandle WindowOfSdlId(uint32_t id);

}  // namespace orix
