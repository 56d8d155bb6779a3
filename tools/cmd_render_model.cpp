// orix render FILE: a model drawn offscreen by the model view, as `orix view` shows it, to PNG
// pictures: one frame, a run of the animation, or a turntable, and a contact sheet of them.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
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
#include "printable_text.h"
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

// The options of a picture run; false, with *error set, for a missing or bad value.
bool TakePictureOption(const Args& args, size_t* i, PictureRun* run, bool* frameGiven,
                       std::string* error) {
    const std::string a = args[*i];
    std::string value;
    auto take = [&](const char* kind) { return TakeOptionValue(args, i, kind, &value, error); };
    auto bad = [&] {
        *error = "bad " + a + " " + value;
        return false;
    };
    if (a == "--grid") {
        run->grid = true;
    } else if (a == "--frame") {
        if (!take("a frame number, first or last")) return false;
        run->frameText = value;
        *frameGiven = true;
    } else if (a == "--frames" || a == "--every" || a == "--turntable") {
        if (!take("a number")) return false;
        long* count = a == "--frames"  ? &run->frames
                      : a == "--every" ? &run->every
                                       : &run->turntable;
        if (!ParseCount(value, 1, a == "--turntable" ? 3600 : 100000, count)) return bad();
    } else if (a == "--sheet") {
        if (!take("a file name")) return false;
        // Only PNG is written: another extension would name a file that is not what it says.
        std::string ext = value.size() >= 4 ? value.substr(value.size() - 4) : std::string();
        for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ext != ".png") {
            *error = "--sheet " + value + " must end in .png";
            return false;
        }
        run->sheet = value;
    } else if (a == "--size") {
        if (!take("a size WxH")) return false;
        if (!ParseSize(value, &run->width, &run->height)) return bad();
    } else if (a == "--out") {
        if (!take("a folder name")) return false;
        run->out = value;
    } else {
        *error = "unknown option " + a;
        return false;
    }
    return true;
}

}  // namespace

int RunRenderModel(const Args& args) {
    ModelSource source;
    PictureRun run;
    bool frameGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        OptionResult taken = TakeModelOption(args, &i, kRenderModelOptions, &source, &error);
        if (taken == OptionResult::Bad) return UsageError(error);
        if (taken == OptionResult::Taken) continue;
        if (!a.empty() && a[0] == '-') {
            if (!TakePictureOption(args, &i, &run, &frameGiven, &error)) return UsageError(error);
        } else if (source.path.empty()) {
            source.path = a;
        } else {
            return UsageError("too many arguments");
        }
    }
    if (source.path.empty()) return UsageError("render needs a file");
    if (run.frames > 0 && run.turntable > 0)
        return UsageError("--frames and --turntable do not go together");
    if (run.frames > 0 && frameGiven) return UsageError("--frame and --frames do not go together");
    // Its form is checked before any work; its range once the model is loaded.
    ModelFrames anyFrame;
    anyFrame.first = std::numeric_limits<int32_t>::min();
    anyFrame.last = std::numeric_limits<int32_t>::max();
    double checked = 0.0;
    std::string frameError;
    if (!ResolveFrame(run.frameText, anyFrame, &checked, &frameError))
        return UsageError(frameError);

    std::error_code ec;
    const fs::path out = fs::absolute(run.out, ec);
    const fs::path sheetPath = run.sheet.empty() ? fs::path() : fs::absolute(run.sheet, ec);

    // Offscreen even where a display exists: the pictures are for files.
    setenv("ORIX_OFFSCREEN", "1", 1);
    SetMessageBoxHook(MessageToStderr);
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
            PrintLine(stderr, "orix render: " + source.path + " holds nothing to draw");
        view.playing = false;
        double startFrame = frames.first;
        if (!ResolveFrame(run.frameText, frames, &startFrame, &frameError))
            status = UsageError(frameError);
        long pictures = 1;
        if (run.frames > 0) {
            long available = long(frames.last) - frames.first + 1;
            if (run.frames > available) {
                PrintLine(stderr, "orix render: " + source.path + " has " +
                                      std::to_string(available) + " frames; drawing those");
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
        // The folder only now that the pictures will be drawn: a refused render leaves none.
        bool folderMade = false;
        if (status == 0) {
            fs::create_directories(out, ec);
            folderMade = fs::is_directory(out, ec);
            if (!folderMade) {
                PrintLine(stderr, "orix render: cannot make the folder " + out.string());
                status = 1;
            }
        }
        const float startYaw = view.orbit.yaw;
        FrameImage image;
        for (long i = 0; folderMade && i < pictures; ++i) {
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
                PrintLine(stderr, "orix render: cannot write " + name);
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
            PrintLine(stdout, "wrote the contact sheet " + sheetPath.string() + " (" +
                                  std::to_string(layout.columns) + " x " +
                                  std::to_string(layout.rows) + " pictures)");
        } else {
            PrintLine(stderr, "orix render: cannot write " + sheetPath.string());
            status = 1;
        }
    }
    double meanMs = timing.count ? timing.totalMs / double(timing.count) : 0.0;
    PrintLine(stdout, "rendered " + std::to_string(timing.count) + " pictures of " + source.path +
                          " at " + std::to_string(run.width) + "x" + std::to_string(run.height) +
                          " on " + renderer);
    std::printf("real frame rate %.1f fps (mean %.2f ms, fastest %.2f ms, slowest %.2f ms)\n",
                meanMs > 0.0 ? 1000.0 / meanMs : 0.0, meanMs, timing.fastestMs, timing.slowestMs);
    PrintLine(stdout, "wrote " + std::to_string(written) + " PNG picture" +
                          (written == 1 ? "" : "s") + " to " + out.string());
    return status;
}

}  // namespace orix::tool
