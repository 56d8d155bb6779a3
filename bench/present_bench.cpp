// What showing a frame in the window costs when the driver draws offscreen (the software
// rasteriser's EGL device, a second GPU): the frame is read back and the window's own context
// uploads and blits it. Measured at 640 x 480 x 16 beside the same display without a window
// (the frame is only finished) and beside the primary display's window, whose context draws the
// frame itself. Needs an X display (scripts/bench.sh runs it under Xvfb); the window cases are
// skipped without one, the offscreen-driver cases on a machine with one driver only. Each
// repetition runs two seconds after a warm-up: the goal is a difference of two timings, which
// short runs leave at the mercy of the host.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/d3d_constants.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/window.h"

namespace orix::bench {
namespace {

constexpr uint32_t kWidth = 640, kHeight = 480;

intptr_t BenchWindowProc(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) {
    return DefWindowProc(w, msg, wp, lp);
}

WindowHandle BenchWindow() {
    static WindowHandle window = [] {
        WindowClass cls;
        cls.className = "Present Bench";
        cls.procedure = BenchWindowProc;
        RegisterWindowClass(cls);
        WindowHandle w = CreateWindow("Present Bench", "OrixApp", int(kWidth), int(kHeight));
        ShowWindow(w);
        return w;
    }();
    return window;
}

// The first driver after the primary display, or null when there is none.
const DisplayDriverInfo* OffscreenDriver() {
    static const std::vector<DisplayDriverInfo> drivers = EnumerateDisplayDrivers();
    return drivers.size() > 1 ? &drivers[1] : nullptr;
}

enum class Shown { OffscreenOnly, OffscreenInWindow, PrimaryWindow };

void BM_Present(benchmark::State& state, Shown shown) {
    DisplayConfig config;
    config.width = kWidth;
    config.height = kHeight;
    config.bitsPerPixel = 16;
    if (shown != Shown::PrimaryWindow) {
        const DisplayDriverInfo* driver = OffscreenDriver();
        if (!driver) return state.SkipWithError("one display driver only");
        config.driver = driver->guid;
    }
    if (shown == Shown::OffscreenOnly) {
        config.mode = DisplayMode::Offscreen;
    } else {
        if (RunningHeadless()) return state.SkipWithError("no display for a window");
        config.mode = DisplayMode::Window;
        config.nativeWindow = NativeWindow(BenchWindow());
        if (!config.nativeWindow) return state.SkipWithError("no SDL window");
    }
    std::string error;
    std::unique_ptr<DisplayContext> display = OpenDisplay(config, &error);
    if (!display) return state.SkipWithError(error.c_str());
    std::unique_ptr<GraphicsDevice> device = CreateGraphicsDevice(*display, false, &error);
    if (!device) return state.SkipWithError(error.c_str());
    MaterialHandle background = device->CreateMaterial();
    MaterialRecord record;
    device->SetBackground(background);
    const Rect all{0, 0, int32_t(kWidth), int32_t(kHeight)};
    uint32_t frame = 0;
    for (auto _ : state) {
        // A frame of its own each time (the colour changes), cleared and presented.
        record.diffuse = {float(frame++ & 1), 0.5f, 0.25f, 1.0f};
        device->SetMaterial(background, record);
        device->BeginScene();
        device->Clear(&all, 1, CLEAR_TARGET | CLEAR_ZBUFFER);
        device->EndScene();
        device->Present();
    }
    device->ReleaseMaterial(background);
}

BENCHMARK_CAPTURE(BM_Present, offscreen, Shown::OffscreenOnly)
    ->Name("present/offscreen")
    ->MinTime(2.0)
    ->MinWarmUpTime(0.5)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Present, offscreen_window, Shown::OffscreenInWindow)
    ->Name("present/offscreen_window")
    ->MinTime(2.0)
    ->MinWarmUpTime(0.5)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Present, primary_window, Shown::PrimaryWindow)
    ->Name("present/primary_window")
    ->MinTime(2.0)
    ->MinWarmUpTime(0.5)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orix::bench

BENCHMARK_MAIN();
