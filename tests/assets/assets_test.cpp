// The demonstration's asset generator: what it writes must be what the engine's readers expect
// (structure, counts, indices, skin index space, key conventions), framed by the demo camera,
// decodable, and the same on every run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ase_document.h"
#include "asset_generator.h"
#include "body_mesh.h"
#include "character_export.h"
#include "modelfile/orix_file_ase.h"
#include "pictures.h"
#include "scene/skinned_character.h"
#include "skeleton.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

namespace orix_assets_test {
namespace {

namespace fs = std::filesystem;
using orix::Matrix;
using orix::Vector3;

const char* const kAllFiles[] = {"girl.ase",  "girl.skn", "gland.ase",
                                 "gland.bmp", "girl.jpg", "vireo.jpg"};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One generated folder shared by the tests of this file.
class AssetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ =
            new fs::path(fs::temp_directory_path() / ("orix-assets-" + std::to_string(::getpid())));
        std::string error;
        ok_ = orix_assets::GenerateAssets(dir_->string(), &summary_, &error);
        ASSERT_TRUE(ok_) << error;
        girl_ = new AseDocument(ParseAse(ReadFile(*dir_ / "girl.ase")));
        land_ = new AseDocument(ParseAse(ReadFile(*dir_ / "gland.ase")));
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
        delete girl_;
        delete land_;
    }
    void SetUp() override { ASSERT_TRUE(ok_); }

    static const AseNode& SkinMesh() { return *girl_->Find("Girl"); }

    static inline fs::path* dir_ = nullptr;
    static inline bool ok_ = false;
    static inline orix_assets::AssetSummary summary_;
    static inline AseDocument* girl_ = nullptr;
    static inline AseDocument* land_ = nullptr;
};

// The tool's rows in engine space: y and z exchanged on both sides.
Matrix EngineMatrix(const std::array<std::array<double, 3>, 4>& rows) {
    const int p[3] = {0, 2, 1};
    Matrix m = Matrix::Identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = static_cast<float>(rows[p[i]][p[j]]);
    m.SetTranslation({static_cast<float>(rows[3][0]), static_cast<float>(rows[3][2]),
                      static_cast<float>(rows[3][1])});
    return m;
}

// Every count, list length and index of a mesh agrees, and every position is used by a face
// (the engine's split gives an unused position no vertex, which the skin step would read).
void ExpectMeshConsistent(const AseNode& node) {
    SCOPED_TRACE(node.name);
    const AseMesh& m = node.mesh;
    ASSERT_TRUE(node.hasMesh);
    EXPECT_EQ(m.numVertex, static_cast<int>(m.vertices.size()));
    EXPECT_EQ(m.numFaces, static_cast<int>(m.faces.size()));
    EXPECT_EQ(m.numTVertex, static_cast<int>(m.tverts.size()));
    EXPECT_EQ(m.numTVFaces, static_cast<int>(m.tfaces.size()));
    EXPECT_EQ(m.numFaces, static_cast<int>(m.faceNormals.size()));
    EXPECT_LT(m.numVertex, 65536);
    std::vector<bool> used(m.vertices.size(), false);
    for (const auto& f : m.faces)
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(f[k], 0);
            ASSERT_LT(f[k], m.numVertex);
            used[f[k]] = true;
        }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "positions used by no face";
    for (const auto& t : m.tfaces)
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(t[k], 0);
            ASSERT_LT(t[k], m.numTVertex);
        }
    if (m.numTVFaces > 0) {
        EXPECT_EQ(m.numTVFaces, m.numFaces);
    }
}

