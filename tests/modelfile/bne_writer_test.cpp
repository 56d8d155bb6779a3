#include <gtest/gtest.h>

#include <string>

#include "bne_test_util.h"
#include "modelfile/bne_format.h"
#include "modelfile/byte_cursor.h"
#include "modelfile/orix_file_bne.h"

namespace orix {
namespace {

using testing::FileExists;
using testing::MessageCapture;
using testing::ReadFileBytes;
using testing::ScratchDir;

TEST(BneWriter, MagicAndEndMakeAFiveByteFile) {
    ScratchDir dir;
    OrixFileBne w;
    ASSERT_TRUE(w.Create(dir.Path("empty.bne")));
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_FALSE(w.IsWriting());
    std::vector<uint8_t> bytes = ReadFileBytes(dir.Path("empty.bne"));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x42, 0x4E, 0x45, 0x00, 40}));
}

TEST(BneWriter, RecordsCarryTheirFieldsInOrder) {
    ScratchDir dir;
    OrixFileBne w;
    ASSERT_TRUE(w.Create(dir.Path("r.bne")));
    w.WriteFace(1, 2, 3, 260);
    w.WriteMaterialList(300);
    EXPECT_TRUE(w.WriteGeometryHeader(""));
    Matrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[r][c] = float(r * 4 + c);
    w.WriteNodeTransform(m);
    w.WriteTcbRotation(479, 0.0f, 1.0f, 0.0f, -0.5f);
    w.WriteFileEnd();

    std::vector<uint8_t> b = ReadFileBytes(dir.Path("r.bne"));
    std::vector<uint8_t> face = {20, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
    ASSERT_GE(b.size(), face.size() + 4);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 14), face);
    EXPECT_EQ(b[14], 2);
    EXPECT_EQ(b[15], 300 % 256);
    EXPECT_EQ(b[16], 11);
    EXPECT_EQ(b[17], 0);  // an empty name is the zero byte alone

    ByteCursor c(b.data() + 18, b.size() - 18);
    BneRecord r;
    uint8_t tag = 0;
    ASSERT_TRUE(c.ReadU8(&tag));
    r.tag = tag;
    ASSERT_EQ(tag, kBneNodeTransform);
    ASSERT_EQ(DecodeBnePayload(&c, &r), BneDecodeResult::Ok);
    // Three values of each row; the fourth column is implied.
    EXPECT_EQ(r.f[0], 0.0f);
    EXPECT_EQ(r.f[2], 2.0f);
    EXPECT_EQ(r.f[3], 4.0f);
    EXPECT_EQ(r.f[11], 14.0f);
    ASSERT_TRUE(c.ReadU8(&tag));
    r.tag = tag;
    ASSERT_EQ(tag, kBneTcbRotation);
    ASSERT_EQ(DecodeBnePayload(&c, &r), BneDecodeResult::Ok);
    EXPECT_EQ(r.u[0], 479u);
    EXPECT_EQ(r.f[2], 1.0f);
    EXPECT_EQ(r.f[4], -0.5f);
    ASSERT_TRUE(c.ReadU8(&tag));
    EXPECT_EQ(tag, kBneFileEnd);
    EXPECT_TRUE(c.AtEnd());
}

TEST(BneWriter, LongestNameRoundTripsAndLongerOnesRefuseTheFile) {
    ScratchDir dir;
    MessageCapture capture;
    std::string name255(255, 'b');
    {
        OrixFileBne w;
        ASSERT_TRUE(w.Create(dir.Path("ok.bne")));
        w.WriteMagic();
        EXPECT_TRUE(w.WriteHelperHeader(name255));
        w.WriteFileEnd();
        EXPECT_FALSE(w.WriteFailed());
    }
    std::vector<uint8_t> b = ReadFileBytes(dir.Path("ok.bne"));
    ByteCursor c(b.data(), b.size());
    ASSERT_TRUE(c.Skip(5));
    std::string read;
    ASSERT_TRUE(c.ReadString(&read, kBneMaxStringLength));
    EXPECT_EQ(read, name255);
    EXPECT_TRUE(capture.Messages().empty());

    OrixFileBne w;
    ASSERT_TRUE(w.Create(dir.Path("long.bne")));
    w.WriteMagic();
    EXPECT_TRUE(w.WriteGeometryHeader("Box01"));
    EXPECT_FALSE(w.WriteNodeParent(std::string(256, 'p')));
    EXPECT_TRUE(w.WriteFailed());
    EXPECT_FALSE(w.IsWriting());
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    EXPECT_NE(capture.Messages()[0].text.find("255"), std::string::npos);
    // Nothing unreadable is left behind, and later records write nothing.
    EXPECT_FALSE(FileExists(dir.Path("long.bne")));
    w.WriteVertex(1, 2, 3);
    w.WriteFileEnd();
    EXPECT_FALSE(FileExists(dir.Path("long.bne")));
    EXPECT_FALSE(w.WriteString(std::string(300, 'x').c_str()));
    EXPECT_EQ(capture.Messages().size(), 1u);

    // Create starts over.
    ASSERT_TRUE(w.Create(dir.Path("again.bne")));
    EXPECT_FALSE(w.WriteFailed());
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_EQ(ReadFileBytes(dir.Path("again.bne")).size(), 5u);
}

TEST(BneWriter, CreateFailureIsReportedAndWritesNothing) {
    ScratchDir dir;
    MessageCapture capture;
    OrixFileBne w;
    std::string path = dir.Path("missing/folder/x.bne");
    EXPECT_FALSE(w.Create(path));
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages()[0].text, "Can't Create " + path);
    EXPECT_EQ(capture.Messages()[0].caption, "OrixFileBne");
    w.WriteMagic();
    w.WriteFileEnd();
    EXPECT_FALSE(FileExists(path));
}

TEST(BneWriter, DestructionClosesWithoutTheEndRecord) {
    ScratchDir dir;
    {
        OrixFileBne w;
        ASSERT_TRUE(w.Create(dir.Path("open.bne")));
        w.WriteMagic();
        w.WriteAnimationHeader();
    }
    EXPECT_EQ(ReadFileBytes(dir.Path("open.bne")), (std::vector<uint8_t>{'B', 'N', 'E', 0, 26}));
}

}  // namespace
}  // namespace orix
