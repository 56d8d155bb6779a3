#include <gtest/gtest.h>

#include <string>

#include "effects/collision_volume.h"
#include "modelfile/orix_file_bne.h"
#include "render/texture.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using test::MessageCapture;
using ScratchDir = test::PictureTempDir;

// A node's world transform in the file, built from the rotation the file also stores.
struct NodeSpec {
    Vector3 axis{0, 1, 0};
    float angle = 0.0f;
    Vector3 position;
    Matrix Transform() const {
        Matrix m = QuaternionToMatrix(QuaternionFromRotation(axis, angle));
        m.SetTranslation(position);
        return m;
    }
};

void WriteNode(OrixFileBne& w, const NodeSpec& n, const std::string& parent = "") {
    if (!parent.empty()) w.WriteNodeParent(parent);
    w.WriteNodeTransform(n.Transform());
    w.WriteRotationAxis(n.axis.x, n.axis.y, n.axis.z);
    w.WriteRotationAngle(n.angle);
    w.WriteScale(1, 1, 1);
    w.WriteEndNodeTransform();
}

void WriteTriangle(OrixFileBne& w, const Vector3& a, const Vector3& b, const Vector3& c,
                   uint32_t materialId = 0) {
    w.WriteMeshHeader(3, 1);
    w.WriteVertex(a.x, a.y, a.z);
    w.WriteVertex(b.x, b.y, b.z);
    w.WriteVertex(c.x, c.y, c.z);
    w.WriteFace(0, 1, 2, materialId);
}

