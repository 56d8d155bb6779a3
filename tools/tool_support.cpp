#include "tool_support.h"

#include <cstdio>
#include <cstdlib>

#include "device/engine.h"
#include "device/globals.h"
#include "modelfile/orix_file_ase.h"
#include "modelfile/orix_file_bne.h"
#include "platform/clock.h"
#include "platform/display_system.h"
#include "platform/graphics_device.h"
#include "platform/messages.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix::tool {

namespace {

void MessageToStderr(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace

ToolEngine::ToolEngine() : clock_(std::make_unique<FixedStepClock>()) {
    SetMessageBoxHook(MessageToStderr);
    DisplayConfig config;
    config.width = 64;
    config.height = 64;
    config.bitsPerPixel = 32;
    config.mode = DisplayMode::Offscreen;
    std::string error;
    display_ = OpenDisplay(config, &error);
    if (display_) device_ = CreateGraphicsDevice(*display_, false, &error);
    if (!device_)
        std::fprintf(stderr, "orix: no offscreen device (%s); pictures will not load\n",
                     error.c_str());
    engine_ = std::make_unique<Engine>(*clock_, device_.get());
    theEngine = engine_.get();
    frameStep = 1.0f;
}

ToolEngine::~ToolEngine() {
    theEngine = nullptr;
    currentScene = nullptr;
    engine_.reset();
    device_.reset();
    display_.reset();
}

std::string LoadedModel::PictureOf(const Material* m) const {
    std::string name;
    for (const auto& p : materialPictures) {
        if (p.first == m) name = p.second;
    }
    return name;
}

std::string LoadedModel::NameOf(const MaterialSet* m) const {
    for (const auto& p : materialNames) {
        if (p.first == m) return p.second;
    }
    return std::string();
}

bool IsAsePath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".ase";
}

bool LoadModel(const std::string& path, bool asMesh, uint32_t flags, LoadedModel* out) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        std::fprintf(stderr, "orix: cannot open %s\n", path.c_str());
        return false;
    }
    std::fclose(probe);
    bool ok = false;
    const ModelBuilder* builder = nullptr;
    std::unique_ptr<OrixFileAse> ase;
    std::unique_ptr<OrixFileBne> bne;
    if (asMesh) {
        out->mesh = std::make_unique<Mesh>(1);
    } else {
        out->character = std::make_unique<SkinnedCharacter>(1);
    }
    if (IsAsePath(path)) {
        ase = asMesh ? std::make_unique<OrixFileAse>(out->mesh.get())
                     : std::make_unique<OrixFileAse>(out->character.get());
        ase->SetTextureFailureFatal(false);
        ok = ase->Load(path, flags & ~uint32_t(kAseWriteBne));
        builder = &ase->Builder();
    } else {
        bne = asMesh ? std::make_unique<OrixFileBne>(out->mesh.get())
                     : std::make_unique<OrixFileBne>(out->character.get());
        bne->SetTextureFailureFatal(false);
        ok = bne->Load(path, flags);
        builder = &bne->Builder();
    }
    out->pictures = builder->PictureNames();
    out->materialPictures = builder->MaterialPictures();
    out->materialNames = builder->MaterialNames();
    out->firstFrame = builder->FirstFrame();
    out->lastFrame = builder->LastFrame();
    out->framesPerSecond = builder->FrameSpeed() > 0 ? double(builder->FrameSpeed())
                                                     : 4800.0 / double(builder->TicksPerFrame());
    out->collisionMeshes = builder->CollisionMeshNames();
    if (!ok) std::fprintf(stderr, "orix: could not load %s\n", path.c_str());
    return ok;
}

bool ParseUnsigned(const std::string& text, uint32_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || text[0] == '-' || v > 0xFFFFFFFFul) return false;
    *out = uint32_t(v);
    return true;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orix: %s (see `orix help`)\n", message.c_str());
    return 2;
}

}  // namespace orix::tool

namespace orix::tool {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

size_t PositionKeys(const SceneObject& node) {
    return node.animation ? node.animation->PositionKeyCount() : 0;
}
size_t RotationKeys(const SceneObject& node) {
    return node.animation ? node.animation->RotationKeyCount() : 0;
}
size_t ScaleKeys(const SceneObject& node) {
    return node.animation ? node.animation->ScaleKeyCount() : 0;
}

}  // namespace orix::tool
