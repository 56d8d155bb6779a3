// The one replaceable sink for what the engine tells the user, and the program-exit hook.
//
// A message box is an SDL message box in the program, text on stderr where no display exists,
// and whatever a test or tool installs instead. The exit hook exists so that tools, tests and
// fuzzers can turn "end the program with -1" into a failed load: callers of ExitProgram must
// still return their failure afterwards, for when the hook returns.
#pragma once

#include <string>

namespace orix {

using MessageBoxHook = void (*)(const std::string& text, const std::string& caption);
using ExitHook = void (*)(int code);

void ShowMessageBox(const std::string& text, const std::string& caption);
// Installs hook (null restores the default) and returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Ends the program with code through the exit hook (std::exit by default).
void ExitProgram(int code);
ExitHook SetExitHook(ExitHook hook);

// Diagnostic call that receives a text and writes nothing.
void TraceHook(const char* text);

}  // namespace orix
