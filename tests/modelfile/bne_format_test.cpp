// The BNE record table, the writer's bytes on disk and the dump of a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "modelfile/bne_dump.h"
#include "modelfile/bne_format.h"
#include "modelfile/orix_file_bne.h"
#include "support/picture_files.h"

namespace orix {
namespace {

TEST(BneFormat, TableNamesFortyRecordsWithTheStoredWidths) {
    EXPECT_EQ(FindBneRecordFormat(0), nullptr);
    EXPECT_EQ(FindBneRecordFormat(41), nullptr);
    EXPECT_STREQ(BneTagName(34), "Camera\tReference");
    EXPECT_STREQ(BneTagName(1), "Scene Info");
    EXPECT_STREQ(BneTagName(40), "File End");
    EXPECT_STREQ(BneTagName(99), "");

    // Encoded sizes (tag byte included) of records whose payload has no string.
    struct {
        uint8_t tag;
        size_t bytes;
    } sizes[] = {{kBneSceneInfo, 13},        {kBneMaterialList, 2},    {kBneAmbient, 13},
                 {kBneTransparency, 5},      {kBneSubMaterialList, 2}, {kBneSubMaterialHeader, 2},
                 {kBneNodeTransform, 49},    {kBneRotationAngle, 5},   {kBneMeshHeader, 9},
                 {kBneVertex, 13},           {kBneFace, 14},           {kBneTextureVertex, 9},
                 {kBneTextureFace, 13},      {kBneFaceNormal, 17},     {kBneAnimationHeader, 1},
                 {kBneBezierPosition, 17},   {kBneTcbRotation, 21},    {kBneBezierScale, 17},
                 {kBneMaterialReference, 2}, {kBneEndMaterial, 1},     {kBneFileEnd, 1}};
    for (const auto& s : sizes) {
        BneRecord r;
        r.tag = s.tag;
        std::string bytes;
        ASSERT_TRUE(EncodeBneRecord(r, &bytes));
        EXPECT_EQ(bytes.size(), s.bytes) << BneTagName(s.tag);
    }
}

// Byte fields keeping their low bits and the 255-byte name limit show in the writer's cases.
TEST(BneFormat, EncodingRefusesZeroBytesInNamesAndUnknownTags) {
    BneRecord name;
    name.tag = kBneGeometryHeader;
    name.text = std::string("a\0b", 3);
    std::string bytes;
    EXPECT_FALSE(EncodeBneRecord(name, &bytes));
    name.tag = 41;
    name.text = "n";
    EXPECT_FALSE(EncodeBneRecord(name, &bytes));
    EXPECT_TRUE(bytes.empty());
}

using Bytes = std::vector<uint8_t>;

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

TEST(BneWriter, BytesOnDisk) {
    test::PictureTempDir dir;
    OrixFileBne w;
    ASSERT_TRUE(w.Create(dir.File("r.bne")));
    w.WriteMagic();
    w.WriteFace(1, 2, 3, 260);  // the material id keeps its low byte
    EXPECT_TRUE(w.WriteGeometryHeader(""));
    w.WriteFileEnd();
    EXPECT_FALSE(w.IsWriting());
    EXPECT_EQ(test::ReadBytes(dir.File("r.bne")),
              (Bytes{'B', 'N', 'E', 0, 20, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 11, 0, 40}));
}

TEST(BneWriter, FailuresAreReportedAndLeaveNoUnreadableFile) {
    test::PictureTempDir dir;
    test::MessageCapture capture;
    OrixFileBne w;
    std::string missing = dir.File("missing/folder/x.bne");
    EXPECT_FALSE(w.Create(missing));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, "Can't Create " + missing);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_FALSE(Exists(missing));

