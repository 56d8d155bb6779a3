// Frame cost: the demonstration rendered offscreen with a fixed 33 ms step, against a plain
// OpenGL replay of the same frame (captured from the device, drawn without the engine), with
// 1, 10, 50, 100 and 200 characters, each extra one starting at its own frame of the walk (a
// crowd does not walk in step). Per count six figures:
//   frame/engine/N          Render and Present (which finishes the frame)
//   frame/replay/N          the replay's draws and a finish
//   frame/paired/N          the two above in alternating blocks of frames; its counter
//                           replay_per_engine is the speed ratio the goals are judged on
//   frame/engine_submit/N   Render alone, the device idle before it (rasterisation excluded)
//   frame/replay_submit/N   the replay's draws alone, idle before
//   frame/engine_cpu/N      Render with clears, draws and text stopped at the device's door:
//                           update, animation, skinning and draw submission, no GL work
//                           (this thread's CPU time, so other processes do not count)
// and once, with 200 characters:
//   frame/character_cpu     this thread's CPU time of such a frame with every character less
//                           that of the same frame with the extra characters switched off,
//                           both measured in each iteration; the counter `extras` divides it
//                           into the cost of one extra character, `per_extra_us` is that of
//                           the median iteration
// The engine's own CPU share of a frame is engine_cpu / engine; (engine_submit - replay_submit)
// / engine says the same through the GL driver, with the noise of a difference.
// ORIX_BENCH_PNG=folder writes each count's engine frame and replay frame there to compare.
#include <benchmark/benchmark.h>

#include <algorithm>
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
#include "thread_clock.h"

#include "scene/skinned_character.h"

namespace fs = std::filesystem;

namespace orix::bench {
namespace {

constexpr int kWarmFrames = 5;
constexpr int kCounts[] = {1, 10, 50, 100, 200};
constexpr int kPerCharacterCount = 200;

// Moves an object and its children to `offset` frames into their own ranges.
void StartAt(SceneObject* o, int32_t offset) {
    int32_t range = std::max(o->lastFrame - o->firstFrame, 0) + 1;
    o->time = float(o->firstFrame + offset % range);
    for (SceneObject* child : o->children) {
        if (child) StartAt(child, offset);
    }
}

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
        FrameImage drawn;
        engine_->device->ReadFrame(&drawn);
        draws_ = frame.draws.size();
        if (!replay_.Open(display_->Width(), display_->Height(), display_->BitsPerPixel(), &error_))
            return;
        replay_.Load(frame);
        pixelsOff_ = PixelsOffReplay(drawn);
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
    // Pixels of the captured frame that the replay drew otherwise (any channel off by more
    // than 2), or -1 when either picture could not be read.
    int64_t PixelsOff() const { return pixelsOff_; }

    void EngineFrame() {
        engine_->Render();
        engine_->device->Present();
    }
    void EngineSubmit() { engine_->Render(); }
    void DiscardDrawing(bool on) { capture_->SetDiscardDrawing(on); }
    void EnableExtras(bool on) {
        for (SkinnedCharacter* c : extra_) c->enabled = on;
    }
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
            // Frames 0, 7, 14, ... of the walk, wrapping around: no two neighbours in step.
            StartAt(c, i * 7);
            extra_.push_back(c);
        }
    }

    int64_t PixelsOffReplay(const FrameImage& drawn) {
        replay_.Enter();
        replay_.Draw();
        replay_.Finish();
        std::vector<uint8_t> rgba;
        bool read = replay_.ReadPixels(&rgba);
        replay_.Leave();
        if (!read || rgba.size() != drawn.rgba.size() || rgba.empty()) return -1;
        int64_t off = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            for (size_t c = 0; c < 3; ++c) {
                if (std::abs(int(rgba[i + c]) - int(drawn.rgba[i + c])) > 2) {
                    ++off;
                    break;
                }
            }
        }
        return off;
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
    int64_t pixelsOff_ = -1;
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
    state.counters["pixels_off_replay"] = double(harness->PixelsOff());
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

