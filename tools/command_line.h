// What every command does with its words and its messages: numbers, sizes and frames parsed
// one way everywhere, a bad argument reported as a usage error, the engine's message boxes
// turned into stderr lines, and the frame timing the drawing commands print.
#pragma once

#include <cstdint>
#include <string>

namespace orix::tool {

// Parses a whole unsigned number (decimal, 0x hex or 0 octal); false otherwise.
bool ParseUnsigned(const std::string& text, uint32_t* out);
// Parses a whole decimal number within low..high; false otherwise.
bool ParseCount(const std::string& text, long low, long high, long* value);
// Parses "WxH", each side 16 to 4096; false otherwise.
bool ParseSize(const std::string& text, int* width, int* height);

// A frame as --frame names it: first, last, or a number (fractions allowed).
struct FrameChoice {
    enum Kind { First, Last, Number } kind = First;
    double number = 0.0;
    std::string text;  // as given, for messages
};
// Parses "first", "last" or a finite number; false, with "bad --frame TEXT" in *error.
bool ParseFrame(const std::string& text, FrameChoice* choice, std::string* error);
// The frame choice names within first..last; false, with why, for a number outside them.
bool ResolveFrame(const FrameChoice& choice, int32_t first, int32_t last, double* frame,
                  std::string* error);

// How long the frames drawn took.
struct Timing {
    long count = 0;
    double totalMs = 0.0, fastestMs = 1e30, slowestMs = 0.0;
    void Add(double ms);
};
// "real frame rate F fps (mean, fastest, slowest)" on stdout.
void PrintFrameRate(const Timing& timing);

// Reports a usage error on stderr; returns 2.
int UsageError(const std::string& message);

// The tool's message sink: "caption: text" as one line on stderr, a message box's line breaks
// turned into spaces, escaped.
void MessageToStderr(const std::string& text, const std::string& caption);

}  // namespace orix::tool
