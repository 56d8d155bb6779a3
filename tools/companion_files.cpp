#include "companion_files.h"

#include <dirent.h>

#include <cctype>
#include <cstring>

namespace orix::tool {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string CompanionFile(const std::string& modelPath, const char* extension) {
    size_t slash = modelPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : modelPath.substr(0, slash);
    std::string name = slash == std::string::npos ? modelPath : modelPath.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = extension;
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return std::string();
    std::string found;
    while (dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (candidate.size() != base.size() + ext.size()) continue;
        if (candidate.compare(0, base.size(), base) != 0) continue;
        if (!SameIgnoringCase(candidate.substr(base.size()), ext)) continue;
        found = slash == std::string::npos ? candidate : folder + "/" + candidate;
        break;
    }
    closedir(dir);
    return found;
}

}  // namespace orix::tool
