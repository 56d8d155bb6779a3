// orix render: the demonstration drawn offscreen with a fixed frame step, chosen frames written
// as PNG, and the frame rate measured with the real clock.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/application.h"
#include "app/fountain_scene.h"
#include "app/resource_folder.h"
#include "command_line.h"
#include "commands.h"
#include "device/engine.h"
#include "device/globals.h"
#include "model_options.h"
#include "platform/clock.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "printable_text.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"

namespace fs = std::filesystem;

namespace orix::tool {

namespace {

struct RenderOptions {
    long frames = 90;
    long stepMs = 33;
    long every = 0;  // 0: only the last frame
    int width = 640;
    int height = 480;
    std::string out = "orix-render";
    std::string res;
    std::string scene = "demo";
    long driver = -1;  // index into the driver list; -1: the stored driver
};

int RenderUsage() {
    std::fprintf(stderr,
                 "usage: orix render [--frames N] [--step-ms MS] [--out DIR] [--every K]\n"
                 "                   [--size WxH] [--res DIR] [--scene demo|fountain]\n"
                 "                   [--driver N]\n"
                 "  Draws the demonstration (or the particle fountain) offscreen for N frames\n"
                 "  (90) of MS milliseconds (33) each, writes every K-th frame (default: the\n"
                 "  last) to DIR/frame-NNNN.png (orix-render), and prints the frame rate\n"
                 "  measured with the real clock. The demonstration's pictures and models come\n"
                 "  from DIR given with --res, or from the res/ folder the build makes beside\n"
                 "  the tool's own folder. It draws on the stored display driver, or on\n"
                 "  driver N of `orix device list`.\n"
                 "       orix render FILE [--frame F|first|last | --frames N | --turntable N] ...\n"
                 "  Draws a model file as `orix view` shows it (see `orix help`).\n");
    return 2;
}

// The demonstration's options: every one takes a value.
const OptionTable kDemoOptions = {
    {"--frames", "N", "a number", nullptr},
    {"--step-ms", "MS", "a number", nullptr},
    {"--out", "DIR", "a folder name", nullptr},
    {"--every", "K", "a number", nullptr},
    {"--size", "WxH", "a size WxH", nullptr},
    {"--res", "DIR", "a folder name", nullptr},
    {"--scene", "demo|fountain", "demo or fountain", nullptr},
    {"--driver", "N", "a number", nullptr},
};

const OptionRow* FindDemoOption(const std::string& name) {
    for (const OptionRow& row : kDemoOptions) {
        if (name == row.name) return &row;
    }
    return nullptr;
}

// The value of option arg stored in o; false when it is bad.
bool StoreDemoOption(const std::string& arg, const std::string& value, RenderOptions* o) {
    if (arg == "--frames") return ParseCount(value, 1, 100000, &o->frames);
    if (arg == "--step-ms") return ParseCount(value, 1, 10000, &o->stepMs);
    if (arg == "--every") return ParseCount(value, 1, 100000, &o->every);
    if (arg == "--size") return ParseSize(value, &o->width, &o->height);
    if (arg == "--driver") return ParseCount(value, 0, 1000, &o->driver);
    if (arg == "--out") o->out = value;
    if (arg == "--res") o->res = value;
    if (arg == "--scene") o->scene = value;
    return true;
}

// args parsed into options; false after saying what is wrong.
bool ParseOptions(const Args& args, RenderOptions* o) {
    // Every option takes a value: they go in pairs.
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& arg = args[i];
        const OptionRow* row = FindDemoOption(arg);
        if (!row) {
            PrintLine(stderr, "orix render: unknown argument " + arg);
            return false;
        }
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        const bool ok = hasValue && StoreDemoOption(arg, value, o);
        if (!hasValue || value.compare(0, 2, "--") == 0) {
            PrintLine(stderr, "orix render: " + arg + " needs " + row->kind);
            return false;
        }
        if (!ok) {
            PrintLine(stderr, "orix render: bad " + arg + " " + value);
            return false;
        }
    }
    if (o->scene != "demo" && o->scene != "fountain") {
        PrintLine(stderr, "orix render: unknown scene " + o->scene + " (known: demo, fountain)");
        return false;
    }
    return true;
}
// The res/ folder the build makes: beside the folder that holds this binary (build/tools/orix
// reads build/res), or in it.
fs::path DefaultResFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::path("res");
    fs::path dir = self.parent_path();
    for (const fs::path& candidate :
         {dir.parent_path() / "res", dir / "res", InstalledResourceFolder(dir)}) {
        if (fs::is_directory(candidate, ec)) return candidate;
    }
    return dir.parent_path() / "res";
}

