#include "modelfile/model_input.h"

namespace orix {

bool ReadModelFile(const std::string& path, ModelInput* in, std::string* error) {
    InputFile file;
    std::vector<char> head;
    if (!file.Open(path, error) || !file.Head(kModelTypeProbeBytes, &head, error)) return false;
    in->id = file.Id();
    in->type = DetectModelFileType(head.data(), head.size());
    if (in->type == ModelFileType::Unknown) {
        in->head = std::move(head);
        return true;
    }
    return file.ReadAll(&in->bytes, error);
}

}  // namespace orix
