#include <gtest/gtest.h>

#include <string>

#include "modelfile/bne_dump.h"
#include "modelfile/orix_file_bne.h"
#include "support/picture_files.h"

namespace orix {
namespace {

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

size_t CountLines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
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
    EXPECT_EQ(CountLines(text), 7u);  // magic and six records

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