// Whether the demonstration's loads reported a failure: while it is built every message is one
// (a file it needs is missing or unreadable), and a picture that cannot be loaded asks to end
// the program, which here ends the command instead.
bool g_loadFailed = false;

void NoteLoadFailure(const std::string& text, const std::string& caption) {
    g_loadFailed = true;
    MessageToStderr(text, caption);
}

void NoteExit(int) {
    g_loadFailed = true;
}

// The resource folder the demonstration reads, made absolute; "" after saying why when it needs
// one and there is none.
fs::path ResourceFolder(const RenderOptions& o) {
    std::error_code ec;
    fs::path res = o.res.empty() ? DefaultResFolder() : fs::path(o.res);
    res = fs::absolute(res, ec);
    // The fountain is made in code; only the demonstration reads files.
    if (o.scene == "demo" && !fs::is_directory(res, ec)) {
        PrintLine(stderr, "orix render: no resource folder " + res.string() +
                              " (the build makes it: cmake --build build --target "
                              "orix_res, or give one with --res DIR)");
        return fs::path();
    }
    return res;
}

// The demonstration built by app, or the fountain in a scene of its own; g_loadFailed says
// whether the demonstration lacked a file.
std::unique_ptr<FountainScene> BuildScene(Application* app, const RenderOptions& o) {
    if (o.scene != "demo") {
        app->scene = new Scene(theEngine);
        currentScene = app->scene;
        return std::make_unique<FountainScene>(*app->scene);
    }
    g_loadFailed = false;
    SetMessageBoxHook(NoteLoadFailure);
    app->BuildScene();
    SetMessageBoxHook(MessageToStderr);
    // A skin that cannot be read is not reported by the character itself.
    const auto* character = static_cast<const SkinnedCharacter*>(app->character);
    if (!g_loadFailed && !character->skinLoaded) {
        std::fprintf(stderr, "orix render: cannot load the skin %s\n", demo::kSkinFile);
        g_loadFailed = true;
    }
    return nullptr;
}

// With ORIX_READY_FD naming a descriptor, one byte goes to it once the first frame's pixels are
// read back, and the descriptor is closed: a benchmark's clock stops there, before the PNG is
// written (bench/first_frame_bench.cpp).
void SignalFirstFrame() {
    const char* text = std::getenv("ORIX_READY_FD");
    long fd = 0;
    if (!text || !ParseCount(text, 0, 1 << 20, &fd)) return;
    // Only a pipe: a stray setting must not write into, or close, a file or the terminal.
    struct stat status;
    if (fstat(static_cast<int>(fd), &status) != 0 || !S_ISFIFO(status.st_mode)) return;
    const char byte = 1;
    while (write(static_cast<int>(fd), &byte, 1) < 0 && errno == EINTR) {
    }
    close(static_cast<int>(fd));
}

// What drawing the frames gave.
struct DemoRun {
    Timing timing;
    long written = 0;
    bool writeFailed = false;
};

