#include "modelfile/bne_format.h"

#include <cstring>

namespace orix {

namespace {

using F = BneField;

// Field lists shared by several records.
#define ORIX_BNE_RGB                    \
    {                                   \
        {F::F32, "r"}, {F::F32, "g"}, { \
            F::F32, "b"                 \
        }                               \
    }
#define ORIX_BNE_XYZ                    \
    {                                   \
        {F::F32, "x"}, {F::F32, "y"}, { \
            F::F32, "z"                 \
        }                               \
    }
#define ORIX_BNE_TIME_XYZ                                 \
    {                                                     \
        {F::U32, "time"}, {F::F32, "x"}, {F::F32, "y"}, { \
            F::F32, "z"                                   \
        }                                                 \
    }
#define ORIX_BNE_TIME_AXIS_ANGLE                                         \
    {                                                                    \
        {F::U32, "time"}, {F::F32, "x"}, {F::F32, "y"}, {F::F32, "z"}, { \
            F::F32, "angle"                                              \
        }                                                                \
    }

const BneRecordFormat kFormats[kBneTagCount] = {
    {0, "", 0, {}},
    {kBneSceneInfo, "Scene Info", 3, {{F::U32, "first"}, {F::U32, "last"}, {F::U32, "ticks"}}},
    {kBneMaterialList, "Material List Header", 1, {{F::U8, "count"}}},
    {kBneMaterialHeader, "Material Header", 1, {{F::Str, "name"}}},
    {kBneAmbient, "Ambient", 3, ORIX_BNE_RGB},
    {kBneDiffuse, "Diffuse", 3, ORIX_BNE_RGB},
    {kBneSpecular, "Specular", 3, ORIX_BNE_RGB},
    {kBneTransparency, "Transparency", 1, {{F::F32, "t"}}},
    {kBneMapDiffuse, "Map Diffuse", 1, {{F::Str, "picture"}}},
    {kBneSubMaterialList, "Sub-Material List Header", 1, {{F::U8, "count"}}},
    {kBneSubMaterialHeader, "Sub-Material Header", 1, {{F::U8, "index"}}},
    {kBneGeometryHeader, "Geometry Object Header", 1, {{F::Str, "name"}}},
    {kBneHelperHeader, "Helper Object Header", 1, {{F::Str, "name"}}},
    {kBneNodeTransform,
     "Node Transform Matrix",
     12,
     {{F::F32, "m11"},
      {F::F32, "m12"},
      {F::F32, "m13"},
      {F::F32, "m21"},
      {F::F32, "m22"},
      {F::F32, "m23"},
      {F::F32, "m31"},
      {F::F32, "m32"},
      {F::F32, "m33"},
      {F::F32, "m41"},
      {F::F32, "m42"},
      {F::F32, "m43"}}},
    {kBneNodeParent, "Node Parent", 1, {{F::Str, "parent"}}},
    {kBneRotationAxis, "Node TM Rotation Axis", 3, ORIX_BNE_XYZ},
    {kBneRotationAngle, "Node TM Rotation Angle", 1, {{F::F32, "angle"}}},
    {kBneScale, "Node TM Scale", 3, ORIX_BNE_XYZ},
    {kBneMeshHeader, "Mesh Data Header", 2, {{F::U32, "vertices"}, {F::U32, "faces"}}},
    {kBneVertex, "Vertex", 3, ORIX_BNE_XYZ},
    {kBneFace, "Face", 4, {{F::U32, "a"}, {F::U32, "b"}, {F::U32, "c"}, {F::U8, "material"}}},
    {kBneTextureVertexList, "Texture Vertex List Header", 1, {{F::U32, "count"}}},
    {kBneTextureVertex, "Texture Vertex", 2, {{F::F32, "u"}, {F::F32, "v"}}},
    {kBneTextureFaceList, "Texture Face List Header", 1, {{F::U32, "count"}}},
    {kBneTextureFace, "Texture Face", 3, {{F::U32, "a"}, {F::U32, "b"}, {F::U32, "c"}}},
    {kBneFaceNormal,
     "Face Normal",
     4,
     {{F::U32, "face"}, {F::F32, "x"}, {F::F32, "y"}, {F::F32, "z"}}},
    {kBneAnimationHeader, "Animation Header", 0, {}},
    {kBneBezierPosition, "Bezier Position", 4, ORIX_BNE_TIME_XYZ},
    {kBneSamplePosition, "Sample Position", 4, ORIX_BNE_TIME_XYZ},
    {kBneBezierRotation, "Bezier Rotation", 5, ORIX_BNE_TIME_AXIS_ANGLE},
    {kBneSampleRotation, "Sample Rotation", 5, ORIX_BNE_TIME_AXIS_ANGLE},
    {kBneTcbRotation, "TCB Rotation", 5, ORIX_BNE_TIME_AXIS_ANGLE},
    {kBneBezierScale, "Bezier Scale", 4, ORIX_BNE_TIME_XYZ},
    {kBneMaterialReference, "Material Reference", 1, {{F::U8, "index"}}},
    {kBneCameraReference, "Camera\tReference", 1, {{F::Str, "name"}}},
    {kBneEndGeometry, "End of Geometry", 0, {}},
    {kBneEndHelper, "End of Helper", 0, {}},
    {kBneEndCamera, "End of Camera", 0, {}},
    {kBneEndNodeTransform, "End of Node TM", 0, {}},
    {kBneEndMaterial, "End of Material", 0, {}},
    {kBneFileEnd, "File End", 0, {}},
};

#undef ORIX_BNE_RGB
#undef ORIX_BNE_XYZ
#undef ORIX_BNE_TIME_XYZ
#undef ORIX_BNE_TIME_AXIS_ANGLE

// The payload width of each tag whose fields are all fixed-width (0 for a record with a string
// or without fields), with a bit per one-byte field, so that such a record is bounds-checked once
// and read without looking at its field types one by one.
struct FixedLayouts {
    uint8_t bytes[kBneTagCount] = {};
    uint16_t byteFields[kBneTagCount] = {};
    FixedLayouts() {
        for (int tag = 1; tag < kBneTagCount; ++tag) {
            unsigned width = 0, mask = 0;
            for (size_t i = 0; i < kFormats[tag].fieldCount; ++i) {
                BneField type = kFormats[tag].fields[i].type;
                if (type == BneField::Str) {
                    width = 0;
                    break;
                }
                if (type == BneField::U8) mask |= 1u << i;
                width += type == BneField::U8 ? 1 : 4;
            }
            bytes[tag] = uint8_t(width);
            byteFields[tag] = uint16_t(mask);
        }
    }
};
const FixedLayouts kFixedLayouts;

uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void AppendU32(uint32_t v, std::string* out) {
    char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                     char((v >> 24) & 0xFF)};
    out->append(bytes, 4);
}

// The fields of a record made only of four-byte fields, copied as they lie: on a little-endian
// machine the file's bytes are the values. Constant widths for the common records, so the copies
// compile to a few moves.
void CopyFourByteFields(const uint8_t* p, size_t width, BneRecord* record) {
    switch (width) {
        case 4:
            std::memcpy(record->u, p, 4), std::memcpy(record->f, p, 4);
            return;
        case 8:
            std::memcpy(record->u, p, 8), std::memcpy(record->f, p, 8);
            return;
        case 12:
            std::memcpy(record->u, p, 12), std::memcpy(record->f, p, 12);
            return;
        case 16:
            std::memcpy(record->u, p, 16), std::memcpy(record->f, p, 16);
            return;
        default:
            std::memcpy(record->u, p, width), std::memcpy(record->f, p, width);
    }
}

}  // namespace

