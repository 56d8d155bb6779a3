// The skin file, the deformation it drives and the VUE matrix tracks.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "device/globals.h"
#include "scene/skinned_character.h"
#include "scene/static_keys.h"
#include "skin/skin_deform.h"
#include "skin/skin_file_reader.h"
#include "skin/vue_reader.h"
#include "support/picture_files.h"

namespace orix {
namespace {

constexpr float kTol = 1e-4f;

// Points logFile at a temporary stream for its lifetime; Text() is what was written so far.
struct LogCapture {
    LogCapture() { logFile = file; }
    ~LogCapture() {
        logFile = previous;
        if (file) std::fclose(file);
    }
    std::string Text() {
        std::string text;
        if (!file) return text;
        std::rewind(file);
        for (int ch; (ch = std::fgetc(file)) != EOF;) text += char(ch);
        return text;
    }
    std::FILE* file = std::tmpfile();
    std::FILE* previous = logFile;
};

// A character (vertex format `format`) with a skin mesh "Skin" of `vertices` vertices at
// (i, 0, 0) with the unit normals (0.6, 0.8, 0), and the bones "Bip01 Pelvis" (node at (0, 0, 0))
// and "Bip01 L Arm" (node at (2, 0, 0)) whose world matrices equal their node transforms.
void BuildSkinCharacter(SkinnedCharacter& c, uint32_t vertices) {
    Mesh* skin = c.NewMesh();
    skin->name = "Skin";
    for (uint32_t i = 0; i < vertices; ++i) {
        skin->AddVertex(float(i), 0.0f, 0.0f);
        skin->SetVertexNormal(int32_t(i), 0.6f, 0.8f, 0.0f);
    }
    Helper* pelvis = c.NewHelper();
    pelvis->name = "Bip01 Pelvis";
    Helper* arm = c.NewHelper();
    arm->name = "Bip01 L Arm";
    arm->nodeTransform = Matrix::Translation({2.0f, 0.0f, 0.0f});
    pelvis->world = pelvis->nodeTransform;
    arm->world = arm->nodeTransform;
}

// Text files in a temporary folder.
class SkinFiles : public ::testing::Test {
protected:
    std::string File(const std::string& text) {
        std::string path = dir.File("test.txt");
        EXPECT_TRUE(test::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
        return path;
    }
    test::PictureTempDir dir;
};

void ExpectAt(const Mesh& m, uint32_t i, Vector3 p) {
    EXPECT_LT(Length(m.VertexPosition(i) - p), kTol) << "vertex " << i;
}

class SkinDeformTest : public SkinFiles {
protected:
    bool Load(SkinnedCharacter& c, const std::string& text) { return c.LoadSkin(File(text)); }
};

// Vertices 1-3 under the pelvis, 4-6 under the arm; 7-8 under no bone.
const char* kTwoBones =
    "MESH_SKIN_FILE \"Skin\"\n\"Bip01 Pelvis\" 3\n1 2 3\n\"Bip01 L Arm\" 3\n4;5\n6\n";

TEST_F(SkinDeformTest, BindPoseKeepsTheModelFileAndOneBoneMovesOnlyItsVertices) {
    for (int32_t format : {0, 1}) {
        SkinnedCharacter c(format);
        BuildSkinCharacter(c, 8);
        Mesh& skin = *c.meshes[0];
        // The mesh's vertices stood in node space, as a finished model file leaves them.
        skin.nodeTransform = Matrix::Translation({0.0f, 5.0f, 0.0f});
        skin.TransformToNodeSpace();
        ASSERT_TRUE(Load(c, kTwoBones));
        EXPECT_TRUE(c.skinLoaded);
        EXPECT_EQ(skin.nodeTransform, Matrix::Identity());
        EXPECT_EQ(skin.restPose, Matrix::Identity());
        // The mesh shows the model file's pose; the rest copy holds vertex 3 in the arm's space.
        ExpectAt(skin, 3, {3.0f, 0.0f, 0.0f});
        ASSERT_EQ(format == 0 ? c.skin->unlitRestCopy.size() : c.skin->litRestCopy.size(), 8u);
        EXPECT_NEAR(format == 0 ? c.skin->unlitRestCopy[3].x : c.skin->litRestCopy[3].x, 1.0f,
                    kTol);

        SkinDeform(c);
        for (uint32_t i = 0; i < 8; ++i) ExpectAt(skin, i, {float(i), 0.0f, 0.0f});

        c.helpers[1]->world = Matrix::RotationZ(1.5707964f) * c.helpers[1]->nodeTransform;
        SkinDeform(c);
        // Index 4 names the fourth vertex: the third stays, the fourth turns with the arm.
        for (uint32_t i = 0; i < 3; ++i) ExpectAt(skin, i, {float(i), 0.0f, 0.0f});
        ExpectAt(skin, 3, {2.0f, 1.0f, 0.0f});
        ExpectAt(skin, 4, {2.0f, 2.0f, 0.0f});
        ExpectAt(skin, 5, {2.0f, 3.0f, 0.0f});
        for (uint32_t i = 6; i < 8; ++i) ExpectAt(skin, i, {float(i), 0.0f, 0.0f});
        if (format == 0) {
            EXPECT_EQ(skin.geometry->unlitVertices[4].ny, 0.8f);  // the rest normal is kept
        }
        // Every frame starts again from the rest copy.
        SkinDeform(c);
        ExpectAt(skin, 5, {2.0f, 3.0f, 0.0f});
    }
}

TEST_F(SkinDeformTest, ASharedPositionMovesAsOne) {
    SkinnedCharacter c(1);
    BuildSkinCharacter(c, 0);
    Mesh& skin = *c.meshes[0];
    // Position 0 at (2, 0, 0) is met by three faces with three texture coordinates.
    skin.AddVertex(2, 0, 0);
    skin.AddVertex(3, 0, 0);
    skin.AddVertex(3, 1, 0);
    skin.AddVertex(2, 1, 0);
    skin.AddVertex(1, 1, 0);
    for (int32_t f = 0; f < 3; ++f) skin.AddFace(0, f + 1, f + 2, 0);
    for (int i = 0; i < 7; ++i) skin.AddTexCoord(0.1f * float(i), 0.0f);
    skin.AddTexFace(0, 4, 5);
    skin.AddTexFace(1, 5, 6);
    skin.AddTexFace(2, 6, 3);
    skin.texCoordsOneToOne = false;
    skin.SplitVerticesByTexCoords();
    const PositionTable& table = skin.geometry->positionTable;
    ASSERT_EQ(table.Count(0), 3u);
    const uint16_t shared[3] = {uint16_t(table.First(0)), uint16_t(table.First(0) + 1),
                                uint16_t(table.First(0) + 2)};

    // Entry 1 (the shared position) goes with the arm; entry 2 with the pelvis.
    ASSERT_TRUE(Load(c, "MESH_SKIN_FILE \"Skin\"\n\"Bip01 L Arm\" 1\n1\n\"Bip01 Pelvis\" 1\n2\n"));
    // Bind carried all three vertices into the arm's space.
    for (uint16_t v : shared) EXPECT_NEAR(c.skin->litRestCopy[v].x, 0.0f, kTol);
    c.helpers[1]->world = Matrix::Translation({0.0f, 4.0f, 0.0f});
    c.helpers[0]->world = Matrix::Translation({0.0f, 0.0f, 7.0f});
    for (int frame = 0; frame < 2; ++frame) {
        SkinDeform(c);
        for (uint16_t v : shared) ExpectAt(skin, v, {0.0f, 4.0f, 0.0f});
        ExpectAt(skin, uint16_t(table.First(1)), {3.0f, 0.0f, 7.0f});
    }
}

TEST_F(SkinDeformTest, AVertexUnderTwoBonesTakesBothInFileOrder) {
    SkinnedCharacter c(0);
    BuildSkinCharacter(c, 4);
    ASSERT_TRUE(Load(c,
                     "MESH_SKIN_FILE \"Skin\"\n\"Bip01 Pelvis\" 2\n1 3\n"
                     "\"Bip01 L Arm\" 2\n3 4\n"));
    c.helpers[0]->world = Matrix::Translation({0.0f, 1.0f, 0.0f});
    c.helpers[1]->world = Matrix::Translation({2.0f, 0.0f, 5.0f});
    SkinDeform(c);
    Mesh& skin = *c.meshes[0];
    ExpectAt(skin, 0, {0.0f, 1.0f, 0.0f});
    ExpectAt(skin, 1, {1.0f, 0.0f, 0.0f});
    ExpectAt(skin, 2, {2.0f, 1.0f, 5.0f});
    ExpectAt(skin, 3, {3.0f, 0.0f, 5.0f});
    EXPECT_EQ(skin.geometry->unlitVertices[2].nx, 0.6f);
}

TEST_F(SkinDeformTest, IndicesOutsideTheMeshAreIgnoredAndReported) {
    LogCapture log;
    SkinnedCharacter c(0);
    BuildSkinCharacter(c, 4);
    ASSERT_TRUE(Load(c, "MESH_SKIN_FILE \"Skin\"\n\"Bip01 L Arm\" 5\n0 5 4 99999 3\n"));
    ASSERT_TRUE(c.skinLoaded);
    EXPECT_EQ(c.skinBindings[0].targets, (std::vector<uint32_t>{3, 2}));
    EXPECT_NE(log.Text().find("3 vertex indices outside the mesh were ignored"), std::string::npos)
        << log.Text();
    c.helpers[1]->world = Matrix::Translation({2.0f, 1.0f, 0.0f});
    SkinDeform(c);
    ExpectAt(*c.meshes[0], 3, {3.0f, 1.0f, 0.0f});
    ExpectAt(*c.meshes[0], 1, {1.0f, 0.0f, 0.0f});
}

TEST_F(SkinDeformTest, WithoutARestCopyTheSkinIsLeftAlone) {
    LogCapture log;
    // Pre-transformed skins have no rest copy: the mesh is not touched and nothing deforms.
    SkinnedCharacter c(2);
    BuildSkinCharacter(c, 4);
    EXPECT_FALSE(Load(c, kTwoBones));
    EXPECT_FALSE(c.skinLoaded);
    EXPECT_NE(log.Text().find("will not deform"), std::string::npos);
    c.helpers[1]->world = Matrix::Translation({0.0f, 9.0f, 0.0f});
    SkinDeform(c);
    ExpectAt(*c.meshes[0], 3, {3.0f, 0.0f, 0.0f});
}

TEST_F(SkinDeformTest, FailedOrRepeatedLoadsKeepWhatIsHeld) {
    SkinnedCharacter c(1);
    BuildSkinCharacter(c, 8);
    // A missing skin mesh: false, nothing flagged, the character animates undeformed.
    EXPECT_FALSE(Load(c, "MESH_SKIN_FILE \"Nobody\"\n\"Bip01 Pelvis\" 1\n1\n"));
    EXPECT_FALSE(c.skinLoaded);
    EXPECT_EQ(c.skinMesh, nullptr);
    EXPECT_FALSE(c.meshes[0]->refreshSubMeshPositions);
    c.Update(kUpdateAnimate | kUpdateChildren);
    ExpectAt(*c.meshes[0], 5, {5.0f, 0.0f, 0.0f});

    ASSERT_TRUE(Load(c, kTwoBones));
    EXPECT_EQ(c.skinBindings.size(), 2u);
    // A second skin would bind vertices already in bone space: refused, the first one kept.
    EXPECT_FALSE(Load(c, kTwoBones));
    EXPECT_TRUE(c.skinLoaded);
    EXPECT_EQ(c.skinBindings.size(), 2u);
}

// A skinned character whose arm turns a quarter about z over frames 0 to 10, the pelvis and the
// skin mesh held by keys of their own (so every node plays keyframes).
void BuildWalkingCharacter(SkinnedCharacter& c) {
    BuildSkinCharacter(c, 8);
    c.helpers[1]->AddRotationKey(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, false);
    c.helpers[1]->AddRotationKey(10.0f, 0.0f, 0.0f, 1.0f, 1.5707964f, false);
    c.helpers[1]->AddPositionKey(0.0f, 2.0f, 0.0f, 0.0f, true);
    c.helpers[0]->AddPositionKey(0.0f, 0.0f, 0.0f, 0.0f, true);
    c.meshes[0]->AddPositionKey(0.0f, 0.0f, 0.0f, 0.0f, true);
    c.SetFrameRange(0, 10);
    c.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
}

// Every node at frame t (the clock stands still), then one update without drawing.
void ShowAt(SkinnedCharacter& c, float t) {
    for (SceneObject* child : c.children) child->time = t;
    c.Update(kUpdateAnimate | kUpdateChildren);
}

class CrowdTest : public SkinDeformTest {
protected:
    void SetUp() override { frameStep = 0.0f; }
    void TearDown() override { frameStep = savedStep_; }