class BneReaderTest : public testing::DrawFixture {
protected:
    // Starts a file: magic and scene info.
    OrixFileBne& Begin(const std::string& name = "model.bne") {
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
    std::string WriteRaw(const std::string& bytes, const std::string& name = "raw.bne") {
        std::string p = dir_.File(name);
        test::WriteBytes(p, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return p;
    }

    ScratchDir dir_;
    OrixFileBne writer_;
    std::string path_;
};

TEST_F(BneReaderTest, MeshFileAppendsEveryGeometryObjectToTheOneMesh) {
    OrixFileBne& w = Begin();
    w.WriteGeometryHeader("Land");
    WriteNode(w, {});
    WriteTriangle(w, {0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    w.WriteEndGeometry();
    w.WriteGeometryHeader("Rock");
    WriteNode(w, {});
    WriteTriangle(w, {5, 0, 0}, {6, 0, 0}, {5, 0, 1});
    w.WriteHelperHeader("Dummy");  // a mesh file's helpers make nothing
    WriteNode(w, {});
    w.WriteEndHelper();
    std::string path = End();

    Mesh mesh(1);
    ASSERT_TRUE(mesh.LoadBne(path, 0));
    EXPECT_EQ(mesh.name, "Land");
    EXPECT_EQ(mesh.vertexCount, 6u);
    EXPECT_EQ(mesh.faceCount, 2u);
    EXPECT_EQ(mesh.VertexPosition(4), (Vector3{6, 0, 0}));
    EXPECT_EQ(mesh.motionMode, MotionMode::Free);
}

TEST_F(BneReaderTest, CollisionMeshBecomesAVolumeOfItsBone) {
    OrixFileBne& w = Begin();
    w.WriteMaterialList(2);
    w.WriteMaterialHeader("Skin");
    w.WriteEndMaterial();
    w.WriteMaterialHeader("Collision");
    w.WriteMapDiffuse("never.bmp");
    w.WriteEndMaterial();
    w.WriteHelperHeader("Bip01");
    WriteNode(w, {{0, 1, 0}, 0.0f, {0, 10, 0}});
    w.WriteEndHelper();
    w.WriteGeometryHeader("Body");
    WriteNode(w, {}, "Bip01");
    WriteTriangle(w, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    w.WriteMaterialReference(0);
    w.WriteEndGeometry();
    for (int i = 0; i < 5; ++i) {
        w.WriteGeometryHeader("Box" + std::to_string(i));
        WriteNode(w, {}, i < 4 ? "Bip01" : "");
        WriteTriangle(w, {0, 10, 0}, {3, 14, 0}, {0, 10, 1});
        w.WriteFaceNormal(0, 0, 0, 1);
        w.WriteMaterialReference(1);
        w.WriteEndGeometry();
    }
    std::string path = End();

    MessageCapture capture;  // the collision material's picture does not exist
    SkinnedCharacter c(1);
    OrixFileBne reader(&c);
    reader.SetTextureFailureFatal(false);
    ASSERT_TRUE(reader.Load(path, 1));
    // Body stays; the five collision meshes leave (the fourth under Bip01 and the one without
    // a bone make no volume).
    ASSERT_EQ(c.meshCount, 1);
    EXPECT_EQ(c.meshes[0]->name, "Body");
    EXPECT_EQ(c.children.size(), 2u);
    EXPECT_EQ(c.FindChild("Box0"), nullptr);
    ASSERT_EQ(c.helperCount, 1);
    Helper* bone = c.helpers[0];
    ASSERT_EQ(bone->collisionVolumeCount, 3);
    const CollisionVolume& v = *bone->collisionVolumes[0];
    EXPECT_EQ(v.name, "Box0");
    EXPECT_EQ(v.bone, bone);
    EXPECT_EQ(v.positions[1], (Vector3{3, 4, 0}));
    EXPECT_FLOAT_EQ(v.radius, 5.0f);
    EXPECT_EQ(v.faceNormals[0], (Vector3{0, 0, 1}));
    // The collision material never takes a texture: its picture was not loaded.
    EXPECT_EQ(c.textureCount, 1);
    EXPECT_EQ(c.MaterialAt(1)->main.record.texture, 0u);
    EXPECT_TRUE(c.MaterialAt(1)->main.collision);
    EXPECT_EQ(c.meshes[0]->materials, c.MaterialAt(0));
}

TEST_F(BneReaderTest, NodesGetStaticKeysByWhatTheyLack) {
    OrixFileBne& w = Begin();
    w.WriteHelperHeader("Still");
    WriteNode(w, {{0, 1, 0}, 0.7f, {1, 2, 3}});
    w.WriteEndHelper();
    w.WriteHelperHeader("Walker");
    WriteNode(w, {{0, 1, 0}, 0.0f, {0, 0, 0}});
    w.WriteAnimationHeader();
    w.WriteBezierPosition(0, 0, 0, 0);
    w.WriteBezierPosition(479, 4, 0, 0);   // frame 2: the division truncates
    w.WriteBezierPosition(1600, 8, 0, 0);  // frame 10
    w.WriteEndHelper();
    std::string path = End();

    SkinnedCharacter c(1);
    ASSERT_TRUE(c.LoadBne(path, 1));
    ASSERT_EQ(c.helperCount, 2);
    Helper* still = c.helpers[0];
    EXPECT_EQ(still->motionMode, MotionMode::Keyframed);
    ASSERT_TRUE(still->animation);
    EXPECT_EQ(still->animation->PositionKeyCount(), 1u);
    EXPECT_EQ(still->animation->RotationKeyCount(), 1u);
    EXPECT_FALSE(still->hasPositionKeys);
    EXPECT_FALSE(still->hasRotationKeys);
    EXPECT_LT(MaxDifference(still->restPose, Matrix::Translation({1, 2, 3})), 1e-5f);
    EXPECT_EQ(still->lastFrame, 10);
    c.Update(kUpdateScene);
    EXPECT_LT(MaxDifference(still->world, NodeSpec{{0, 1, 0}, 0.7f, {1, 2, 3}}.Transform()), 1e-4f);

    Helper* walker = c.helpers[1];
    EXPECT_TRUE(walker->hasPositionKeys);
    EXPECT_FALSE(walker->hasRotationKeys);
    ASSERT_EQ(walker->animation->PositionKeyCount(), 3u);
    EXPECT_EQ(walker->animation->PositionKeys()[1].time, 2.0f);
    EXPECT_EQ(walker->animation->RotationKeyCount(), 1u);  // the static one
    EXPECT_EQ(walker->restPose, Matrix::Zero());           // no capture
    EXPECT_FALSE(walker->bakedPoses);

    SkinnedCharacter baked(1);
    ASSERT_TRUE(baked.LoadBne(path, 3));
    ASSERT_TRUE(baked.helpers[1]->bakedPoses);
    EXPECT_EQ(baked.helpers[1]->bakedPoses->size(), 11u);
    EXPECT_FALSE(baked.helpers[0]->bakedPoses);  // only static keys: nothing to bake
}

TEST_F(BneReaderTest, VerticesMoveIntoNodeSpaceAndDrawWhereTheFileHadThem) {
    const NodeSpec root{{0, 1, 0}, 0.5f, {1, 2, 3}};
    const NodeSpec arm{{0.3f, 0.2f, 0.9f}, 0.8f, {4, 5, 6}};
    const NodeSpec body{{1, 0, 0}, 0.3f, {1, 1, 1}};
    const NodeSpec hand{{1, 1, 0}, 1.1f, {5, 5, 7}};
    const Vector3 bodyVerts[3] = {{0, 0, 0}, {2, 1, 0}, {1, 3, -2}};
    const Vector3 handVerts[3] = {{5, 5, 7}, {6, 4, 8}, {4.5f, 6, 7.5f}};
    OrixFileBne& w = Begin();
    w.WriteHelperHeader("Root");
    WriteNode(w, root);
    w.WriteEndHelper();
    w.WriteHelperHeader("Arm");
    WriteNode(w, arm, "Root");
    w.WriteEndHelper();
    w.WriteGeometryHeader("Body");
    WriteNode(w, body, "Root");
    WriteTriangle(w, bodyVerts[0], bodyVerts[1], bodyVerts[2]);
    w.WriteEndGeometry();
    w.WriteGeometryHeader("Hand");
    WriteNode(w, hand, "Arm");
    WriteTriangle(w, handVerts[0], handVerts[1], handVerts[2]);
    w.WriteEndGeometry();
    std::string path = End();

    SkinnedCharacter c(0);
    ASSERT_TRUE(c.LoadBne(path, 1));
    ASSERT_EQ(c.meshCount, 2);
    c.Update(kUpdateScene);
    const Vector3* expected[2] = {bodyVerts, handVerts};
    for (int m = 0; m < 2; ++m) {
        for (uint32_t i = 0; i < 3; ++i) {
            Vector3 p = TransformPoint(c.meshes[m]->VertexPosition(i), c.meshes[m]->world);
            EXPECT_NEAR(p.x, expected[m][i].x, 1e-3) << m << " " << i;
            EXPECT_NEAR(p.y, expected[m][i].y, 1e-3) << m << " " << i;
            EXPECT_NEAR(p.z, expected[m][i].z, 1e-3) << m << " " << i;
        }
    }
    // The device drew them there too.
    ASSERT_EQ(device.draws.size(), 2u);
    Vector3 drawn = TransformPoint(device.draws[1].positions[1], device.draws[1].world);
    EXPECT_NEAR(drawn.x, handVerts[1].x, 1e-3);
    EXPECT_NEAR(drawn.z, handVerts[1].z, 1e-3);
    // Overall size: the largest extent of the box of all vertices.
    EXPECT_FLOAT_EQ(c.overallSize, 10.0f);  // z runs from -2 to 8

    // A mesh loaded as the land is (flags 0) stays in the file's space whatever its node.
    Mesh land(1);
    ASSERT_TRUE(land.LoadBne(path, 0));
    land.Update(kUpdateScene);
    Vector3 p = TransformPoint(land.VertexPosition(4), land.world);
    EXPECT_NEAR(p.x, handVerts[1].x, 1e-5);
    EXPECT_NEAR(p.y, handVerts[1].y, 1e-5);
}

TEST_F(BneReaderTest, SubMaterialListClosedByTheFirstEndRecord) {
    device.formats = CommonTextureFormats();
    for (const char* name : {"first.bmp", "second.bmp"}) {
        test::BmpSpec bmp;
        bmp.width = bmp.height = 4;
        bmp.pixels.assign(48, 0x80);
        ASSERT_TRUE(test::WriteBytes(dir_.File(name), test::MakeBmp(bmp)));
    }
    OrixFileBne& w = Begin("subs.bne");
    w.WriteMaterialList(1);
    w.WriteMaterialHeader("Parent");
    w.WriteSubMaterialList(2);
    w.WriteSubMaterialHeader(0);
    w.WriteMaterialHeader("First");
    w.WriteDiffuse(1, 0, 0);
    w.WriteEndMaterial();
    w.WriteMapDiffuse(dir_.File("first.bmp"));
    w.WriteSubMaterialHeader(1);
    w.WriteMaterialHeader("Second");
    w.WriteDiffuse(0, 1, 0);
    w.WriteEndMaterial();
    w.WriteMapDiffuse(dir_.File("second.bmp"));
    SkinnedCharacter c(1);
    ASSERT_TRUE(c.LoadBne(End(), 0));
    // The first sub-material's record 39 ended the list: its picture went to the parent, and
    // the second sub-material's record 3 opened a new top-level material.
    ASSERT_EQ(c.materialCount, 2);
    ASSERT_EQ(c.textureCount, 2);
    MaterialSet* parent = c.MaterialAt(0);
    EXPECT_TRUE(parent->hasSubMaterials);
    EXPECT_EQ(parent->subMaterialCount, 2);
    EXPECT_FLOAT_EQ(parent->subMaterials[0].record.diffuse.r, 1.0f);
    EXPECT_NE(c.textures[0]->handle, 0u);
    EXPECT_EQ(parent->main.record.texture, c.textures[0]->handle);
    EXPECT_EQ(parent->subMaterials[0].record.texture, 0u);
    MaterialSet* second = c.MaterialAt(1);
    EXPECT_FALSE(second->hasSubMaterials);
    EXPECT_FLOAT_EQ(second->main.record.diffuse.g, 1.0f);
    EXPECT_EQ(second->main.record.texture, c.textures[1]->handle);
}

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
                               std::string(12, '\0'));
    SkinnedCharacter c(1);
    EXPECT_FALSE(c.LoadBne(bad, 1));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, bad + " is not BNE file.");
    EXPECT_EQ(c.meshCount, 0);
    EXPECT_TRUE(c.children.empty());

    // Ends inside a vertex, without tag 40: what came before is kept and finished.
    capture.Clear();
    OrixFileBne& w = Begin("short.bne");
    w.WriteGeometryHeader("Box");
    WriteNode(w, {});
    WriteTriangle(w, {0, 0, 0}, {2, 0, 0}, {0, 0, 1});
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
    EXPECT_FLOAT_EQ(d.overallSize, 2.0f);
    EXPECT_TRUE(capture.Messages().empty());

    // A file with no vertex keeps the default overall size.
    SkinnedCharacter e(1);
    EXPECT_TRUE(e.LoadBne(WriteRaw(std::string("BNE\0\x28", 5), "empty.bne"), 1));
    EXPECT_FLOAT_EQ(e.overallSize, 100.0f);

    // Frame numbers at the top of the 32-bit range, baked: taken as signed, not overflowed.
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
        // Frame words are signed (an ASE copy stores negative frames so): -10 to 0 here.
        EXPECT_EQ(g.helpers[0]->firstFrame, -10);
        EXPECT_EQ(g.helpers[0]->lastFrame, 0);
        g.Update(kUpdateScene);
    }
}

TEST(BneMipmaps, LevelNamesFollowTheMaterialPicture) {
    EXPECT_EQ(MipmapLevelNames("skin.BMP", 3),
              (std::vector<std::string>{"skin0.bmp", "skin1.bmp", "skin2.bmp"}));
    EXPECT_EQ(MipmapLevelNames("a.b.jpg", 1), (std::vector<std::string>{"a0.jpg"}));
    std::vector<std::string> longName = MipmapLevelNames(std::string(300, 'x') + ".jpg", 2);
    ASSERT_EQ(longName.size(), 2u);
    EXPECT_EQ(longName[1].size(), 255u);
}

TEST_F(BneReaderTest, TextureFailuresEndTheProgramUnlessToldOtherwise) {
    MessageCapture capture;  // skin.JPG does not exist
    OrixFileBne& w = Begin();
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

}  // namespace
}  // namespace orix