// Draws o.frames frames, the wanted ones written to out.
DemoRun DrawFrames(Application* app, const RenderOptions& o, const fs::path& out) {
    DemoRun run;
    FrameImage image;
    for (long i = 0; i < o.frames; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        app->Frame();
        // Reading the frame back waits for it to be drawn, so the time is the frame's own.
        bool read = theEngine->device->ReadFrame(&image);
        run.timing.Add(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
        if (i == 0) SignalFirstFrame();
        bool wanted = o.every > 0 ? (i + 1) % o.every == 0 : i + 1 == o.frames;
        if (!wanted) continue;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04ld.png", i + 1);
        if (read && WritePng((out / name).string(), image)) {
            ++run.written;
        } else {
            run.writeFailed = true;
            PrintLine(stderr, "orix render: cannot write " + (out / name).string());
        }
    }
    return run;
}

void PrintSummary(const RenderOptions& o, const std::string& renderer, uint32_t shownFps,
                  const DemoRun& run, const fs::path& out) {
    std::printf("rendered %ld frames of %s at %dx%d on %s\n", o.frames, o.scene.c_str(), o.width,
                o.height, renderer.c_str());
    std::printf("fixed step %ld ms (the picture shows FPS : %u)\n", o.stepMs, shownFps);
    PrintFrameRate(run.timing);
    PrintLine(stdout, "wrote " + std::to_string(run.written) + " PNG frame" +
                          (run.written == 1 ? "" : "s") + " to " + out.string());
}

// Builds the scene on the engine made, draws it and reports; the exit status.
int DrawDemo(const RenderOptions& o, const fs::path& res, const fs::path& out) {
    std::error_code ec;
    const std::string renderer = theEngine->device->GetCaps().renderer;
    fs::path start = fs::current_path(ec);
    // The demonstration names its files relative to the resource folder.
    if (o.scene == "demo") fs::current_path(res, ec);
    // The application owns the engine and display from here and releases them last. The tool
    // keeps no log: it writes only what it is asked for.
    auto* app = new Application(false);
    std::unique_ptr<FountainScene> fountain = BuildScene(app, o);
    if (!g_loadFailed) fs::create_directories(out, ec);
    const bool ready = !g_loadFailed && fs::is_directory(out, ec);
    if (!ready) {
        PrintLine(stderr, g_loadFailed ? "orix render: the demonstration lacks files it needs in " +
                                             res.string()
                                       : "orix render: cannot make the folder " + out.string());
    }
    const DemoRun run = ready ? DrawFrames(app, o, out) : DemoRun();
    const uint32_t shownFps = theEngine->fps;
    // The fountain takes its objects out of the scene root, so it goes first.
    fountain.reset();
    delete app;
    fs::current_path(start, ec);
    if (!ready) return 1;
    PrintSummary(o, renderer, shownFps, run, out);
    return run.writeFailed ? 1 : 0;
}

}  // namespace

int RunRender(const Args& args) {
    // A file first: the model view draws that model instead of the demonstration.
    if (!args.empty() && args[0][0] != '-') return RunRenderModel(args);
    RenderOptions o;
    if (!ParseOptions(args, &o)) return RenderUsage();
    const fs::path res = ResourceFolder(o);
    if (res.empty()) return 1;
    // Made once the scene is built: a render that cannot start leaves no folder.
    std::error_code ec;
    const fs::path out = fs::absolute(o.out, ec);
    // A set-up that would end the program fails the command, which says so.
    SetMessageBoxHook(MessageToStderr);
    SetExitHook(NoteExit);
    // Always offscreen, even where a display exists: the frames are for files.
    setenv("ORIX_OFFSCREEN", "1", 1);
    FixedStepClock clock(1000, static_cast<uint32_t>(o.stepMs));
    EngineSetup setup;
    setup.width = o.width;
    setup.height = o.height;
    setup.bitsPerPixel = 16;
    setup.driver = o.driver;
    std::string error;
    if (!OpenEngine(setup, clock, &error)) {
        PrintLine(stderr, "orix render: " + error);
        CloseEngine();
        return 1;
    }
    return DrawDemo(o, res, out);
}

}  // namespace orix::tool
