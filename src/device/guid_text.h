/// \file
/// GuidText: a driver identifier as the 32 hexadecimal digits stored in the profile (Data1 as 8
/// digits, Data2 and Data3 as 4, the eight Data4 bytes as 2 each, most significant first), and
/// the hexadecimal helpers the reader and writer share.
///
/// Written with '0'-'9' and 'A'-'F'. Read leniently: each character is upper-cased, and anything
/// that is no hexadecimal digit, including a character missing from a short text, counts as 0.
/// Depends on DriverGuid (platform/device_types.h) only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_types.h"

namespace orix {

constexpr size_t kGuidTextLength = 32;

/// Value of one digit after upper-casing; 0 for anything that is no digit.
uint32_t HexDigitValue(char c);
/// '0'-'9' for 0-9, 'A'-'F' for 10-15 (only the low four bits of value count).
char HexDigitChar(uint32_t value);

/// 2, 4 and 8 digits of text from offset to a value; positions past the text read as 0.
uint8_t HexToU8(const std::string& text, size_t offset);
uint16_t HexToU16(const std::string& text, size_t offset);
uint32_t HexToU32(const std::string& text, size_t offset);

/// The digits of a value, most significant first, appended to out.
void AppendHexU8(uint8_t value, std::string* out);
void AppendHexU16(uint16_t value, std::string* out);
void AppendHexU32(uint32_t value, std::string* out);

/// The 32-digit text of guid.
std::string GuidToText(const DriverGuid& guid);
/// The identifier a text names, read leniently; never fails.
DriverGuid GuidFromText(const std::string& text);

}  // namespace orix
