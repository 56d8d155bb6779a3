// glTF export: a helper that moves and turns over every frame of its range, exported to a .glb,
// over 1,000 and 65,535 frames. Items are frames, so the per-frame cost of the two should be
// alike: the export's work grows with the frames, not with their square.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "export/gltf_export.h"
#include "scene/helper.h"
#include "scene/skinned_character.h"

namespace orix {
namespace {

std::unique_ptr<SkinnedCharacter> MovingHelper(int32_t frames) {
    auto c = std::make_unique<SkinnedCharacter>(1);
    Helper* h = c->NewHelper();
    h->name = "Mover";
    const float last = float(frames);
    h->AddPositionKey(0.0f, 0.0f, 0.0f, 0.0f, false);
    h->AddPositionKey(last, 100.0f, 50.0f, 0.0f, false);
    h->AddRotationKey(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, false);
    h->AddRotationKey(last, 0.0f, 0.0f, 1.0f, 3.0f, false);
    c->SetFrameRange(0, frames);
    h->CaptureRestPose();
    h->BakePoses();
    return c;
}

void BM_ExportHelper(benchmark::State& state) {
    const int32_t frames = int32_t(state.range(0));
    LoadedModel model;
    model.character = MovingHelper(frames);
    model.firstFrame = 0;
    model.lastFrame = frames;
    const gltf::ExportSource source{model, std::string(), false};
    const std::string path = "/tmp/orix-export-bench-" + std::to_string(frames) + ".glb";
    for (auto _ : state) {
        gltf::ExportResult result = gltf::ExportGltf(source, path);
        if (!result.written) state.SkipWithError(result.error.c_str());
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(int64_t(state.iterations()) * (frames + 1));
}
BENCHMARK(BM_ExportHelper)
    ->Name("export/helper_frames")
    ->Arg(1000)
    ->Arg(65535)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orix
