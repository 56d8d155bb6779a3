// glTF import: a generated binary glTF of 100,000 textured triangles (one mesh, positions,
// normals and texture coordinates, a base colour material without a picture, so neither side
// decodes one), read from memory. Orix's side is the whole direct load: the import to BNE bytes
// in memory, then those bytes loaded into a character. assimp's side reads the same bytes from
// memory with the load suite's post-processing (identical vertices joined). Nothing touches the
// disk. import/gltf_paired times the two in turn; its orix_per_assimp counter is the goal.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "device/globals.h"
#include "import/gltf_import.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "scene/skinned_character.h"
#include "thread_clock.h"

#if defined(ORIX_HAVE_ASSIMP)
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#endif

namespace orix::bench {

namespace {

void Quiet(const std::string&, const std::string&) {}
void NoExit(int) {}

// A rolling grid of 250 x 200 quads as one indexed mesh, as a .glb.
std::string GridGlb() {
    constexpr int kW = 250, kH = 200;
    std::vector<float> pos, nrm, uv;
    for (int j = 0; j <= kH; ++j) {
        for (int i = 0; i <= kW; ++i) {
            const float x = float(i) - kW / 2.0f, z = float(j) - kH / 2.0f;
            pos.insert(pos.end(), {x, 2.0f * std::sin(x * 0.1f) * std::cos(z * 0.13f), z});
            nrm.insert(nrm.end(), {0.0f, 1.0f, 0.0f});
            uv.insert(uv.end(), {float(i) / kW, float(j) / kH});
        }
    }
    std::vector<uint32_t> idx;
    for (int j = 0; j < kH; ++j) {
        for (int i = 0; i < kW; ++i) {
            const uint32_t v = uint32_t(j * (kW + 1) + i);
            idx.insert(idx.end(), {v, v + kW + 1, v + 1, v + 1, v + kW + 1, v + kW + 2});
        }
    }
    // The JSON by hand: tinygltf's JSON library is built under its own settings.
    std::string bin, views;
    auto view = [&](const void* data, size_t bytes) {
        views += std::string(views.empty() ? "" : ",") +
                 "{\"buffer\":0,\"byteOffset\":" + std::to_string(bin.size()) +
                 ",\"byteLength\":" + std::to_string(bytes) + "}";
        bin.append(static_cast<const char*>(data), bytes);
    };
    view(pos.data(), pos.size() * 4);
    view(nrm.data(), nrm.size() * 4);
    view(uv.data(), uv.size() * 4);
    view(idx.data(), idx.size() * 4);
    const std::string n = std::to_string(pos.size() / 3);
    std::string text =
        "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
        "\"nodes\":[{\"name\":\"Grid\",\"mesh\":0}],\"meshes\":[{\"primitives\":[{"
        "\"attributes\":{\"POSITION\":0,\"NORMAL\":1,\"TEXCOORD_0\":2},\"indices\":3,"
        "\"material\":0}]}],\"materials\":[{\"name\":\"Ground\",\"pbrMetallicRoughness\":"
        "{\"baseColorFactor\":[0.5,0.5,0.5,1]}}],\"buffers\":[{\"byteLength\":" +
        std::to_string(bin.size()) + "}],\"bufferViews\":[" + views +
        "],\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" + n +
        ",\"type\":\"VEC3\",\"min\":[-125,-2,-100],\"max\":[125,2,100]},"
        "{\"bufferView\":1,\"componentType\":5126,\"count\":" +
        n + ",\"type\":\"VEC3\"},{\"bufferView\":2,\"componentType\":5126,\"count\":" + n +
        ",\"type\":\"VEC2\"},{\"bufferView\":3,\"componentType\":5125,\"count\":" +
        std::to_string(idx.size()) + ",\"type\":\"SCALAR\"}]}";
    while (text.size() % 4) text += ' ';
    auto u32 = [](std::string* s, uint32_t v) { s->append(reinterpret_cast<const char*>(&v), 4); };
    std::string glb = "glTF";
    u32(&glb, 2);
    u32(&glb, uint32_t(12 + 8 + text.size() + 8 + bin.size()));
    u32(&glb, uint32_t(text.size()));
    u32(&glb, 0x4E4F534A);  // JSON
    glb += text;
    u32(&glb, uint32_t(bin.size()));
    u32(&glb, 0x004E4942);  // BIN
    glb += bin;
    return glb;
}

const std::string& Grid() {
    static const std::string glb = GridGlb();
    return glb;
}

// The glTF to BNE bytes in memory, then into a character; false when either fails.
bool LoadOrix(const std::string& glb) {
    gltf::ImportedModel model;
    std::string error;
    if (!gltf::ImportGltf(glb.data(), glb.size(), "", gltf::ImportOptions(), &model, &error))
        return false;
    SkinnedCharacter c(1);
    OrixFileBne reader(&c);
    reader.SetTextureFailureFatal(false);
    return reader.LoadBytes(reinterpret_cast<const uint8_t*>(model.bne.data()), model.bne.size(),
                            "model.bne", kBneFinishNodes) &&
           c.meshCount > 0;
}

#if defined(ORIX_HAVE_ASSIMP)
// As the load suite asks: indexed meshes with identical vertices joined, nothing more.
constexpr unsigned kAssimpSteps = aiProcess_JoinIdenticalVertices;

bool LoadAssimp(const std::string& glb) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(glb.data(), glb.size(), kAssimpSteps, "glb");
    return scene && scene->mNumMeshes > 0 && scene->mMeshes[0]->mNumFaces == 100000;
}
#endif

void Setup() {
    SetMessageBoxHook(Quiet);
    SetExitHook(NoExit);
    theEngine = nullptr;
}

void Steady(benchmark::internal::Benchmark* b) {
    b->MinTime(1.5)->MinWarmUpTime(0.3)->Unit(benchmark::kMillisecond);
}

void BM_ImportGltfOrix(benchmark::State& state) {
    Setup();
    for (auto _ : state) {
        if (!LoadOrix(Grid())) {
            state.SkipWithError("import failed");
            break;
        }
    }
    state.counters["file_MB"] = double(Grid().size()) / 1e6;
}
BENCHMARK(BM_ImportGltfOrix)->Name("import/gltf_orix")->Apply(Steady);

#if defined(ORIX_HAVE_ASSIMP)
void BM_ImportGltfAssimp(benchmark::State& state) {
    for (auto _ : state) {
        if (!LoadAssimp(Grid())) {
            state.SkipWithError("assimp could not read the file");
            break;
        }
    }
    state.counters["file_MB"] = double(Grid().size()) / 1e6;
}
BENCHMARK(BM_ImportGltfAssimp)->Name("import/gltf_assimp")->Apply(Steady);

// The two in turn, each timed by this thread's CPU clock after an untimed run of its own kind,
// as load/<model>_paired does.
void BM_ImportGltfPaired(benchmark::State& state) {
    Setup();
    double orix = 0.0, assimp = 0.0;
    for (auto _ : state) {
        bool ok = LoadOrix(Grid());
        double t0 = ThreadSeconds();
        ok = ok && LoadOrix(Grid());
        orix += ThreadSeconds() - t0;
        ok = ok && LoadAssimp(Grid());
        t0 = ThreadSeconds();
        ok = ok && LoadAssimp(Grid());
        assimp += ThreadSeconds() - t0;
        if (!ok) {
            state.SkipWithError("import failed");
            break;
        }
    }
    if (orix > 0.0) state.counters["orix_per_assimp"] = assimp / orix;
}
BENCHMARK(BM_ImportGltfPaired)->Name("import/gltf_paired")->Apply(Steady);
#endif

}  // namespace

}  // namespace orix::bench
