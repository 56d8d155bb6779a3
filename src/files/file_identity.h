/// \file
/// Telling whether two paths are one file, so that no output lands on an input or on another
/// output: by device and inode where the file exists (links, hard links and case variants of one
/// file are one file), by its folder's identity and its name where it does not yet.
#pragma once

#include <string>
#include <vector>

#include "files/input_file.h"

namespace orix {

struct PathIdentity {
    bool exists = false;
    FileId file;  ///< when it exists (links followed)
    bool folderKnown = false;
    FileId folder;  ///< the folder that holds, or would hold, the name
    std::string name;
};

PathIdentity IdentifyPath(const std::string& path);
bool SameFile(const PathIdentity& a, const PathIdentity& b);
inline bool SameFile(const std::string& a, const std::string& b) {
    return SameFile(IdentifyPath(a), IdentifyPath(b));
}

/// The first clash among a command's files: an output that is one of the inputs ("the output
/// OUT is the input IN") or two outputs that are one file; empty when there is none.
std::string FindOutputClash(const std::vector<std::string>& inputs,
                            const std::vector<std::string>& outputs);

}  // namespace orix
