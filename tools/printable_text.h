// Text the tool prints, made safe for a terminal. Names come from model files and paths from
// arguments: an escape sequence in one must not drive the terminal, nor a NUL cut the line.
// JSON output escapes on its own (JsonString). No dependencies.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace orix::tool {

// text with every byte below 0x20, 0x7F, each byte of a C1 control (U+0080 to U+009F) and each
// byte that is no part of valid UTF-8 written as \xNN (lowercase hex); the rest as it is.
std::string PrintableText(const std::string& text);

// Length of the valid UTF-8 sequence at text[i] (overlong forms, surrogates and code points past
// U+10FFFF are none), 0 when there is none.
size_t Utf8SequenceAt(const std::string& text, size_t i);

// Prints text escaped, then a line end, on out.
void PrintLine(std::FILE* out, const std::string& text);

// The tool's message sink: "caption: text" as one line on stderr, a message box's line breaks
// turned into spaces, escaped.
void MessageToStderr(const std::string& text, const std::string& caption);

}  // namespace orix::tool
