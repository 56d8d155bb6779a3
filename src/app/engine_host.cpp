#include "app/engine_host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/offscreen_engine.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"

namespace orix {

namespace {

const char kUsage[] =
    "  --frames N    draw N frames offscreen instead of opening a window\n"
    "  --out DIR     with --frames: write the last frame to DIR/frame-NNNN.png\n"
    "  --size WxH    the picture's size (640x480)\n";

bool ParseCount(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseSize(const char* text, int32_t* width, int32_t* height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    std::string w(text, x);
    long wv = 0, hv = 0;
    if (!ParseCount(w.c_str(), 16, 4096, &wv) || !ParseCount(x + 1, 16, 4096, &hv)) return false;
    *width = static_cast<int32_t>(wv);
    *height = static_cast<int32_t>(hv);
    return true;
}

bool Refuse(const std::string& what) {
    std::fprintf(stderr, "%s\noptions:\n%s", what.c_str(), kUsage);
    return false;
}

void MessageToStderr(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

intptr_t HostProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

bool ParseHostOptions(int argc, char** argv, HostOptions* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            options->args.push_back(arg);
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (!value) return Refuse(arg + " needs a value");
        long n = 0;
        if (arg == "--frames") {
            if (!ParseCount(value, 1, 1000000, &n))
                return Refuse("bad --frames " + std::string(value));
            options->frames = static_cast<uint32_t>(n);
        } else if (arg == "--out") {
            options->out = value;
        } else if (arg == "--size") {
            if (!ParseSize(value, &options->width, &options->height))
                return Refuse("bad --size " + std::string(value));
        } else {
            return Refuse("unknown option " + arg);
        }
    }
    return true;
}

EngineHost::EngineHost(const HostOptions& options)
    : options_(options), fixedClock_(1000, options.stepMs) {
    if (options_.frames > 0) {
        SetMessageBoxHook(MessageToStderr);
        offscreen_ =
            std::make_unique<OffscreenEngine>(fixedClock_, static_cast<uint32_t>(options_.width),
                                              static_cast<uint32_t>(options_.height), 32);
        engine_ = &offscreen_->engine();
        if (!offscreen_->Ok())
            std::fprintf(stderr, "no offscreen device: %s\n", offscreen_->Error().c_str());
        return;
    }
    windowEngine_ = std::make_unique<Engine>(systemClock_);
    engine_ = windowEngine_.get();
    if (RunningHeadless()) {
        std::fprintf(stderr, "no display here: draw offscreen with --frames N --out DIR\n");
        return;
    }
    WindowClass windowClass;
    windowClass.className = "Orix Host";
    windowClass.procedure = HostProcedure;
    RegisterWindowClass(windowClass);  // false when an earlier host registered it: still usable
    window_ = CreateWindow(windowClass.className, options_.title, options_.width, options_.height);
    theMainWindow = window_;
    display_ = std::make_unique<Display>();
    theDisplay = display_.get();
    theEngine = engine_;
    engine_->fullScreen = false;
    engine_->SetupWithDriver(display_.get(), window_, options_.width, options_.height, 32,
                             DriverGuid());
    if (engine_->device) ShowWindow(window_);
}

EngineHost::~EngineHost() {
    if (theEngine == engine_) theEngine = nullptr;
    currentScene = nullptr;
    // The engine releases its materials and detaches from the display, which goes after it.
    windowEngine_.reset();
    offscreen_.reset();
    if (theDisplay == display_.get()) theDisplay = nullptr;
    display_.reset();
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (theMainWindow == window_) theMainWindow = nullptr;
}

bool EngineHost::Ok() const {
    return engine_ && engine_->device;
}

void EngineHost::SetBackground(float r, float g, float b) {
    SetBackgroundColor(*engine_, r, g, b);
}

int EngineHost::Run(const std::function<void(uint32_t frame)>& beforeFrame) {
    if (!Ok()) return 1;
    return offscreen_ ? RunOffscreen(beforeFrame) : RunWindow(beforeFrame);
}

int EngineHost::RunWindow(const std::function<void(uint32_t)>& beforeFrame) {
    WindowMessage message;
    uint32_t frame = 0;
    for (;;) {
        if (PeekMessage(&message, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(message);
            DispatchMessage(message);
            continue;
        }
        if (beforeFrame) beforeFrame(frame);
        engine_->Render();
        display_->Present();
        ++frame;
    }
    window_ = nullptr;  // destroyed on the way to WM_QUIT
    return static_cast<int>(message.wParam);
}

int EngineHost::RunOffscreen(const std::function<void(uint32_t)>& beforeFrame) {
    for (uint32_t frame = 0; frame < options_.frames; ++frame) {
        if (beforeFrame) beforeFrame(frame);
        engine_->Render();
    }
    if (options_.out.empty()) return 0;
    std::error_code ec;
    std::filesystem::create_directories(options_.out, ec);
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04u.png", options_.frames);
    const std::string path = (std::filesystem::path(options_.out) / name).string();
    FrameImage image;
    if (!offscreen_->ReadFrame(&image) || !WritePng(path, image)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace orix