    // The skin's vertices of a character built alone and shown at t.
    std::vector<Vector3> AloneAt(float t) {
        SkinnedCharacter alone(1);
        BuildWalkingCharacter(alone);
        EXPECT_TRUE(Load(alone, kTwoBones));
        ShowAt(alone, t);
        return Positions(*alone.skinMesh);
    }
    static std::vector<Vector3> Positions(const Mesh& m) {
        std::vector<Vector3> out;
        for (uint32_t i = 0; i < m.vertexCount; ++i) out.push_back(m.VertexPosition(i));
        return out;
    }
    static void ExpectSame(const Mesh& m, const std::vector<Vector3>& expected) {
        ASSERT_EQ(m.vertexCount, expected.size());
        for (uint32_t i = 0; i < m.vertexCount; ++i) ExpectAt(m, i, expected[i]);
    }

private:
    float savedStep_ = frameStep;
};

TEST_F(CrowdTest, ClonesDeformByTheirOwnBonesAndShareEachPose) {
    const std::vector<Vector3> atZero = AloneAt(0.0f), atFive = AloneAt(5.0f),
                               atSeven = AloneAt(7.0f);
    ASSERT_GT(Length(atFive[5] - atZero[5]), 0.5f);

    SkinnedCharacter source(1);
    BuildWalkingCharacter(source);
    ASSERT_TRUE(Load(source, kTwoBones));
    // A lone character deforms in place: one pose, its own geometry.
    const MeshGeometry* own = source.skinMesh->geometry.get();
    ShowAt(source, 3.0f);
    ShowAt(source, 0.0f);
    EXPECT_EQ(source.skinMesh->geometry.get(), own);
    EXPECT_EQ(source.skin->poses.size(), 1u);

    std::unique_ptr<SkinnedCharacter> a(static_cast<SkinnedCharacter*>(source.Clone()));
    std::unique_ptr<SkinnedCharacter> b(static_cast<SkinnedCharacter*>(source.Clone()));
    for (SkinnedCharacter* clone : {a.get(), b.get()}) {
        ASSERT_TRUE(clone->skinLoaded);
        EXPECT_EQ(clone->skin, source.skin);
        ASSERT_EQ(clone->skinBindings.size(), 2u);
        EXPECT_EQ(clone->skinBindings[1].bone, clone->helpers[1]);
        EXPECT_EQ(clone->skinMesh, clone->meshes[0]);
    }
    // Wherever they stand, characters in one pose draw one array, the vertices a character
    // alone would have; the source's pose is untouched.
    a->position = {100.0f, 0.0f, 0.0f};
    b->position = {-50.0f, 0.0f, 20.0f};
    ShowAt(*a, 5.0f);
    ShowAt(*b, 5.0f);
    ShowAt(source, 0.0f);
    EXPECT_EQ(a->skinMesh->geometry, b->skinMesh->geometry);
    EXPECT_NE(a->skinMesh->geometry, source.skinMesh->geometry);
    ExpectSame(*a->skinMesh, atFive);
    ExpectSame(*source.skinMesh, atZero);

    // One walks on: the other keeps drawing the pose they shared.
    ShowAt(*b, 7.0f);
    EXPECT_NE(a->skinMesh->geometry, b->skinMesh->geometry);
    ExpectSame(*a->skinMesh, atFive);
    ExpectSame(*b->skinMesh, atSeven);
    // Back in a pose held already: no new array.
    ShowAt(*b, 5.0f);
    EXPECT_EQ(a->skinMesh->geometry, b->skinMesh->geometry);

    // However they walk, the table never holds more poses than there are characters.
    for (int frame = 0; frame < 40; ++frame) {
        ShowAt(source, float(frame % 11));
        ShowAt(*a, float((frame * 3) % 11) + 0.5f);
        ShowAt(*b, float(frame % 4));
        EXPECT_LE(source.skin->poses.size(), 3u);
    }
    ExpectSame(*b->skinMesh, AloneAt(3.0f));
    ExpectSame(*a->skinMesh, AloneAt(float((39 * 3) % 11) + 0.5f));

    // A clone outlives its source: the skin and its poses are shared, not borrowed.
    SkinnedCharacter* moved = static_cast<SkinnedCharacter*>(a->Clone());
    a.reset();
    ShowAt(*moved, 7.0f);
    ExpectSame(*moved->skinMesh, atSeven);
    delete moved;
}

TEST_F(CrowdTest, ANodeMovedByItsOwnCallbackIsNotShared) {
    SkinnedCharacter source(1);
    BuildWalkingCharacter(source);
    ASSERT_TRUE(Load(source, kTwoBones));
    std::unique_ptr<SkinnedCharacter> a(static_cast<SkinnedCharacter*>(source.Clone()));
    // The arm's world is lifted after its keys: the pose is no longer told by them.
    a->helpers[1]->SetUpdateCallback(
        [](SceneObject* o, void*) {
            o->world = o->world * Matrix::Translation({0, 9, 0});
        },
        nullptr);
    ShowAt(source, 5.0f);
    ShowAt(*a, 5.0f);
    EXPECT_NE(a->skinMesh->geometry, source.skinMesh->geometry);
    EXPECT_NEAR(a->skinMesh->VertexPosition(4).y - source.skinMesh->VertexPosition(4).y, 9.0f,
                kTol);
}

TEST_F(SkinDeformTest, FileLinesAsTheReaderLaysThemOut) {
    SkinnedCharacter c(0);
    BuildSkinCharacter(c, 10);
    const auto Read = [&](const std::string& text) { return SkinFileReader(&c).Read(File(text)); };
    ASSERT_TRUE(
        Read("MESH_SKIN_FILE \"Skin\"\r\n"
             "5 6 7\n"  // before any bone line: ignored
             "\"Bip01 Pelvis\" 4\n"
             "1;2\n"
             "\n"
             "3\n"
             "# comment 9\n"
             "8\n"
             "\"Bip01 L Arm\" 2\n"  // two bone lines in a row
             "\"Bip01 Pelvis\" 3\n"
             "9 10 11 12 13\n"  // more than declared
             "\"Nobody\" 2\n"
             "4 5\n"              // under an unknown bone: skipped
             "\"Bip01 L Arm\"\n"  // no count: starts no binding
             "6\n"
             "\"Bip01 L Arm\" 3\n"
             "2x y"));  // fewer than declared, no final line break
    ASSERT_EQ(c.skinBindings.size(), 4u);
    const SkinBinding& a = c.skinBindings[0];
    EXPECT_EQ(a.bone, c.helpers[0]);
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.indices, (std::vector<int32_t>{1, 2, 3, 8}));
    EXPECT_EQ(c.skinBindings[1].bone, c.helpers[1]);
    EXPECT_EQ(c.skinBindings[1].count, 2);
    EXPECT_TRUE(c.skinBindings[1].indices.empty());
    EXPECT_EQ(c.skinBindings[2].indices, (std::vector<int32_t>{9, 10, 11}));
    EXPECT_EQ(c.skinBindings[3].count, 3);
    EXPECT_EQ(c.skinBindings[3].indices, (std::vector<int32_t>{2, 0}));
}

class VueTest : public SkinFiles {
protected:
    VueTest() : c(1) {
        for (const char* n : {"A", "B", "Left Hand"}) {
            Mesh* m = c.NewMesh();
            m->name = n;
            m->AddVertex(11.0f, 30.0f, 20.0f);
        }
        c.NewHelper()->name = "Bone";
    }
    Mesh& A() { return *c.meshes[0]; }
    Mesh& B() { return *c.meshes[1]; }

