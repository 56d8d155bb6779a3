/// \file
/// Tokenize: the line splitter of the text readers (skin files and the like). Tokens are runs of
/// characters between separators; a token that begins with a double quote runs through the next
/// double quote, quotes included, so quoted names may hold spaces and separators. A quote that
/// is never closed ends the line's tokens.
///
/// Depends on nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orix {

/// The separators of skin files: space, tab, line feed, carriage return and ';'.
inline constexpr const char* kSkinSeparators = " \t\n\r;";

/// Clears tokens and count, then appends every token of line (in order) and counts them.
void Tokenize(std::string_view line, std::vector<std::string>* tokens, int32_t* count,
              std::string_view separators);

}  // namespace orix
