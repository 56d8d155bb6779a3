#include "printable_text.h"

#include <cstdint>

#include "modelfile/utf8_text.h"

namespace orix::tool {

std::string PrintableText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    auto escape = [&](size_t from, size_t count) {
        for (size_t k = from; k < from + count; ++k) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", unsigned(uint8_t(text[k])));
            out += hex;
        }
    };
    for (size_t i = 0; i < text.size();) {
        const uint8_t c = uint8_t(text[i]);
        const size_t n = Utf8SequenceAt(text, i);
        // U+0080 to U+009F are C2 80 to C2 9F.
        const bool c1 = n == 2 && c == 0xC2 && uint8_t(text[i + 1]) < 0xA0;
        if (n == 0) {
            escape(i, 1);
            i += 1;
        } else if (c < 0x20 || c == 0x7F || c1) {
            escape(i, n);
            i += n;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

void PrintLine(std::FILE* out, const std::string& text) {
    // Written whole: a NUL in text must not end it.
    const std::string line = PrintableText(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

}  // namespace orix::tool
