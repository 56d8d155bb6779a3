#include "platform/messages.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/child_processes.h"
#include "platform/display_system.h"
#include "platform/window/window_guard.h"

namespace orix {

namespace {

bool ShowSdlMessageBox(const std::string& text, const std::string& caption) {
    // On X11 SDL shows the box from a child process and waits for it: a termination request
    // ends that process, and the call fails.
    GuardTermination();
    ModalChildScope modal;
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(),
                                    WrapMessageText(text).c_str(), nullptr) == 0;
}

void DefaultMessageBox(const std::string& text, const std::string& caption) {
    // Without a display SDL cannot show a box, and a program asked to end waits for no OK;
    // the text must still reach the user.
    if (RunningHeadless() || TerminationRequested() || !ShowSdlMessageBox(text, caption)) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}

void DefaultExit(int code) {
    std::exit(code);
}

MessageBoxHook g_messageBox = DefaultMessageBox;
ExitHook g_exit = DefaultExit;

}  // namespace

std::string WrapMessageText(const std::string& text, size_t columns) {
    if (columns == 0) return text;
    std::string out;
    size_t lineStart = 0;  // in out
    for (char c : text) {
        out += c;
        if (c == '\n') {
            lineStart = out.size();
            continue;
        }
        if (out.size() - lineStart <= columns) continue;
        // Too long: break at the line's last space, or else before the last whole character.
        size_t space = out.rfind(' ', out.size() - 1);
        if (space != std::string::npos && space > lineStart) {
            out[space] = '\n';
            lineStart = space + 1;
            continue;
        }
        size_t cut = out.size() - 1;
        while (cut > lineStart && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        if (cut == lineStart) continue;  // one character wider than the line: leave it
        out.insert(cut, 1, '\n');
        lineStart = cut + 1;
    }
    return out;
}

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
