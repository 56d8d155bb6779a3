#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "modelfile/bne_format.h"
#include "modelfile/byte_cursor.h"

namespace orix {
namespace {

size_t FieldBytes(BneField type) {
    switch (type) {
        case BneField::U8:
            return 1;
        case BneField::U32:
        case BneField::F32:
            return 4;
        case BneField::Str:
            return 0;
    }
    return 0;
}

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

TEST(BneFormat, EveryRecordDecodesAsEncoded) {
    for (int tag = 1; tag <= 40; ++tag) {
        const BneRecordFormat* f = FindBneRecordFormat(uint8_t(tag));
        ASSERT_NE(f, nullptr) << tag;
        BneRecord in;
        in.tag = uint8_t(tag);
        size_t expected = 1;
        for (size_t i = 0; i < f->fieldCount; ++i) {
            in.u[i] = 0xA0u + uint32_t(i) * 7u;
            in.f[i] = -1.5f + float(i) * 0.25f;
            expected += FieldBytes(f->fields[i].type);
        }
        in.text = "Bip01 L Hand";
        bool hasString = false;
        for (size_t i = 0; i < f->fieldCount; ++i) hasString |= f->fields[i].type == BneField::Str;
        if (hasString) expected += in.text.size() + 1;

        std::string bytes;
        ASSERT_TRUE(EncodeBneRecord(in, &bytes));
        ASSERT_EQ(bytes.size(), expected) << f->name;
        ASSERT_EQ(uint8_t(bytes[0]), tag);

        ByteCursor c(reinterpret_cast<const uint8_t*>(bytes.data()) + 1, bytes.size() - 1);
        BneRecord out;
        out.tag = uint8_t(tag);
        ASSERT_EQ(DecodeBnePayload(&c, &out), BneDecodeResult::Ok) << f->name;
        EXPECT_TRUE(c.AtEnd());
        for (size_t i = 0; i < f->fieldCount; ++i) {
            switch (f->fields[i].type) {
                case BneField::U8:
                case BneField::U32:
                    EXPECT_EQ(out.u[i], in.u[i]) << f->name << " field " << i;
                    break;
                case BneField::F32:
                    EXPECT_EQ(out.f[i], in.f[i]) << f->name << " field " << i;
                    break;
                case BneField::Str:
                    EXPECT_EQ(out.text, in.text);
                    break;
            }
        }

        // Every shorter prefix is reported as cut short and consumes nothing.
        for (size_t cut = 1; cut + 1 < bytes.size(); ++cut) {
            ByteCursor partial(reinterpret_cast<const uint8_t*>(bytes.data()) + 1, cut);
            BneRecord r;
            r.tag = uint8_t(tag);
            EXPECT_EQ(DecodeBnePayload(&partial, &r), BneDecodeResult::Truncated) << f->name;
            EXPECT_EQ(partial.Offset(), 0u);
        }
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
