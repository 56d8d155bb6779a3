/// \file
/// Reading a model file a user names: its type told from its first bytes before the rest is
/// read, so that a video, a device or any other large non-model is refused after a glance, and
/// the whole file read under the input limit only when it is a model.
///
/// Depends on the file layer and model_text.
#pragma once

#include <string>
#include <vector>

#include "files/input_file.h"
#include "modelfile/model_text.h"

namespace orix {

/// What ReadModelFile found.
struct ModelInput {
    ModelFileType type = ModelFileType::Unknown;
    std::vector<char> bytes;  ///< the whole file, when it is a model
    std::vector<char> head;   ///< its first bytes, when it is none of ours (for other readers)
    FileId id;                ///< the file read
};

/// Reads path into *in. False, with *error, when it cannot be opened or read or is too large;
/// true with type Unknown (and nothing read past the first bytes) when it is not a model.
bool ReadModelFile(const std::string& path, ModelInput* in, std::string* error);

}  // namespace orix
