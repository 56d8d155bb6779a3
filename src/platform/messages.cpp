#include "platform/messages.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/display_system.h"

namespace orix {

namespace {

void DefaultMessageBox(const std::string& text, const std::string& caption) {
    // Without a display SDL cannot show a box; the text must still reach the user.
    if (RunningHeadless() || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(),
                                                      text.c_str(), nullptr) != 0) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

void DefaultExit(int code) {
    std::exit(code);
}

MessageBoxHook g_messageBox = DefaultMessageBox;
ExitHook g_exit = DefaultExit;

}  // namespace

void ShowMessageBox(const std::string& text, const std::string& caption) {
    g_messageBox(text, caption);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook old = g_messageBox;
    g_messageBox = hook ? hook : DefaultMessageBox;
    return old;
}

void ExitProgram(int code) {
    g_exit(code);
}

ExitHook SetExitHook(ExitHook hook) {
    ExitHook old = g_exit;
    g_exit = hook ? hook : DefaultExit;
    return old;
}

void TraceHook(const char*) {}

}  // namespace orix
