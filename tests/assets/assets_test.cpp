// The demonstration's asset generator: what it writes must load in the engine's own readers as
// the demo needs it (structure, counts, skin index space, key conventions).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "asset_generator.h"
#include "body_mesh.h"
#include "character_export.h"
#include "modelfile/orix_file_ase.h"
#include "scene/skinned_character.h"
#include "skeleton.h"
#include "support/engine_fixture.h"

namespace orix_assets_test {
namespace {

namespace fs = std::filesystem;
using orix::Matrix;
using orix::Mesh;
using orix::Vector3;

// One generated folder shared by the tests of this file.
class AssetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ok_ = orix_assets::GenerateAssets(dir_.string(), nullptr, &error);
        ASSERT_TRUE(ok_) << error;
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void SetUp() override { ASSERT_TRUE(ok_); }

    static inline const fs::path dir_ =
        fs::temp_directory_path() / ("orix-assets-" + std::to_string(::getpid()));
    static inline bool ok_ = false;
    orix::EngineFixture fx;
};

// The generator's transform in engine space: y and z exchanged on both sides, the lengths
// scaled as the file's are.
Matrix EngineMatrix(const orix_assets::Xform& x) {
    const int p[3] = {0, 2, 1};
    const double k = orix_assets::kFigureScale;
    Matrix m = Matrix::Identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = static_cast<float>(x.r[p[i]][p[j]]);
    m.SetTranslation({float(x.t.x * k), float(x.t.z * k), float(x.t.y * k)});
    return m;
}

// Six times the enclosed volume of a mesh as loaded: positive when it faces outward.
double SignedVolume(const Mesh& m) {
    double v = 0;
    for (const orix::MeshFace& f : m.geometry->faces) {
        Vector3 a = m.VertexPosition(uint32_t(f.a)), b = m.VertexPosition(uint32_t(f.b)),
                c = m.VertexPosition(uint32_t(f.c));
        v += Dot(a, Cross(b, c));
    }
    return v;
}

TEST_F(AssetsTest, CharacterLoadsAsTheDemoNeedsIt) {
    orix::SkinnedCharacter girl(0);
    fx.device.formats = orix::CommonTextureFormats();
    orix::OrixFileAse reader(&girl);
    fs::path home = fs::current_path();
    fs::current_path(dir_);  // the pictures are named as the demo finds them
    bool loaded = reader.Load("girl.ase", orix::kAseFinishNodes);
    fs::current_path(home);
    ASSERT_TRUE(loaded);
    for (const std::string& w : reader.Builder().Warnings()) ADD_FAILURE() << w;
    // A multi material with a textured atlas, and "Collision" making one volume under a bone.
    ASSERT_EQ(girl.materialCount, 2);
    const orix::MaterialSet& multi = *girl.MaterialAt(0);
    EXPECT_TRUE(girl.MaterialAt(1)->main.collision);
    // One texture per picture: materials naming the same one share it, decoded once.
    std::map<std::string, orix::TextureHandle> textureOf;
    for (int i = 0; i < girl.materialCount; ++i) {
        orix::MaterialSet* set = girl.MaterialAt(i);
        for (int k = -1; k < set->subMaterialCount; ++k) {
            const orix::Material& m = k < 0 ? set->main : set->subMaterials[size_t(k)];
            std::string p = reader.Builder().PictureOf(&m);
            if (p.empty() || m.collision) continue;
            EXPECT_EQ(p.find_first_of("/\\:"), std::string::npos) << p;
            EXPECT_TRUE(fs::exists(dir_ / p)) << p;
            EXPECT_TRUE(m.record.texture) << p;
            EXPECT_EQ(textureOf.emplace(p, m.record.texture).first->second, m.record.texture) << p;
        }
    }
    EXPECT_EQ(girl.textureCount, int(textureOf.size()));
    int volumes = 0;
    for (int i = 0; i < girl.helperCount; ++i) volumes += girl.helpers[i]->collisionVolumeCount;
    EXPECT_EQ(volumes, 1);

    // The skin mesh: closed and outward-facing.
    ASSERT_EQ(girl.meshCount, 1);
    const Mesh& skin = *girl.meshes[0];
    EXPECT_EQ(skin.materials, &multi);
    EXPECT_GT(SignedVolume(skin), 0);
    const orix::MeshGeometry& g = *skin.geometry;
    std::vector<bool> materials(size_t(multi.subMaterialCount), false);
    for (size_t f = 0; f < g.faces.size(); ++f) {
        // Each face samples only its own sub-material's band of the shared atlas.
        double v0, v1;
        ASSERT_LT(g.faces[f].materialId, multi.subMaterialCount);
        materials[size_t(g.faces[f].materialId)] = true;
        orix_assets::MaterialRegion(g.faces[f].materialId, &v0, &v1);
        for (int k = 0; k < 3; ++k) {
            const orix::Vertex& v = g.unlitVertices[g.indices[3 * f + size_t(k)]];
            ASSERT_TRUE(1 - v.tv >= v0 - 1e-6 && 1 - v.tv <= v1 + 1e-6 && v.tu >= 0 && v.tu <= 1)
                << "face " << f;
        }
    }
    EXPECT_EQ(std::count(materials.begin(), materials.end(), false), 0);

    // The skin file binds every file position once, to an existing bone, without complaint.
    ASSERT_TRUE(girl.LoadSkin((dir_ / "girl.skn").string()));
    std::vector<int> bound(skin.geometry->positionTable.size() + 1, 0);
    for (const orix::SkinBinding& binding : girl.skinBindings) {
        EXPECT_EQ(binding.indices.size(), size_t(binding.count)) << binding.bone->name;
        for (int32_t index : binding.indices) {
            ASSERT_GE(index, 1);
            ASSERT_LT(size_t(index), bound.size());
            ++bound[size_t(index)];
        }
    }
    EXPECT_EQ(std::count(bound.begin() + 1, bound.end(), 1), long(bound.size() - 1));
}

// The keys, read by the engine's own reader, give the generator's intended pose at frames where
// every track has a key, and the first pose again at the last frame.
TEST_F(AssetsTest, KeysGiveTheIntendedPosesInEngineSpace) {
    orix::SkinnedCharacter girl(0);
    orix::OrixFileAse reader(&girl);
    ASSERT_TRUE(
        reader.Load((dir_ / "girl.ase").string(), orix::kAseFinishNodes | orix::kAseSkipMaterials));
    const orix_assets::Skeleton intended = orix_assets::BuildSkeleton();
    ASSERT_EQ(girl.helperCount, static_cast<int>(intended.bones.size()));
    girl.SetPlayMode(0);
    std::vector<Matrix> first;
    for (int frame : {0, 20, 30, 60, orix_assets::kLastFrame}) {
        for (int i = 0; i < girl.helperCount; ++i) girl.helpers[i]->time = float(frame);
        orix::frameStep = 0.0f;
        girl.Update(orix::kUpdateAnimate | orix::kUpdateChildren);
        std::vector<orix_assets::Xform> expected = intended.Pose(frame);
        for (int i = 0; i < girl.helperCount; ++i) {
            EXPECT_LT(orix::MaxDifference(girl.helpers[i]->world, EngineMatrix(expected[i])), 5e-3f)
                << girl.helpers[i]->name << " at frame " << frame;
            if (frame == 0) first.push_back(girl.helpers[i]->world);
            if (frame == orix_assets::kLastFrame) {
                EXPECT_LT(orix::MaxDifference(girl.helpers[i]->world, first[i]), 5e-3f) << "loop";
            }
        }
    }
}

}  // namespace
}  // namespace orix_assets_test
