/// \file
/// The one replaceable sink for what the engine tells the user, and the program-exit hook.
///
/// A message box is an SDL message box in the program, text on stderr where no display exists,
/// and whatever a test or tool installs instead. The exit hook exists so that tools, tests and
/// fuzzers can turn "end the program with -1" into a failed load: callers of ExitProgram must
/// still return their failure afterwards, for when the hook returns.
#pragma once

#include <cstddef>
#include <string>

namespace orix {

using MessageBoxHook = void (*)(const std::string& text, const std::string& caption);
using ExitHook = void (*)(int code);

void ShowMessageBox(const std::string& text, const std::string& caption);
/// Installs hook (null restores the default) and returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

/// Ends the program with code through the exit hook (std::exit by default).
void ExitProgram(int code);
ExitHook SetExitHook(ExitHook hook);

/// The message box's lines in the program are at most this many bytes: a box sized to its text
/// then fits a 640 x 480 screen.
constexpr size_t kMessageBoxColumns = 60;
/// text with every line longer than columns bytes broken at its last space within them (a word
/// longer than that, at a character boundary).
std::string WrapMessageText(const std::string& text, size_t columns = kMessageBoxColumns);

/// Diagnostic call that receives a text and writes nothing.
void TraceHook(const char* text);

}  // namespace orix
