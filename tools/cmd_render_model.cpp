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

#include "command_line.h"
#include "contact_sheet.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "files/file_identity.h"
#include "model_load.h"
#include "model_options.h"
#include "model_paths.h"
#include "model_source.h"
#include "platform/clock.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"
#include "viewer/model_view.h"

namespace fs = std::filesystem;

namespace orix::tool {

namespace {

constexpr uint64_t kMaxSheetSide = 16384;
constexpr uint64_t kMaxSheetPixels = uint64_t{1} << 26;  // 256 MiB of RGBA

struct PictureRun {
    std::string frameText = "first";  // --frame
    bool frameGiven = false;
    FrameChoice frame;
    long frames = 0;  // --frames: pictures of the animation
    long every = 1;
    long turntable = 0;
    std::string sheet;
    int width = 640;
    int height = 480;
    std::string out = "orix-render";
    bool grid = false;
};

// One of the run's options and its value; false, with *error set, for a bad value.
bool TakePictureOption(const std::string& a, const std::string& value, PictureRun* run,
                       std::string* error) {
    if (a == "--grid") {
        run->grid = true;
    } else if (a == "--frame") {
        run->frameText = value;
        run->frameGiven = true;
    } else if (a == "--frames" || a == "--every" || a == "--turntable") {
        long* count = a == "--frames"  ? &run->frames
                      : a == "--every" ? &run->every
                                       : &run->turntable;
        if (!ParseCount(value, 1, a == "--turntable" ? 3600 : 100000, count)) {
            *error = "bad " + a + " " + value;
            return false;
        }
    } else if (a == "--sheet") {
        // Only PNG is written: another extension would name a file that is not what it says.
        if (!HasExtension(value, ".png")) {
            *error = "--sheet " + value + " must end in .png";
            return false;
        }
        run->sheet = value;
    } else if (a == "--size") {
        if (!ParseSize(value, &run->width, &run->height)) {
            *error = "bad " + a + " " + value;
            return false;
        }
    } else {
        run->out = value;
    }
    return true;
}

// What a render of a model draws and writes, and how it went.
struct ModelRender {
    PictureRun run;
    ModelSource source;
    fs::path out, sheetPath;
    ModelFrames frames;
    double startFrame = 0.0;
    long pictures = 1;
    Timing timing;
    long written = 0;
    std::vector<FrameImage> sheetPictures;
    std::vector<int32_t> sheetLabels;
    std::string renderer;
};

// How many pictures the run draws, saying so when the animation has fewer frames than asked.
long PictureCount(const ModelRender& r) {
    if (r.run.frames > 0) {
        long available = long(r.frames.last) - r.frames.first + 1;
        if (r.run.frames > available) {
            PrintLine(stderr, "orix render: " + r.source.path + " has " +
                                  std::to_string(available) + " frames; drawing those");
        }
        return std::min(r.run.frames, available);
    }
    return r.run.turntable > 0 ? r.run.turntable : 1;
}

// The sheet is held in memory and written whole: one no viewer could open is refused (2) before
// anything is drawn.
int CheckSheetSize(const ModelRender& r) {
    if (r.sheetPath.empty()) return 0;
    const size_t kept = size_t((r.pictures + r.run.every - 1) / r.run.every);
    const SheetLayout layout = LayOutSheet(kept);
    const uint64_t w = uint64_t(layout.columns) * uint64_t(r.run.width);
    const uint64_t h = uint64_t(layout.rows) * (uint64_t(r.run.height) + kSheetLabelHeight);
    if (w <= kMaxSheetSide && h <= kMaxSheetSide && w * h <= kMaxSheetPixels) return 0;
    std::fprintf(stderr,
                 "orix render: a contact sheet of %zu pictures would be %llux%llu "
                 "pixels; keep fewer (--every) or draw them smaller (--size)\n",
                 kept, (unsigned long long)w, (unsigned long long)h);
    return 2;
}

double FrameOf(const ModelRender& r, long i) {
    return r.run.frames > 0 ? double(r.frames.first + i) : r.startFrame;
}

std::string PictureName(const ModelRender& r, long i) {
    char name[40];
    if (r.run.turntable > 0) {
        std::snprintf(name, sizeof name, "turn-%03ld.png", i + 1);
    } else {
        std::snprintf(name, sizeof name, "frame-%04d.png", int(std::floor(FrameOf(r, i))));
    }
    return (r.out / name).string();
}

// Every picture's name is known before drawing: none may be an input or the sheet. Then the
// folder, only now that the pictures will be drawn: a refused render leaves none.
int PrepareOutputs(const ModelRender& r, const LoadedModel& model) {
    std::vector<std::string> outputs;
    if (!r.sheetPath.empty()) outputs.push_back(r.sheetPath.string());
    for (long i = 0; i < r.pictures; i += r.run.every) outputs.push_back(PictureName(r, i));
    std::string clash = FindOutputClash(model.inputs, outputs);
    if (!clash.empty()) return UsageError(clash);
    std::error_code ec;
    fs::create_directories(r.out, ec);
    if (fs::is_directory(r.out, ec)) return 0;
    PrintLine(stderr, "orix render: cannot make the folder " + r.out.string());
    return 1;
}

// Draws picture i into image, timed; false when it could not be read back.
bool DrawPicture(ModelRender& r, ModelView& view, float startYaw, long i, FrameImage* image) {
    view.SetFrame(FrameOf(r, i));
    if (r.run.turntable > 0) {
        view.orbit.yaw = startYaw;
        view.orbit.Orbit(float(6.283185307179586 * double(i) / double(r.run.turntable)), 0.0f);
    }
    auto t0 = std::chrono::steady_clock::now();
    view.Draw();
    theDisplay->Present();
    // Reading the picture back waits for it to be drawn, so the time is the frame's own.
    bool read = theEngine->device->ReadFrame(image);
    r.timing.Add(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    return read;
}

int DrawPictures(ModelRender& r, ModelView& view) {
    int status = 0;
    const float startYaw = view.orbit.yaw;
    FrameImage image;
    for (long i = 0; i < r.pictures; ++i) {
        const bool read = DrawPicture(r, view, startYaw, i, &image);
        if (i % r.run.every != 0) continue;
        const int32_t fileFrame = int32_t(std::floor(view.frame()));
        const std::string name = PictureName(r, i);
        MakeOpaque(&image);
        if (read && WritePng(name, image)) {
            ++r.written;
            if (!r.sheetPath.empty()) {
                r.sheetPictures.push_back(image);
                r.sheetLabels.push_back(fileFrame);
            }
        } else {
            PrintLine(stderr, "orix render: cannot write " + name);
            status = 1;
        }
    }
    return status;
}

// Shows the loaded model and draws the run's pictures of it; the exit status.
int RenderLoaded(ModelRender& r, const LoadedModel& model) {
    r.renderer = theEngine->device->GetCaps().renderer;
    ModelView view(*theEngine);
    r.frames = FramesOf(model);
    view.Show(ShownObject(model), r.frames);
    view.grid = r.run.grid;
    if (!view.HasGeometry())
        PrintLine(stderr, "orix render: " + r.source.path + " holds nothing to draw");
    view.playing = false;
    r.startFrame = r.frames.first;
    std::string error;
    int status = 0;
    if (!ResolveFrame(r.run.frame, r.frames.first, r.frames.last, &r.startFrame, &error))
        status = UsageError(error);
    r.pictures = PictureCount(r);
    if (status == 0) status = CheckSheetSize(r);
    if (status == 0) status = PrepareOutputs(r, model);
    if (status == 0) status = DrawPictures(r, view);
    view.Show(nullptr, ModelFrames());
    return status;
}

// The engine, the model and its pictures, each released in the order the device needs.
int Render(ModelRender& r) {
    // Offscreen even where a display exists: the pictures are for files.
    setenv("ORIX_OFFSCREEN", "1", 1);
    SetMessageBoxHook(MessageToStderr);
    FixedStepClock clock(1000, 33);
    EngineSetup setup;
    setup.width = r.run.width;
    setup.height = r.run.height;
    std::string error;
    int status = 0;
    if (!OpenEngine(setup, clock, &error)) {
        PrintLine(stderr, "orix render: " + error);
        status = 1;
    }
    std::unique_ptr<LoadedModel> model;
    if (status == 0) {
        model = std::make_unique<LoadedModel>();
        if (!LoadModelSource(r.source, model.get())) status = 1;
    }
    if (status == 0) status = RenderLoaded(r, *model);
    // The model's textures are the device's: they go before the engine.
    model.reset();
    CloseEngine();
    return status;
}

int WriteSheet(const ModelRender& r) {
    if (!WritePng(r.sheetPath.string(), MakeContactSheet(r.sheetPictures, r.sheetLabels))) {
        PrintLine(stderr, "orix render: cannot write " + r.sheetPath.string());
        return 1;
    }
    SheetLayout layout = LayOutSheet(r.sheetPictures.size());
    PrintLine(stdout, "wrote the contact sheet " + r.sheetPath.string() + " (" +
                          std::to_string(layout.columns) + " x " + std::to_string(layout.rows) +
                          " pictures)");
    return 0;
}

void PrintSummary(const ModelRender& r) {
    PrintLine(stdout, "rendered " + std::to_string(r.timing.count) + " pictures of " +
                          r.source.path + " at " + std::to_string(r.run.width) + "x" +
                          std::to_string(r.run.height) + " on " + r.renderer);
    PrintFrameRate(r.timing);
    PrintLine(stdout, "wrote " + std::to_string(r.written) + " PNG picture" +
                          (r.written == 1 ? "" : "s") + " to " + r.out.string());
}

}  // namespace

const CommandOptions& RenderModelOptions() {
    static const CommandOptions options = {
        {{"--frame", "F", "a frame number, first or last",
          "the frame to draw: a number, first (the default) or last\n"},
         {"--frames", "N", "a number",
          "the animation's first N frames, each written as frame-NNNN.png\n"},
         {"--every", "K", "a number", "with --frames or --turntable: only every K-th picture\n"},
         {"--turntable", "N", "a number", "N pictures once round the model, as turn-NNN.png\n"},
         {"--sheet", "OUT.png", "a file name", "also every picture written on one contact sheet\n"},
         {"--size", "WxH", "a size WxH", "the pictures' size (640x480)\n"},
         {"--out", "DIR", "a folder name",
          "the folder for the pictures (orix-render), made once the model loaded\n"},
         {"--grid", nullptr, nullptr, "the ground grid under the model\n"}},
        kRenderModelOptions};
    return options;
}

int RunRenderModel(const Args& args) {
    ModelRender r;
    std::vector<std::string> files;
    auto take = [&r](const std::string& name, const std::string& value, std::string* error) {
        return TakePictureOption(name, value, &r.run, error);
    };
    if (int status = ParseArguments(args, RenderModelOptions(), &r.source, &files, take))
        return status;
    if (files.empty() || files[0].empty()) return UsageError("render needs a file");
    r.source.path = files[0];
    if (r.run.frames > 0 && r.run.turntable > 0)
        return UsageError("--frames and --turntable do not go together");
    if (r.run.frames > 0 && r.run.frameGiven)
        return UsageError("--frame and --frames do not go together");
    // Its form is checked before any work; its range once the model is loaded.
    double any = 0.0;
    std::string error;
    if (!ParseFrame(r.run.frameText, &r.run.frame, &error) ||
        !ResolveFrame(r.run.frame, std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::max(), &any, &error))
        return UsageError(error);
    std::error_code ec;
    r.out = fs::absolute(r.run.out, ec);
    r.sheetPath = r.run.sheet.empty() ? fs::path() : fs::absolute(r.run.sheet, ec);
    if (int status = Render(r)) return status;
    int status = r.sheetPath.empty() ? 0 : WriteSheet(r);
    PrintSummary(r);
    return status;
}

}  // namespace orix::tool
