// Frame cost: the demonstration rendered offscreen with a fixed 33 ms step, against a plain
// OpenGL replay of the same frame (captured from the device, drawn without the engine), with
// 1, 10, 50 and 100 characters. Per count four figures:
//   frame/engine/N          Render and Present (which finishes the frame)
//   frame/replay/N          the replay's draws and a finish
//   frame/engine_submit/N   Render alone, the device idle before it (rasterisation excluded)
//   frame/replay_submit/N   the replay's draws alone, idle before
//   frame/engine_cpu/N      Render with clears, draws and text stopped at the device's door:
//                           update, animation, skinning and draw submission, no GL work
// The engine's own CPU share of a frame is engine_cpu / engine; (engine_submit - replay_submit)
// / engine says the same through the GL driver, with the noise of a difference.
// ORIX_BENCH_PNG=folder writes each count's engine frame and replay frame there to compare.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "device/engine.h"
#include "device/globals.h"
#include "frame_capture.h"
#include "gl_replay.h"
#include "platform/clock.h"
#include "platform/display_system.h"
#include "scene/scene.h"

#include "scene/skinned_character.h"

namespace fs = std::filesystem;

namespace orix::bench {
namespace {

constexpr int kWarmFrames = 5;

// The demonstration on an offscreen engine whose device is wrapped by a FrameCapture, plus
// count - 1 more characters, and the replay of one of its frames. One at a time: the engine and
// scene are process-wide.
class Harness {
public:
    explicit Harness(int count) : count_(count) {
        std::error_code ec;
        start_ = fs::current_path(ec);
        DisplayConfig config;
        config.mode = DisplayMode::Offscreen;
        display_ = OpenDisplay(config, &error_);
        if (!display_) return;
        device_ = CreateGraphicsDevice(*display_, false, &error_);
        if (!device_) return;
        capture_ = std::make_unique<FrameCapture>(*device_);
        engine_ = std::make_unique<Engine>(clock_, capture_.get());
        theEngine = engine_.get();
        engine_->CreateDeviceObjects();
        fs::current_path(ORIX_RES_DIR, ec);
        Build();
        fs::current_path(start_, ec);
        for (int i = 0; i < kWarmFrames; ++i) EngineFrame();
        CapturedFrame frame;
        capture_->BeginCapture(&frame);
        EngineFrame();
        capture_->EndCapture();
        draws_ = frame.draws.size();
        if (!replay_.Open(display_->Width(), display_->Height(), display_->BitsPerPixel(), &error_))
            return;
        replay_.Load(frame);
        ready_ = true;
        if (const char* dir = std::getenv("ORIX_BENCH_PNG")) WritePictures(dir);
    }

    ~Harness() {
        // RemoveChild deletes the character.
        for (SkinnedCharacter* c : extra_) {
            if (demo_.scene) demo_.scene->RemoveChild(c);
        }
        if (engine_) DestroyDemoScene(demo_);
        engine_.reset();
        theEngine = nullptr;
        currentScene = nullptr;
    }

    bool Ready() const { return ready_; }
    const std::string& Error() const { return error_; }
    int Count() const { return count_; }
    size_t Draws() const { return draws_; }

    void EngineFrame() {
        engine_->Render();
        engine_->device->Present();
    }
    void EngineSubmit() { engine_->Render(); }
    void DiscardDrawing(bool on) { capture_->SetDiscardDrawing(on); }
    void Finish() { engine_->device->Present(); }
    GlReplay& Replay() { return replay_; }

private:
    void Build() {
        BuildDemoScene(*engine_, demo_);
        // More characters on a grid around the first, each loaded and skinned as the first was.
        for (int i = 1; i < count_; ++i) {
            auto* c = new SkinnedCharacter(1);
            c->LoadBne(demo::kCharacterFile, 1);
            c->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
            int ring = i % 10, row = i / 10;
            c->position = Vector3{float(ring - 5) * 40.0f, 0.0f, float(row) * 50.0f + 40.0f};
            demo_.scene->AddChild(c);
            c->LoadSkin(demo::kSkinFile);
            extra_.push_back(c);
        }
    }

