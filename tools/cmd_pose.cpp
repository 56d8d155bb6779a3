// orix pose: plays a model to a frame with a fixed step and prints every node's world matrix.
// Frames are the file's (first, last or a number); the output is one JSON object per node.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/globals.h"
#include "math/types.h"
#include "model_options.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_support.h"

namespace orix::tool {

namespace {

void PrintNode(const SceneObject& node, const char* kind, const Mesh* mesh) {
    std::string line =
        "{\"name\": " + JsonString(node.name) + ", \"kind\": \"" + kind + "\", \"world\": [";
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            line += ((r || c) ? ", " : "") + JsonNumber(double(node.world.m[r][c]));
        }
    }
    line += "]";
    if (mesh) {
        line += ", \"vertices\": [";
        for (uint32_t i = 0; i < mesh->vertexCount; ++i) {
            Vector3 p = TransformPoint(mesh->VertexPosition(i), node.world);
            line += std::string(i ? ", " : "") + "[" + JsonNumber(double(p.x)) + ", " +
                    JsonNumber(double(p.y)) + ", " + JsonNumber(double(p.z)) + "]";
        }
        line += "]";
    }
    std::printf("%s}\n", line.c_str());
}

}  // namespace

int RunPose(const Args& args) {
    ModelSource source;
    std::string frameText;
    bool vertices = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        OptionResult taken = TakeModelOption(args, &i, kPoseModelOptions, &source, &error);
        if (taken == OptionResult::Bad) return UsageError(error);
        if (taken == OptionResult::Taken) continue;
        if (a == "--frame") {
            if (!TakeOptionValue(args, &i, "a frame number, first or last", &frameText, &error))
                return UsageError(error);
        } else if (a == "--vertices") {
            vertices = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (source.path.empty()) {
            source.path = a;
        } else {
            return UsageError("too many arguments");
        }
    }
    const std::string& path = source.path;
    if (path.empty() || frameText.empty()) return UsageError("pose needs a file and --frame");
    double target = 0.0;
    bool first = frameText == "first", last = frameText == "last";
    if (!first && !last) {
        char* end = nullptr;
        target = std::strtod(frameText.c_str(), &end);
        if (*end != '\0' || !std::isfinite(target)) return UsageError("bad --frame " + frameText);
    }
    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(path, false, source.flags, &model)) return 1;
    SkinnedCharacter& c = *model.character;
    if (!LoadCompanions(c, path, source.vue, source.skin, true, true)) return 1;
    c.SetPlayMode(int32_t(PlayMode::Playing));
    int32_t firstFrame = model.firstFrame;  // where the nodes' play starts
    if (first) target = firstFrame;
    if (last) target = model.lastFrame;
    // A fixed step of one frame, the last step the remainder.
    double remaining = target - firstFrame;
    if (remaining < 0) remaining = 0;
    if (remaining > 1e6) return UsageError("--frame too far from the first frame");
    frameStep = 0.0f;
    c.Update(kUpdateAnimate | kUpdateChildren);
    while (remaining > 0) {
        frameStep = float(remaining < 1.0 ? remaining : 1.0);
        remaining -= frameStep;
        c.Update(kUpdateAnimate | kUpdateChildren);
    }
    for (int32_t i = 0; i < c.meshCount; ++i)
        PrintNode(*c.meshes[i], "mesh", vertices ? c.meshes[i] : nullptr);
    for (int32_t i = 0; i < c.helperCount; ++i) PrintNode(*c.helpers[i], "helper", nullptr);
    return 0;
}

}  // namespace orix::tool
