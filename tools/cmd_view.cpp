// orix view: a model in a resizable window, drawn by the model view. The mouse turns, moves
// and zooms the camera; keys play, step, switch what is drawn, reload, take screenshots.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "command_line.h"
#include "contact_sheet.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "model_options.h"
#include "model_paths.h"
#include "model_source.h"
#include "platform/clock.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "platform/window_input.h"
#include "printable_text.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"
#include "viewer/model_view.h"

namespace fs = std::filesystem;

namespace orix::tool {

namespace {

constexpr int kStartWidth = 960;
constexpr int kStartHeight = 720;
constexpr float kOrbitPerPixel = 0.008f;
constexpr uint32_t kStatusColor = 0x00E0E0E0;  // COLORREF
constexpr int kStatusHeight = 24;

// What the window shows and the state of the hand on the mouse.
struct Viewer {
    ModelSource source;
    WindowHandle window = nullptr;
    SystemClock clock;
    std::unique_ptr<LoadedModel> model;
    std::unique_ptr<ModelView> view;
    bool everLoaded = false;
    int pointerX = 0, pointerY = 0;
    bool touched = true;  // something changed since the last frame
    bool screenshotWanted = false;
    int pendingWidth = 0, pendingHeight = 0;  // a resize not yet taken
    std::string notice;                       // the last message, on the status line
    int exitCode = 0;
};

Viewer* g_viewer = nullptr;

// The display and engine on the window at its size; false, with why in *error.
bool OpenView(Viewer& v, int width, int height, std::string* error) {
    EngineSetup setup;
    setup.window = v.window;
    setup.width = width;
    setup.height = height;
    if (!OpenEngine(setup, v.clock, error)) return false;
    v.view = std::make_unique<ModelView>(*theEngine);
    return true;
}

// The model and the engine, in the order the device needs: its textures go before it.
void CloseView(Viewer& v) {
    if (v.view) v.view->Show(nullptr, ModelFrames());
    v.model.reset();
    v.view.reset();
    CloseEngine();
}

// Loads path in place of the shown model; the shown one stays when it cannot be loaded.
bool Open(Viewer& v, const std::string& path, bool keepCamera) {
    ModelSource source = v.source;
    if (path != source.path) {
        // Skin and animation files named for the first model do not belong to another one.
        source.skin.clear();
        source.vue.clear();
    }
    source.path = path;
    auto loaded = std::make_unique<LoadedModel>();
    if (!LoadModelSource(source, loaded.get())) {
        v.notice = "cannot load " + FileName(path);
        return false;
    }
    const OrbitView orbit = v.view->orbit;
    const double frame = v.view->frame();
    const bool playing = v.view->playing;
    v.view->Show(ShownObject(*loaded), FramesOf(*loaded));
    if (keepCamera) {
        v.view->orbit = orbit;
        v.view->SetFrame(frame);
        v.view->playing = playing;
    }
    v.model = std::move(loaded);  // the old model goes only now, out of the scene
    v.source = source;
    v.everLoaded = true;
    v.notice.clear();
    SetWindowTitle(v.window, FileName(path) + " - orix view");
    return true;
}

// A new engine at the window's new size, the same model, camera and frame.
void Resize(Viewer& v, int width, int height) {
    const OrbitView orbit = v.view->orbit;
    const double frame = v.view->frame();
    const bool playing = v.view->playing;
    const bool wireframe = v.view->wireframe, markers = v.view->markers, grid = v.view->grid;
    const bool textures = v.view->textures();
    CloseView(v);
    std::string error;
    if (!OpenView(v, width, height, &error)) {
        std::fprintf(stderr, "orix view: no device at %dx%d\n", width, height);
        DestroyWindow(v.window);
        return;
    }
    if (Open(v, v.source.path, false)) {
        v.view->orbit.centre = orbit.centre;
        v.view->orbit.yaw = orbit.yaw;
        v.view->orbit.pitch = orbit.pitch;
        v.view->orbit.distance = orbit.distance;
        v.view->SetFrame(frame);
        v.view->playing = playing;
    }
    v.view->wireframe = wireframe;
    v.view->markers = markers;
    v.view->grid = grid;
    v.view->SetTextures(textures);
}

// The first free "NAME-view-N.png" beside the model.
std::string ScreenshotPath(const std::string& modelPath) {
    fs::path model(modelPath);
    std::error_code ec;
    for (int n = 1; n < 10000; ++n) {
        fs::path p =
            model.parent_path() / (model.stem().string() + "-view-" + std::to_string(n) + ".png");
        if (!fs::exists(fs::symlink_status(p, ec))) return p.string();  // a dangling link too
    }
    return std::string();
}

void OnKey(Viewer& v, uintptr_t key) {
    ModelView& view = *v.view;
    switch (key) {
        case VK_ESCAPE:
        case 'Q':
            DestroyWindow(v.window);
            return;
        case VK_SPACE:
            view.playing = !view.playing;
            break;
        case VK_LEFT:
            view.Step(-1);
            break;
        case VK_RIGHT:
            view.Step(1);
            break;
        case VK_HOME:
            view.playing = false;
            view.SetFrame(view.frames().first);
            break;
        case VK_END:
            view.playing = false;
            view.SetFrame(view.frames().last);
            break;
        case 'F':
            view.Reframe();
            break;
        case 'W':
            view.wireframe = !view.wireframe;
            break;
        case 'B':
            view.markers = !view.markers;
            break;
        case 'G':
            view.grid = !view.grid;
            break;
        case 'T':
            view.SetTextures(!view.textures());
            break;
        case 'R':
            if (Open(v, v.source.path, true))
                PrintLine(stderr, "orix view: reloaded " + v.source.path);
            break;
        case 'S':
            v.screenshotWanted = true;
            break;
        default:
            return;
    }
    v.touched = true;
}

void OnPointer(Viewer& v, uint32_t message, uintptr_t held, intptr_t lParam) {
    const int x = PointerX(lParam), y = PointerY(lParam);
    const int dx = x - v.pointerX, dy = y - v.pointerY;
    v.pointerX = x;
    v.pointerY = y;
    if (message != WM_MOUSEMOVE || (dx == 0 && dy == 0) || !theEngine) return;
    const float width = float(theEngine->width > 0 ? theEngine->width : 1);
    if (held & MK_LBUTTON) {
        v.view->orbit.Orbit(-float(dx) * kOrbitPerPixel, float(dy) * kOrbitPerPixel);
        v.touched = true;
    } else if (held & (MK_RBUTTON | MK_MBUTTON)) {
        v.view->orbit.Pan(float(dx) / width, -float(dy) / width, 0.7854f);
        v.touched = true;
    }
}

intptr_t ViewProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Viewer* v = g_viewer;
    if (!v) return DefWindowProc(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            CloseView(*v);
            PostQuitMessage(v->exitCode);
            return 0;
        case WM_KEYDOWN:
            if (v->view) OnKey(*v, wParam);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (v->view) OnPointer(*v, message, wParam, lParam);
            return 0;
        case WM_MOUSEWHEEL:
            if (v->view) {
                v->view->orbit.Zoom(float(WheelTurn(wParam)) / float(kWheelDelta));
                v->touched = true;
            }
            return 0;
        case WM_SIZE:
            // A window shrunk to a sliver keeps the last size's picture, stretched.
            if (wParam == SIZE_RESTORED && PointerX(lParam) >= 16 && PointerY(lParam) >= 16) {
                v->pendingWidth = PointerX(lParam);
                v->pendingHeight = PointerY(lParam);
            }
            return 0;
        case WM_DROPFILES:
            for (std::string path = TakeDroppedFile(); !path.empty(); path = TakeDroppedFile()) {
                if (v->view && Open(*v, path, false)) v->touched = true;
            }
            return 0;
        case WM_PAINT:
            v->touched = true;
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

// The status line: file, frame, play state, frame rate, the frame's triangles and draw calls.
std::string StatusLine(const Viewer& v, const FrameStats& stats) {
    const ModelView& view = *v.view;
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s   frame %d of %d..%d   %s   %u fps   %u triangles   %u draw calls%s%s",
                  FileName(v.source.path).c_str(), int(std::floor(view.frame())),
                  view.frames().first, view.frames().last, view.playing ? "playing" : "paused",
                  theEngine->fps, stats.primitives, stats.drawCalls, v.notice.empty() ? "" : "   ",
                  v.notice.c_str());
    return text;
}

void DrawFrame(Viewer& v, double seconds) {
    v.view->Advance(seconds);
    v.view->Draw();
    const FrameStats stats = theEngine->device->GetFrameStats();
    theEngine->device->DrawText(10, theEngine->height - kStatusHeight + 4, kStatusColor,
                                StatusLine(v, stats));
    if (v.screenshotWanted) {
        v.screenshotWanted = false;
        FrameImage image;
        const std::string path = ScreenshotPath(v.source.path);
        bool read = theEngine->device->ReadFrame(&image);
        MakeOpaque(&image);
        if (!path.empty() && read && WritePng(path, image)) {
            PrintLine(stderr, "orix view: wrote " + path);
            v.notice = "wrote " + FileName(path);
        } else {
            PrintLine(stderr, "orix view: cannot write a screenshot beside " + v.source.path);
        }
    }
    theDisplay->Present();
}

int Loop(Viewer& v) {
    WindowMessage message;
    auto last = std::chrono::steady_clock::now();
    for (;;) {
        if (PeekMessage(&message, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(message);
            DispatchMessage(message);
            continue;
        }
        if (!v.view) continue;
        if (v.pendingWidth > 0 &&
            (v.pendingWidth != theEngine->width || v.pendingHeight != theEngine->height)) {
            Resize(v, v.pendingWidth, v.pendingHeight);
            v.pendingWidth = v.pendingHeight = 0;
            v.touched = true;
            continue;
        }
        auto now = std::chrono::steady_clock::now();
        double seconds = std::chrono::duration<double>(now - last).count();
        last = now;
        const bool still = !v.view->playing && !v.touched;
        v.touched = false;
        DrawFrame(v, seconds);
        // A still picture needs no hurry: the status line's frame rate is all that moves.
        if (still) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return int(message.wParam);
}

// The window, the engine on it and the model. v.window stays null when there is no window; when
// the engine or the model cannot be had, the exit status is in v.exitCode and the window closing.
void OpenWindow(Viewer& v, const char* noDisplay) {
    WindowClass windowClass;
    windowClass.className = "Orix View";
    windowClass.procedure = ViewProcedure;
    RegisterWindowClass(windowClass);
    v.window = CreateWindow("Orix View", FileName(v.source.path) + " - orix view", kStartWidth,
                            kStartHeight);
    if (!v.window || IsStandInWindow(v.window)) {
        std::fputs(noDisplay, stderr);
        if (v.window) DestroyWindow(v.window);
        v.window = nullptr;
        return;
    }
    theMainWindow = v.window;
    g_viewer = &v;
    SetWindowResizable(v.window, true);
    std::string error;
    if (!OpenView(v, kStartWidth, kStartHeight, &error)) {
        PrintLine(stderr, "orix view: " + error);
        v.exitCode = 1;
        DestroyWindow(v.window);
    } else if (!Open(v, v.source.path, false)) {
        // There never was a model to stay on.
        v.exitCode = 1;
        DestroyWindow(v.window);
    } else {
        ShowWindow(v.window);
    }
}

}  // namespace

const CommandOptions& ViewOptions() {
    static const CommandOptions options = {{}, kViewModelOptions};
    return options;
}

int RunView(const Args& args) {
    Viewer v;
    std::vector<std::string> files;
    if (int status = ParseArguments(args, ViewOptions(), &v.source, &files, NoOwnOption))
        return status;
    if (files.empty() || files[0].empty()) return UsageError("view needs a file");
    v.source.path = files[0];
    static const char kNoDisplay[] =
        "orix view: no display here; `orix render FILE` draws the model to PNG pictures\n";
    if (RunningHeadless()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    SetMessageBoxHook(MessageToStderr);
    OpenWindow(v, kNoDisplay);
    if (!v.window) return 1;
    int status = Loop(v);
    g_viewer = nullptr;
    return status;
}

}  // namespace orix::tool
