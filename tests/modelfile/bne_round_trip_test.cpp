#include <gtest/gtest.h>

#include <string>

#include "modelfile/orix_file_bne.h"
#include "scene/skinned_character.h"
#include "scene/static_keys.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using RoundTripTest = testing::DrawFixture;

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

TEST_F(RoundTripTest, WrittenAndReadBackDrawsLikeTheCharacterBuiltInMemory) {
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
