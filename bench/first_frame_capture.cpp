// orix_first_frame_capture OUT [--res DIR] [--png DIR]: the demonstration's first frame as
// `orix render` draws it (640 x 480, 16 bits, driver 0 offscreen, the 33 ms fixed step, the
// frame-rate text), captured through FrameCapture and written to OUT for
// orix_first_frame_baseline to replay in a process of its own. It then replays the capture here
// and says how many pixels differ from the engine's (any channel off by more than 2), so a
// capture that misses something shows at once. --png writes engine.png and replay.png into DIR.
// Exit status 0 when the capture was written and the replay matches, 1 otherwise, 2 for bad
// arguments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "capture_file.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "frame_capture.h"
#include "gl_replay.h"
#include "platform/clock.h"

namespace fs = std::filesystem;
using namespace orix;
using namespace orix::bench;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: orix_first_frame_capture OUT [--res DIR] [--png DIR]\n");
    return 2;
}

int64_t PixelsOff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return -1;
    int64_t off = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(int(a[i + c]) - int(b[i + c])) > 2) {
                ++off;
                break;
            }
        }
    }
    return off;
}

// The engine as `orix render` sets it up (tools/tool_engine.cpp, OpenEngine), its device wrapped
// so that the first frame is captured; the frame drawn as the tool draws it (Application::Frame).
bool CaptureFirstFrame(const fs::path& res, CapturedFrame* frame, FrameImage* drawn,
                       std::string* error) {
    FixedStepClock clock(1000, 33);
    theDisplay = new Display();
    theEngine = new Engine(clock);
    theEngine->SetupWithDriver(theDisplay, nullptr, 640, 480, 16, DriverGuid());
    if (!theEngine->device) {
        *error = "no device could be made";
        delete theEngine;
        delete theDisplay;
        theEngine = nullptr;
        theDisplay = nullptr;
        return false;
    }
    FrameCapture capture(*theEngine->device);
    theEngine->device = &capture;
    theDisplay->AttachDevice(&capture);
    // The background was set before the wrapper was there: it learns it by setting it again.
    capture.SetBackground(theEngine->backgroundMaterialHandle);
    capture.SetTextReader(ReadTextPixels);
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    fs::current_path(res, ec);
    // The application owns the engine and display and releases them, through the wrapper,
    // which outlives it.
    auto* app = new Application(false);
    app->BuildScene();
    capture.BeginCapture(frame);
    app->Frame();
    capture.EndCapture();
    const bool read = capture.ReadFrame(drawn);
    delete app;
    fs::current_path(start, ec);
    if (!read) *error = "the engine's frame could not be read back";
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return Usage();
    const std::string out = argv[1];
    fs::path res = ORIX_RES_DIR;
    std::string pngDir;
    for (int i = 2; i < argc; i += 2) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        if (arg == "--res")
            res = argv[i + 1];
        else if (arg == "--png")
            pngDir = argv[i + 1];
        else
            return Usage();
    }
    std::error_code ec;
    res = fs::absolute(res, ec);
    const fs::path folder = fs::absolute(out, ec).parent_path();
    fs::create_directories(folder, ec);
    // Offscreen, as `orix render` always draws.
    setenv("ORIX_OFFSCREEN", "1", 1);
    CapturedFrame frame;
    FrameImage drawn;
    std::string error;
    if (!CaptureFirstFrame(res, &frame, &drawn, &error) ||
        !WriteCapturedFrame(out, frame, &error)) {
        std::fprintf(stderr, "orix_first_frame_capture: %s\n", error.c_str());
        return 1;
    }
    GlReplay replay;
    if (!replay.Open(frame.width, frame.height, frame.bitsPerPixel, &error)) {
        std::fprintf(stderr, "orix_first_frame_capture: %s\n", error.c_str());
        return 1;
    }
    replay.Load(frame);
    replay.Enter();
    replay.Draw();
    replay.Finish();
    FrameImage replayed = drawn;
    const bool read = replay.ReadPixels(&replayed.rgba);
    replay.Leave();
    const int64_t off = read ? PixelsOff(drawn.rgba, replayed.rgba) : -1;
    std::printf("captured %zu draws, %zu textures, %zu texts to %s; replay pixels off: %lld\n",
                frame.draws.size(), frame.textures.size(), frame.texts.size(), out.c_str(),
                static_cast<long long>(off));
    if (!pngDir.empty()) {
        WritePng((fs::path(pngDir) / "engine.png").string(), drawn);
        WritePng((fs::path(pngDir) / "replay.png").string(), replayed);
    }
    return off == 0 ? 0 : 1;
}