// Engine and replay frames in alternating blocks, each block timed by the wall clock. A machine
// whose speed drifts over seconds (other tenants, clock changes) slows both alike, so the ratio
// of their sums holds steady where two runs seconds apart would not.
void BM_FramePaired(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    constexpr int kBlock = 4;
    auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    double engine = 0.0, replay = 0.0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (int i = 0; i < kBlock; ++i) h->EngineFrame();
        auto t1 = Clock::now();
        h->Replay().Enter();
        auto t2 = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
            h->Replay().Draw();
            h->Replay().Finish();
        }
        auto t3 = Clock::now();
        h->Replay().Leave();
        engine += seconds(t1 - t0);
        replay += seconds(t3 - t2);
        state.SetIterationTime(seconds(t1 - t0) + seconds(t3 - t2));
    }
    const double frames = double(state.iterations()) * kBlock;
    if (frames == 0.0 || engine <= 0.0) return;
    state.counters["engine_ms"] = 1e3 * engine / frames;
    state.counters["replay_ms"] = 1e3 * replay / frames;
    state.counters["replay_per_engine"] = replay / engine;
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
    for (auto _ : state) {
        double t0 = ThreadSeconds();
        h->EngineSubmit();
        state.SetIterationTime(ThreadSeconds() - t0);
    }
    h->DiscardDrawing(false);
}

// The engine's CPU per extra character, measured directly: each iteration renders (drawing
// stopped at the device) once with every character and once with the extras switched off.
void BM_FrameCharacterCpu(benchmark::State& state) {
    Harness* h = HarnessFor(state);
    if (!h) return;
    h->Finish();
    h->DiscardDrawing(true);
    state.counters["extras"] = double(h->Count() - 1);
    std::vector<double> differences;
    differences.reserve(1 << 14);
    for (auto _ : state) {
        double t0 = ThreadSeconds();
        h->EngineSubmit();
        double t1 = ThreadSeconds();
        h->EnableExtras(false);
        double t2 = ThreadSeconds();
        h->EngineSubmit();
        double t3 = ThreadSeconds();
        h->EnableExtras(true);
        // Never zero or less: the library asks for a positive time.
        state.SetIterationTime(std::max((t1 - t0) - (t3 - t2), 1e-9));
        differences.push_back((t1 - t0) - (t3 - t2));
    }
    h->DiscardDrawing(false);
    // The median frame's difference: a burst of another tenant's memory traffic lengthens a
    // few frames, which move the mean but not the median.
    if (!differences.empty() && h->Count() > 1) {
        auto middle = differences.begin() + std::ptrdiff_t(differences.size() / 2);
        std::nth_element(differences.begin(), middle, differences.end());
        state.counters["per_extra_us"] = 1e6 * *middle / double(h->Count() - 1);
    }
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

// Long repetitions with a warm-up: the first frames after a harness is built pay for cold
// caches and the driver's first uploads. The whole frames are timed by the wall clock (the
// driver draws on threads of its own, so this thread's CPU time would stretch a repetition
// tenfold); the submissions, timed by hand, run shorter: the frame's rasterisation between two
// of them is not counted but takes its time.
benchmark::internal::Benchmark* Steady(benchmark::internal::Benchmark* b) {
    return b->MinTime(2.0)->MinWarmUpTime(0.5)->Unit(benchmark::kMillisecond);
}
benchmark::internal::Benchmark* SteadyWall(benchmark::internal::Benchmark* b) {
    return Steady(b)->UseRealTime();
}
benchmark::internal::Benchmark* SteadySubmit(benchmark::internal::Benchmark* b) {
    return b->MinTime(0.5)->MinWarmUpTime(0.2)->UseManualTime()->Unit(benchmark::kMillisecond);
}

void Register() {
    for (int n : kCounts) {
        std::string suffix = "/" + std::to_string(n);
        SteadyWall(benchmark::RegisterBenchmark(("frame/engine" + suffix).c_str(), BM_FrameEngine)
                       ->Arg(n));
        SteadyWall(benchmark::RegisterBenchmark(("frame/replay" + suffix).c_str(), BM_FrameReplay)
                       ->Arg(n));
        Steady(benchmark::RegisterBenchmark(("frame/paired" + suffix).c_str(), BM_FramePaired)
                   ->Arg(n)
                   ->UseManualTime());
        SteadySubmit(benchmark::RegisterBenchmark(("frame/engine_submit" + suffix).c_str(),
                                                  BM_FrameEngineSubmit)
                         ->Arg(n));
        Steady(
            benchmark::RegisterBenchmark(("frame/engine_cpu" + suffix).c_str(), BM_FrameEngineCpu)
                ->Arg(n)
                ->UseManualTime());
        SteadySubmit(benchmark::RegisterBenchmark(("frame/replay_submit" + suffix).c_str(),
                                                  BM_FrameReplaySubmit)
                         ->Arg(n));
        if (n == kPerCharacterCount) {
            benchmark::RegisterBenchmark("frame/character_cpu", BM_FrameCharacterCpu)
                ->Arg(n)
                ->MinTime(2.0)
                ->MinWarmUpTime(0.5)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

const int registered = (Register(), 0);

}  // namespace

void ReleaseFrameHarness() {
    harness.reset();
}
}  // namespace orix::bench