// Six times the enclosed volume: positive when faces wind counter-clockwise seen from outside.
double SignedVolume(const AseMesh& m) {
    double v = 0;
    for (const auto& f : m.faces) {
        const auto &a = m.vertices[f[0]], &b = m.vertices[f[1]], &c = m.vertices[f[2]];
        v += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
             a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return v;
}

TEST_F(AssetsTest, OutputIsIdenticalAcrossRuns) {
    fs::path second = *dir_ / "second";
    std::string error;
    ASSERT_TRUE(orix_assets::GenerateAssets(second.string(), nullptr, &error)) << error;
    for (const char* name : kAllFiles) {
        std::string a = ReadFile(*dir_ / name), b = ReadFile(second / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << " differs between runs";
    }
    EXPECT_EQ(summary_.files, std::size(kAllFiles));
}

TEST_F(AssetsTest, UnwritableFolderFailsWithMessage) {
    fs::path blocker = *dir_ / "not-a-folder";
    { std::ofstream(blocker) << "x"; }
    std::string error;
    EXPECT_FALSE(orix_assets::GenerateAssets((blocker / "res").string(), nullptr, &error));
    EXPECT_NE(error.find("not-a-folder"), std::string::npos) << error;
}

TEST_F(AssetsTest, CharacterAseHasTheToolsStructure) {
    const AseDocument& doc = *girl_;
    for (const std::string& p : doc.problems) ADD_FAILURE() << p;
    EXPECT_EQ(doc.ticksPerFrame, 160);
    EXPECT_EQ(doc.firstFrame, 0);
    EXPECT_GE(doc.lastFrame - doc.firstFrame, 60) << "at least two seconds at 30 fps";
    std::string text = ReadFile(*dir_ / "girl.ase");
    EXPECT_EQ(text.rfind("*3DSMAX_ASCIIEXPORT\t200\n", 0), 0u);
    EXPECT_NE(text.find("*MESH_FACE    0:    A:"), std::string::npos);

    // Biped names, parents before children.
    for (const char* name :
         {"Bip01", "Bip01 Pelvis", "Bip01 Spine", "Bip01 Spine1", "Bip01 Neck", "Bip01 Head",
          "Bip01 L Thigh", "Bip01 R Calf", "Bip01 L Foot", "Bip01 R Clavicle", "Bip01 L UpperArm",
          "Bip01 R Forearm", "Bip01 L Hand"}) {
        const AseNode* n = doc.Find(name);
        ASSERT_NE(n, nullptr) << name;
        EXPECT_TRUE(n->helper) << name;
    }
    std::set<std::string> seen;
    for (const AseNode& n : doc.nodes) {
        if (!n.parent.empty()) {
            EXPECT_TRUE(seen.count(n.parent)) << n.name << " before its parent";
        }
        seen.insert(n.name);
    }

    // Several controller kinds.
    std::set<std::string> controls;
    for (const AseNode& n : doc.nodes)
        for (const AseTrack& t : n.tracks) controls.insert(t.control);
    for (const char* c :
         {"*CONTROL_POS_BEZIER", "*CONTROL_ROT_TCB", "*CONTROL_ROT_TRACK", "*CONTROL_ROT_BEZIER"})
        EXPECT_TRUE(controls.count(c)) << c;
    EXPECT_FALSE(doc.Find("Bip01 Pelvis")->tracks.empty());

    // Materials: a multi material with skin, clothes and hair, a texture, and "Collision".
    ASSERT_EQ(doc.materials.size(), 2u);
    const AseMaterial& multi = doc.materials[0];
    ASSERT_EQ(multi.numSubs, static_cast<int>(multi.subs.size()));
    ASSERT_LE(multi.numSubs, 10);
    std::set<std::string> subNames;
    for (const AseMaterial& s : multi.subs) {
        subNames.insert(s.name);
        if (s.bitmap.empty()) continue;
        EXPECT_EQ(s.bitmap.find_first_of("/\\:"), std::string::npos) << s.bitmap;
        std::string ext = s.bitmap.substr(s.bitmap.size() - 4);
        EXPECT_TRUE(ext == ".jpg" || ext == ".bmp") << s.bitmap;
        EXPECT_TRUE(fs::exists(*dir_ / s.bitmap)) << s.bitmap;
    }
    for (const char* s : {"Skin", "Clothes", "Hair"}) EXPECT_TRUE(subNames.count(s)) << s;
    EXPECT_EQ(doc.materials[1].name, "Collision");

    // The skin mesh: a person-sized, closed, outward-facing mesh that is not one-to-one.
    const AseNode& skin = SkinMesh();
    ExpectMeshConsistent(skin);
    EXPECT_EQ(skin.materialRef, 0);
    EXPECT_GE(skin.mesh.numFaces, 1500);
    EXPECT_NE(skin.mesh.numTVertex, skin.mesh.numVertex);
    // The engine's split makes one vertex per distinct (position, texture coordinate) pair;
    // there must be seams, and the result must still fit 16-bit indices.
    std::set<std::pair<int, std::pair<double, double>>> pairs;
    for (size_t f = 0; f < skin.mesh.faces.size(); ++f)
        for (int k = 0; k < 3; ++k) {
            const auto& t = skin.mesh.tverts[skin.mesh.tfaces[f][k]];
            pairs.insert({skin.mesh.faces[f][k], {t[0], t[1]}});
        }
    EXPECT_GT(pairs.size(), static_cast<size_t>(skin.mesh.numVertex));
    // Each face samples only its own sub-material's band of the shared atlas.
    for (size_t f = 0; f < skin.mesh.faces.size(); ++f) {
        double v0, v1;
        orix_assets::MaterialRegion(skin.mesh.faces[f][3], &v0, &v1);
        for (int k = 0; k < 3; ++k) {
            const auto& t = skin.mesh.tverts[skin.mesh.tfaces[f][k]];
            ASSERT_TRUE(t[1] >= v0 && t[1] <= v1 && t[0] >= 0 && t[0] <= 1) << "face " << f;
        }
    }
    EXPECT_LT(pairs.size(), 65536u);
    std::set<int> materialIds;
    for (const auto& f : skin.mesh.faces) materialIds.insert(f[3]);
    EXPECT_EQ(static_cast<int>(materialIds.size()), multi.numSubs);
    EXPECT_LT(*materialIds.rbegin(), multi.numSubs);
    EXPECT_GT(SignedVolume(skin.mesh), 0);
    double top = -1e9, bottom = 1e9;
    for (const auto& v : skin.mesh.vertices)
        top = std::max(top, v[2]), bottom = std::min(bottom, v[2]);
    EXPECT_NEAR(bottom, 0, 1.0);
    EXPECT_GT(top, 70 * orix_assets::kFigureScale);
    EXPECT_LT(top, 90 * orix_assets::kFigureScale);

    // The collision mesh hangs under a bone and uses the "Collision" material.
    int collisions = 0;
    for (const AseNode& n : doc.nodes) {
        if (n.helper || n.materialRef != 1) continue;
        ++collisions;
        ExpectMeshConsistent(n);
        EXPECT_TRUE(doc.Find(n.parent) != nullptr && doc.Find(n.parent)->helper) << n.name;
        EXPECT_GT(SignedVolume(n.mesh), 0);
    }
    EXPECT_EQ(collisions, 1);
}

// After the engine's split the shared-position table has one entry per file position, in file
// order, so skin index k (1-based) is the file's vertex k - 1 whether or not the mesh is split.
TEST_F(AssetsTest, SkinFileBindsEveryVertexOnceToAnExistingBone) {
    std::istringstream in(ReadFile(*dir_ / "girl.skn"));
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "MESH_SKIN_FILE \"Girl\"");
    const int vertices = SkinMesh().mesh.numVertex;
    std::vector<int> listed(static_cast<size_t>(vertices) + 1, 0);
    std::string bone;
    int declared = 0, read = 0;
    auto finishBone = [&] {
        if (!bone.empty()) {
            EXPECT_EQ(read, declared) << bone;
        }
    };
    while (std::getline(in, line)) {
        EXPECT_LE(line.size(), 254u);
        if (line.empty()) continue;
        if (line[0] == '"') {
            finishBone();
            size_t close = line.find('"', 1);
            ASSERT_NE(close, std::string::npos);
            bone = line.substr(1, close - 1);
            const AseNode* n = girl_->Find(bone);
            EXPECT_TRUE(n != nullptr && n->helper) << bone;
            declared = std::atoi(line.c_str() + close + 1);
            read = 0;
            continue;
        }
        ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(line[0]))) << line;
        std::istringstream numbers(line);
        int index;
        while (numbers >> index) {
            ASSERT_GE(index, 1);
            ASSERT_LE(index, vertices);
            listed[index]++;
            ++read;
        }
    }
    finishBone();
    for (int i = 1; i <= vertices; ++i) EXPECT_EQ(listed[i], 1) << "vertex " << i;
}

