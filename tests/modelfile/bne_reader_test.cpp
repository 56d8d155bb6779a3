// Reading BNE files: damaged files and texture failures. Written files read back like their
// text in the tool suite's conversions.
#include <gtest/gtest.h>

#include <string>

#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using test::MessageCapture;
using ScratchDir = test::PictureTempDir;

class BneReaderTest : public testing::DrawFixture {
protected:
    // Starts a file: magic and scene info.
    OrixFileBne& Begin(const std::string& name) {
        path_ = dir_.File(name);
        writer_.Create(path_);
        writer_.WriteMagic();
        writer_.WriteSceneInfo(0, 10, 160);
        return writer_;
    }
    // Ends the file and returns its path.
    std::string End() {
        writer_.WriteFileEnd();
        return path_;
    }
    std::string WriteRaw(const std::string& bytes, const std::string& name) {
        std::string p = dir_.File(name);
        test::WriteBytes(p, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return p;
    }

    ScratchDir dir_;
    OrixFileBne writer_;
    std::string path_;
};

TEST_F(BneReaderTest, DamagedFilesNeverOverrunAndReportClearly) {
    MessageCapture capture;
    Mesh m(1);
    EXPECT_FALSE(m.LoadBne(dir_.File("absent.bne"), 0));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, "Can't Open " + dir_.File("absent.bne"));
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");

    // Wrong magic: reported, nothing built.
    capture.Clear();
    std::string bad =
        WriteRaw(std::string("BNX\0\013Box\0\023", 9) + std::string(12, '\0'), "bad.bne");
    SkinnedCharacter c(1);
    EXPECT_FALSE(c.LoadBne(bad, 1));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, bad + " is not BNE file.");
    EXPECT_EQ(c.meshCount, 0);

    // Ends inside a vertex, without tag 40: what came before is kept and finished.
    capture.Clear();
    OrixFileBne& w = Begin("short.bne");
    w.WriteGeometryHeader("Box");
    w.WriteMeshHeader(3, 1);
    w.WriteVertex(0, 0, 0);
    w.WriteVertex(2, 0, 0);
    w.WriteVertex(0, 0, 1);
    w.WriteFace(0, 1, 2, 0);
    w.WriteFaceNormal(0, 0, 0, 1);
    w.WriteVertex(7, 7, 7);
    std::vector<uint8_t> bytes = test::ReadBytes(End());
    bytes.resize(bytes.size() - 6);  // the end record and half the last vertex
    std::string cut = WriteRaw(std::string(bytes.begin(), bytes.end()), "cut.bne");
    SkinnedCharacter d(1);
    EXPECT_TRUE(d.LoadBne(cut, 1));
    ASSERT_EQ(d.meshCount, 1);
    EXPECT_EQ(d.meshes[0]->vertexCount, 3u);
    EXPECT_EQ(d.meshes[0]->faceCount, 1u);
    EXPECT_TRUE(d.meshes[0]->geometryFinished);
    EXPECT_EQ(d.meshes[0]->geometry->faces[0].normalZ, 1.0f);  // face 0 takes its normal
    EXPECT_FLOAT_EQ(d.overallSize, 2.0f);
    EXPECT_TRUE(capture.Messages().empty());

    // Runs of records longer than the reader hands on at once, the last cut inside a record:
    // every whole record arrives, in order.
    {
        OrixFileBne& r = Begin("runs.bne");
        r.WriteGeometryHeader("Strip");
        r.WriteMeshHeader(600, 598);
        for (int k = 0; k < 600; ++k) r.WriteVertex(float(k), float(2 * k), 0);
        for (int k = 0; k < 598; ++k) r.WriteFace(k, k + 1, k + 2, 0);
        std::vector<uint8_t> run = test::ReadBytes(End());
        run.resize(run.size() - 8);  // the end record and most of the last face
        SkinnedCharacter s(1);
        EXPECT_TRUE(s.LoadBne(WriteRaw(std::string(run.begin(), run.end()), "runs.bne"), 1));
        ASSERT_EQ(s.meshCount, 1);
        const Mesh& strip = *s.meshes[0];
        EXPECT_EQ(strip.vertexCount, 600u);
        ASSERT_EQ(strip.faceCount, 597u);
        EXPECT_EQ(strip.VertexPosition(599).y, 1198.0f);
        EXPECT_EQ(strip.geometry->faces[596].c, 598);
    }

    // Frame words at the top of the 32-bit range are signed (an ASE copy stores negative frames
    // so), -10 to 0 here, and bake without overflowing.
    {
        OrixFileBne huge;
        ASSERT_TRUE(huge.Create(dir_.File("huge.bne")));
        huge.WriteMagic();
        huge.WriteSceneInfo(0xFFFFFFF6u, 0, 0);
        huge.WriteHelperHeader("Spinner");
        huge.WriteAnimationHeader();
        huge.WriteBezierPosition(0xFFFFFFFFu, 1, 2, 3);
        huge.WriteEndHelper();
        huge.WriteFileEnd();
        SkinnedCharacter g(1);
        EXPECT_TRUE(g.LoadBne(dir_.File("huge.bne"), 3));
        ASSERT_EQ(g.helperCount, 1);
        EXPECT_EQ(g.helpers[0]->firstFrame, -10);
        EXPECT_EQ(g.helpers[0]->lastFrame, 0);
        g.Update(kUpdateScene);
    }
}

