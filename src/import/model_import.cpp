#include "import/model_import.h"

#include "import/assimp_import.h"

namespace orix {

bool ReadAnyModelFile(const std::string& path, ModelInput* in, std::vector<std::string>* warnings,
                      std::string* error) {
    if (!ReadModelFile(path, in, error)) return false;
    if (in->type != ModelFileType::Unknown ||
        AssimpFormatOf(path, in->head.data(), in->head.size()).empty())
        return true;
    if (!ImportWithAssimp(path, ImportLimits(), &in->bytes, warnings, error)) return false;
    in->type = ModelFileType::Gltf;
    in->head.clear();
    return true;
}

}  // namespace orix
