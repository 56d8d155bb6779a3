#include <gtest/gtest.h>

#include "device/globals.h"
#include "scene/static_keys.h"
#include "skin/skin_test_util.h"
#include "skin/vue_reader.h"

namespace orix {
namespace {

using test::LogCapture;
using test::PictureTempDir;
using test::WriteText;

constexpr float kTol = 1e-4f;

class VueTest : public ::testing::Test {
protected:
    VueTest() : c(1) {
        for (const char* n : {"A", "B", "Left Hand"}) {
            Mesh* m = c.NewMesh();
            m->name = n;
            m->AddVertex(11.0f, 30.0f, 20.0f);
        }
        c.NewHelper()->name = "Bone";
    }
    std::string File(const std::string& text, const std::string& name = "anim.vue") {
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteText(path, text));
        return path;
    }
    Mesh& A() { return *c.meshes[0]; }
    Mesh& B() { return *c.meshes[1]; }

    PictureTempDir dir;
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
    EXPECT_EQ(A().motionMode, MotionMode::MatrixTrack);
    EXPECT_EQ(c.currentMesh, &A());

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

TEST_F(VueTest, EmptyFileAndUnopenableFile) {
    LogCapture log;
    ASSERT_TRUE(c.LoadVue(File("")));
    EXPECT_EQ(log.Text(), "VUE Read Complete.\n");
    EXPECT_EQ(A().MatrixKeyCount(), 0u);
    EXPECT_FALSE(c.LoadVue(dir.File("missing.vue")));
}

TEST_F(VueTest, ASecondFileAppendsFrames) {
    ASSERT_TRUE(c.LoadVue(File(kTwoFrames)));
    ASSERT_TRUE(
        c.LoadVue(File("frame 0\ntransform \"A\" 1 0 0 0 1 0 0 0 1 12 20 30\n"
                       "frame 1\ntransform \"A\" 1 0 0 0 1 0 0 0 1 13 20 30\n",
                       "second.vue")));
    ASSERT_EQ(A().MatrixKeyCount(), 4u);
    EXPECT_EQ((*A().matrixKeys)[3].GetTranslation(), (Vector3{13.0f, 30.0f, 20.0f}));
    EXPECT_EQ(A().lastFrame, 3);
    // The geometry is the model file's, relative to the newest first frame.
    EXPECT_LT(Length(A().VertexPosition(0) - Vector3{-1.0f, 0.0f, 0.0f}), kTol);
}

TEST_F(VueTest, MalformedFilesStopCleanlyAndChangeNothing) {
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