    SkinnedCharacter c;
};

const char* kTwoFrames =
    "frame 0\n"
    "transform \"A\" 1 0 0 0 1 0 0 0 1 10 20 30\n"
    "transform \"B\" 0 1 0 -1 0 0 0 0 1 1 2 3\n"
    "camera 1 2 3 4 5 6\n"
    "light \"Sun\" 1 2 3\n"
    "spotlight \"Spot\" 1 2 3\n"
    "frame 1\n"
    "transform \"A\" 1 0 0 0 1 0 0 0 1 40 50 60\n"
    "transform \"Bone\" 1 0 0 0 1 0 0 0 1 0 0 0\n";

TEST_F(VueTest, TwoFramesTwoObjects) {
    LogCapture log;
    ASSERT_TRUE(c.LoadVue(File(kTwoFrames)));
    ASSERT_EQ(A().MatrixKeyCount(), 2u);
    ASSERT_EQ(B().MatrixKeyCount(), 1u);
    EXPECT_EQ(c.helpers[0]->MatrixKeyCount(), 0u);  // helpers get no keys

    // Identity rotation, position (10, 30, 20): Y and Z exchanged.
    Matrix first = (*A().matrixKeys)[0];
    EXPECT_EQ(first, Matrix::Translation({10.0f, 30.0f, 20.0f}));
    EXPECT_EQ((*A().matrixKeys)[1], Matrix::Translation({40.0f, 60.0f, 50.0f}));
    EXPECT_EQ(A().nodeTransform, first);
    EXPECT_EQ(A().position, (Vector3{10.0f, 30.0f, 20.0f}));

    // B's rows: f1 f3 f2 / f7 f9 f8 / f4 f6 f5 / f10 f12 f11.
    const Matrix& b = (*B().matrixKeys)[0];
    EXPECT_EQ(b.Row(0), (Vector3{0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(b.Row(1), (Vector3{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(b.Row(2), (Vector3{-1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(b.Row(3), (Vector3{1.0f, 3.0f, 2.0f}));
    EXPECT_EQ(b.m[3][3], 1.0f);
    EXPECT_EQ(B().nodeTransform, b);

    // The vertices now stand relative to the first-frame transforms.
    EXPECT_LT(Length(A().VertexPosition(0) - Vector3{1.0f, 0.0f, 0.0f}), kTol);

    std::string text = log.Text();
    EXPECT_NE(text.find("FRAME 1 : A - 1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 "
                        "0.000000 0.000000 1.000000 10.000000 30.000000 20.000000\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("FRAME 2 : A - "), std::string::npos);
    EXPECT_EQ(text.find("Bone"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 19), "VUE Read Complete.\n");

    // The track plays from key 0.
    frameStep = 0.0f;
    c.SetPlayMode(int32_t(PlayMode::Playing));
    c.Update(kUpdateAnimate | kUpdateChildren);
    EXPECT_EQ(A().world.GetTranslation(), (Vector3{10.0f, 30.0f, 20.0f}));
}

TEST_F(VueTest, TransformBeforeTheFirstFrameAndQuotedNamesWithSpaces) {
    ASSERT_TRUE(
        c.LoadVue(File("transform \"Left Hand\" 1 0 0 0 1 0 0 0 1 7 8 9\n"
                       "frame 0\n"
                       "transform \"Left Hand\"\n 1 0 0 0 1 0 0 0 1 1 2 3\n"
                       "transform \"Left\" 1 0 0 0 1 0 0 0 1 4 4 4\n")));
    Mesh& hand = *c.meshes[2];
    ASSERT_EQ(hand.MatrixKeyCount(), 2u);
    EXPECT_EQ((*hand.matrixKeys)[0], Matrix::Translation({7.0f, 9.0f, 8.0f}));
    EXPECT_EQ(hand.nodeTransform, Matrix::Translation({1.0f, 3.0f, 2.0f}));
}

TEST_F(VueTest, ASecondFileAppendsFrames) {
    ASSERT_TRUE(c.LoadVue(File(kTwoFrames)));
    ASSERT_TRUE(
        c.LoadVue(File("frame 0\ntransform \"A\" 1 0 0 0 1 0 0 0 1 12 20 30\n"
                       "frame 1\ntransform \"A\" 1 0 0 0 1 0 0 0 1 13 20 30\n")));
    ASSERT_EQ(A().MatrixKeyCount(), 4u);
    EXPECT_EQ((*A().matrixKeys)[3].GetTranslation(), (Vector3{13.0f, 30.0f, 20.0f}));
    EXPECT_EQ(A().lastFrame, 3);
    // The geometry is the model file's, relative to the newest first frame.
    EXPECT_LT(Length(A().VertexPosition(0) - Vector3{-1.0f, 0.0f, 0.0f}), kTol);
}

TEST_F(VueTest, EmptyMissingAndMalformedFilesChangeNothing) {
    {
        LogCapture log;
        ASSERT_TRUE(c.LoadVue(File("")));
        EXPECT_EQ(log.Text(), "VUE Read Complete.\n");
        EXPECT_FALSE(c.LoadVue(dir.File("missing.vue")));
    }
    const std::string longName(64, 'n');
    const std::string longWord(64, 'w');
    const std::string good = "frame 0\ntransform \"A\" 1 0 0 0 1 0 0 0 1 10 20 30\n";
    for (const std::string& tail : {"transform \"" + longName + "\" 1 0 0 0 1 0 0 0 1 0 0 0\n",
                                    longWord + " 1\n", std::string("transform \"A"),
                                    std::string("light \"Sun"), std::string("transform    \n")}) {
        LogCapture log;
        EXPECT_FALSE(c.LoadVue(File(good + tail))) << tail;
        EXPECT_EQ(A().MatrixKeyCount(), 0u);
        EXPECT_EQ(A().matrixKeys, nullptr);
        EXPECT_EQ(A().motionMode, MotionMode::Free);
        EXPECT_EQ(A().nodeTransform, Matrix::Identity());
        EXPECT_EQ(A().VertexPosition(0), (Vector3{11.0f, 30.0f, 20.0f}));
        EXPECT_NE(log.Text().find("VUE Read Failed"), std::string::npos);
    }
    // 63 characters still fit.
    VueReader reader(&c);
    ASSERT_TRUE(
        reader.Read(File(std::string(63, 'w') + " 1\nlight \"" + std::string(63, 'n') + "\"")));
    // A malformed number leaves the rest of the matrix as it was and still counts.
    ASSERT_TRUE(c.LoadVue(File("frame 0\ntransform \"B\" 1 0 x 0 1 0 0 0 1 1 2 3\n")));
    ASSERT_EQ(B().MatrixKeyCount(), 1u);
    EXPECT_EQ((*B().matrixKeys)[0].m[0][0], 1.0f);
    EXPECT_EQ((*B().matrixKeys)[0].m[3][0], 0.0f);
    EXPECT_EQ((*B().matrixKeys)[0].m[3][3], 1.0f);
}

TEST_F(VueTest, NodesFinishedByTheModelFilePlayTheTrackFromKeyZero) {
    // What a model file loaded with finished nodes leaves: keyframed, a frame range from 5,
    // static keys, the vertices in node space.
    for (int32_t i = 0; i < 2; ++i) {
        Mesh& m = *c.meshes[i];
        m.nodeTransform = Matrix::Translation({10.0f, 30.0f, 20.0f});
        m.nodePosition = {10.0f, 30.0f, 20.0f};
        m.motionMode = MotionMode::Keyframed;
        m.SetFrameRange(5, 40);
        m.FinishGeometry(true);
        AddMissingStaticKeys(m);
    }
    ASSERT_TRUE(
        c.LoadVue(File("frame 0\ntransform \"A\" 1 0 0 0 1 0 0 0 1 10 20 30\n"
                       "frame 1\ntransform \"A\" 1 0 0 0 1 0 0 0 1 15 20 30\n")));
    EXPECT_EQ(A().motionMode, MotionMode::MatrixTrack);
    EXPECT_EQ(A().keyCount, 2);
    EXPECT_EQ(A().firstFrame, 0);
    EXPECT_EQ(A().lastFrame, 1);
    // Same first-frame transform as the model file's: the geometry is where it was.
    EXPECT_EQ(A().VertexPosition(0), (Vector3{1.0f, 0.0f, 0.0f}));
    // A mesh the file does not name keeps its keys and its node-space vertices.
    EXPECT_EQ(B().motionMode, MotionMode::Keyframed);
    EXPECT_EQ(B().VertexPosition(0), (Vector3{1.0f, 0.0f, 0.0f}));

    A().SetPlayMode(int32_t(PlayMode::Playing));
    frameStep = 0.0f;
    c.Update(kUpdateAnimate | kUpdateChildren);  // frameStep 0 here: time stays at key 0
    EXPECT_EQ(A().world.GetTranslation(), (Vector3{10.0f, 30.0f, 20.0f}));
    A().time = 1.0f;
    c.Update(kUpdateAnimate | kUpdateChildren);
    EXPECT_EQ(A().world.GetTranslation(), (Vector3{15.0f, 30.0f, 20.0f}));
}

}  // namespace
}  // namespace orix
