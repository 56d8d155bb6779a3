// Text for the tool's JSON output (info --json, pose): strings and numbers as valid JSON
// whatever a model file holds.
#pragma once

#include <string>

namespace orix::tool {

// text as a JSON string literal, quotes included, always valid JSON: text that is valid UTF-8
// stays as it is; other text (names from exports of other code pages) is taken byte by byte as
// Latin-1. Control characters are escaped.
std::string JsonString(const std::string& text);
// A number as JSON: up to 9 significant digits; null for NaN and infinities.
std::string JsonNumber(double value);
// A float as JSON with the digits a float holds (%g's 6 significant digits); null when not finite.
std::string JsonFloat(float value);

}  // namespace orix::tool
