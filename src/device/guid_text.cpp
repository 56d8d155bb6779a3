#include "device/guid_text.h"

namespace orix {

namespace {

uint32_t DigitsAt(const std::string& text, size_t offset, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t at = offset + i;
        value = (value << 4) | (at < text.size() ? HexDigitValue(text[at]) : 0u);
    }
    return value;
}

void AppendDigits(uint32_t value, size_t count, std::string* out) {
    for (size_t i = count; i-- > 0;) out->push_back(HexDigitChar(value >> (4 * i)));
}

}  // namespace

uint32_t HexDigitValue(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    return 0;
}

char HexDigitChar(uint32_t value) {
    return "0123456789ABCDEF"[value & 0xF];
}

uint8_t HexToU8(const std::string& text, size_t offset) {
    return static_cast<uint8_t>(DigitsAt(text, offset, 2));
}
uint16_t HexToU16(const std::string& text, size_t offset) {
    return static_cast<uint16_t>(DigitsAt(text, offset, 4));
}
uint32_t HexToU32(const std::string& text, size_t offset) {
    return DigitsAt(text, offset, 8);
}

void AppendHexU8(uint8_t value, std::string* out) {
    AppendDigits(value, 2, out);
}
void AppendHexU16(uint16_t value, std::string* out) {
    AppendDigits(value, 4, out);
}
void AppendHexU32(uint32_t value, std::string* out) {
    AppendDigits(value, 8, out);
}

std::string GuidToText(const DriverGuid& guid) {
    std::string text;
    text.reserve(kGuidTextLength);
    AppendHexU32(guid.data1, &text);
    AppendHexU16(guid.data2, &text);
    AppendHexU16(guid.data3, &text);
    for (uint8_t b : guid.data4) AppendHexU8(b, &text);
    return text;
}

DriverGuid GuidFromText(const std::string& text) {
    DriverGuid guid;
    guid.data1 = HexToU32(text, 0);
    guid.data2 = HexToU16(text, 8);
    guid.data3 = HexToU16(text, 12);
    for (size_t i = 0; i < 8; ++i) guid.data4[i] = HexToU8(text, 16 + 2 * i);
    return guid;
}

}  // namespace orix
