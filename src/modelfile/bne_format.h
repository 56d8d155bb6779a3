/// \file
/// The BNE scene file format, described once: the magic, the 40 record tags with their names and
/// payload layouts, and the codec that turns a payload into bytes and back. The writer, the reader
/// and the record walker all go through this table, so a record's width lives in one place.
///
/// A BNE file is the magic "BNE\\0" followed by records: one tag byte and the tag's payload, with
/// no length field. Fields are little-endian u8, u32, f32 and zero-terminated strings of at most
/// 255 bytes. Tag 40 ends the file. Tags 0 and 41 to 255 are never written; readers skip them as
/// one-byte records.
///
/// Depends on: files/byte_cursor.h. Limits: at most 12 fields and one string per record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "files/byte_cursor.h"

namespace orix {

enum class BneField : uint8_t { U8, U32, F32, Str };

/// Record tags, numbered as stored.
enum BneTag : uint8_t {
    kBneSceneInfo = 1,
    kBneMaterialList = 2,
    kBneMaterialHeader = 3,
    kBneAmbient = 4,
    kBneDiffuse = 5,
    kBneSpecular = 6,
    kBneTransparency = 7,
    kBneMapDiffuse = 8,
    kBneSubMaterialList = 9,
    kBneSubMaterialHeader = 10,
    kBneGeometryHeader = 11,
    kBneHelperHeader = 12,
    kBneNodeTransform = 13,
    kBneNodeParent = 14,
    kBneRotationAxis = 15,
    kBneRotationAngle = 16,
    kBneScale = 17,
    kBneMeshHeader = 18,
    kBneVertex = 19,
    kBneFace = 20,
    kBneTextureVertexList = 21,
    kBneTextureVertex = 22,
    kBneTextureFaceList = 23,
    kBneTextureFace = 24,
    kBneFaceNormal = 25,
    kBneAnimationHeader = 26,
    kBneBezierPosition = 27,
    kBneSamplePosition = 28,
    kBneBezierRotation = 29,
    kBneSampleRotation = 30,
    kBneTcbRotation = 31,
    kBneBezierScale = 32,
    kBneMaterialReference = 33,
    kBneCameraReference = 34,
    kBneEndGeometry = 35,
    kBneEndHelper = 36,
    kBneEndCamera = 37,
    kBneEndNodeTransform = 38,
    kBneEndMaterial = 39,
    kBneFileEnd = 40,
};

constexpr int kBneTagCount = 41;  ///< index 0 unused, 1 to 40 the records
constexpr size_t kBneMaxFields = 12;
constexpr size_t kBneMaxStringLength = 255;
constexpr uint8_t kBneMagic[4] = {'B', 'N', 'E', 0};

struct BneFieldFormat {
    BneField type;
    const char* label;  ///< short name for dumps ("first", "x", "material")
};

struct BneRecordFormat {
    uint8_t tag;
    const char* name;  ///< as the engine's trace table spells it
    uint8_t fieldCount;
    BneFieldFormat fields[kBneMaxFields];
};

/// One record's payload: field i is in u[i] (U8, U32) or f[i] (F32); the one string in text.
/// The other array's slot of a four-byte field is unspecified (it may hold the same bits).
struct BneRecord {
    uint8_t tag = 0;
    uint32_t u[kBneMaxFields] = {};
    float f[kBneMaxFields] = {};
    std::string text;
};

/// The format of tag, or null for a tag outside 1 to 40.
const BneRecordFormat* FindBneRecordFormat(uint8_t tag);
/// The record name of tag; "" for a tag outside 1 to 40.
const char* BneTagName(uint8_t tag);

enum class BneDecodeResult { Ok, Truncated };

/// Reads the payload of record->tag (already read) from cursor into record. Truncated, with the
/// cursor left at the record's first field, when the data ends inside the payload or a string
/// has no terminating zero. Strings longer than 255 bytes are cut to 255.
BneDecodeResult DecodeBnePayload(ByteCursor* cursor, BneRecord* record);

/// Appends the tag byte and payload of record to out, taking each field's width from the table
/// (U8 fields keep the low 8 bits of u[i]). False, with out unchanged, for an unknown tag or a
/// string longer than 255 bytes, which could not be read back.
bool EncodeBneRecord(const BneRecord& record, std::string* out);

}  // namespace orix
