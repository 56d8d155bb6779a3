// orix render: the demonstration drawn offscreen with a fixed frame step, chosen frames written
// as PNG, and the frame rate measured with the real clock.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/application.h"
#include "app/fountain_scene.h"
#include "app/resource_folder.h"
#include "commands.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/stored_device.h"
#include "platform/clock.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "printable_text.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"

namespace fs = std::filesystem;

namespace orix {

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

int Usage() {
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

bool ParseLong(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseSize(const char* text, int* width, int* height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    std::string w(text, x);
    long wv = 0, hv = 0;
    if (!ParseLong(w.c_str(), 16, 4096, &wv) || !ParseLong(x + 1, 16, 4096, &hv)) return false;
    *width = static_cast<int>(wv);
    *height = static_cast<int>(hv);
    return true;
}

// What each option takes, as the message for a missing value names it.
const char* ValueKind(const std::string& option) {
    if (option == "--out" || option == "--res") return "a folder name";
    if (option == "--size") return "a size WxH";
    if (option == "--scene") return "demo or fountain";
    return "a number";
}

// argv parsed into options; false after saying what is wrong.
bool ParseOptions(int argc, char** argv, RenderOptions* o) {
    // Every option takes a value: they go in pairs.
    for (int i = 0; i < argc; i += 2) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (arg == "--frames") {
            ok = value && ParseLong(value, 1, 100000, &o->frames);
        } else if (arg == "--step-ms") {
            ok = value && ParseLong(value, 1, 10000, &o->stepMs);
        } else if (arg == "--every") {
            ok = value && ParseLong(value, 1, 100000, &o->every);
        } else if (arg == "--size") {
            ok = value && ParseSize(value, &o->width, &o->height);
        } else if (arg == "--out") {
            if (value) o->out = value;
        } else if (arg == "--res") {
            if (value) o->res = value;
        } else if (arg == "--scene") {
            if (value) o->scene = value;
        } else if (arg == "--driver") {
            ok = value && ParseLong(value, 0, 1000, &o->driver);
        } else {
            tool::PrintLine(stderr, "orix render: unknown argument " + arg);
            return false;
        }
        if (!value || std::strncmp(value, "--", 2) == 0) {
            std::fprintf(stderr, "orix render: %s needs %s\n", arg.c_str(), ValueKind(arg));
            return false;
        }
        if (!ok) {
            tool::PrintLine(stderr, "orix render: bad " + arg + " " + value);
            return false;
        }
    }
    if (o->scene != "demo" && o->scene != "fountain") {
        tool::PrintLine(stderr,
                        "orix render: unknown scene " + o->scene + " (known: demo, fountain)");
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

struct Timing {
    double totalMs = 0.0;
    double fastestMs = 1e30;
    double slowestMs = 0.0;
};

// Whether the demonstration's loads reported a failure: while it is built every message is one
// (a file it needs is missing or unreadable), and a picture that cannot be loaded asks to end
// the program, which here ends the command instead.
bool g_loadFailed = false;

void NoteLoadFailure(const std::string& text, const std::string& caption) {
    g_loadFailed = true;
    tool::MessageToStderr(text, caption);
}

void NoteExit(int) {
    g_loadFailed = true;
}

}  // namespace

int RenderCommand(int argc, char** argv) {
    // A file first: the model view draws that model instead of the demonstration.
    if (argc > 0 && argv[0][0] != '-') return tool::RunRenderModel(tool::Args(argv, argv + argc));
    RenderOptions o;
    if (!ParseOptions(argc, argv, &o)) return Usage();

    std::error_code ec;
    fs::path res = o.res.empty() ? DefaultResFolder() : fs::path(o.res);
    res = fs::absolute(res, ec);
    // The fountain is made in code; only the demonstration reads files.
    if (o.scene == "demo" && !fs::is_directory(res, ec)) {
        tool::PrintLine(stderr, "orix render: no resource folder " + res.string() +
                                    " (the build makes it: cmake --build build --target "
                                    "orix_res, or give one with --res DIR)");
        return 1;
    }
    // Made once the scene is built: a render that cannot start leaves no folder.
    const fs::path out = fs::absolute(o.out, ec);

    // A set-up that would end the program fails the command, which says so.
    SetMessageBoxHook(tool::MessageToStderr);
    SetExitHook(NoteExit);
    // Always offscreen, even where a display exists: the frames are for files.
    setenv("ORIX_OFFSCREEN", "1", 1);
    FixedStepClock clock(1000, static_cast<uint32_t>(o.stepMs));
    theDisplay = new Display();
    theEngine = new Engine(clock);
    DriverGuid driver;
    if (o.driver >= 0) {
        std::vector<DisplayDriverInfo> drivers = EnumerateDisplayDrivers();
        if (static_cast<size_t>(o.driver) >= drivers.size()) {
            std::fprintf(stderr, "orix render: no driver %ld (see `orix device list`)\n", o.driver);
            return 1;
        }
        driver = drivers[static_cast<size_t>(o.driver)].guid;
    } else if (!ReadStoredDeviceGuid(&driver)) {
        driver = DriverGuid();
    }
    theEngine->SetupWithDriver(theDisplay, nullptr, o.width, o.height, 16, driver);
    if (!theEngine->device) {
        std::fprintf(stderr, "orix render: no device could be made\n");
        return 1;
    }
    const std::string renderer = theEngine->device->GetCaps().renderer;

    fs::path start = fs::current_path(ec);
    // The demonstration names its files relative to the resource folder.
    if (o.scene == "demo") fs::current_path(res, ec);
    // The application owns the engine and display from here and releases them last. The tool
    // keeps no log: it writes only what it is asked for.
    auto* app = new Application(false);
    std::unique_ptr<FountainScene> fountain;
    if (o.scene == "demo") {
        g_loadFailed = false;
        SetMessageBoxHook(NoteLoadFailure);
        app->BuildScene();
        SetMessageBoxHook(tool::MessageToStderr);
        // A skin that cannot be read is not reported by the character itself.
        const auto* character = static_cast<const SkinnedCharacter*>(app->character);
        if (!g_loadFailed && !character->skinLoaded) {
            std::fprintf(stderr, "orix render: cannot load the skin %s\n", demo::kSkinFile);
            g_loadFailed = true;
        }
    } else {
        app->scene = new Scene(theEngine);
        currentScene = app->scene;
        fountain = std::make_unique<FountainScene>(*app->scene);
    }
    if (!g_loadFailed) fs::create_directories(out, ec);
    if (g_loadFailed || !fs::is_directory(out, ec)) {
        if (g_loadFailed) {
            tool::PrintLine(
                stderr, "orix render: the demonstration lacks files it needs in " + res.string());
        } else {
            tool::PrintLine(stderr, "orix render: cannot make the folder " + out.string());
        }
        fountain.reset();
        delete app;
        fs::current_path(start, ec);
        return 1;
    }

    Timing timing;
    long written = 0;
    bool writeFailed = false;
    FrameImage image;
    for (long i = 0; i < o.frames; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        app->Frame();
        // Reading the frame back waits for it to be drawn, so the time is the frame's own.
        bool read = theEngine->device->ReadFrame(&image);
        auto t1 = std::chrono::steady_clock::now();
        double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
        timing.totalMs += ms;
        timing.fastestMs = std::min(timing.fastestMs, ms);
        timing.slowestMs = std::max(timing.slowestMs, ms);

        bool wanted = o.every > 0 ? (i + 1) % o.every == 0 : i + 1 == o.frames;
        if (!wanted) continue;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04ld.png", i + 1);
        if (read && WritePng((out / name).string(), image)) {
            ++written;
        } else {
            writeFailed = true;
            tool::PrintLine(stderr, "orix render: cannot write " + (out / name).string());
        }
    }
    const uint32_t shownFps = theEngine->fps;
    // The fountain takes its objects out of the scene root, so it goes first.
    fountain.reset();
    delete app;
    fs::current_path(start, ec);

    double meanMs = timing.totalMs / static_cast<double>(o.frames);
    std::printf("rendered %ld frames of %s at %dx%d on %s\n", o.frames, o.scene.c_str(), o.width,
                o.height, renderer.c_str());
    std::printf("fixed step %ld ms (the picture shows FPS : %u)\n", o.stepMs, shownFps);
    std::printf("real frame rate %.1f fps (mean %.2f ms, fastest %.2f ms, slowest %.2f ms)\n",
                meanMs > 0.0 ? 1000.0 / meanMs : 0.0, meanMs, timing.fastestMs, timing.slowestMs);
    tool::PrintLine(stdout, "wrote " + std::to_string(written) + " PNG frame" +
                                (written == 1 ? "" : "s") + " to " + out.string());
    return writeFailed ? 1 : 0;
}

}  // namespace orix
