// Hostile files through the readers: each is answered with a refusal or a clean stop, the
// process lives on, and what the target already held stays intact.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "scene/helper.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/picture_files.h"

namespace orix {
namespace {

class HostileInput : public ::testing::Test {
protected:
    test::MessageCapture capture_;
};

// BNE bytes, record by record.
struct Bne {
    std::string bytes{"BNE\0", 4};
    Bne& Tag(uint8_t tag) {
        bytes.push_back(char(tag));
        return *this;
    }
    Bne& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(char((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bne& F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    Bne& Str(const std::string& s) {
        bytes += s;
        bytes.push_back('\0');
        return *this;
    }
    Bne& Vertex(float x, float y, float z) { return Tag(kBneVertex).F32(x).F32(y).F32(z); }
    Bne& Face(uint32_t a, uint32_t b, uint32_t c) {
        return Tag(kBneFace).U32(a).U32(b).U32(c).Tag(0);
    }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(bytes.data()); }
    size_t Size() const { return bytes.size(); }
};

bool Load(SkinnedCharacter* c, const Bne& b, uint32_t flags = kBneFinishNodes) {
    OrixFileBne reader(c);
    reader.SetTextureFailureFatal(false);
    return reader.LoadBytes(b.Data(), b.Size(), "hostile.bne", flags);
}

TEST_F(HostileInput, BneStringWithoutItsZeroStopsAtTheEndOfTheData) {
    Bne b;
    b.Tag(kBneGeometryHeader).Str("Kept").Vertex(0, 0, 0).Vertex(1, 0, 0).Vertex(0, 1, 0);
    b.Face(0, 1, 2).Tag(kBneEndGeometry);
    b.Tag(kBneGeometryHeader);
    b.bytes += std::string(4000, 'x');  // a name that never ends
    SkinnedCharacter c(1);
    EXPECT_TRUE(Load(&c, b));
    ASSERT_EQ(c.meshCount, 1);
    EXPECT_EQ(c.meshes[0]->name, "Kept");
    EXPECT_EQ(c.meshes[0]->faceCount, 1u);
}

TEST_F(HostileInput, FaceIndicesFarPastTheVerticesAndCountsPastTheFileAreHarmless) {
    Bne b;
    b.Tag(kBneGeometryHeader).Str("Body").Tag(kBneMeshHeader).U32(0xFFFFFFFFu).U32(0xFFFFFFFFu);
    b.Tag(kBneTextureVertexList).U32(0xFFFFFFFFu).Tag(kBneTextureFaceList).U32(0xFFFFFFFFu);
    b.Vertex(0, 0, 0).Vertex(1, 0, 0).Vertex(0, 1, 0);
    b.Face(0, 1, 2).Face(0, 70000, 1).Face(0xFFFFFFFFu, 1, 2).Face(0x7FFFFFFFu, 0x80000000u, 1);
    b.Tag(kBneFaceNormal).U32(0xFFFFFFF0u).F32(0).F32(1).F32(0);
    b.Tag(kBneMaterialReference).Tag(0).Tag(kBneEndGeometry).Tag(kBneFileEnd);
    SkinnedCharacter c(1);
    EXPECT_TRUE(Load(&c, b));
    ASSERT_EQ(c.meshCount, 1);
    EXPECT_EQ(c.meshes[0]->faceCount, 1u);
    c.Update(kUpdateAnimate | kUpdateChildren);
}

TEST_F(HostileInput, ThreeHundredMaterialsLoadIntoACharacter) {
    Bne b;
    for (int i = 0; i < 300; ++i) {
        b.Tag(kBneMaterialHeader).Str("M" + std::to_string(i));
        b.Tag(kBneDiffuse).F32(0.5f).F32(0.5f).F32(float(i) / 300).Tag(kBneEndMaterial);
    }
    b.Tag(kBneFileEnd);
    SkinnedCharacter c(1);
    EXPECT_TRUE(Load(&c, b));
    EXPECT_EQ(c.materialCount, 300);
    EXPECT_TRUE(capture_.Messages().empty());

    // A mesh has one material: each record updates it, the last colour stands.
    Mesh m(0);
    OrixFileBne reader(&m);
    EXPECT_TRUE(reader.LoadBytes(b.Data(), b.Size(), "hostile.bne", 0));
    ASSERT_TRUE(m.materials);
    EXPECT_FLOAT_EQ(m.materials->main.record.diffuse.b, 299.0f / 300);
}

TEST_F(HostileInput, TextureCoordinatesPilingOntoOnePositionAreNotSplitAndStayLinear) {
    // 100,000 faces on one triangle, each corner of position 0 with its own coordinate: more
    // split vertices than a mesh may hold, found without comparing every pair with every other.
    Bne b;
    b.Tag(kBneGeometryHeader).Str("Pile").Vertex(0, 0, 0).Vertex(1, 0, 0).Vertex(0, 1, 0);
    const uint32_t faces = 100000, coords = 65536;
    for (uint32_t i = 0; i < faces; ++i) b.Face(0, 1, 2);
    for (uint32_t i = 0; i < coords; ++i) b.Tag(kBneTextureVertex).F32(float(i)).F32(0);
    b.Tag(kBneTextureFaceList).U32(faces);
    for (uint32_t i = 0; i < faces; ++i) b.Tag(kBneTextureFace).U32(i % coords).U32(0).U32(0);
    b.Tag(kBneMaterialReference).Tag(0).Tag(kBneEndGeometry).Tag(kBneFileEnd);
    Mesh m(1);
    OrixFileBne reader(&m);
    reader.SetTextureFailureFatal(false);
    EXPECT_TRUE(reader.LoadBytes(b.Data(), b.Size(), "hostile.bne", 0));
    EXPECT_EQ(m.vertexCount, 3u);
    EXPECT_EQ(m.faceCount, faces);
    EXPECT_TRUE(m.geometry->positionTable.empty());
    for (uint16_t i : m.geometry->indices) ASSERT_LT(i, 3u);
}

const char kAseHelper[] =
    "*HELPEROBJECT {\n\t*NODE_NAME \"Kept\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Kept\"\n"
    "\t\t*TM_ROW0 1 0 0\n\t\t*TM_ROW1 0 1 0\n\t\t*TM_ROW2 0 0 1\n\t\t*TM_ROW3 0 0 0\n"
    "\t}\n}\n";

bool LoadAse(SkinnedCharacter* c, const std::string& text) {
    OrixFileAse reader(c);
    reader.SetTextureFailureFatal(false);
    return reader.LoadBytes(text.data(), text.size(), "hostile.ase", kAseFinishNodes);
}

// A 100 MB line with braces all along it, so that every piece of it opens a block to be skipped,
// and blocks that never close: each ends with the object that came before.
TEST_F(HostileInput, AseEndlessLineOrUnclosedBlocksEndWithWhatCameBefore) {
    std::string line = kAseHelper;
    std::string piece(199, 'x');
    piece += '{';
    line.reserve(line.size() + (size_t{100} << 20));
    while (line.size() < (size_t{100} << 20)) line += piece;
    std::string open = std::string(kAseHelper) +
                       "*GEOMOBJECT {\n\t*NODE_NAME \"Open\"\n\t*MESH {\n"
                       "\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0 1 1 1\n"
                       "\t\t*UNKNOWN_BLOCK {\n\t\t\t*DEEPER {\n";
    for (const std::string* text : {&line, &open}) {
        SkinnedCharacter c(0);
        EXPECT_TRUE(LoadAse(&c, *text));
        ASSERT_EQ(c.helperCount, 1);
        EXPECT_EQ(c.helpers[0]->name, "Kept");
        EXPECT_EQ(c.meshCount, 0);  // the open object is not what the file meant
    }
}

TEST_F(HostileInput, LongFrameRangesOnManyBonesBakeOnlyUpToTheLoadsBudget) {
    // 64 bones with the same keys over 65,536 frames: a 3 KB file that asked for four million
    // baked poses. The first bones are baked, the rest sample live, and all pose alike.
    Bne b;
    b.Tag(kBneSceneInfo).U32(0).U32(65535).U32(1);
    for (int i = 0; i < 64; ++i) {
        b.Tag(kBneHelperHeader).Str("Bone" + std::to_string(i)).Tag(kBneAnimationHeader);
        b.Tag(kBneSamplePosition).U32(0).F32(0).F32(0).F32(0);
        b.Tag(kBneSamplePosition).U32(65535).F32(65535).F32(0).F32(0);
        b.Tag(kBneEndHelper);
    }
    b.Tag(kBneFileEnd);
    SkinnedCharacter c(1);
    EXPECT_TRUE(Load(&c, b, kBneFinishNodes | kBneBakePoses));
    ASSERT_EQ(c.helperCount, 64);
    int baked = 0;
    for (int i = 0; i < c.helperCount; ++i) baked += c.helpers[i]->bakedPoses ? 1 : 0;
    EXPECT_GT(baked, 0);
    EXPECT_LT(baked, 64);
    ASSERT_TRUE(c.helpers[0]->bakedPoses);
    ASSERT_FALSE(c.helpers[63]->bakedPoses);
    for (float t : {0.0f, 1234.0f, 65535.0f}) {
        Matrix first, last;
        c.helpers[0]->time = c.helpers[63]->time = t;
        c.helpers[0]->ComputeAnimatedLocal(&first);
        c.helpers[63]->ComputeAnimatedLocal(&last);
        EXPECT_NEAR(first.m[3][0], last.m[3][0], 1e-3f * (1 + t)) << t;
    }
}

}  // namespace
}  // namespace orix
