// orix_first_frame_baseline CAPTURE [--png OUT]: the plain-OpenGL side of the first-frame
// measure. In a fresh process it opens the offscreen context the engine opens for driver 0
// (GlReplay::Open makes the same EGL calls as the engine's offscreen display, with a
// framebuffer of the same size and depth), reads the frame orix_first_frame_capture wrote,
// uploads its textures, issues its draws, waits for them and reads the pixels back. With
// ORIX_READY_FD set it writes one byte to that descriptor right after the read-back, as
// `orix render` does, so the parent's clock stops at the same point on both sides. --png then
// writes the picture. Exit status 0, or 1 when anything failed, 2 for bad arguments.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_file.h"
#include "gl_replay.h"
#include "platform/graphics_device.h"

using namespace orix;
using namespace orix::bench;

namespace {

void SignalReady() {
    const char* text = std::getenv("ORIX_READY_FD");
    if (!text || !*text) return;
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    if (*end != '\0' || fd < 0 || fd > 1 << 20) return;
    const char byte = 1;
    while (write(int(fd), &byte, 1) < 0 && errno == EINTR) {
    }
    close(int(fd));
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "orix_first_frame_baseline: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--png")) {
        std::fprintf(stderr, "usage: orix_first_frame_baseline CAPTURE [--png OUT]\n");
        return 2;
    }
    std::string error;
    CapturedFrame frame;
    if (!ReadCapturedFrame(argv[1], &frame, &error)) return Fail(error);
    GlReplay replay;
    if (!replay.Open(frame.width, frame.height, frame.bitsPerPixel, &error)) return Fail(error);
    replay.Load(frame);
    replay.Enter();
    replay.Draw();
    replay.Finish();
    FrameImage image;
    image.width = frame.width;
    image.height = frame.height;
    const bool read = replay.ReadPixels(&image.rgba);
    replay.Leave();
    if (!read) return Fail("the frame could not be read back");
    SignalReady();
    if (argc == 4 && !WritePng(argv[3], image)) return Fail(std::string("cannot write ") + argv[3]);
    return 0;
}
