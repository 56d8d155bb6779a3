#include "platform/window_input.h"

#include <SDL.h>

#include <deque>

#include "platform/window/window_input_events.h"

namespace orix {

namespace {

std::deque<std::string>& DroppedFiles() {
    static std::deque<std::string> files;
    return files;
}

uintptr_t HeldButtons(uint32_t sdlState) {
    uintptr_t held = 0;
    if (sdlState & SDL_BUTTON_LMASK) held |= MK_LBUTTON;
    if (sdlState & SDL_BUTTON_RMASK) held |= MK_RBUTTON;
    if (sdlState & SDL_BUTTON_MMASK) held |= MK_MBUTTON;
    return held;
}

uint32_t ButtonMessage(uint8_t button, bool down) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        case SDL_BUTTON_RIGHT:
            return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        case SDL_BUTTON_MIDDLE:
            return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        default:
            return 0;
    }
}

}  // namespace

void QueueInputEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (WindowHandle w = WindowOfSdlId(event.motion.windowID)) {
                PostMessage(w, WM_MOUSEMOVE, HeldButtons(event.motion.state),
                            PointerParam(event.motion.x, event.motion.y));
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (WindowHandle w = WindowOfSdlId(event.button.windowID)) {
                uint32_t message =
                    ButtonMessage(event.button.button, event.type == SDL_MOUSEBUTTONDOWN);
                if (message) {
                    PostMessage(w, message, HeldButtons(SDL_GetMouseState(nullptr, nullptr)),
                                PointerParam(event.button.x, event.button.y));
                }
            }
            break;
        case SDL_MOUSEWHEEL:
            if (WindowHandle w = WindowOfSdlId(event.wheel.windowID)) {
                int turn = event.wheel.y * kWheelDelta;
                if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turn = -turn;
                PostMessage(w, WM_MOUSEWHEEL, static_cast<uintptr_t>(turn & 0xFFFF) << 16, 0);
            }
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                if (WindowHandle w = WindowOfSdlId(event.window.windowID)) {
                    PostMessage(w, WM_SIZE, SIZE_RESTORED,
                                PointerParam(event.window.data1, event.window.data2));
                }
            }
            break;
        case SDL_DROPFILE:
            if (event.drop.file) {
                DroppedFiles().push_back(event.drop.file);
                SDL_free(event.drop.file);
                // Drops may come without a window id; the main window takes them then.
                WindowHandle w = WindowOfSdlId(event.drop.windowID);
                PostMessage(w ? w : theMainWindow, WM_DROPFILES, 0, 0);
            }
            break;
        default:
            break;
    }
}

void SetWindowResizable(WindowHandle window, bool resizable) {
    if (auto* sdl = static_cast<SDL_Window*>(NativeWindow(window)))
        SDL_SetWindowResizable(sdl, resizable ? SDL_TRUE : SDL_FALSE);
}

void SetWindowTitle(WindowHandle window, const std::string& title) {
    if (auto* sdl = static_cast<SDL_Window*>(NativeWindow(window)))
        SDL_SetWindowTitle(sdl, title.c_str());
}

bool ClientSize(WindowHandle window, int* width, int* height) {
    auto* sdl = static_cast<SDL_Window*>(NativeWindow(window));
    if (!sdl) return false;
    SDL_GetWindowSize(sdl, width, height);
    return true;
}

std::string TakeDroppedFile() {
    auto& files = DroppedFiles();
    if (files.empty()) return std::string();
    std::string path = files.front();
    files.pop_front();
    return path;
}

}  // namespace orix
