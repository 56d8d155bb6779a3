#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/display_system.h"
#include "platform/window/window_events.h"
#include "platform/window/window_guard.h"
#include "platform/window/window_input_events.h"

namespace orix {

struct PlatformWindow {
    WindowClass windowClass;
    std::string title;
    int width = 0;
    int height = 0;
    SDL_Window* sdl = nullptr;  // null for the stand-in
    uint32_t sdlId = 0;
    bool destroying = false;
};

namespace {

// The one message queue of the program's one thread.
struct Queue {
    std::map<std::string, WindowClass> classes;
    std::vector<std::unique_ptr<PlatformWindow>> windows;
    std::deque<WindowMessage> posted;
    bool quitPending = false;
    int quitCode = 0;
    bool cursorVisible = true;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

PlatformWindow* FindBySdlId(uint32_t id) {
    for (auto& w : TheQueue().windows) {
        if (w->sdl && w->sdlId == id) return w.get();
    }
    return nullptr;
}

uintptr_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uintptr_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uintptr_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + static_cast<uintptr_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
            return VK_RETURN;
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        default:
            return 0;
    }
}

void Translate(PlatformWindow* w, WindowEvent event) {
    switch (event) {
        case WindowEvent::CloseButton:
            PostMessage(w, WM_CLOSE, 0, 0);
            break;
        case WindowEvent::FocusGained:
            PostMessage(w, WM_ACTIVATEAPP, 1, 0);
            PostMessage(w, WM_ACTIVATE, WA_ACTIVE, 0);
            break;
        case WindowEvent::FocusLost:
            PostMessage(w, WM_ACTIVATE, WA_INACTIVE, 0);
            PostMessage(w, WM_ACTIVATEAPP, 0, 0);
            break;
        case WindowEvent::Minimized:
            PostMessage(w, WM_SIZE, SIZE_MINIMIZED, 0);
            break;
        case WindowEvent::Restored:
            PostMessage(w, WM_SIZE, SIZE_RESTORED,
                        static_cast<intptr_t>((w->height << 16) | (w->width & 0xFFFF)));
            break;
        case WindowEvent::Exposed:
            PostMessage(w, WM_PAINT, 0, 0);
            break;
        case WindowEvent::PointerEnter:
        case WindowEvent::PointerMove:
            // Windows sends WM_SETCURSOR, at once, with each move over the window.
            SendMessage(w, WM_SETCURSOR, reinterpret_cast<uintptr_t>(w),
                        HTCLIENT | (static_cast<intptr_t>(WM_MOUSEMOVE) << 16));
            break;
    }
}

void QueueWindowEventFor(PlatformWindow* w, const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            return Translate(w, WindowEvent::CloseButton);
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return Translate(w, WindowEvent::FocusGained);
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return Translate(w, WindowEvent::FocusLost);
        case SDL_WINDOWEVENT_MINIMIZED:
            return Translate(w, WindowEvent::Minimized);
        case SDL_WINDOWEVENT_RESTORED:
            return Translate(w, WindowEvent::Restored);
        case SDL_WINDOWEVENT_EXPOSED:
            return Translate(w, WindowEvent::Exposed);
        case SDL_WINDOWEVENT_ENTER:
            return Translate(w, WindowEvent::PointerEnter);
        default:
            return;
    }
}

// A window another client destroyed closes as if its close button had been pressed: the
// teardown runs, and the requests it makes on the dead window only raise ignored errors.
void CloseDestroyedWindows(const SDL_Event* event) {
    for (uint32_t id = TakeDestroyedWindow(event); id != 0; id = TakeDestroyedWindow()) {
        if (PlatformWindow* w = FindBySdlId(id)) PostMessage(w, WM_CLOSE, 0, 0);
    }
}

void PumpEvents() {
    // Ctrl+C or a termination request closes every window in order.
    if (TakeTerminationRequest()) {
        for (auto& w : TheQueue().windows) PostMessage(w.get(), WM_CLOSE, 0, 0);
    }
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) QueueWindowEvent(event);
    CloseDestroyedWindows(nullptr);
}

}  // namespace

WindowHandle theMainWindow = nullptr;

WindowHandle WindowOfSdlId(uint32_t id) {
    return FindBySdlId(id);
}

