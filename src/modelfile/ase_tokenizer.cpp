#include "modelfile/ase_tokenizer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orix {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The bytes that end a keyword, and the zero byte, which ends the line buffer (and may stand
// inside a damaged line, where it ends nothing).
struct KeywordEnds {
    bool at[256] = {};
    constexpr KeywordEnds() {
        at[uint8_t(' ')] = at[uint8_t('\t')] = at[uint8_t('\r')] = at[uint8_t('\n')] = true;
        at[0] = true;
    }
};
constexpr KeywordEnds kKeywordEnds;

// Where the value that starts at k ends: at the first line feed or CR before n. Its tabs become
// spaces. Most lines are a few short numbers between tabs: sixteen bytes are looked at a time
// where they lie inside the buffer (capacity bytes), a call per tab would cost more than them.
size_t ValueEnd(char* text, size_t k, size_t n, size_t capacity) {
    size_t end = k;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), tab = _mm_set1_epi8('\t');
    for (; end < n && end + 16 <= capacity; end += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + end));
        uint32_t stops =
            uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b, lf), _mm_cmpeq_epi8(b, cr))));
        if (n - end < 16) stops |= 1u << (n - end);  // the bytes from n on are not the line's
        uint32_t tabs = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(b, tab)));
        // A tab past the end turns too; nothing reads the buffer beyond the value.
        for (; tabs; tabs &= tabs - 1) text[end + size_t(__builtin_ctz(tabs))] = ' ';
        if (stops) return end + size_t(__builtin_ctz(stops));
    }
#endif
    for (; end < n && text[end] != '\n' && text[end] != '\r'; ++end) {
        if (text[end] == '\t') text[end] = ' ';
    }
    return end;
}

}  // namespace

bool AseLineReader::Next(AseLine* line, bool materialListRule) {
    if (offset_ >= size_) return false;
    size_t rest = size_ - offset_;
    size_t take = rest < kAseMaxLineLength ? rest : kAseMaxLineLength;
    const char* start = data_ + offset_;
    const void* nl = std::memchr(start, '\n', take);
    size_t length = nl ? size_t(static_cast<const char*>(nl) - start) + 1 : take;
    std::memcpy(line->text, start, length);
    line->text[length] = '\0';
    line->length = length;
    offset_ += length;
    if (!midLine_) ++lines_;
    line->number = lines_;
    line->continued = midLine_;
    midLine_ = !nl;
    TokenizeAseLine(line, materialListRule);
    return true;
}

void TokenizeAseLine(AseLine* line, bool materialListRule) {
    char* text = line->text;
    // The keyword scan below stops at the zero byte after the line.
    size_t n = std::min(line->length, sizeof line->text - 1);
    text[n] = '\0';
    size_t i = 0;
    while (i < n && IsBlank(text[i])) ++i;
    size_t k = i;
    for (;;) {
        while (!kKeywordEnds.at[uint8_t(text[k])]) ++k;
        if (text[k] != '\0' || k >= n) break;
        ++k;
    }
    line->keyword = std::string_view(text + i, k - i);
    line->closes = k > i && text[i] == '}';
    line->opens = std::memchr(text, '{', n) != nullptr;
    while (k < n && IsBlank(text[k])) ++k;
    line->quoted = k < n && text[k] == '"';
    if (line->quoted) {
        size_t begin = k + 1;
        size_t end = begin;
        while (end < n && text[end] != '"' && text[end] != '\n' && text[end] != '\r') ++end;
        line->value = std::string_view(text + begin, end - begin);
        return;
    }
    if (materialListRule) {
        size_t end = k;
        while (end < n && text[end] != '\n' && text[end] != '\r') {
            if (text[end] == '\t') text[end] = ' ';
            if (text[end] == '{' || text[end] == ' ') break;
            ++end;
        }
        line->value = std::string_view(text + k, end - k);
        return;
    }
    line->value = std::string_view(text + k, ValueEnd(text, k, n, sizeof line->text) - k);
}

void AseScanner::SkipBlanks() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
        ++pos_;
    }
}

bool AseScanner::Int(int32_t* out) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '+') ++pos_;
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    // Indices and counts are short: up to nine digits cannot overflow and are read here;
    // anything longer (or no digit at all) goes to from_chars for its checks.
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (negative) ++p;
    const char* digits = p;
    int32_t value = 0;
    while (p < last && p - digits < 9 && unsigned(*p - '0') < 10) value = value * 10 + (*p++ - '0');
    const ptrdiff_t count = p - digits;
    if (count > 0 && !(p < last && unsigned(*p - '0') < 10)) {
        *out = negative ? -value : value;
        pos_ += size_t(p - first);
        return true;
    }
    auto [ptr, ec] = std::from_chars(first, last, *out);
    if (ec != std::errc()) return false;
    pos_ += size_t(ptr - first);
    return true;
}

bool AseScanner::Float(float* out) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == '+') ++pos_;
    const char* first = text_.data() + pos_;
    const char* last = text_.data() + text_.size();
    auto [ptr, ec] = std::from_chars(first, last, *out);
    if (ec == std::errc::result_out_of_range) {
        // Denormal or huge: keep going with the nearest float rather than dropping the line.
        *out = 0.0f;
    } else if (ec != std::errc()) {
        return false;
    }
    pos_ += size_t(ptr - first);
    return true;
}

bool AseScanner::SkipPast(std::string_view label) {
    size_t at = text_.find(label, pos_);
    if (at == std::string_view::npos) return false;
    pos_ = at + label.size();
    return true;
}

void AseScanner::Optional(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) ++pos_;
}

}  // namespace orix
