#include "companion_files.h"

#include <filesystem>
#include <system_error>

namespace orix::tool {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

}  // namespace

std::string CompanionFile(const std::string& modelPath, const char* extension) {
    namespace fs = std::filesystem;
    if (modelPath.empty() || !extension) return std::string();
    const fs::path model(modelPath);
    const std::string stem = model.stem().string();
    const std::string wanted = Lower(extension);
    fs::path folder = model.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    // The exact spelling first, then any case of the extension (exports from Windows vary).
    fs::path exact = folder / (stem + extension);
    if (fs::is_regular_file(exact, ec) && exact != model) return exact.string();
    std::string found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.stem().string() != stem || Lower(p.extension().string()) != wanted) continue;
        if (!it->is_regular_file(ec) || p == model) continue;
        // The same name every run, whatever order the folder lists its files in.
        if (found.empty() || p.string() < found) found = p.string();
    }
    return found;
}

}  // namespace orix::tool