// The keys, read by the engine's own reader, give the generator's intended pose at frames where
// every track has a key, and the first pose again at the last frame.
TEST_F(AssetsTest, KeysGiveTheIntendedPosesInEngineSpace) {
    orix::EngineFixture fx;
    orix::SkinnedCharacter girl(0);
    orix::OrixFileAse reader(&girl);
    ASSERT_TRUE(reader.Load((*dir_ / "girl.ase").string(),
                            orix::kAseFinishNodes | orix::kAseSkipMaterials));
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
            const auto& x = expected[i];
            std::array<std::array<double, 3>, 4> rows{};
            for (int r = 0; r < 3; ++r) rows[r] = {x.r[r][0], x.r[r][1], x.r[r][2]};
            const double k = orix_assets::kFigureScale;  // the file's lengths are scaled
            rows[3] = {x.t.x * k, x.t.y * k, x.t.z * k};
            EXPECT_LT(orix::MaxDifference(girl.helpers[i]->world, EngineMatrix(rows)), 5e-3f)
                << girl.helpers[i]->name << " at frame " << frame;
            if (frame == 0) first.push_back(girl.helpers[i]->world);
            if (frame == orix_assets::kLastFrame) {
                EXPECT_LT(orix::MaxDifference(girl.helpers[i]->world, first[i]), 5e-3f) << "loop";
            }
        }
    }
}

