// First frame: from a process's start to its first frame's pixels read back, timed here, in the
// parent, on the monotonic clock. The engine is `orix render` of the demonstration at 640 x 480
// on driver 0 (one frame); the baseline is orix_first_frame_baseline, which opens the same
// offscreen context in a fresh process and replays that first frame, captured to a file by
// orix_first_frame_capture (its draws, textures, text and states), so the driver's own
// first-use costs fall on both sides. The clock starts just before posix_spawn and stops when
// the child writes its byte to the pipe it was given as ORIX_READY_FD, which both do right after
// glReadPixels: the engine's PNG, the teardowns and the exits are not counted.
//   first_frame/paired   one run of each per iteration, the order alternating; its counters
//                        engine_ms and baseline_ms (the repetition's median runs) and
//                        engine_per_baseline, their ratio, which the goal judges
// Before the first repetition one untimed run of each (which also warms the file cache) gives
// pixels_off_engine: the baseline's picture against the engine's PNG, pixels with any channel
// off by more than 2.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/input_file.h"
#include "picture/tga_png_picture.h"

extern char** environ;

namespace fs = std::filesystem;

namespace orix::bench {
namespace {

constexpr int kRunsPerRepetition = 5;
constexpr int kReadyFd = 3;

using Clock = std::chrono::steady_clock;

const fs::path kScratch = ORIX_FIRST_FRAME_DIR;

std::vector<std::string> EngineCommand() {
    return {ORIX_TOOL_EXE, "render", "--frames", "1",    "--size", "640x480",
            "--driver",    "0",      "--scene",  "demo", "--out",  (kScratch / "engine").string()};
}

std::vector<std::string> BaselineCommand(bool png) {
    std::vector<std::string> c = {ORIX_FIRST_FRAME_BASELINE_EXE, ORIX_FIRST_FRAME_CAPTURE};
    if (png) c.insert(c.end(), {"--png", (kScratch / "baseline.png").string()});
    return c;
}

// Starts command with its stdout gone and a pipe's writing end as descriptor kReadyFd (named
// by ORIX_READY_FD), and waits for its byte; the seconds from just before the start to the byte,
// or a negative number when the child ended without sending it or failed.
double TimeToReady(const std::vector<std::string>& command) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1.0;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("ORIX_READY_FD=", 0) != 0) env.emplace_back(*e);
    }
    env.push_back("ORIX_READY_FD=" + std::to_string(kReadyFd));
    std::vector<char*> argv, envp;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copy only: the child keeps the writing end alone.
    posix_spawn_file_actions_adddup2(&actions, fds[1], kReadyFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const Clock::time_point t0 = Clock::now();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    double seconds = -1.0;
    if (spawned == 0) {
        char byte = 0;
        ssize_t n;
        while ((n = read(fds[0], &byte, 1)) < 0 && errno == EINTR) {
        }
        if (n == 1) seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) seconds = -1.0;
    }
    close(fds[0]);
    return seconds;
}

BitmapPtr ReadPng(const fs::path& path) {
    InputFile file;
    std::vector<char> bytes;
    std::string error;
    if (!file.Open(path.string(), &error) || !file.ReadAll(&bytes, &error)) return nullptr;
    return ParsePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Pixels of the engine's first frame that the baseline drew otherwise (any channel off by more
// than 2), or -1 when either picture is missing or their sizes differ.
int64_t PixelsOff(const fs::path& engine, const fs::path& baseline) {
    BitmapPtr a = ReadPng(engine), b = ReadPng(baseline);
    if (!a || !b || a->width != b->width || a->height != b->height) return -1;
    int64_t off = 0;
    for (int32_t y = 0; y < a->height; ++y) {
        for (int32_t x = 0; x < a->width; ++x) {
            const uint32_t p = a->PixelRgb(x, y), q = b->PixelRgb(x, y);
            for (int shift : {0, 8, 16}) {
                if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > 2) {
                    ++off;
                    break;
                }
            }
        }
    }
    return off;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

void BM_FirstFramePaired(benchmark::State& state) {
    static int64_t pixelsOff = -2;  // not checked yet
    std::error_code ec;
    if (!fs::is_regular_file(ORIX_FIRST_FRAME_CAPTURE, ec)) {
        state.SkipWithError("no capture: run orix_first_frame_capture " ORIX_FIRST_FRAME_CAPTURE);
        return;
    }
    if (pixelsOff == -2) {
        fs::create_directories(kScratch, ec);
        fs::remove(kScratch / "baseline.png", ec);
        fs::remove(kScratch / "engine" / "frame-0001.png", ec);
        const bool ran =
            TimeToReady(EngineCommand()) > 0.0 && TimeToReady(BaselineCommand(true)) > 0.0;
        pixelsOff =
            ran ? PixelsOff(kScratch / "engine" / "frame-0001.png", kScratch / "baseline.png") : -1;
    }
    std::vector<double> engine, baseline;
    for (auto _ : state) {
        const bool engineFirst = engine.size() % 2 == 0;
        double e = 0.0, b = 0.0;
        if (engineFirst) e = TimeToReady(EngineCommand());
        b = TimeToReady(BaselineCommand(false));
        if (!engineFirst) e = TimeToReady(EngineCommand());
        if (e <= 0.0 || b <= 0.0) {
            state.SkipWithError("a child failed or sent no byte (its stderr says why)");
            return;
        }
        engine.push_back(e);
        baseline.push_back(b);
        state.SetIterationTime(e + b);
    }
    if (engine.empty()) return;
    const double e = Median(engine), b = Median(baseline);
    state.counters["engine_ms"] = 1e3 * e;
    state.counters["baseline_ms"] = 1e3 * b;
    state.counters["engine_per_baseline"] = e / b;
    state.counters["pixels_off_engine"] = double(pixelsOff);
}

BENCHMARK(BM_FirstFramePaired)
    ->Name("first_frame/paired")
    ->Iterations(kRunsPerRepetition)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orix::bench
