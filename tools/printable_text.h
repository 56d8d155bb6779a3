// Text the tool prints, made safe for a terminal. Names come from model files and paths from
// arguments: an escape sequence in one must not drive the terminal, nor a NUL cut the line.
// JSON output escapes on its own (JsonString). UTF-8 is told by modelfile/utf8_text.h.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace orix::tool {

// text with every byte below 0x20, 0x7F, each byte of a C1 control (U+0080 to U+009F) and each
// byte that is no part of valid UTF-8 written as \xNN (lowercase hex); the rest as it is.
std::string PrintableText(const std::string& text);

// Prints text escaped, then a line end, on out.
void PrintLine(std::FILE* out, const std::string& text);

}  // namespace orix::tool
