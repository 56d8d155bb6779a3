// Loading: the demonstration's character (res/girl.ase) and a generated ~20 MB land-like ASE
// file, each read from memory as ASE text and as the BNE file the ASE reader writes from it.
// Throughput is reported in bytes of the file read; the BNE / ASE ratio compares the time per
// load of the same model. Textures are not made (no device): a picture costs both formats the
// same, and the failures' messages are swallowed. Where assimp is installed, the same ASE
// text also goes through its importer from memory (no post-processing asked), as the peer.
// load/<model>_paired loads each kind in turn; its ratios are the ones the goals are judged on.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ase_text.h"
#include "body_mesh.h"
#include "device/globals.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "thread_clock.h"

#if defined(ORIX_HAVE_ASSIMP)
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#endif

namespace fs = std::filesystem;

namespace orix::bench {
namespace {

void Quiet(const std::string&, const std::string&) {}
void NoExit(int) {}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A square grid of cells x cells quads in one geometry object with a textured material, as
// the land is exported, only finer.
std::string GridAse(int cells) {
    orix_assets::TriMesh grid;
    const double size = 2000.0;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            double x = size * i / cells - size / 2, y = size * j / cells - size / 2;
            grid.positions.push_back({x, y, 10.0 * std::sin(x * 0.01) * std::cos(y * 0.013)});
            grid.texVerts.push_back({double(i) / cells, double(j) / cells});
        }
    }
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            int v = j * (cells + 1) + i;
            grid.faces.push_back({{v, v + 1, v + cells + 2}, {v, v + 1, v + cells + 2}, 0});
            grid.faces.push_back(
                {{v, v + cells + 2, v + cells + 1}, {v, v + cells + 2, v + cells + 1}, 0});
        }
    }
    orix_assets::AseText out;
    orix_assets::WriteHeader(&out, "grid.max", 0, 100);
    out.Line(0, "*MATERIAL_LIST {");
    out.Line(1, "*MATERIAL_COUNT 1");
    out.Line(1, "*MATERIAL 0 {");
    orix_assets::WriteStandardMaterial(
        &out, 2, {"Ground", {0.5, 0.5, 0.5}, {1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}, "grid.bmp"}, 1);
    out.Line(1, "}");
    out.Line(0, "}");
    out.Line(0, "*GEOMOBJECT {");
    out.Line(1, "*NODE_NAME \"Grid\"");
    orix_assets::WriteNodeTm(&out, 1, "Grid", orix_assets::Xform{});
    orix_assets::WriteMesh(&out, 1, grid);
    out.Line(1, "*MATERIAL_REF 0");
    out.Line(0, "}");
    return out.Text();
}

// The two files of one model in memory: the ASE text and the BNE copy its reader wrote.
struct ModelFiles {
    std::vector<uint8_t> ase, bne;
    bool character = true;
    bool ok = false;
};

ModelFiles Prepare(const std::string& aseText, bool character) {
    ModelFiles f;
    f.character = character;
    f.ase.assign(aseText.begin(), aseText.end());
    SetMessageBoxHook(Quiet);
    SetExitHook(NoExit);
    theEngine = nullptr;
    fs::path copy = fs::temp_directory_path() / ("orix-bench-" + std::to_string(::getpid()) +
                                                 (character ? "-c.bne" : "-m.bne"));
    {
        SkinnedCharacter c(1);
        Mesh m(1);
        std::unique_ptr<OrixFileAse> reader =
            character ? std::make_unique<OrixFileAse>(&c) : std::make_unique<OrixFileAse>(&m);
        reader->SetTextureFailureFatal(false);
        reader->SetCopyName(copy.string());
        if (!reader->LoadBytes(aseText.data(), aseText.size(), "model.ase",
                               kAseFinishNodes | kAseWriteBne))
            return f;
    }
    f.bne = ReadAll(copy);
    std::error_code ec;
    fs::remove(copy, ec);
    f.ok = !f.bne.empty();
    return f;
}

