#include "files/path_text.h"

#include <filesystem>

namespace orix {

namespace {

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerChar(c);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

std::string FileExtension(const std::string& fileName) {
    const std::string lower = LowerAscii(fileName);
    const size_t dot = lower.rfind('.');
    return dot == std::string::npos ? lower : lower.substr(dot + 1);
}

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    return dot == std::string::npos ? std::string() : LowerAscii(path.substr(dot));
}

bool HasExtension(const std::string& path, const std::string& extension) {
    if (path.size() < extension.size()) return false;
    return EqualsIgnoringCase(std::string_view(path).substr(path.size() - extension.size()),
                              extension);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace orix
