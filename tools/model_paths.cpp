#include "model_paths.h"

#include <filesystem>
#include <system_error>

namespace orix::tool {

std::string BneNameFor(const std::string& aseName) {
    size_t slash = aseName.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = aseName.rfind('.');
    // A dot that starts the name ("./m.ase" has its dot in the folder) is no extension's.
    if (dot == std::string::npos || dot <= nameStart) return aseName + ".bne";
    return aseName.substr(0, dot) + ".bne";
}

std::string ModelNameOf(const std::string& path) {
    std::string bne = BneNameFor(path);
    size_t slash = bne.find_last_of("/\\");
    return bne.substr(slash == std::string::npos ? 0 : slash + 1,
                      bne.size() - 4 - (slash == std::string::npos ? 0 : slash + 1));
}

std::string SideNameFor(const std::string& path, const std::string& extension) {
    std::string bne = BneNameFor(path);
    return bne.substr(0, bne.size() - 4) + extension;
}

std::string CompanionFile(const std::string& modelPath, const char* extension) {
    namespace fs = std::filesystem;
    if (modelPath.empty() || !extension) return std::string();
    const fs::path model(modelPath);
    const std::string stem = model.stem().string();
    const std::string wanted = LowerAscii(extension);
    fs::path folder = model.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    // The exact spelling first, then any case of the extension (exports from Windows vary).
    fs::path exact = folder / (stem + extension);
    if (fs::is_regular_file(exact, ec) && exact != model) return exact.string();
    std::string found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.stem().string() != stem || LowerAscii(p.extension().string()) != wanted) continue;
        if (!it->is_regular_file(ec) || p == model) continue;
        // The same name every run, whatever order the folder lists its files in.
        if (found.empty() || p.string() < found) found = p.string();
    }
    return found;
}

}  // namespace orix::tool
