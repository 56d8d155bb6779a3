/// \file
/// The application window and its message queue: the stand-in for the window class, window,
/// window procedure and message loop of the Windows platform.
///
/// Events of the windowing system become the messages the engine expects: the close button or
/// Alt+F4 post WM_CLOSE, DestroyWindow sends WM_DESTROY, the pointer moving over the window
/// sends WM_SETCURSOR, focus changes post WM_ACTIVATE / WM_ACTIVATEAPP and minimising or
/// restoring posts WM_SIZE. PeekMessage, TranslateMessage and DispatchMessage keep their
/// contract; PostQuitMessage leaves WM_QUIT pending until it is removed, and while it is pending
/// the queue is never reported empty.
///
/// Carried by SDL2. When RunningHeadless() the window is a hidden stand-in with no SDL window:
/// messages can still be posted and dispatched. In either case SIGINT / SIGTERM post WM_CLOSE as
/// the close button would (and end the program after a grace period if it does not end), and a
/// window destroyed by another client gets WM_CLOSE too. One thread only.
#pragma once

#include <cstdint>
#include <string>

namespace orix {

struct PlatformWindow;
using WindowHandle = PlatformWindow*;

using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

/// MSG.
struct WindowMessage {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

/// Message numbers as Windows has them.
enum : uint32_t {
    WM_NULL = 0x0000,
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ACTIVATEAPP = 0x001C,
    WM_SETCURSOR = 0x0020,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
};

enum : uintptr_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };
enum : uintptr_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1 };
enum : intptr_t { HTCLIENT = 1 };
/// Virtual-key codes the keyboard messages carry (letters and digits are their ASCII codes).
enum : uintptr_t {
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_F4 = 0x73,
};

/// PeekMessage's remove flags.
enum PeekFlags : uint32_t { PM_NOREMOVE = 0, PM_REMOVE = 1 };

/// WNDCLASS, the parts that mean something here.
struct WindowClass {
    std::string className;
    WindowProcedure procedure = nullptr;
    bool arrowCursor = true;  ///< the class cursor that default processing of WM_SETCURSOR shows
};

/// The application window, owner of the program's message boxes; null until it exists.
extern WindowHandle theMainWindow;

/// Registers a class by name; false when the name is empty, taken or has no procedure.
bool RegisterWindowClass(const WindowClass& windowClass);

/// A window of a registered class, client area width x height, hidden until ShowWindow. Without
/// a display (or when the SDL window cannot be made) it is the hidden stand-in. Null for an
/// unknown class.
WindowHandle CreateWindow(const std::string& className, const std::string& title, int width,
                          int height);
/// Shows the window (a no-op for the stand-in).
void ShowWindow(WindowHandle window);
/// Sends WM_DESTROY to the window procedure, then frees the window; messages still queued for it
/// are dropped. False for a window that does not exist (any more).
bool DestroyWindow(WindowHandle window);
/// True while window exists.
bool IsWindow(WindowHandle window);

/// Queues a message; false for a window that does not exist. A null window is a thread message.
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
/// Calls the window procedure at once and returns its result (0 for a window that is gone).
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
/// Makes WM_QUIT with exitCode pending; it is taken after the messages already posted.
void PostQuitMessage(int exitCode);
/// Takes the next message without waiting; false when none is there. Reads pending events of
/// the windowing system first.
bool PeekMessage(WindowMessage* message, uint32_t flags);
/// Posts WM_CHAR for a key-down message of a key that makes a printable character.
bool TranslateMessage(const WindowMessage& message);
/// Hands the message to its window's procedure; 0 for thread messages and gone windows.
intptr_t DispatchMessage(const WindowMessage& message);
/// Default processing: WM_CLOSE destroys the window, Alt+F4 becomes WM_CLOSE, WM_SETCURSOR
/// shows the class cursor; 0 for the rest.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

/// Switches the window to exclusive full screen when the display has a mode of exactly
/// width x height; false, window unchanged, otherwise (and for the stand-in).
bool EnterFullScreen(WindowHandle window, int width, int height);

/// SetCursor(NULL) and SetCursor(arrow): hides or shows the pointer over the program's windows.
void SetCursorVisible(bool visible);
bool CursorVisible();

/// What the windowing system reports about a window, before it becomes messages.
enum class WindowEvent {
    CloseButton,
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Exposed,
    PointerEnter,
    PointerMove
};
/// Feeds one such event through the same translation the windowing system's events take (for
/// tests and for stand-in windows).
void SimulateWindowEvent(WindowHandle window, WindowEvent event);

/// The window's SDL_Window (for DisplayConfig::nativeWindow), or null for the stand-in.
void* NativeWindow(WindowHandle window);
/// True for the hidden stand-in of a headless run.
bool IsStandInWindow(WindowHandle window);
std::string WindowTitle(WindowHandle window);

}  // namespace orix
