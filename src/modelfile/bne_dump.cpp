#include "modelfile/bne_dump.h"

#include <cstdio>
#include <cstring>

#include "files/byte_cursor.h"
#include "modelfile/bne_format.h"

namespace orix {

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Prefix(size_t offset, unsigned tag) {
    char text[32];
    std::snprintf(text, sizeof text, "%08zx  %3u  ", offset, tag);
    return text;
}

std::string Payload(const BneRecordFormat& format, const BneRecord& record) {
    std::string out;
    for (size_t i = 0; i < format.fieldCount; ++i) {
        const BneFieldFormat& field = format.fields[i];
        char value[48];
        switch (field.type) {
            case BneField::U8:
            case BneField::U32:
                std::snprintf(value, sizeof value, "%u", unsigned(record.u[i]));
                break;
            case BneField::F32:
                std::snprintf(value, sizeof value, "%.7g", double(record.f[i]));
                break;
            case BneField::Str:
                value[0] = 0;
                break;
        }
        if (!out.empty()) out += ' ';
        out += field.label;
        out += '=';
        out += field.type == BneField::Str ? Quoted(record.text) : value;
    }
    return out;
}

}  // namespace

BneWalkSummary WalkBne(const uint8_t* data, size_t size,
                       const std::function<void(const std::string&)>& emit) {
    BneWalkSummary summary;
    ByteCursor cursor(data, size);
    if (size < 4 || std::memcmp(data, kBneMagic, 4) != 0) {
        emit("00000000  not a BNE file: the first four bytes are not \"BNE\\x00\"");
        summary.end = BneWalkEnd::BadMagic;
        return summary;
    }
    cursor.Skip(4);
    emit("00000000       magic \"BNE\"");
    BneRecord record;
    while (!cursor.AtEnd()) {
        size_t offset = cursor.Offset();
        uint8_t tag = 0;
        cursor.ReadU8(&tag);
        const BneRecordFormat* format = FindBneRecordFormat(tag);
        if (!format) {
            ++summary.unknownTags;
            emit(Prefix(offset, tag) + "(unknown tag, skipped)");
            continue;
        }
        record.tag = tag;
        if (DecodeBnePayload(&cursor, &record) != BneDecodeResult::Ok) {
            emit(Prefix(offset, tag) + format->name + "  (cut short by the end of the data)");
            summary.end = BneWalkEnd::Truncated;
            return summary;
        }
        ++summary.records;
        std::string line = Prefix(offset, tag) + format->name;
        if (format->fieldCount) line += "  " + Payload(*format, record);
        emit(line);
        if (tag == kBneFileEnd) {
            summary.end = BneWalkEnd::FileEnd;
            summary.trailingBytes = cursor.Remaining();
            if (summary.trailingBytes) {
                char text[96];
                std::snprintf(text, sizeof text, "%08zx       %zu bytes after File End, not read",
                              cursor.Offset(), summary.trailingBytes);
                emit(text);
            }
            return summary;
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "%08zx       end of data before File End", cursor.Offset());
    emit(text);
    summary.end = BneWalkEnd::EndOfData;
    return summary;
}

std::string DumpBne(const uint8_t* data, size_t size) {
    std::string out;
    WalkBne(data, size, [&out](const std::string& line) {
        out += line;
        out += '\n';
    });
    return out;
}

}  // namespace orix