const BneRecordFormat* FindBneRecordFormat(uint8_t tag) {
    if (tag < 1 || tag >= kBneTagCount) return nullptr;
    return &kFormats[tag];
}

const char* BneTagName(uint8_t tag) {
    const BneRecordFormat* format = FindBneRecordFormat(tag);
    return format ? format->name : "";
}

BneDecodeResult DecodeBnePayload(ByteCursor* cursor, BneRecord* record) {
    const BneRecordFormat* format = FindBneRecordFormat(record->tag);
    if (!format) return BneDecodeResult::Ok;
    if (size_t width = kFixedLayouts.bytes[record->tag]) {
        const uint8_t* p = cursor->Peek(width);
        if (!p) return BneDecodeResult::Truncated;
        const unsigned byteFields = kFixedLayouts.byteFields[record->tag];
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        if (byteFields == 0 && width <= sizeof record->u) {
            CopyFourByteFields(p, width, record);
            cursor->Skip(width);
            return BneDecodeResult::Ok;
        }
#endif
        // A four-byte field lands in both u and f; the record's reader takes the one it means.
        for (size_t i = 0; i < format->fieldCount; ++i) {
            if (byteFields & (1u << i)) {
                record->u[i] = *p++;
                continue;
            }
            uint32_t bits = LoadU32(p);
            p += 4;
            record->u[i] = bits;
            std::memcpy(&record->f[i], &bits, sizeof bits);
        }
        cursor->Skip(width);
        return BneDecodeResult::Ok;
    }
    // Decoding from a copy leaves the caller's cursor untouched when the record is cut short.
    ByteCursor c = *cursor;
    for (size_t i = 0; i < format->fieldCount; ++i) {
        bool ok = false;
        switch (format->fields[i].type) {
            case BneField::U8: {
                uint8_t v = 0;
                ok = c.ReadU8(&v);
                record->u[i] = v;
                break;
            }
            case BneField::U32:
                ok = c.ReadU32(&record->u[i]);
                break;
            case BneField::F32:
                ok = c.ReadF32(&record->f[i]);
                break;
            case BneField::Str:
                ok = c.ReadString(&record->text, kBneMaxStringLength);
                break;
        }
        if (!ok) return BneDecodeResult::Truncated;
    }
    *cursor = c;
    return BneDecodeResult::Ok;
}

bool EncodeBneRecord(const BneRecord& record, std::string* out) {
    const BneRecordFormat* format = FindBneRecordFormat(record.tag);
    if (!format) return false;
    std::string bytes(1, char(record.tag));
    for (size_t i = 0; i < format->fieldCount; ++i) {
        switch (format->fields[i].type) {
            case BneField::U8:
                bytes.push_back(char(record.u[i] & 0xFF));
                break;
            case BneField::U32:
                AppendU32(record.u[i], &bytes);
                break;
            case BneField::F32: {
                uint32_t bits = 0;
                std::memcpy(&bits, &record.f[i], sizeof bits);
                AppendU32(bits, &bytes);
                break;
            }
            case BneField::Str:
                // A longer string, or one holding a zero byte, would not read back as written.
                if (record.text.size() > kBneMaxStringLength ||
                    record.text.find('\0') != std::string::npos) {
                    return false;
                }
                bytes.append(record.text);
                bytes.push_back('\0');
                break;
        }
    }
    out->append(bytes);
    return true;
}

}  // namespace orix
