// Frame cost: the demonstration rendered offscreen with a fixed 33 ms step, against a plain
// OpenGL replay of the same frame (captured from the device, drawn without the engine), with
// 1, 10, 50, 100, 200, 500 and 1000 characters: the extras are clones of the demonstration's
// character, as a program builds a crowd, laid out on a grid that the view holds whole, each
// starting at its own whole frame of the walk (a crowd does not walk in step, but a walk has only
// so many frames). Per count six figures:
//   frame/engine/N          Render and Present (which finishes the frame)
//   frame/replay/N          the replay's draws and a finish
//   frame/paired/N          the two above in alternating blocks of frames; its counter
//                           replay_per_engine is the speed ratio the goals are judged on
//   frame/engine_submit/N   Render alone, the device idle before it (rasterisation excluded)
//   frame/replay_submit/N   the replay's draws alone, idle before
//   frame/engine_cpu/N      Render with clears, draws and text stopped at the device's door:
//                           update, animation, skinning and draw submission, no GL work
//                           (this thread's CPU time, so other processes do not count)
// and with 200 and 1000 characters:
//   frame/character_cpu/N   this thread's CPU time of such a frame with every character less
//                           that of the same frame with the extra characters switched off,
//                           both measured in each iteration; the counter `extras` divides it
//                           into the cost of one extra character, `per_extra_us` is that of
//                           the median iteration
//   frame/character_cpu_unshared/N
//                           the same with every extra at an unrelated fractional time of the
//                           walk, walking a little faster or slower than any other, so no two
//                           stand in one pose and nothing is shared
// Every count's counters: `off_view`, the characters with some skin vertex outside the view in
// the captured frame (the layout keeps it 0: culling must not be what makes a crowd cheap), and
// `poses`, the distinct skin poses the crowd holds.
// The engine's own CPU share of a frame is engine_cpu / engine; (engine_submit - replay_submit)
// / engine says the same through the GL driver, with the noise of a difference.
// ORIX_BENCH_PNG=folder writes each count's engine frame and replay frame there to compare.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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
constexpr int kCounts[] = {1, 10, 50, 100, 200, 500, 1000};
constexpr int kPerCharacterCounts[] = {200, 1000};
// From this count on a frame takes a tenth of a second or more on a software rasteriser: the
// paired blocks are single frames, so that a repetition holds dozens of them, repetitions are
// longer, and the submissions are timed a fixed number of times (each waits for the frame
// before it).
constexpr int kLargeCount = 100;

// Moves an object and its children to `offset` frames into their own ranges.
void StartAt(SceneObject* o, double offset) {
    int32_t range = std::max(o->lastFrame - o->firstFrame, 0) + 1;
    o->time = float(o->firstFrame + std::fmod(offset, double(range)));
    for (SceneObject* child : o->children) {
        if (child) StartAt(child, offset);
    }
}

// Where point p lands in clip space: inside the view when |x|, |y| <= w and 0 <= z <= w.
bool InsideView(const Vector3& p, const Matrix& viewProjection) {
    const auto& m = viewProjection.m;
    float c[4];
    for (int k = 0; k < 4; ++k) c[k] = p.x * m[0][k] + p.y * m[1][k] + p.z * m[2][k] + m[3][k];
    return c[3] > 0.0f && std::abs(c[0]) <= c[3] && std::abs(c[1]) <= c[3] && c[2] >= 0.0f &&
           c[2] <= c[3];
}

// A character's box for the layout, wider than the walk reaches.
constexpr Vector3 kBoxLow{-16.0f, 0.0f, -12.0f}, kBoxHigh{16.0f, 66.0f, 12.0f};

bool BoxInsideView(const Vector3& at, const Matrix& viewProjection) {
    for (int corner = 0; corner < 8; ++corner) {
        Vector3 p{corner & 1 ? kBoxHigh.x : kBoxLow.x, corner & 2 ? kBoxHigh.y : kBoxLow.y,
                  corner & 4 ? kBoxHigh.z : kBoxLow.z};
        if (!InsideView(at + p, viewProjection)) return false;
    }
    return true;
}

// The demonstration on an offscreen engine whose device is wrapped by a FrameCapture, plus
// count - 1 more characters, and the replay of one of its frames. One at a time: the engine and
// scene are process-wide.
class Harness {
public:
    // shared: extras at whole frames of the walk (poses repeat across a crowd); otherwise each at
    // its own fractional time.
    Harness(int count, bool shared) : count_(count), shared_(shared) {
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
        offView_ = OffView();
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
    bool Shared() const { return shared_; }
    size_t Draws() const { return draws_; }
    int OffViewCount() const { return offView_; }
    size_t Poses() const {
        auto* girl = static_cast<SkinnedCharacter*>(demo_.character);
        return girl && girl->skin ? girl->skin->poses.size() : 0;
    }
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
        auto* girl = static_cast<SkinnedCharacter*>(demo_.character);
        if (!girl || count_ < 2) return;
        // One frame sets the camera on the character; the crowd then fills what it sees.
        EngineFrame();
        const Matrix viewProjection = demo_.scene->view * demo_.scene->projection;
        for (int i = 1; i < count_; ++i) {
            auto* c = static_cast<SkinnedCharacter*>(girl->Clone());
            demo_.scene->AddChild(c);
            if (shared_) {
                // Frames 0, 7, 14, ... of the walk, wrapping around: no two neighbours in step.
                StartAt(c, double(i) * 7.0);
            } else {
                // Fractions that no two characters share, kept apart by speeds a little apart
                // (a loop starts again at its first frame, which would line the times up).
                StartAt(c, double(i) * 7.0 + std::fmod(double(i) * 0.6180339887, 1.0));
                c->SetSpeed(1.0f + float(i) * 1e-4f);
            }
            extra_.push_back(c);
        }
        LayOut(viewProjection);
    }

