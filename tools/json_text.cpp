#include "json_text.h"

#include <cmath>
#include <cstdio>

#include "modelfile/utf8_text.h"

namespace orix::tool {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : AsUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

std::string JsonFloat(float value) {
    if (!std::isfinite(value)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(value));
    return buf;
}

}  // namespace orix::tool
