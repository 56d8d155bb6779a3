// Keyframes: a bone's pose per frame by live sampling of its tracks against the baked table
// lookup, over a 30-bone chain animated for 100 frames. Times are per frame for the whole
// chain; items are bones, so the per-bone cost is the time divided by 30.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "scene/helper.h"

namespace orix {
namespace {

constexpr int kBones = 30;
constexpr int kFrames = 100;

std::vector<std::unique_ptr<Helper>> MakeChain(bool baked) {
    std::vector<std::unique_ptr<Helper>> bones;
    for (int b = 0; b < kBones; ++b) {
        auto bone = std::make_unique<Helper>();
        bone->boneParent = b > 0 ? bones.back().get() : nullptr;
        for (int k = 0; k <= kFrames; k += 10) {
            float t = float(k);
            bone->AddPositionKey(t, float(b), 2.0f + std::sin(t * 0.1f), 0.5f * float(b), false);
            bone->AddRotationKey(t, 0.0f, 1.0f, 0.2f, 0.05f * t + 0.1f * float(b), false);
        }
        bone->SetFrameRange(0, kFrames);
        bone->CaptureRestPose();
        if (baked) bone->BakePoses();
        bones.push_back(std::move(bone));
    }
    return bones;
}

void RunChain(benchmark::State& state, bool baked) {
    auto bones = MakeChain(baked);
    float t = 0.0f;
    for (auto _ : state) {
        for (auto& bone : bones) {
            bone->time = t;
            bone->ComputeAnimatedLocal(&bone->animatedLocal);
        }
        benchmark::DoNotOptimize(bones.back()->animatedLocal);
        t += 1.0f;
        if (t > float(kFrames)) t = 0.0f;
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kBones);
}

void BM_KeyframeLive(benchmark::State& state) {
    RunChain(state, false);
}
BENCHMARK(BM_KeyframeLive)->Name("keyframe/live_30_bones")->Unit(benchmark::kMicrosecond);

void BM_KeyframeBaked(benchmark::State& state) {
    RunChain(state, true);
}
BENCHMARK(BM_KeyframeBaked)->Name("keyframe/baked_30_bones")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orix
