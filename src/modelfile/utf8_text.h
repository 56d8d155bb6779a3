/// \file
/// Names as the model files give them, made UTF-8 for JSON and glTF. Exports hold UTF-8 (the
/// UTF-16 reader makes it) or text in the modelling machine's code page; the check here is the
/// strict one JSON writers apply, so text it passes never makes them fail.
///
/// Depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <string>

namespace orix {

/// Length of the UTF-8 sequence at text[i]; 0 when none starts there (a stray byte, an overlong
/// form, a surrogate or a code point past U+10FFFF).
size_t Utf8SequenceAt(const std::string& text, size_t i);
/// True when the whole of text is UTF-8.
bool IsUtf8(const std::string& text);
/// text when it is UTF-8, else every byte read as Latin-1 (a code page's text is never half
/// UTF-8, so a name is taken whole one way or the other).
std::string AsUtf8(const std::string& text);

}  // namespace orix
