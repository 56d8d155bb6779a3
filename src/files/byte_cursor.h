/// \file
/// ByteCursor: a bounds-checked read position over a byte buffer, for the binary readers (models
/// and pictures).
///
/// Every read either succeeds whole or fails and leaves the position where it was, so a reader
/// can stop at the end of the data without having consumed half a field. Integers and floats are
/// little-endian. Strings end at a zero byte; at most maxLength bytes of the text are kept and the
/// rest up to the zero byte is skipped; a string with no zero byte before the end is an error.
/// The cursor never owns the buffer, which must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orix {

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    size_t Offset() const { return offset_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - offset_; }
    bool AtEnd() const { return offset_ >= size_; }

    /// Reads one field; false at the end of the data.
    bool ReadU8(uint8_t* out) {
        if (offset_ >= size_) return false;
        *out = data_[offset_++];
        return true;
    }
    bool ReadU16(uint16_t* out);
    bool ReadU32(uint32_t* out);
    bool ReadI32(int32_t* out);
    bool ReadF32(float* out);
    /// Reads a zero-terminated string, keeping at most maxLength bytes of its text in out; false
    /// when no zero byte comes before the end (nothing is consumed then).
    bool ReadString(std::string* out, size_t maxLength);
    /// The next count bytes, or null when fewer remain; the position does not move.
    const uint8_t* Peek(size_t count) const {
        return Remaining() >= count ? data_ + offset_ : nullptr;
    }
    /// Moves on by count bytes; false (and no move) when fewer remain.
    bool Skip(size_t count) {
        if (Remaining() < count) return false;
        offset_ += count;
        return true;
    }
    /// Moves to offset; false (and no move) past the end.
    bool Seek(size_t offset) {
        if (offset > size_) return false;
        offset_ = offset;
        return true;
    }
    /// True when count elements of elementSize bytes fit in what remains (no overflow).
    bool HasRoomFor(uint64_t count, size_t elementSize) const;

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace orix
