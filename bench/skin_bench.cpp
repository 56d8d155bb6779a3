// Skinning: SkinDeform over a generated 50,000-vertex skin against the memory floor, a plain
// copy of the same vertex array (what any deformation must at least move).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/helper.h"
#include "scene/skinned_character.h"
#include "skin/skin_deform.h"

namespace orix {
namespace {

constexpr uint32_t kVertices = 50000;
constexpr int kBones = 30;

// A lit skin mesh of kVertices vertices spread over kBones bones, each vertex under one bone,
// bones posed away from their bind pose so every bound vertex really moves.
struct SkinFixture {
    SkinnedCharacter character{1};

    SkinFixture() {
        Mesh* skin = character.NewMesh();
        skin->name = "Skin";
        for (uint32_t i = 0; i < kVertices; ++i) {
            float a = float(i) * 0.01f;
            skin->AddVertex(std::cos(a) * 10.0f, float(i % 500) * 0.3f, std::sin(a) * 10.0f);
        }
        character.skinMesh = skin;
        character.skinBindings.resize(kBones);
        for (int b = 0; b < kBones; ++b) {
            Helper* bone = character.NewHelper();
            bone->name = "Bone " + std::to_string(b);
            bone->nodeTransform = Matrix::Translation({0.0f, float(b) * 5.0f, 0.0f});
            SkinBinding& binding = character.skinBindings[size_t(b)];
            binding.bone = bone;
            for (uint32_t v = uint32_t(b); v < kVertices; v += kBones)
                binding.indices.push_back(int32_t(v + 1));
            binding.count = int32_t(binding.indices.size());
        }
        SkinBind(character);
        for (int b = 0; b < kBones; ++b) {
            SceneObject* bone = character.skinBindings[size_t(b)].bone;
            bone->world = Matrix::RotationY(0.1f * float(b)) * bone->nodeTransform;
        }
    }
};

void BM_SkinDeform(benchmark::State& state) {
    SkinFixture f;
    for (auto _ : state) {
        SkinDeform(f.character);
        benchmark::DoNotOptimize(f.character.skinMesh->geometry->litVertices.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kVertices * sizeof(LVertex));
}
BENCHMARK(BM_SkinDeform)
    ->Name("skin/deform_50k")
    ->MinTime(1.0)
    ->MinWarmUpTime(0.2)
    ->Unit(benchmark::kMicrosecond);

void BM_SkinCopyFloor(benchmark::State& state) {
    SkinFixture f;
    std::vector<LVertex>& out = f.character.skinMesh->geometry->litVertices;
    const std::vector<LVertex>& rest = f.character.skin->litRestCopy;
    for (auto _ : state) {
        std::memcpy(out.data(), rest.data(), kVertices * sizeof(LVertex));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kVertices * sizeof(LVertex));
}
BENCHMARK(BM_SkinCopyFloor)
    ->Name("skin/copy_floor_50k")
    ->MinTime(1.0)
    ->MinWarmUpTime(0.2)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orix
