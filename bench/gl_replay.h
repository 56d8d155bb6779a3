// GlReplay: one captured frame drawn again with plain OpenGL, in a context and framebuffer of
// its own (the same size and depth as the engine's back buffer). Everything the engine would
// work out per frame (lit colours, transformed-vertex positions, matrices, GL states) is worked
// out once when the frame is loaded; drawing is then what a hand-written GL program doing the
// same draws would do: state changes where they differ, client arrays, one call per draw.
// Captured text is drawn as the device draws it: a textured quad of the string's pixels.
//
// Depends on EGL and OpenGL (benchmark code, outside the engine) and on FrameCapture's records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame_capture.h"

namespace orix::bench {

class GlReplay {
public:
    GlReplay();
    ~GlReplay();
    GlReplay(const GlReplay&) = delete;
    GlReplay& operator=(const GlReplay&) = delete;

    // Opens the replay's context and framebuffer; false with a message when it cannot.
    bool Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, std::string* error);
    // Prepares frame for drawing (replacing what was loaded); needs Open.
    bool Load(const CapturedFrame& frame);
    // Makes the replay's context current (remembering the one that was) / gives it back.
    void Enter();
    void Leave();
    // Draws the loaded frame (inside Enter / Leave); Finish waits until it is rendered.
    void Draw();
    void Finish();
    // Reads the framebuffer as RGBA8 rows, top row first (for a look at the result).
    bool ReadPixels(std::vector<uint8_t>* rgba);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A TextReader for FrameCapture on the engine's OpenGL device: the device's text drawing leaves
// the string's texture bound (platform/gl/gl_text.h), which is read back here.
bool ReadTextPixels(CapturedText* text);

}  // namespace orix::bench
