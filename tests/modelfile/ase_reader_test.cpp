// The ASE reader: tokenizer, conversions, block handling, exports in the wild, the BNE copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "modelfile/ase_tokenizer.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/picture_files.h"

namespace orix {
namespace {

using test::MessageCapture;
using ScratchDir = test::PictureTempDir;

TEST(AseTokenizer, IntegersUpToTheLimitsAndNoFurther) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {{" +42 x", true, 42},
                 {"-0", true, 0},
                 {"123456789", true, 123456789},
                 {"-2147483648", true, INT32_MIN},
                 {"2147483647", true, INT32_MAX},
                 {"2147483648", false, -7},
                 {"99999999999", false, -7},
                 {"-", false, -7},
                 {"7a", true, 7},
                 {"", false, -7}};
    for (const Case& c : cases) {
        AseScanner s(c.text);
        int32_t v = -7;
        EXPECT_EQ(s.Int(&v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(AseTokenizer, ValuesEndAtTheLineAndReadTabsAsSpaces) {
    // Lines read one after another into one AseLine, as the reader does: bytes of a longer
    // earlier line stay in the buffer past the end of a shorter one. A line over 254 bytes
    // comes in pieces.
    std::string tabbed, spaced;
    for (int i = 0; i < 260; ++i) tabbed += i % 2 ? '\t' : 'a';
    for (int i = 0; i < 251; ++i) spaced += i % 2 ? ' ' : 'a';
    const std::string text =
        "*MESH_VERTEX    12\t1.25\t-0.5\t300\t4\t5.5\t6\t7\t8\t9\t10\n"
        "*A 1\t2\r\n*B x\ry\tz\n*C " +
        tabbed + "\n*LAST 7";
    const std::string expected[] = {
        "12 1.25 -0.5 300 4 5.5 6 7 8 9 10", "1 2", "x", spaced, "a a a ", "7"};
    AseLineReader reader(text.data(), text.size());
    AseLine line;
    std::vector<std::string> values;
    while (reader.Next(&line, false)) values.emplace_back(line.value);
    ASSERT_EQ(values.size(), std::size(expected));
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i], expected[i]) << "line " << i;
}

std::string Scene(int ticks = 160) {
    return "*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 4\n\t*SCENE_TICKSPERFRAME " +
           std::to_string(ticks) + "\n}\n";
}

std::string Tm(float x, float y, float z) {
    char buf[400];
    std::snprintf(buf, sizeof buf,
                  "\t*NODE_TM {\n\t\t*TM_ROW0 1 0 0\n\t\t*TM_ROW1 0 1 0\n\t\t*TM_ROW2 0 0 1\n"
                  "\t\t*TM_ROW3 %g %g %g\n\t\t*TM_ROTAXIS 0 0 1\n\t\t*TM_ROTANGLE 0\n"
                  "\t\t*TM_SCALE 1 1 1\n\t}\n",
                  double(x), double(y), double(z));
    return buf;
}

std::string Helper(const std::string& name, const std::string& parent, float x) {
    std::string s = "*HELPEROBJECT {\n\t*NODE_NAME \"" + name + "\"\n";
    if (!parent.empty()) s += "\t*NODE_PARENT \"" + parent + "\"\n";
    return s + Tm(x, 0, 0) + "}\n";
}

std::string Triangle(const std::string& name, const std::string& parent, int materialRef) {
    std::string s = "*GEOMOBJECT {\n\t*NODE_NAME \"" + name + "\"\n";
    if (!parent.empty()) s += "\t*NODE_PARENT \"" + parent + "\"\n";
    s += Tm(0, 0, 0);
    s += "\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 1\n\t\t*MESH_VERTEX_LIST {\n"
         "\t\t\t*MESH_VERTEX 0\t0.0\t0.0\t0.0\n\t\t\t*MESH_VERTEX 1\t1.0\t2.0\t3.0\n"
         "\t\t\t*MESH_VERTEX 2\t0.0\t1.0\t0.0\n\t\t}\n\t\t*MESH_FACE_LIST {\n"
         "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    1\t "
         "*MESH_SMOOTHING 1 \t*MESH_MTLID 3\n\t\t}\n"
         "\t\t*MESH_NUMTVERTEX 3\n\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n"
         "\t\t\t*MESH_TVERT 1\t1.0\t1.0\t0.0\n\t\t\t*MESH_TVERT 5\t0.25\t0.75\t0.0\n\t\t}\n"
         "\t}\n";
    if (materialRef >= 0) s += "\t*MATERIAL_REF " + std::to_string(materialRef) + "\n";
    return s + "}\n";
}

bool LoadText(SkinnedCharacter* c, const std::string& text, uint32_t flags,
              OrixFileAse* reader = nullptr) {
    OrixFileAse local(c);
    OrixFileAse& r = reader ? *reader : local;
    r.SetTextureFailureFatal(false);
    return r.LoadBytes(text.data(), text.size(), "test.ase", flags);
}

TEST(AseReader, ConversionsOfTheTable) {
    SkinnedCharacter c(0);
    std::string text = "*3DSMAX_ASCIIEXPORT\t200\n" + Scene() + Triangle("Tri", "", -1);
    text.replace(text.find("*TM_ROTANGLE 0"), 14, "*TM_ROTANGLE 1.5");
    ASSERT_TRUE(LoadText(&c, text, 0));
    ASSERT_EQ(c.meshCount, 1);
    Mesh& m = *c.meshes[0];
    ASSERT_EQ(m.faceCount, 1u);
    const MeshFace& f = m.geometry->faces[0];
    EXPECT_EQ(f.a, 0);
    EXPECT_EQ(f.b, 2);
    EXPECT_EQ(f.c, 1);
    EXPECT_EQ(f.materialId, 3);
    // (x, y, z) = (1, 2, 3) becomes (1, 3, 2).
    Vector3 p = m.VertexPosition(1);
    EXPECT_FLOAT_EQ(p.y, 3.0f);
    EXPECT_FLOAT_EQ(p.z, 2.0f);
    ASSERT_EQ(m.texCoordCount, 3u);
    EXPECT_FLOAT_EQ(m.geometry->texCoords[2].u, 0.25f);
    EXPECT_FLOAT_EQ(m.geometry->texCoords[2].v, 0.25f);
    EXPECT_FLOAT_EQ(m.nodeRotationAngle, 6.2831855f - 1.5f);
}

TEST(AseReader, ExportsInTheWildLoadWithoutHanging) {
    std::string crlf =
        "*GEOMOBJECT {\r\n\t*NODE_NAME \"A\"\r\n  *MESH {\r\n"
        "    *MESH_VERTEX_LIST {\r\n      *MESH_VERTEX 0 1 2 3\r\n    }\r\n"
        "  }\r\n}\r\n";
    std::string noMagicNoNormals = Helper("Only", "", 0);
    std::string longLine = "*COMMENT \"" + std::string(1000, 'x') + "{\"\n" + Helper("H", "", 0);
    std::string deepGroups;
    for (int i = 0; i < 200000; ++i) deepGroups += "*GROUP \"g\" {\n";
    deepGroups += Helper("Deep", "", 0);
    // The count of objects kept where it is sure (-1: any).
    const std::pair<const std::string*, int> cases[] = {
        {&crlf, 1}, {&noMagicNoNormals, 1}, {&longLine, -1}, {&deepGroups, -1}};
    for (const auto& [text, objects] : cases) {
        SkinnedCharacter c(0);
        EXPECT_TRUE(LoadText(&c, *text, kAseFinishNodes));
        if (objects >= 0) {
            EXPECT_EQ(c.meshCount + c.helperCount, objects);
        }
        if (text == &crlf) {
            EXPECT_EQ(c.meshes.at(0)->vertexCount, 1u);
        }
    }
}

TEST(AseReader, KeyTracksAndSignedTicks) {
    std::string text = Scene() + "*HELPEROBJECT {\n\t*NODE_NAME \"Spin\"\n" + Tm(0, 0, 0) +
                       "\t*TM_ANIMATION {\n\t\t*CONTROL_ROT_TRACK {\n"
                       "\t\t\t*CONTROL_ROT_SAMPLE 0 0 0 1 0.5\n"
                       "\t\t\t*CONTROL_ROT_SAMPLE 160 0 0 1 0.5\n"
                       "\t\t\t*CONTROL_ROT_SAMPLE 320 0 0 1 0.5\n\t\t}\n"
                       "\t\t*CONTROL_POS_TRACK {\n\t\t\t*CONTROL_POS_SAMPLE -160 1 2 3\n"
                       "\t\t\t*CONTROL_POS_SAMPLE 479 1 2 3\n\t\t}\n\t}\n}\n";
    SkinnedCharacter c(0);
    ASSERT_TRUE(LoadText(&c, text, kAseFinishNodes));
    ASSERT_EQ(c.helperCount, 1);
    const KeyframeAnimation& anim = *c.helpers[0]->animation;
    // Only the first line is a first key: the track accumulates 0.5, 1.0, 1.5 radians.
    ASSERT_EQ(anim.RotationKeys().size(), 3u);
    EXPECT_NEAR(std::fabs(anim.RotationKeys()[2].value.w), std::cos(0.75f), 1e-5);
    EXPECT_FLOAT_EQ(anim.RotationKeys()[2].time, 2.0f);
    // Signed division: -160 ticks is frame -1; 479 ticks is frame 2.
    ASSERT_EQ(anim.PositionKeys().size(), 2u);
    EXPECT_FLOAT_EQ(anim.PositionKeys()[0].time, -1.0f);
    EXPECT_FLOAT_EQ(anim.PositionKeys()[1].time, 2.0f);
    // (x, y, z) = (1, 2, 3) is stored as (1, 3, 2).
    EXPECT_FLOAT_EQ(anim.PositionKeys()[0].value.y, 3.0f);
}

// The line where piece first stands in text (past the first after, when given).
size_t LineOf(const std::string& text, const std::string& piece, const std::string& after = "") {
    size_t at = text.find(piece, after.empty() ? 0 : text.find(after) + 1);
    return 1 + size_t(std::count(text.begin(), text.begin() + long(at), '\n'));
}

// A brace an exporter left out: the blocks above the next top-level block close there, with one
// warning naming where the open block began and where it closed; the copy reads back the same.
TEST(AseReader, UnclosedBlocksCloseWhereTheNextTopLevelBlockBegins) {
    const std::string list =
        "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Bark\"\n"
        "\t\t*MATERIAL_DIFFUSE 0.5 0.25 0\n\t}\n";
    std::string listBraceLeftOut = Triangle("A", "", -1);
    listBraceLeftOut.erase(listBraceLeftOut.find("\t\t}\n"), 4);
    std::string cutAtList = Triangle("Cut", "", -1);
    cutAtList.erase(cutAtList.find("\t\t}\n\t\t*MESH_FACE_LIST"));
    const std::string shape = "*SHAPEOBJECT {\n\t*NODE_NAME \"Line\"\n\t*SHAPE_LINE 0 {\n";
    const std::string groups = "*GROUP \"Outer\" {\n" + Triangle("G1", "", -1) +
                               "\t*GROUP \"Inner\" {\n" + Helper("G3", "", 1) + "\t}\n" +
                               Helper("G2", "", 0) + "}\n";
    // Meshes as "name vertices/faces", then helpers, then the material count.
    auto summary = [](const SkinnedCharacter& m) {
        std::string s;
        for (const Mesh* g : m.meshes) {
            s += g->name + " " + std::to_string(g->vertexCount) + "/" +
                 std::to_string(g->faceCount) + ", ";
        }
        for (const auto* h : m.helpers) s += h->name + ", ";
        return s + std::to_string(m.materialCount) + " materials";
    };
    struct Case {
        std::string text;
        std::string open;    // the keyword of the block left open; empty: no warning
        std::string outer;   // of the outermost block closed with it, when another
        std::string closer;  // the keyword that closed them
        std::string model;   // a vertex list left open swallows the faces after it
    } cases[] = {
        {Scene() + list + Triangle("Trunk", "", 0) + Triangle("Crown", "Trunk", 0),
         "*MATERIAL_LIST", "", "*GEOMOBJECT", "Trunk 3/1, Crown 3/1, 1 materials"},
        {listBraceLeftOut + Helper("H", "", 0), "*GEOMOBJECT", "", "*HELPEROBJECT",
         "A 3/0, H, 0 materials"},
        {cutAtList + Helper("H", "", 0), "*MESH_VERTEX_LIST", "*GEOMOBJECT", "*HELPEROBJECT",
         "Cut 3/0, H, 0 materials"},
        {shape + groups, "*SHAPEOBJECT", "", "*GROUP", "G1 3/1, G3, G2, 0 materials"},
        {"*GROUP {\n" + cutAtList + Helper("H", "", 0) + "}\n", "*MESH_VERTEX_LIST", "*GEOMOBJECT",
         "*HELPEROBJECT", "Cut 3/0, H, 0 materials"},
        {groups, "", "", "", "G1 3/1, G3, G2, 0 materials"},
    };
    ScratchDir dir;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        SkinnedCharacter c(0), copy(0);
        OrixFileAse reader(&c);
        reader.SetCopyName(dir.File("copy.bne"));
        ASSERT_TRUE(LoadText(&c, k.text, kAseFinishNodes | kAseWriteBne, &reader));
        ASSERT_TRUE(reader.FinishCopy());
        std::vector<std::string> warnings;
        if (!k.open.empty()) {
            std::string in = k.outer.empty() ? ""
                                             : " (in the " + k.outer + " of line " +
                                                   std::to_string(LineOf(k.text, k.outer)) + ")";
            warnings.push_back("line " + std::to_string(LineOf(k.text, k.open)) + ": " + k.open +
                               " block never closes" + in + "; closed at line " +
                               std::to_string(LineOf(k.text, k.closer, k.open)) + ", where a " +
                               k.closer + " block begins");
        }
        EXPECT_EQ(reader.Builder().Warnings(), warnings);
        EXPECT_EQ(summary(c), k.model);
        OrixFileBne bne(&copy);
        ASSERT_TRUE(bne.Load(dir.File("copy.bne"), kBneFinishNodes));
        EXPECT_EQ(summary(copy), k.model);
    }
}

}  // namespace
}  // namespace orix
