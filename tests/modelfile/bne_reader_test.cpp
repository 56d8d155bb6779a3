// Reading BNE files: damaged files, texture failures, and a written file read back.
#include <gtest/gtest.h>

#include <string>

#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "scene/static_keys.h"
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
    std::string bad = WriteRaw(std::string("BNX\0\x0b"
                                           "Box\0\x13",
                                           9) +
                                   std::string(12, '\0'),
                               "bad.bne");
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

    SkinnedCharacter c(1);
    EXPECT_FALSE(c.LoadBne(path, 0));
    // The picture loader may say why first; the reader's own message comes last.
    ASSERT_FALSE(capture.Messages().empty());
    EXPECT_EQ(capture.Messages().back().text, "Can't Load texture. : skin.JPG");
    EXPECT_EQ(capture.Messages().back().caption, "OrixFileBne");
    ASSERT_EQ(capture.ExitCodes().size(), 1u);
    EXPECT_EQ(capture.ExitCodes()[0], -1);
    EXPECT_EQ(c.meshCount, 0);  // reading stopped at the texture

    capture.Clear();
    SkinnedCharacter mip(1);
    mip.mipmapTextures = true;
    mip.mipmapLevelCount = 3;
    EXPECT_FALSE(mip.LoadBne(path, 0));
    ASSERT_FALSE(capture.Messages().empty());
    EXPECT_EQ(capture.Messages().back().text, "Can't Load Mipmap texture. : skin.JPG");

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
    EXPECT_EQ(lenient.MaterialAt(0)->main.record.texture, 0u);
}

struct Node {
    std::string name;
    std::string parent;
    Vector3 axis;
    float angle;
    Vector3 position;
    bool mesh;
    Matrix Transform() const {
        Matrix m = QuaternionToMatrix(QuaternionFromRotation(axis, angle));
        m.SetTranslation(position);
        return m;
    }
};

const Node kNodes[] = {
    {"Bip01", "", {0, 1, 0}, 0.4f, {0, 10, 0}, false},
    {"Bip01 Spine", "Bip01", {1, 0, 0}, 0.2f, {0, 14, 1}, false},
    {"Torso", "Bip01 Spine", {0, 0, 1}, 0.1f, {0, 15, 1}, true},
    {"Hips", "Bip01", {0, 1, 1}, 0.6f, {0, 9, 0}, true},
};
const Vector3 kLocal[3] = {{-1, 0, 0}, {1, 0, 0}, {0, 2, 0.5f}};  // node-space triangle

// The animated spine: a turn about y over frames 0 to 10.
void AddSpineKeys(SceneObject& n) {
    n.AddRelativeRotationKey(0, 0, 1, 0, 0.0f, true, false);
    n.AddRelativeRotationKey(10, 0, 1, 0, 1.2f, false, false);
}

// The character as a program would build it by hand, vertices already in node space.
void BuildInMemory(SkinnedCharacter& c) {
    for (const Node& n : kNodes) {
        SceneObject* o = nullptr;
        if (n.mesh) {
            Mesh* m = c.NewMesh();
            for (const Vector3& p : kLocal) m->AddVertex(p.x, p.y, p.z);
            m->AddFace(0, 1, 2, 0);
            m->geometryFinished = true;
            o = m;
        } else {
            o = c.NewHelper();
        }
        o->name = n.name;
        if (!n.parent.empty()) o->boneParent = c.FindChild(n.parent);
        o->nodeTransform = n.Transform();
        o->nodeRotationAxis = n.axis;
        o->nodeRotationAngle = n.angle;
        o->nodePosition = n.position;
        if (!n.mesh) o->position = n.position;
        if (n.name == "Bip01 Spine") AddSpineKeys(*o);
        o->motionMode = MotionMode::Keyframed;
        o->SetFrameRange(0, 10);
        AddMissingStaticKeys(*o);
    }
}

void WriteFile(const std::string& path) {
    OrixFileBne w;
    ASSERT_TRUE(w.Create(path));
    w.WriteMagic();
    w.WriteSceneInfo(0, 10, 160);
    for (const Node& n : kNodes) {
        if (n.mesh) {
            w.WriteGeometryHeader(n.name);
        } else {
            w.WriteHelperHeader(n.name);
        }
        if (!n.parent.empty()) w.WriteNodeParent(n.parent);
        w.WriteNodeTransform(n.Transform());
        w.WriteRotationAxis(n.axis.x, n.axis.y, n.axis.z);
        w.WriteRotationAngle(n.angle);
        w.WriteScale(1, 1, 1);
        w.WriteEndNodeTransform();
        if (n.mesh) {
            w.WriteMeshHeader(3, 1);
            for (const Vector3& p : kLocal) {
                Vector3 q = TransformPoint(p, n.Transform());  // files hold world space
                w.WriteVertex(q.x, q.y, q.z);
            }
            w.WriteFace(0, 1, 2, 0);
            w.WriteEndGeometry();
        } else {
            if (n.name == "Bip01 Spine") {
                w.WriteAnimationHeader();
                w.WriteTcbRotation(0, 0, 1, 0, 0.0f);
                w.WriteTcbRotation(1600, 0, 1, 0, 1.2f);
            }
            w.WriteEndHelper();
        }
    }
    w.WriteFileEnd();
}

std::vector<Vector3> DrawnPositions(const FakeDevice& device) {
    std::vector<Vector3> out;
    for (const auto& d : device.draws) {
        for (const Vector3& p : d.positions) out.push_back(TransformPoint(p, d.world));
    }
    return out;
}

TEST_F(BneReaderTest, RoundTripWrittenAndReadBackDrawsLikeTheCharacterBuiltInMemory) {
    test::PictureTempDir dir;
    std::string path = dir.File("girl.bne");
    WriteFile(path);

    SkinnedCharacter built(0);
    BuildInMemory(built);
    SkinnedCharacter read(0);
    ASSERT_TRUE(read.LoadBne(path, 1));
    ASSERT_EQ(read.meshCount, 2);
    ASSERT_EQ(read.helperCount, 2);

    built.SetPlayMode(int32_t(PlayMode::Playing));
    read.SetPlayMode(int32_t(PlayMode::Playing));
    std::vector<Vector3> first;
    std::vector<Vector3> actual;
    for (int frame = 0; frame < 6; ++frame) {
        device.draws.clear();
        built.Update(kUpdateScene);
        std::vector<Vector3> expected = DrawnPositions(device);
        device.draws.clear();
        read.Update(kUpdateScene);
        actual = DrawnPositions(device);
        if (frame == 0) first = actual;
        ASSERT_EQ(expected.size(), 6u);
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(actual[i].x, expected[i].x, 1e-3) << frame << " " << i;
            EXPECT_NEAR(actual[i].y, expected[i].y, 1e-3) << frame << " " << i;
            EXPECT_NEAR(actual[i].z, expected[i].z, 1e-3) << frame << " " << i;
        }
    }
    // The spine really turned: the torso moved away from where it stood at frame 0.
    EXPECT_GT(read.helpers[1]->time, 4.0f);
    EXPECT_GT(Length(actual[0] - first[0]), 0.1f);
}

}  // namespace
}  // namespace orix
