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

}  // namespace
}  // namespace orix
