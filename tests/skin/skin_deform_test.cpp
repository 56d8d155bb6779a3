#include <gtest/gtest.h>

#include "skin/skin_deform.h"
#include "skin/skin_file_reader.h"
#include "skin/skin_test_util.h"

namespace orix {
namespace {

using test::BuildSkinCharacter;
using test::LogCapture;
using test::PictureTempDir;
using test::WriteText;

constexpr float kTol = 1e-4f;

void ExpectAt(const Mesh& m, uint32_t i, Vector3 p) {
    EXPECT_LT(Length(m.VertexPosition(i) - p), kTol) << "vertex " << i;
}

class SkinDeformTest : public ::testing::Test {
protected:
    std::string File(const std::string& text) {
        std::string path = dir.File("test.skn");
        EXPECT_TRUE(WriteText(path, text));
        return path;
    }
    bool Load(SkinnedCharacter& c, const std::string& text) { return c.LoadSkin(File(text)); }
    PictureTempDir dir;
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
        ASSERT_EQ(format == 0 ? c.unlitRestCopy.size() : c.litRestCopy.size(), 8u);
        EXPECT_NEAR(format == 0 ? c.unlitRestCopy[3].x : c.litRestCopy[3].x, 1.0f, kTol);

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
    skin.AddFace(0, 1, 2, 0);
    skin.AddFace(0, 2, 3, 0);
    skin.AddFace(0, 3, 4, 0);
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
    for (uint16_t v : shared) EXPECT_NEAR(c.litRestCopy[v].x, 0.0f, kTol);
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

TEST_F(SkinDeformTest, UpdateDeformsAfterTheBonesMovedAndFollowsAPlacedCharacter) {
    SkinnedCharacter c(1);
    BuildSkinCharacter(c, 8);
    ASSERT_TRUE(Load(c, kTwoBones));
    Helper* arm = c.helpers[1];
    arm->motionMode = MotionMode::Fixed;
    arm->world = Matrix::Translation({2.0f, 3.0f, 0.0f});
    c.Update(kUpdateAnimate | kUpdateChildren);
    ExpectAt(*c.meshes[0], 4, {4.0f, 3.0f, 0.0f});

    // A character placed away from the origin: its bones' world matrices carry the placement,
    // and so does the skin's own, so the vertices stay where the bones put them relative to it.
    c.position = {100.0f, 0.0f, 0.0f};
    c.helpers[0]->motionMode = MotionMode::Free;
    c.Update(kUpdateAnimate | kUpdateChildren);
    EXPECT_NEAR(c.meshes[0]->world.m[3][0], 100.0f, kTol);
    ExpectAt(*c.meshes[0], 1, {1.0f, 0.0f, 0.0f});
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

    // A second read appends.
    ASSERT_TRUE(Read("MESH_SKIN_FILE \"Skin\"\n\"Bip01 Pelvis\" 1\n7\n"));
    EXPECT_EQ(c.skinBindings.size(), 5u);
}

}  // namespace
}  // namespace orix
