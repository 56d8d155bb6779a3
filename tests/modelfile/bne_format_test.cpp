#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "modelfile/bne_format.h"
#include "modelfile/byte_cursor.h"

namespace orix {
namespace {

TEST(BneFormat, TableNamesFortyRecordsWithTheStoredWidths) {
    EXPECT_EQ(FindBneRecordFormat(0), nullptr);
    EXPECT_EQ(FindBneRecordFormat(41), nullptr);
    EXPECT_EQ(FindBneRecordFormat(255), nullptr);
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

TEST(BneFormat, EncodingKeepsLowBitsOfByteFieldsAndRefusesUnreadableNames) {
    BneRecord face;
    face.tag = kBneFace;
    face.u[3] = 260;
    std::string bytes;
    ASSERT_TRUE(EncodeBneRecord(face, &bytes));
    EXPECT_EQ(uint8_t(bytes.back()), 4);

    BneRecord name;
    name.tag = kBneGeometryHeader;
    name.text.assign(255, 'n');
    bytes.clear();
    EXPECT_TRUE(EncodeBneRecord(name, &bytes));
    EXPECT_EQ(bytes.size(), 257u);

    bytes.clear();
    name.text.assign(256, 'n');
    EXPECT_FALSE(EncodeBneRecord(name, &bytes));
    name.text = std::string("a\0b", 3);
    EXPECT_FALSE(EncodeBneRecord(name, &bytes));
    BneRecord unknown;
    unknown.tag = 41;
    EXPECT_FALSE(EncodeBneRecord(unknown, &bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(ByteCursor, StringsAreCutAtTheLimitAndNeedTheirZero) {
    std::string bytes(300, 'x');
    bytes.push_back('\0');
    bytes += "next";
    bytes.push_back('\0');
    ByteCursor c(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::string s;
    ASSERT_TRUE(c.ReadString(&s, 255));
    EXPECT_EQ(s.size(), 255u);
    EXPECT_EQ(c.Offset(), 301u);  // the rest of the long string is skipped
    ASSERT_TRUE(c.ReadString(&s, 255));
    EXPECT_EQ(s, "next");

    const char unterminated[] = {'a', 'b', 'c'};
    ByteCursor u(reinterpret_cast<const uint8_t*>(unterminated), sizeof unterminated);
    s = "kept";
    EXPECT_FALSE(u.ReadString(&s, 255));
    EXPECT_EQ(u.Offset(), 0u);
    EXPECT_EQ(s, "kept");

    ByteCursor room(reinterpret_cast<const uint8_t*>(bytes.data()), 9);
    EXPECT_TRUE(room.HasRoomFor(2, 4));
    EXPECT_FALSE(room.HasRoomFor(3, 4));
    EXPECT_FALSE(room.HasRoomFor(uint64_t(1) << 62, 8));  // no overflow past the check
}

}  // namespace
}  // namespace orix
