#include "command_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "printable_text.h"

namespace orix::tool {

bool ParseUnsigned(const std::string& text, uint32_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || text[0] == '-' || v > 0xFFFFFFFFul) return false;
    *out = uint32_t(v);
    return true;
}

bool ParseCount(const std::string& text, long low, long high, long* value) {
    char* end = nullptr;
    // An overflow gives LONG_MAX or LONG_MIN, outside every range asked for.
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
    size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseCount(text.substr(0, x), 16, 4096, &w) ||
        !ParseCount(text.substr(x + 1), 16, 4096, &h))
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

bool ParseFrame(const std::string& text, FrameChoice* choice, std::string* error) {
    choice->text = text;
    if (text == "first" || text == "last") {
        choice->kind = text == "first" ? FrameChoice::First : FrameChoice::Last;
        return true;
    }
    char* end = nullptr;
    const double f = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(f)) {
        *error = "bad --frame " + text;
        return false;
    }
    choice->kind = FrameChoice::Number;
    choice->number = f;
    return true;
}

bool ResolveFrame(const FrameChoice& choice, int32_t first, int32_t last, double* frame,
                  std::string* error) {
    if (choice.kind != FrameChoice::Number) {
        *frame = choice.kind == FrameChoice::First ? first : last;
        return true;
    }
    if (choice.number < first || choice.number > last) {
        *error = "--frame " + choice.text + " is outside the file's frames " +
                 std::to_string(first) + " to " + std::to_string(last);
        return false;
    }
    *frame = choice.number;
    return true;
}

void Timing::Add(double ms) {
    ++count;
    totalMs += ms;
    fastestMs = std::min(fastestMs, ms);
    slowestMs = std::max(slowestMs, ms);
}

void PrintFrameRate(const Timing& timing) {
    const double meanMs = timing.count ? timing.totalMs / double(timing.count) : 0.0;
    std::printf("real frame rate %.1f fps (mean %.2f ms, fastest %.2f ms, slowest %.2f ms)\n",
                meanMs > 0.0 ? 1000.0 / meanMs : 0.0, meanMs, timing.fastestMs, timing.slowestMs);
}

int UsageError(const std::string& message) {
    PrintLine(stderr, "orix: " + message + " (see `orix help`)");
    return 2;
}

void MessageToStderr(const std::string& text, const std::string& caption) {
    // Message boxes may hold several lines; on stderr each message is one.
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    PrintLine(stderr, caption + ": " + line);
}

}  // namespace orix::tool