const ModelFiles& Character() {
    static ModelFiles files = [] {
        std::ifstream in(fs::path(ORIX_RES_DIR) / "girl.ase", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        return text.empty() ? ModelFiles() : Prepare(text, true);
    }();
    return files;
}

const ModelFiles& LargeGrid() {
    static ModelFiles files = Prepare(GridAse(165), false);
    return files;
}

template <typename Target>
bool LoadAse(Target* target, const ModelFiles& f) {
    OrixFileAse reader(target);
    reader.SetTextureFailureFatal(false);
    return reader.LoadBytes(reinterpret_cast<const char*>(f.ase.data()), f.ase.size(), "model.ase",
                            kAseFinishNodes);
}

template <typename Target>
bool LoadBne(Target* target, const ModelFiles& f) {
    OrixFileBne reader(target);
    reader.SetTextureFailureFatal(false);
    return reader.LoadBytes(f.bne.data(), f.bne.size(), "model.bne", kBneFinishNodes);
}

// One load of the model into a fresh character or mesh; false when it fails.
bool LoadOnce(const ModelFiles& f, bool bne) {
    if (f.character) {
        SkinnedCharacter c(1);
        return bne ? LoadBne(&c, f) : LoadAse(&c, f);
    }
    Mesh m(1);
    return bne ? LoadBne(&m, f) : LoadAse(&m, f);
}

void Run(benchmark::State& state, const ModelFiles& f, bool bne) {
    SetMessageBoxHook(Quiet);
    SetExitHook(NoExit);
    theEngine = nullptr;
    if (!f.ok) {
        state.SkipWithError("the model files could not be prepared");
        return;
    }
    for (auto _ : state) {
        if (!LoadOnce(f, bne)) {
            state.SkipWithError("load failed");
            break;
        }
    }
    size_t bytes = bne ? f.bne.size() : f.ase.size();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["file_MB"] = double(bytes) / 1e6;
}

// Long repetitions after a warm-up (the allocator's and the caches' first touches are not the
// readers' cost); the summary compares CPU times, which a busy machine's other processes do not
// inflate.
void Steady(benchmark::internal::Benchmark* b) {
    b->MinTime(1.5)->MinWarmUpTime(0.3)->Unit(benchmark::kMillisecond);
}

void BM_LoadCharacterAse(benchmark::State& s) {
    Run(s, Character(), false);
}
void BM_LoadCharacterBne(benchmark::State& s) {
    Run(s, Character(), true);
}
void BM_LoadLargeAse(benchmark::State& s) {
    Run(s, LargeGrid(), false);
}
void BM_LoadLargeBne(benchmark::State& s) {
    Run(s, LargeGrid(), true);
}
#if defined(ORIX_HAVE_ASSIMP)
// Orix's readers hand over indexed meshes with one vertex per distinct (position, texture
// coordinate) pair; assimp's ASE importer gives one vertex per face corner unless asked to join
// identical vertices, so that step is asked for, and nothing more.
constexpr unsigned kAssimpSteps = aiProcess_JoinIdenticalVertices;

// The same ASE text through assimp; the scene's error message, or empty when it was read.
std::string LoadAssimp(const ModelFiles& f) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFileFromMemory(f.ase.data(), f.ase.size(), kAssimpSteps, "ase");
    if (scene && scene->mNumMeshes > 0) return {};
    std::string error = importer.GetErrorString();
    return error.empty() ? "no mesh" : error;
}

void RunAssimp(benchmark::State& state, const ModelFiles& f) {
    if (!f.ok) {
        state.SkipWithError("the model files could not be prepared");
        return;
    }
    for (auto _ : state) {
        std::string error = LoadAssimp(f);
        if (!error.empty()) {
            state.SkipWithError(("assimp could not read the file: " + error).c_str());
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ase.size()));
    state.counters["file_MB"] = double(f.ase.size()) / 1e6;
}

void BM_LoadCharacterAssimp(benchmark::State& s) {
    RunAssimp(s, Character());
}
void BM_LoadLargeAssimp(benchmark::State& s) {
    RunAssimp(s, LargeGrid());
}
BENCHMARK(BM_LoadCharacterAssimp)->Name("load/character_assimp")->Apply(Steady);
BENCHMARK(BM_LoadLargeAssimp)->Name("load/large_assimp")->Apply(Steady);
#endif

// The loads of each kind in turn, each timed by this thread's CPU clock: whatever slows the
// machine for a while (another tenant filling the shared cache) slows all of them alike, so the
// ratios of their sums hold steady where runs seconds apart would not. Each timed load follows
// an untimed one of its own kind, so it finds its input and the allocator as warm as the
// separate runs do. The counters are the speed ratios the goals are judged on.
void RunPaired(benchmark::State& state, const ModelFiles& f) {
    SetMessageBoxHook(Quiet);
    SetExitHook(NoExit);
    theEngine = nullptr;
    if (!f.ok) {
        state.SkipWithError("the model files could not be prepared");
        return;
    }
    enum Kind { kAse, kBne, kAssimp };
    auto load = [&f](Kind kind) {
#if defined(ORIX_HAVE_ASSIMP)
        if (kind == kAssimp) return LoadAssimp(f).empty();
#else
        if (kind == kAssimp) return true;
#endif
        return LoadOnce(f, kind == kBne);
    };
    double seconds[3] = {};
    for (auto _ : state) {
        bool ok = true;
        for (Kind kind : {kAse, kBne, kAssimp}) {
            ok = ok && load(kind);
            double t0 = ThreadSeconds();
            ok = ok && load(kind);
            seconds[kind] += ThreadSeconds() - t0;
        }
        if (!ok) {
            state.SkipWithError("load failed");
            break;
        }
    }
    if (seconds[kAse] <= 0.0 || seconds[kBne] <= 0.0) return;
    state.counters["bne_per_ase"] = seconds[kAse] / seconds[kBne];
#if defined(ORIX_HAVE_ASSIMP)
    state.counters["ase_per_assimp"] = seconds[kAssimp] / seconds[kAse];
#endif
}

void BM_LoadCharacterPaired(benchmark::State& s) {
    RunPaired(s, Character());
}
void BM_LoadLargePaired(benchmark::State& s) {
    RunPaired(s, LargeGrid());
}
BENCHMARK(BM_LoadCharacterPaired)->Name("load/character_paired")->Apply(Steady);
BENCHMARK(BM_LoadLargePaired)->Name("load/large_paired")->Apply(Steady);

BENCHMARK(BM_LoadCharacterAse)->Name("load/character_ase")->Apply(Steady);
BENCHMARK(BM_LoadCharacterBne)->Name("load/character_bne")->Apply(Steady);
BENCHMARK(BM_LoadLargeAse)->Name("load/large_ase")->Apply(Steady);
BENCHMARK(BM_LoadLargeBne)->Name("load/large_bne")->Apply(Steady);

}  // namespace
}  // namespace orix::bench