void QueueWindowEvent(const SDL_Event& event) {
    // Pointer, wheel, resize and drops become messages of their own (window_input.cpp).
    QueueInputEvent(event);
    Queue& q = TheQueue();
    switch (event.type) {
        case SDL_QUIT:
            // The session ending: close every window in order.
            for (auto& w : q.windows) PostMessage(w.get(), WM_CLOSE, 0, 0);
            break;
        case SDL_SYSWMEVENT:
            CloseDestroyedWindows(&event);
            break;
        case SDL_WINDOWEVENT:
            if (PlatformWindow* w = FindBySdlId(event.window.windowID)) {
                QueueWindowEventFor(w, event);
            }
            break;
        case SDL_MOUSEMOTION:
            if (PlatformWindow* w = FindBySdlId(event.motion.windowID)) {
                Translate(w, WindowEvent::PointerMove);
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (PlatformWindow* w = FindBySdlId(event.key.windowID)) {
                uintptr_t vk = VirtualKey(event.key.keysym.sym);
                if (vk == 0) break;
                bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
                bool down = event.type == SDL_KEYDOWN;
                uint32_t msg =
                    alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
                intptr_t lParam = alt ? (intptr_t{1} << 29) : 0;
                PostMessage(w, msg, vk, lParam);
            }
            break;
        default:
            break;
    }
}

bool RegisterWindowClass(const WindowClass& windowClass) {
    Queue& q = TheQueue();
    if (windowClass.className.empty() || !windowClass.procedure) return false;
    return q.classes.emplace(windowClass.className, windowClass).second;
}

WindowHandle CreateWindow(const std::string& className, const std::string& title, int width,
                          int height) {
    Queue& q = TheQueue();
    auto cls = q.classes.find(className);
    if (cls == q.classes.end()) return nullptr;
    auto w = std::make_unique<PlatformWindow>();
    w->windowClass = cls->second;
    w->title = title;
    w->width = width;
    w->height = height;
    GuardTermination();
    if (!RunningHeadless()) {
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        // The class name becomes the X11 window class, where window managers and tools see it.
        setenv("SDL_VIDEO_X11_WMCLASS", className.c_str(), 0);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            w->sdl =
                SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
            if (w->sdl) {
                w->sdlId = SDL_GetWindowID(w->sdl);
                GuardWindow(w->sdl);
            } else {
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
            }
        }
    }
    q.windows.push_back(std::move(w));
    return q.windows.back().get();
}

void ShowWindow(WindowHandle window) {
    if (IsWindow(window) && window->sdl) {
        SDL_ShowWindow(window->sdl);
        SDL_RaiseWindow(window->sdl);
    }
}

bool IsWindow(WindowHandle window) {
    if (!window) return false;
    for (auto& w : TheQueue().windows) {
        if (w.get() == window) return true;
    }
    return false;
}

bool DestroyWindow(WindowHandle window) {
    if (!IsWindow(window) || window->destroying) return false;
    window->destroying = true;
    SendMessage(window, WM_DESTROY, 0, 0);
    Queue& q = TheQueue();
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(),
                                  [window](const WindowMessage& m) { return m.window == window; }),
                   q.posted.end());
    if (window->sdl) {
        DestroyGuardedWindow(window->sdl);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (theMainWindow == window) theMainWindow = nullptr;
    q.windows.erase(std::find_if(q.windows.begin(), q.windows.end(),
                                 [window](const auto& w) { return w.get() == window; }));
    return true;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window && !IsWindow(window)) return false;
    TheQueue().posted.push_back(WindowMessage{window, message, wParam, lParam});
    return true;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!IsWindow(window)) return 0;
    return window->windowClass.procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    Queue& q = TheQueue();
    q.quitPending = true;
    q.quitCode = exitCode;
}

bool PeekMessage(WindowMessage* message, uint32_t flags) {
    PumpEvents();
    Queue& q = TheQueue();
    if (!q.posted.empty()) {
        if (message) *message = q.posted.front();
        if (flags & PM_REMOVE) q.posted.pop_front();
        return true;
    }
    if (q.quitPending) {
        if (message) {
            *message = WindowMessage{nullptr, WM_QUIT, static_cast<uintptr_t>(q.quitCode), 0};
        }
        if (flags & PM_REMOVE) q.quitPending = false;
        return true;
    }
    return false;
}

bool TranslateMessage(const WindowMessage& message) {
    if (message.message != WM_KEYDOWN) return false;
    uintptr_t vk = message.wParam;
    bool printable = vk == VK_SPACE || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z');
    if (!printable) return false;
    uintptr_t ch = (vk >= 'A' && vk <= 'Z') ? vk - 'A' + 'a' : vk;
    return PostMessage(message.window, WM_CHAR, ch, message.lParam);
}

intptr_t DispatchMessage(const WindowMessage& message) {
    if (!message.window) return 0;
    return SendMessage(message.window, message.message, message.wParam, message.lParam);
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4) SendMessage(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_SETCURSOR:
            if (IsWindow(window) && window->windowClass.arrowCursor) SetCursorVisible(true);
            return 0;
        default:
            return 0;
    }
}

bool EnterFullScreen(WindowHandle window, int width, int height) {
    if (!IsWindow(window) || !window->sdl) return false;
    int index = SDL_GetWindowDisplayIndex(window->sdl);
    if (index < 0) return false;
    // Only a true mode of that size: a stretched desktop would no longer be 640 x 480 pixels.
    bool found = false;
    for (int m = 0, n = SDL_GetNumDisplayModes(index); m < n && !found; ++m) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(index, m, &mode) == 0 && mode.w == width && mode.h == height) {
            found = SDL_SetWindowDisplayMode(window->sdl, &mode) == 0;
        }
    }
    return found && SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN) == 0;
}

void SetCursorVisible(bool visible) {
    TheQueue().cursorVisible = visible;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool CursorVisible() {
    return TheQueue().cursorVisible;
}

void SimulateWindowEvent(WindowHandle window, WindowEvent event) {
    if (IsWindow(window)) Translate(window, event);
}

void* NativeWindow(WindowHandle window) {
    return IsWindow(window) ? window->sdl : nullptr;
}

bool IsStandInWindow(WindowHandle window) {
    return IsWindow(window) && !window->sdl;
}

std::string WindowTitle(WindowHandle window) {
    return IsWindow(window) ? window->title : std::string();
}

}  // namespace orix