TEST_F(BneReaderTest, TextureFailuresEndTheProgramUnlessToldOtherwise) {
    MessageCapture capture;  // skin.JPG does not exist
    OrixFileBne& w = Begin("model.bne");
    w.WriteMaterialHeader("Skin");
    w.WriteMapDiffuse("skin.JPG");
    w.WriteGeometryHeader("Box");
    std::string path = End();

    const struct {
        int32_t levels;
        const char* says;
    } cases[] = {{0, "Can't Load texture. : skin.JPG"},
                 {3, "Can't Load Mipmap texture. : skin.JPG"}};
    for (const auto& k : cases) {
        capture.Clear();
        SkinnedCharacter c(1);
        c.mipmapTextures = k.levels > 0;
        c.mipmapLevelCount = k.levels;
        EXPECT_FALSE(c.LoadBne(path, 0));
        // The picture loader may say why first; the reader's own message comes last.
        ASSERT_FALSE(capture.Messages().empty());
        EXPECT_EQ(capture.Messages().back().text, k.says);
        EXPECT_EQ(capture.Messages().back().caption, "OrixFileBne");
        EXPECT_EQ(capture.ExitCodes(), std::vector<int>{-1});
        EXPECT_EQ(c.meshCount, 0);  // reading stopped at the texture
    }

    capture.Clear();
    SkinnedCharacter tooDeep(1);
    tooDeep.mipmapTextures = true;
    tooDeep.mipmapLevelCount = 10;
    EXPECT_FALSE(tooDeep.LoadBne(path, 0));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_TRUE(capture.ExitCodes().empty());
    EXPECT_EQ(tooDeep.materialCount, 0);

    capture.Clear();
    SkinnedCharacter lenient(1);
    OrixFileBne reader(&lenient);
    reader.SetTextureFailureFatal(false);
    EXPECT_TRUE(reader.Load(path, 0));
    EXPECT_EQ(reader.Builder().Warnings(),
              std::vector<std::string>{"Can't Load texture. : skin.JPG"});
    EXPECT_TRUE(capture.ExitCodes().empty());
    EXPECT_EQ(lenient.meshCount, 1);
}

// TCB keys, as a converted file holds them: relative turns, read back in frames.
TEST_F(BneReaderTest, TcbRotationKeysReadBackAsWritten) {
    OrixFileBne& w = Begin("tcb.bne");
    w.WriteHelperHeader("Spine");
    w.WriteAnimationHeader();
    w.WriteTcbRotation(0, 0, 1, 0, 0.0f);
    w.WriteTcbRotation(1600, 0, 1, 0, 1.2f);
    w.WriteEndHelper();
    SkinnedCharacter c(1);
    ASSERT_TRUE(c.LoadBne(End(), 1));
    ASSERT_EQ(c.helperCount, 1);
    const auto& keys = c.helpers[0]->animation->RotationKeys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_FLOAT_EQ(keys[1].time, 10.0f);
    Matrix turned = QuaternionToMatrix(QuaternionFromRotation({0, 1, 0}, 1.2f));
    EXPECT_LT(MaxDifference(QuaternionToMatrix(keys[1].value), turned), 1e-5f);
}

}  // namespace
}  // namespace orix