TEST_F(AssetsTest, LandReachesTheFarPlaneAndIsFlatUnderTheCharacter) {
    for (const std::string& p : land_->problems) ADD_FAILURE() << p;
    ASSERT_EQ(land_->nodes.size(), 1u);
    const AseNode& land = land_->nodes[0];
    ExpectMeshConsistent(land);
    EXPECT_EQ(land.mesh.numTVertex, land.mesh.numVertex);
    EXPECT_GE(land.mesh.numFaces, 2000);
    EXPECT_LE(land.mesh.numFaces, 20000);
    ASSERT_EQ(land_->materials.size(), 1u);
    EXPECT_EQ(land_->materials[0].bitmap, "gland.bmp");
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const auto& v : land.mesh.vertices) {
        minX = std::min(minX, v[0]), maxX = std::max(maxX, v[0]);
        minY = std::min(minY, v[1]), maxY = std::max(maxY, v[1]);
        if (std::hypot(v[0], v[1]) < 120) {
            EXPECT_EQ(v[2], 0) << "under the character";
        }
    }
    // Every face up: the ground is drawn without depth test and must never face away.
    for (const auto& n : land.mesh.faceNormals) EXPECT_GT(n[2], 0.9);
    // The camera stands at (-90, -75) over the ground; the far plane is 1500 away.
    EXPECT_LE(minX, -90 - 1500);
    EXPECT_GE(maxX, -90 + 1500);
    EXPECT_LE(minY, -75 - 1500);
    EXPECT_GE(maxY, -75 + 1500);
}

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

TEST_F(AssetsTest, PicturesDecode) {
    for (const char* name : {"girl.jpg", "vireo.jpg"}) {
        int width = 0, height = 0;
        std::vector<uint8_t> rgb =
            orix::test::ReferenceDecodeJpeg((*dir_ / name).string(), &width, &height);
        EXPECT_EQ(width, 256) << name;
        EXPECT_EQ(height, 256) << name;
        ASSERT_FALSE(rgb.empty()) << name;
        // A picture, not a flat colour.
        auto [lo, hi] = std::minmax_element(rgb.begin(), rgb.end());
        EXPECT_GT(*hi - *lo, 100) << name;
    }
    std::string bmp = ReadFile(*dir_ / "gland.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), 256u);
    EXPECT_EQ(Le32(bmp, 22), 256u);
    EXPECT_EQ(static_cast<uint8_t>(bmp[28]), 24);
    EXPECT_EQ(Le32(bmp, 30), 0u) << "uncompressed";
    EXPECT_EQ(bmp.size(), 54u + 256 * 256 * 3);
}

// libjpeg's default error handler would end the process; the generator must get a message.
TEST(AssetPictures, JpegEncoderFailureIsReportedNotFatal) {
    orix_assets::Image empty;  // 0 x 0: the encoder refuses it
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(orix_assets::EncodeJpeg(empty, 90, &bytes, &error));
    EXPECT_NE(error.find("JPEG"), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace orix_assets_test