    void WritePictures(const char* dir) {
        FrameImage image;
        EngineFrame();
        engine_->device->ReadFrame(&image);
        std::string base = std::string(dir) + "/frame-" + std::to_string(count_);
        WritePng(base + "-engine.png", image);
        replay_.Enter();
        replay_.Draw();
        replay_.Finish();
        std::vector<uint8_t> rgba;
        if (replay_.ReadPixels(&rgba)) {
            // GL reads bottom row first; the engine's target keeps the top row first, as the
            // replay's does, so the rows are already in screen order.
            image.rgba = rgba;
            WritePng(base + "-replay.png", image);
        }
        replay_.Leave();
    }

    int count_;
    fs::path start_;
    std::string error_;
    FixedStepClock clock_{1000, 33};
    std::unique_ptr<DisplayContext> display_;
    std::unique_ptr<GraphicsDevice> device_;
    std::unique_ptr<FrameCapture> capture_;
    std::unique_ptr<Engine> engine_;
    DemoScene demo_;
    std::vector<SkinnedCharacter*> extra_;
    GlReplay replay_;
    size_t draws_ = 0;
    bool ready_ = false;
};

std::unique_ptr<Harness> harness;

Harness* HarnessFor(benchmark::State& state) {
    int count = int(state.range(0));
    if (!harness || harness->Count() != count) {
        harness.reset();
        harness = std::make_unique<Harness>(count);
    }
    if (!harness->Ready()) {
        state.SkipWithError(("no offscreen frame: " + harness->Error()).c_str());
        return nullptr;
    }
    state.counters["draws"] = double(harness->Draws());
    return harness.get();
}

using Clock = std::chrono::steady_clock;

void BM_FrameEngine(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    for (auto _ : state) h->EngineFrame();
}

void BM_FrameReplay(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    h->Replay().Enter();
    for (auto _ : state) {
        h->Replay().Draw();
        h->Replay().Finish();
    }
    h->Replay().Leave();
}

void BM_FrameEngineSubmit(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    for (auto _ : state) {
        h->Finish();
        auto t0 = Clock::now();
        h->EngineSubmit();
        auto t1 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    h->Finish();
}

void BM_FrameEngineCpu(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    h->Finish();
    h->DiscardDrawing(true);
    for (auto _ : state) h->EngineSubmit();
    h->DiscardDrawing(false);
}

void BM_FrameReplaySubmit(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    h->Replay().Enter();
    for (auto _ : state) {
        h->Replay().Finish();
        auto t0 = Clock::now();
        h->Replay().Draw();
        auto t1 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    h->Replay().Finish();
    h->Replay().Leave();
}

void Register() {
    for (int n : {1, 10, 50, 100}) {
        std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("frame/engine" + suffix).c_str(), BM_FrameEngine)
            ->Arg(n)
            ->MinTime(1.0)
            ->MinWarmUpTime(0.2)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/replay" + suffix).c_str(), BM_FrameReplay)
            ->Arg(n)
            ->MinTime(1.0)
            ->MinWarmUpTime(0.2)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/engine_submit" + suffix).c_str(), BM_FrameEngineSubmit)
            ->Arg(n)
            ->MinTime(1.0)
            ->MinWarmUpTime(0.2)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/engine_cpu" + suffix).c_str(), BM_FrameEngineCpu)
            ->Arg(n)
            ->MinTime(1.0)
            ->MinWarmUpTime(0.2)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/replay_submit" + suffix).c_str(), BM_FrameReplaySubmit)
            ->Arg(n)
            ->MinTime(1.0)
            ->MinWarmUpTime(0.2)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
}

const int registered = (Register(), 0);

}  // namespace

void ReleaseFrameHarness() {
    harness.reset();
}
}  // namespace orix::bench
