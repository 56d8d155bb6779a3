#include "modelfile/utf8_text.h"

#include <cstdint>

namespace orix {

size_t Utf8SequenceAt(const std::string& text, size_t i) {
    auto b = [&](size_t k) { return k < text.size() ? uint8_t(text[k]) : uint8_t(0); };
    uint8_t c = b(i);
    if (c < 0x80) return 1;
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || c > 0xF4) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if (c == 0xE0 && b(i + 1) < 0xA0) return 0;
    if (c == 0xED && b(i + 1) >= 0xA0) return 0;
    if (c == 0xF0 && b(i + 1) < 0x90) return 0;
    if (c == 0xF4 && b(i + 1) >= 0x90) return 0;
    return n;
}

bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        size_t n = Utf8SequenceAt(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string AsUtf8(const std::string& text) {
    if (IsUtf8(text)) return text;
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace orix