    capture.Clear();
    ASSERT_TRUE(w.Create(dir.File("long.bne")));
    w.WriteMagic();
    EXPECT_TRUE(w.WriteGeometryHeader(std::string(255, 'b')));
    EXPECT_FALSE(w.WriteNodeParent(std::string(256, 'p')));
    EXPECT_TRUE(w.WriteFailed());
    EXPECT_FALSE(w.IsWriting());
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    EXPECT_NE(capture.Messages()[0].text.find("255"), std::string::npos);
    EXPECT_FALSE(Exists(dir.File("long.bne")));
    w.WriteVertex(1, 2, 3);  // later records write nothing and say nothing more
    w.WriteFileEnd();
    EXPECT_FALSE(Exists(dir.File("long.bne")));
    EXPECT_EQ(capture.Messages().size(), 1u);

    ASSERT_TRUE(w.Create(dir.File("again.bne")));  // Create starts over
    EXPECT_FALSE(w.WriteFailed());
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_EQ(test::ReadBytes(dir.File("again.bne")).size(), 5u);
}

std::vector<uint8_t> SmallFile() {
    test::PictureTempDir dir;
    OrixFileBne w;
    w.Create(dir.File("s.bne"));
    w.WriteMagic();
    w.WriteSceneInfo(0, 100, 160);
    w.WriteGeometryHeader("Box\t01");
    w.WriteVertex(1.5f, -2.0f, 0.25f);
    w.WriteFace(0, 1, 2, 3);
    w.WriteEndGeometry();
    w.WriteFileEnd();
    return test::ReadBytes(dir.File("s.bne"));
}

TEST(BneDump, OneLinePerRecordWithOffsetTagNameAndPayload) {
    std::vector<uint8_t> bytes = SmallFile();
    std::string text = DumpBne(bytes.data(), bytes.size());
    EXPECT_NE(text.find("00000004    1  Scene Info  first=0 last=100 ticks=160\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Geometry Object Header  name=\"Box\\t01\""), std::string::npos) << text;
    EXPECT_NE(text.find("Vertex  x=1.5 y=-2 z=0.25"), std::string::npos) << text;
    EXPECT_NE(text.find("Face  a=0 b=1 c=2 material=3"), std::string::npos) << text;
    EXPECT_NE(text.find(" 40  File End"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);  // magic and six records

    BneWalkSummary s = WalkBne(bytes.data(), bytes.size(), [](const std::string&) {});
    EXPECT_EQ(s.end, BneWalkEnd::FileEnd);
    EXPECT_EQ(s.records, 6u);
    EXPECT_EQ(s.trailingBytes, 0u);

    // Unknown tags are skipped one byte at a time; bytes after the end are counted, not read.
    std::vector<uint8_t> odd(bytes.begin(), bytes.begin() + 4);
    odd.push_back(0);
    odd.push_back(200);
    odd.insert(odd.end(), bytes.begin() + 4, bytes.end());
    odd.push_back(7);
    odd.push_back(7);
    s = WalkBne(odd.data(), odd.size(), [](const std::string&) {});
    EXPECT_EQ(s.end, BneWalkEnd::FileEnd);
    EXPECT_EQ(s.unknownTags, 2u);
    EXPECT_EQ(s.records, 6u);
    EXPECT_EQ(s.trailingBytes, 2u);
}

TEST(BneDump, TruncatedOrForeignFilesEndCleanly) {
    std::vector<uint8_t> bytes = SmallFile();
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
        BneWalkSummary s = WalkBne(cut.data(), cut.size(), [](const std::string&) {});
        if (n < 4) {
            EXPECT_EQ(s.end, BneWalkEnd::BadMagic) << n;
        } else {
            EXPECT_TRUE(s.end == BneWalkEnd::EndOfData || s.end == BneWalkEnd::Truncated) << n;
        }
    }
    std::vector<uint8_t> wrong = {'B', 'N', 'X', 0, 40};
    BneWalkSummary s = WalkBne(wrong.data(), wrong.size(), [](const std::string&) {});
    EXPECT_EQ(s.end, BneWalkEnd::BadMagic);
    EXPECT_EQ(s.records, 0u);
    EXPECT_EQ(WalkBne(nullptr, 0, [](const std::string&) {}).end, BneWalkEnd::BadMagic);
}

}  // namespace
}  // namespace orix
