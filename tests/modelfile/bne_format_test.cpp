#include <gtest/gtest.h>

#include <cstring>
#include <set>
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
    std::set<std::string> names;
    for (int tag = 1; tag <= 40; ++tag) {
        const BneRecordFormat* f = FindBneRecordFormat(uint8_t(tag));
        ASSERT_NE(f, nullptr) << tag;
        EXPECT_EQ(f->tag, tag);
        EXPECT_STRNE(f->name, "");
        names.insert(f->name);
    }
    EXPECT_EQ(names.size(), 40u);
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

TEST(ByteCursor, ReadsLittleEndianAndNeverPastTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x80, 0x3F, 0xFF};
    ByteCursor c(data, sizeof data);
    uint32_t u = 0;
    float f = 0;
    uint8_t b = 0;
    ASSERT_TRUE(c.ReadU32(&u));
    EXPECT_EQ(u, 0x04030201u);
    ASSERT_TRUE(c.ReadF32(&f));
    EXPECT_EQ(f, 1.0f);
    EXPECT_FALSE(c.ReadU32(&u));  // one byte left
    EXPECT_EQ(c.Offset(), 8u);
    EXPECT_FALSE(c.Skip(2));
    ASSERT_TRUE(c.ReadU8(&b));
    EXPECT_EQ(b, 0xFF);
    EXPECT_TRUE(c.AtEnd());
    EXPECT_FALSE(c.ReadU8(&b));

    ByteCursor empty(nullptr, 100);
    EXPECT_TRUE(empty.AtEnd());
    std::string s;
    EXPECT_FALSE(empty.ReadString(&s, 255));

    EXPECT_TRUE(c.HasRoomFor(0, 4));
    ByteCursor room(data, sizeof data);
    EXPECT_TRUE(room.HasRoomFor(2, 4));
    EXPECT_FALSE(room.HasRoomFor(3, 4));
    EXPECT_FALSE(room.HasRoomFor(uint64_t(1) << 62, 8));
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
}

}  // namespace
}  // namespace orix
