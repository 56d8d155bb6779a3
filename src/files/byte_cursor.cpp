#include "files/byte_cursor.h"

#include <cstring>

namespace orix {

bool ByteCursor::ReadU16(uint16_t* out) {
    if (Remaining() < 2) return false;
    *out = uint16_t(data_[offset_] | (data_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
}

bool ByteCursor::ReadU32(uint32_t* out) {
    if (Remaining() < 4) return false;
    const uint8_t* p = data_ + offset_;
    *out = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    offset_ += 4;
    return true;
}

bool ByteCursor::ReadI32(int32_t* out) {
    uint32_t bits = 0;
    if (!ReadU32(&bits)) return false;
    std::memcpy(out, &bits, sizeof bits);
    return true;
}

bool ByteCursor::ReadF32(float* out) {
    uint32_t bits = 0;
    if (!ReadU32(&bits)) return false;
    std::memcpy(out, &bits, sizeof bits);
    return true;
}

bool ByteCursor::ReadString(std::string* out, size_t maxLength) {
    const uint8_t* start = data_ + offset_;
    const void* zero = Remaining() ? std::memchr(start, 0, Remaining()) : nullptr;
    if (!zero) return false;
    size_t length = size_t(static_cast<const uint8_t*>(zero) - start);
    out->assign(reinterpret_cast<const char*>(start), length < maxLength ? length : maxLength);
    offset_ += length + 1;
    return true;
}

bool ByteCursor::HasRoomFor(uint64_t count, size_t elementSize) const {
    if (elementSize == 0) return true;
    return count <= Remaining() / elementSize;
}

}  // namespace orix
