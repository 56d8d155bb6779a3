#include "modelfile/model_text.h"

#include <cstring>

namespace orix {

namespace {

constexpr size_t kProbeSize = kModelTypeProbeBytes / 2;

void AppendUtf8(uint32_t c, std::string* out) {
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | (c >> 6));
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | (c >> 12));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | (c >> 18));
        *out += char(0x80 | ((c >> 12) & 0x3F));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

bool IsUtf16Mark(const char* data, size_t size, bool* bigEndian) {
    if (size < 2) return false;
    auto b0 = uint8_t(data[0]), b1 = uint8_t(data[1]);
    if (b0 == 0xFF && b1 == 0xFE) {
        *bigEndian = false;
        return true;
    }
    if (b0 == 0xFE && b1 == 0xFF) {
        *bigEndian = true;
        return true;
    }
    return false;
}

bool IsUtf8Mark(const char* data, size_t size) {
    return size >= 3 && uint8_t(data[0]) == 0xEF && uint8_t(data[1]) == 0xBB &&
           uint8_t(data[2]) == 0xBF;
}

// JSON whose first character opens an object that names its "asset" early, as every glTF does.
bool IsGltfJson(const char* data, size_t size) {
    size_t i = IsUtf8Mark(data, size) ? 3 : 0;
    while (i < size && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    if (i >= size || data[i] != '{') return false;
    const size_t end = size < kProbeSize ? size : kProbeSize;
    static const char kAsset[] = "\"asset\"";
    const size_t n = sizeof kAsset - 1;
    for (size_t k = i; k + n <= end; ++k) {
        if (std::memcmp(data + k, kAsset, n) == 0) return true;
    }
    return false;
}

}  // namespace

bool DecodeAseText(const char* data, size_t size, std::string* out) {
    bool bigEndian = false;
    if (IsUtf8Mark(data, size)) {
        out->assign(data + 3, size - 3);
        return true;
    }
    if (!IsUtf16Mark(data, size, &bigEndian)) return false;
    std::string text;
    text.reserve(size / 2);
    auto unit = [&](size_t i) -> uint32_t {
        auto hi = uint8_t(data[bigEndian ? i : i + 1]), lo = uint8_t(data[bigEndian ? i + 1 : i]);
        return uint32_t(hi) << 8 | lo;
    };
    // A trailing odd byte is no whole code unit and is dropped.
    for (size_t i = 2; i + 1 < size; i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < size) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), &text);
                i += 2;
                continue;
            }
        }
        AppendUtf8(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c, &text);
    }
    out->swap(text);
    return true;
}

bool HasAseKeywordLine(const char* data, size_t size) {
    size_t end = size < kProbeSize ? size : kProbeSize;
    bool lineStart = true;
    for (size_t i = 0; i + 1 < end; ++i) {
        char c = data[i];
        if (c == '\n') {
            lineStart = true;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            continue;
        } else if (lineStart && c == '*' && data[i + 1] >= 'A' && data[i + 1] <= 'Z') {
            return true;
        } else {
            lineStart = false;
        }
    }
    return false;
}

ModelFileType DetectModelFileType(const char* data, size_t size) {
    if (size >= 4 && std::memcmp(data, "BNE", 4) == 0) return ModelFileType::Bne;
    if (size >= 4 && std::memcmp(data, "glTF", 4) == 0) return ModelFileType::Gltf;
    if (IsGltfJson(data, size)) return ModelFileType::Gltf;
    std::string decoded;
    // Twice the probe: UTF-16 takes two bytes a character.
    if (DecodeAseText(data, size < 2 * kProbeSize ? size : 2 * kProbeSize, &decoded)) {
        data = decoded.data();
        size = decoded.size();
    }
    return HasAseKeywordLine(data, size) ? ModelFileType::Ase : ModelFileType::Unknown;
}

}  // namespace orix
