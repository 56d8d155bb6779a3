#include "platform/window/window_guard.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <csignal>
#include <vector>

#include "platform/child_processes.h"

namespace orix {

namespace {

struct GuardedWindow {
    SDL_Window* sdl = nullptr;
    uint32_t id = 0;
    unsigned long xid = 0;
    bool gone = false;
    bool reported = false;
};

// Read (never resized) by the X error handler, which runs inside whatever Xlib call received
// the error, on the one thread.
std::vector<GuardedWindow>& Guarded() {
    static std::vector<GuardedWindow> windows;
    return windows;
}

void MarkGone(unsigned long xid) {
    for (GuardedWindow& w : Guarded()) {
        if (w.xid == xid) w.gone = true;
    }
}

// Xlib holds its lock while this runs: nothing here may call Xlib. Errors on other resources
// are the aftermath of a window already gone (its context, its teardown) and are dropped.
int OnXError(Display*, XErrorEvent* error) {
    MarkGone(error->resourceid);
    return 0;
}

int OnXConnectionLost(Display*) {
    static const char text[] = "OrixApp: the connection to the display was lost\n";
    ssize_t written = write(STDERR_FILENO, text, sizeof text - 1);
    (void)written;
    // Exit handlers of the video and GL libraries would talk to the dead connection again.
    _exit(1);
}

volatile std::sig_atomic_t g_terminationRequested = 0;
volatile std::sig_atomic_t g_terminationSignal = SIGTERM;

void EndBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void OnTerminate(int signal) {
    if (g_terminationRequested) return EndBySignal(signal);  // asked twice: no more waiting
    g_terminationRequested = 1;
    g_terminationSignal = signal;
    alarm(kTerminationGraceSeconds);
    // A message box holds the thread that would answer: ending its process returns the call.
    EndModalChild();
}

void OnGraceOver(int) {
    EndBySignal(g_terminationSignal);
}

void Install(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

void GuardTermination() {
    static bool installed = false;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (installed) return;
    installed = true;
    TieChildrenToProcess();
    Install(SIGINT, OnTerminate);
    Install(SIGTERM, OnTerminate);
    Install(SIGALRM, OnGraceOver);
}

bool TerminationRequested() {
    return g_terminationRequested != 0;
}

bool TakeTerminationRequest() {
    // The grace alarm stays armed: the request is being answered, and should the answer hang,
    // the signal still ends the program.
    if (!g_terminationRequested) return false;
    g_terminationRequested = 0;
    return true;
}

void GuardWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXConnectionLost);
    // DestroyNotify reaches the program only as a system event.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    UnguardWindow(window);
    Guarded().push_back({window, SDL_GetWindowID(window), info.info.x11.window, false, false});
}

void UnguardWindow(SDL_Window* window) {
    std::vector<GuardedWindow>& windows = Guarded();
    for (size_t i = 0; i < windows.size(); ++i) {
        if (windows[i].sdl == window) {
            windows.erase(windows.begin() + static_cast<long>(i));
            return;
        }
    }
}

void DestroyGuardedWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    bool x11 = SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
    UnguardWindow(window);
    SDL_DestroyWindow(window);
    if (!x11) return;
    // Errors still on their way (the destroy of a window that is already gone, the last swaps
    // into it) are taken now: SDL puts Xlib's exiting handler back before it closes the
    // connection.
    XErrorHandler previous = XSetErrorHandler(OnXError);
    XSync(info.info.x11.display, False);
    XSetErrorHandler(previous);
}

uint32_t TakeDestroyedWindow(const SDL_Event* event) {
    if (event && event->type == SDL_SYSWMEVENT && event->syswm.msg &&
        event->syswm.msg->subsystem == SDL_SYSWM_X11 &&
        event->syswm.msg->msg.x11.event.type == DestroyNotify) {
        MarkGone(event->syswm.msg->msg.x11.event.xdestroywindow.window);
    }
    for (GuardedWindow& w : Guarded()) {
        if (w.gone && !w.reported) {
            w.reported = true;
            return w.id;
        }
    }
    return 0;
}

}  // namespace orix
