// orix render FILE: a model drawn offscreen by the model view, as `orix view` shows it, to PNG
// pictures: one frame, a run of the animation, or a turntable, and a contact sheet of them.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "contact_sheet.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/stored_device.h"
#include "files/file_identity.h"
#include "model_source.h"
#include "platform/clock.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"
#include "viewer/model_view.h"

namespace fs = std::filesystem;

namespace orix::tool {

namespace {

constexpr uint64_t kMaxSheetSide = 16384;
constexpr uint64_t kMaxSheetPixels = uint64_t{1} << 26;  // 256 MiB of RGBA

struct PictureRun {
    std::string frameText = "first";  // --frame
    long frames = 0;                  // --frames: pictures of the animation
    long every = 1;
    long turntable = 0;
    std::string sheet;
    int width = 640;
    int height = 480;
    std::string out = "orix-render";
    bool grid = false;
};

bool ParseCount(const std::string& text, long low, long high, long* value) {
    char* end = nullptr;
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

// The frame --frame names within frames; false, with why, for text that is no frame of them.
bool ResolveFrame(const std::string& text, const ModelFrames& frames, double* frame,
                  std::string* error) {
    *error = "bad --frame " + text;
    if (text == "first") {
        *frame = frames.first;
    } else if (text == "last") {
        *frame = frames.last;
    } else {
        char* end = nullptr;
        double f = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(f)) return false;
        if (f < frames.first || f > frames.last) {
            *error = "--frame " + text + " is outside the file's frames " +
                     std::to_string(frames.first) + " to " + std::to_string(frames.last);
            return false;
        }
        *frame = f;
    }
    return true;
}

void StderrMessage(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

struct Timing {
    long count = 0;
    double totalMs = 0.0, fastestMs = 1e30, slowestMs = 0.0;
    void Add(double ms) {
        ++count;
        totalMs += ms;
        fastestMs = std::min(fastestMs, ms);
        slowestMs = std::max(slowestMs, ms);
    }
};

}  // namespace

int RunRenderModel(const Args& args) {
    ModelSource source;
    PictureRun run;
    bool frameGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        OptionResult taken = TakeModelOption(args, &i, &source, &error);
        if (taken == OptionResult::Bad) return UsageError(error);
        if (taken == OptionResult::Taken) continue;
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        bool ok = hasValue;
        if (a == "--grid") {
            run.grid = true;
            continue;
        } else if (a == "--frame") {
            run.frameText = value;
            frameGiven = true;
        } else if (a == "--frames") {
            ok = ok && ParseCount(value, 1, 100000, &run.frames);
        } else if (a == "--every") {
            ok = ok && ParseCount(value, 1, 100000, &run.every);
        } else if (a == "--turntable") {
            ok = ok && ParseCount(value, 1, 3600, &run.turntable);
        } else if (a == "--sheet") {
            run.sheet = value;
        } else if (a == "--size") {
            ok = ok && ParseSize(value, &run.width, &run.height);
        } else if (a == "--out") {
            run.out = value;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (source.path.empty()) {
            source.path = a;
            continue;
        } else {
            return UsageError("too many arguments");
        }
        if (!ok) return UsageError(a + " needs a valid value");
        ++i;
    }
    if (source.path.empty()) return UsageError("render needs a file");
    if (run.frames > 0 && run.turntable > 0)
        return UsageError("--frames and --turntable do not go together");
    if (run.frames > 0 && frameGiven) return UsageError("--frame and --frames do not go together");

    std::error_code ec;
    fs::path out = fs::absolute(run.out, ec);
    fs::create_directories(out, ec);
    if (!fs::is_directory(out, ec)) {
        std::fprintf(stderr, "orix render: cannot make the folder %s\n", out.c_str());
        return 1;
    }
    const fs::path sheetPath = run.sheet.empty() ? fs::path() : fs::absolute(run.sheet, ec);

    // Offscreen even where a display exists: the pictures are for files.
    setenv("ORIX_OFFSCREEN", "1", 1);
    SetMessageBoxHook(StderrMessage);
    FixedStepClock clock(1000, 33);
    theDisplay = new Display();
    theEngine = new Engine(clock);
    DriverGuid driver;
    if (!ReadStoredDeviceGuid(&driver)) driver = DriverGuid();
    theEngine->SetupWithDriver(theDisplay, nullptr, run.width, run.height, 32, driver);
    int status = 0;
    if (!theEngine->device) {
        std::fprintf(stderr, "orix render: no device could be made\n");
        status = 1;
    }
    std::unique_ptr<LoadedModel> model;
    if (status == 0) {
        model = std::make_unique<LoadedModel>();
        if (!LoadModelSource(source, model.get())) status = 1;
    }
    Timing timing;
    long written = 0;
    std::vector<FrameImage> sheetPictures;
    std::vector<int32_t> sheetLabels;
    std::string renderer;
    if (status == 0) {
        renderer = theEngine->device->GetCaps().renderer;
        ModelView view(*theEngine);
        const ModelFrames frames = FramesOf(*model);
        view.Show(ShownObject(*model), frames);
        view.grid = run.grid;
        if (!view.HasGeometry())
            std::fprintf(stderr, "orix render: %s holds nothing to draw\n", source.path.c_str());
        view.playing = false;
        double startFrame = frames.first;
        std::string frameError;
        if (!ResolveFrame(run.frameText, frames, &startFrame, &frameError))
            status = UsageError(frameError);
        long pictures = 1;
        if (run.frames > 0) {
            long available = long(frames.last) - frames.first + 1;
            if (run.frames > available) {
                std::fprintf(stderr, "orix render: %s has %ld frames; drawing those\n",
                             source.path.c_str(), available);
            }
            pictures = std::min(run.frames, available);
        } else if (run.turntable > 0) {
            pictures = run.turntable;
        }
        // The sheet is held in memory and written whole: refuse one no viewer could open
        // before drawing anything.
        if (!sheetPath.empty() && status == 0) {
            const size_t kept = size_t((pictures + run.every - 1) / run.every);
            const SheetLayout layout = LayOutSheet(kept);
            const uint64_t w = uint64_t(layout.columns) * uint64_t(run.width);
            const uint64_t h = uint64_t(layout.rows) * (uint64_t(run.height) + kSheetLabelHeight);
            if (w > kMaxSheetSide || h > kMaxSheetSide || w * h > kMaxSheetPixels) {
                std::fprintf(stderr,
                             "orix render: a contact sheet of %zu pictures would be %llux%llu "
                             "pixels; keep fewer (--every) or draw them smaller (--size)\n",
                             kept, (unsigned long long)w, (unsigned long long)h);
                status = 2;
            }
        }
        // Every picture's name is known before drawing: none may be an input or the sheet.
        auto pictureName = [&](long i) {
            char name[40];
            if (run.turntable > 0) {
                std::snprintf(name, sizeof name, "turn-%03ld.png", i + 1);
            } else {
                double frame = run.frames > 0 ? double(frames.first + i) : startFrame;
                std::snprintf(name, sizeof name, "frame-%04d.png", int(std::floor(frame)));
            }
            return (out / name).string();
        };
        if (status == 0) {
            std::vector<std::string> outputs;
            if (!sheetPath.empty()) outputs.push_back(sheetPath.string());
            for (long i = 0; i < pictures; i += run.every) outputs.push_back(pictureName(i));
            std::string clash = FindOutputClash(model->inputs, outputs);
            if (!clash.empty()) status = UsageError(clash);
        }
        const float startYaw = view.orbit.yaw;
        FrameImage image;
        for (long i = 0; status != 2 && i < pictures; ++i) {
            double frame = run.frames > 0 ? double(frames.first + i) : startFrame;
            view.SetFrame(frame);
            if (run.turntable > 0) {
                view.orbit.yaw = startYaw;
                view.orbit.Orbit(float(6.283185307179586 * double(i) / double(run.turntable)),
                                 0.0f);
            }
            auto t0 = std::chrono::steady_clock::now();
            view.Draw();
            theDisplay->Present();
            // Reading the picture back waits for it to be drawn, so the time is the frame's own.
            bool read = theEngine->device->ReadFrame(&image);
            timing.Add(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
            if (i % run.every != 0) continue;
            const int32_t fileFrame = int32_t(std::floor(view.frame()));
            const std::string name = pictureName(i);
            MakeOpaque(&image);
            if (read && WritePng(name, image)) {
                ++written;
                if (!sheetPath.empty()) {
                    sheetPictures.push_back(image);
                    sheetLabels.push_back(fileFrame);
                }
            } else {
                std::fprintf(stderr, "orix render: cannot write %s\n", name.c_str());
                status = 1;
            }
        }
        view.Show(nullptr, ModelFrames());
    }
    // The model's textures are the device's: they go before the engine.
    model.reset();
    delete theEngine;
    theEngine = nullptr;
    delete theDisplay;
    theDisplay = nullptr;
    if (status != 0) return status;

    if (!sheetPath.empty()) {
        if (WritePng(sheetPath.string(), MakeContactSheet(sheetPictures, sheetLabels))) {
            SheetLayout layout = LayOutSheet(sheetPictures.size());
            std::printf("wrote the contact sheet %s (%u x %u pictures)\n", sheetPath.c_str(),
                        layout.columns, layout.rows);
        } else {
            std::fprintf(stderr, "orix render: cannot write %s\n", sheetPath.c_str());
            status = 1;
        }
    }
    double meanMs = timing.count ? timing.totalMs / double(timing.count) : 0.0;
    std::printf("rendered %ld pictures of %s at %dx%d on %s\n", timing.count, source.path.c_str(),
                run.width, run.height, renderer.c_str());
    std::printf("real frame rate %.1f fps (mean %.2f ms, fastest %.2f ms, slowest %.2f ms)\n",
                meanMs > 0.0 ? 1000.0 / meanMs : 0.0, meanMs, timing.fastestMs, timing.slowestMs);
    std::printf("wrote %ld PNG picture%s to %s\n", written, written == 1 ? "" : "s", out.c_str());
    return status;
}

}  // namespace orix::tool