    // A grid on the ground beyond the first character, as wide and deep as the view holds it at
    // this count, drawn closer together until every character's box is inside.
    void LayOut(const Matrix& viewProjection) {
        const Vector3 eye = demo::kCameraPosition;
        Vector3 forward{-eye.x, 0.0f, -eye.z};
        forward = forward * (1.0f / Length(forward));
        const Vector3 right{forward.z, 0.0f, -forward.x};
        const int n = int(extra_.size());
        const int columns = std::max(1, int(std::ceil(std::sqrt(double(n) * 1.5))));
        const int rows = (n + columns - 1) / columns;
        for (float spacing = 60.0f; spacing > 0.5f; spacing *= 0.9f) {
            bool inside = true;
            for (int i = 0; i < n && inside; ++i) {
                const float across = (float(i % columns) - 0.5f * float(columns - 1)) * spacing;
                const float ahead = 40.0f + float(rows - 1 - i / columns) * spacing;
                extra_[size_t(i)]->position = right * across + forward * ahead;
                inside = BoxInsideView(extra_[size_t(i)]->position, viewProjection);
            }
            if (inside) return;
        }
    }

    // Extras with some skin vertex outside the view the camera held for this frame.
    int OffView() const {
        const Matrix viewProjection = demo_.scene->view * demo_.scene->projection;
        int off = 0;
        for (SkinnedCharacter* c : extra_) {
            const Mesh* skin = c->skinMesh;
            if (!skin) continue;
            const Matrix toClip = skin->world * viewProjection;
            const std::vector<LVertex>& vertices = skin->geometry->litVertices;
            for (uint32_t v = 0; v < skin->vertexCount && v < vertices.size(); ++v) {
                if (!InsideView({vertices[v].x, vertices[v].y, vertices[v].z}, toClip)) {
                    ++off;
                    break;
                }
            }
        }
        return off;
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
    bool shared_;
    int offView_ = -1;
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

Harness* HarnessFor(benchmark::State& state, bool shared = true) {
    int count = int(state.range(0));
    if (!harness || harness->Count() != count || harness->Shared() != shared) {
        harness.reset();
        harness = std::make_unique<Harness>(count, shared);
    }
    if (!harness->Ready()) {
        state.SkipWithError(("no offscreen frame: " + harness->Error()).c_str());
        return nullptr;
    }
    state.counters["draws"] = double(harness->Draws());
    state.counters["pixels_off_replay"] = double(harness->PixelsOff());
    state.counters["off_view"] = double(harness->OffViewCount());
    state.counters["poses"] = double(harness->Poses());
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
    // A crowd's frame takes long enough to time alone; a few characters' frames come in fours.
    const int kBlock = h->Count() >= kLargeCount ? 1 : 4;
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
void CharacterCpu(benchmark::State& state, bool shared) {
    Harness* h = HarnessFor(state, shared);
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

void BM_FrameCharacterCpu(benchmark::State& state) {
    CharacterCpu(state, true);
}

void BM_FrameCharacterCpuUnshared(benchmark::State& state) {
    CharacterCpu(state, false);
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
benchmark::internal::Benchmark* Steady(benchmark::internal::Benchmark* b, int count) {
    return b->MinTime(count >= kLargeCount ? 8.0 : 2.0)
        ->MinWarmUpTime(0.5)
        ->Unit(benchmark::kMillisecond);
}
benchmark::internal::Benchmark* SteadyWall(benchmark::internal::Benchmark* b, int count) {
    return Steady(b, count)->UseRealTime();
}
benchmark::internal::Benchmark* SteadySubmit(benchmark::internal::Benchmark* b, int count) {
    b->UseManualTime()->Unit(benchmark::kMillisecond);
    if (count >= kLargeCount) return b->Iterations(8);
    return b->MinTime(0.5)->MinWarmUpTime(0.2);
}

void Register() {
    for (int n : kCounts) {
        std::string suffix = "/" + std::to_string(n);
        SteadyWall(
            benchmark::RegisterBenchmark(("frame/engine" + suffix).c_str(), BM_FrameEngine)->Arg(n),
            n);
        SteadyWall(
            benchmark::RegisterBenchmark(("frame/replay" + suffix).c_str(), BM_FrameReplay)->Arg(n),
            n);
        Steady(benchmark::RegisterBenchmark(("frame/paired" + suffix).c_str(), BM_FramePaired)
                   ->Arg(n)
                   ->UseManualTime(),
               n);
        SteadySubmit(benchmark::RegisterBenchmark(("frame/engine_submit" + suffix).c_str(),
                                                  BM_FrameEngineSubmit)
                         ->Arg(n),
                     n);
        benchmark::RegisterBenchmark(("frame/engine_cpu" + suffix).c_str(), BM_FrameEngineCpu)
            ->Arg(n)
            ->MinTime(2.0)
            ->MinWarmUpTime(0.5)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        SteadySubmit(benchmark::RegisterBenchmark(("frame/replay_submit" + suffix).c_str(),
                                                  BM_FrameReplaySubmit)
                         ->Arg(n),
                     n);
    }
    for (int n : kPerCharacterCounts) {
        for (bool shared : {true, false}) {
            std::string name = shared ? "frame/character_cpu/" : "frame/character_cpu_unshared/";
            benchmark::RegisterBenchmark(
                (name + std::to_string(n)).c_str(),
                shared ? BM_FrameCharacterCpu : BM_FrameCharacterCpuUnshared)
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
