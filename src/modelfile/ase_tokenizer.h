/// \file
/// The ASE text export's lines and their tokens: a line reader over the file's bytes in memory
/// and the split of a line into keyword and value, plus number scanning for the value formats.
///
/// Lines are at most 254 characters: a longer one is handed out in pieces of 254, each taken as a
/// line. Nothing is allocated per line; a line lives in the reader's own 256-byte buffer until the
/// next one is read. Number scanning is locale-independent (std::from_chars).
/// Depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orix {

constexpr size_t kAseMaxLineLength = 254;

/// One tokenized line.
struct AseLine {
    char text[kAseMaxLineLength + 2] = {};
    size_t length = 0;
    size_t number = 0;         ///< 1-based line of the file (pieces of a long line share it)
    std::string_view keyword;  ///< up to the first space, tab or CR
    std::string_view value;    ///< quoted text, or the rest of the line with tabs as spaces
    bool quoted = false;
    bool opens = false;      ///< the line holds a '{'
    bool closes = false;     ///< the keyword begins with '}'
    bool continued = false;  ///< a later piece of a long line, not the start of one
};

class AseLineReader {
public:
    /// data must stay alive while the reader is used; it need not end in a zero byte.
    AseLineReader(const char* data, size_t size) : data_(data), size_(size) {}
    /// Reads and tokenizes the next line (or piece) into line; false at the end of the data.
    /// materialListRule: an unquoted value ends at the first '{' or space.
    bool Next(AseLine* line, bool materialListRule);
    size_t Offset() const { return offset_; }
    /// Lines begun so far.
    size_t LineCount() const { return lines_; }

private:
    const char* data_;
    size_t size_;
    size_t offset_ = 0;
    size_t lines_ = 0;
    bool midLine_ = false;  ///< the last piece ended without its line feed
};

/// Splits line->text into keyword and value; used by the reader and by tests.
void TokenizeAseLine(AseLine* line, bool materialListRule);

/// Scans numbers left to right through a value; blanks (spaces, tabs, CR, LF) are skipped.
class AseScanner {
public:
    explicit AseScanner(std::string_view text) : text_(text) {}
    bool Int(int32_t* out);
    bool Float(float* out);
    /// Skips past the next occurrence of label; false when there is none.
    bool SkipPast(std::string_view label);
    /// Skips one character c after blanks, when it is there.
    void Optional(char c);

private:
    void SkipBlanks();
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace orix
