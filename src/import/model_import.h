/// \file
/// Reading a model file of any format Orix takes: its own (ASE, BNE), glTF, and the formats read
/// through assimp, which come back as GLB bytes and so are read as glTF from there on.
///
/// Depends on modelfile/model_input.h and import/assimp_import.h.
#pragma once

#include <string>
#include <vector>

#include "modelfile/model_input.h"

namespace orix {

/// ReadModelFile, then a file none of Orix's readers takes but assimp does imported in a child
/// process: in->bytes then holds GLB bytes and in->type is Gltf, with what could not come along in
/// *warnings. False, with *error, when the file cannot be read or the import fails; true with
/// type Unknown when no reader takes it.
bool ReadAnyModelFile(const std::string& path, ModelInput* in, std::vector<std::string>* warnings,
                      std::string* error);

}  // namespace orix
