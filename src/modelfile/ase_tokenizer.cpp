#include "modelfile/ase_tokenizer.h"

#include <charconv>
#include <cstring>

namespace orix {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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
    midLine_ = !nl;
    TokenizeAseLine(line, materialListRule);
    return true;
}

void TokenizeAseLine(AseLine* line, bool materialListRule) {
    char* text = line->text;
    size_t n = line->length;
    size_t i = 0;
    while (i < n && IsBlank(text[i])) ++i;
    size_t k = i;
    while (k < n && !IsBlank(text[k]) && text[k] != '\r' && text[k] != '\n') ++k;
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
    size_t end = k;
    while (end < n && text[end] != '\n' && text[end] != '\r') {
        if (text[end] == '\t') text[end] = ' ';
        if (materialListRule && (text[end] == '{' || text[end] == ' ')) break;
        ++end;
    }
    line->value = std::string_view(text + k, end - k);
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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace orix
