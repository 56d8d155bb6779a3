#include "files/file_identity.h"

#include <sys/stat.h>

namespace orix {

PathIdentity IdentifyPath(const std::string& path) {
    PathIdentity id;
    struct stat st = {};
    if (stat(path.c_str(), &st) == 0) {
        id.exists = true;
        id.file = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    }
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    id.name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (stat(folder.c_str(), &st) == 0) {
        id.folderKnown = true;
        id.folder = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    }
    return id;
}

bool SameFile(const PathIdentity& a, const PathIdentity& b) {
    if (a.exists || b.exists) return a.exists && b.exists && a.file == b.file;
    return a.folderKnown && b.folderKnown && a.folder == b.folder && a.name == b.name;
}

std::string FindOutputClash(const std::vector<std::string>& inputs,
                            const std::vector<std::string>& outputs) {
    std::vector<PathIdentity> in, out;
    for (const std::string& p : inputs) in.push_back(IdentifyPath(p));
    for (const std::string& p : outputs) out.push_back(IdentifyPath(p));
    for (size_t o = 0; o < out.size(); ++o) {
        for (size_t i = 0; i < in.size(); ++i) {
            if (SameFile(out[o], in[i]))
                return "the output " + outputs[o] + " is the input " + inputs[i];
        }
        for (size_t k = 0; k < o; ++k) {
            if (SameFile(out[o], out[k]))
                return "the outputs " + outputs[k] + " and " + outputs[o] + " are one file";
        }
    }
    return std::string();
}

}  // namespace orix
