#include "skin/skin_test_util.h"

#include "device/globals.h"

namespace orix::test {

bool WriteText(const std::string& path, const std::string& text) {
    return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

LogCapture::LogCapture() : file_(std::tmpfile()), previous_(logFile) {
    logFile = file_;
}

LogCapture::~LogCapture() {
    logFile = previous_;
    if (file_) std::fclose(file_);
}

std::string LogCapture::Text() {
    if (!file_) return {};
    std::fflush(file_);
    long end = std::ftell(file_);
    std::rewind(file_);
    std::string text(size_t(end > 0 ? end : 0), '\0');
    size_t got = std::fread(text.data(), 1, text.size(), file_);
    text.resize(got);
    std::fseek(file_, 0, SEEK_END);
    return text;
}

void BuildSkinCharacter(SkinnedCharacter& c, uint32_t vertices) {
    Mesh* skin = c.NewMesh();
    skin->name = "Skin";
    for (uint32_t i = 0; i < vertices; ++i) {
        skin->AddVertex(float(i), 0.0f, 0.0f);
        skin->SetVertexNormal(int32_t(i), 0.6f, 0.8f, 0.0f);
    }
    Helper* pelvis = c.NewHelper();
    pelvis->name = "Bip01 Pelvis";
    Helper* arm = c.NewHelper();
    arm->name = "Bip01 L Arm";
    arm->nodeTransform = Matrix::Translation({2.0f, 0.0f, 0.0f});
    pelvis->world = pelvis->nodeTransform;
    arm->world = arm->nodeTransform;
}

}  // namespace orix::test
