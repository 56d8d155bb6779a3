// orix pose: plays a model to a frame with a fixed step and prints every node's world matrix.
// Frames are the file's (first, last or a number within its range, a VUE track's included);
// the output is one JSON object per node. The frame is reached by seeking to where stepping
// would be, so any frame of the range takes the same time.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/globals.h"
#include "math/types.h"
#include "model_options.h"
#include "model_source.h"
#include "scene/frame_seek.h"
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

// Plays model `frames` frames on from its first, as whole-frame steps (the last one the
// remainder) would.
void PlayFrames(SceneObject& model, double frames) {
    const double whole = std::floor(frames), rest = frames - whole;
    const int64_t steps = int64_t(whole);
    const float saved = frameStep;
    frameStep = 0.0f;
    if (rest > 0.0) {
        SeekWholeSteps(model, steps);
        frameStep = float(rest);
    } else if (steps > 0) {
        SeekWholeSteps(model, steps - 1);
        frameStep = 1.0f;
    }
    model.Update(kUpdateAnimate | kUpdateChildren);
    frameStep = saved;
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
    if (!LoadModel(path, false, source.flags, &model, 1, source.animation)) return 1;
    if (!LoadCompanions(model, path, source.vue, source.skin, true, true)) return 1;
    SkinnedCharacter& c = *model.character;
    const ModelFrames frames = FramesOf(model);
    const std::string range = std::to_string(frames.first) + " to " + std::to_string(frames.last);
    if (!FramesStepExactly(frames.first, frames.last)) {
        std::fprintf(stderr,
                     "orix pose: frames %s reach past frame %lld (2^24), where the engine's time "
                     "stops advancing\n",
                     range.c_str(), static_cast<long long>(kMaxSteppedFrame));
        return 1;
    }
    if (first) target = frames.first;
    if (last) target = frames.last;
    if (target < frames.first || target > frames.last)
        return UsageError("--frame " + frameText + " is outside the file's frames " + range);
    c.SetPlayMode(int32_t(PlayMode::Playing));
    PlayFrames(c, target - frames.first);
    for (int32_t i = 0; i < c.meshCount; ++i)
        PrintNode(*c.meshes[i], "mesh", vertices ? c.meshes[i] : nullptr);
    for (int32_t i = 0; i < c.helperCount; ++i) PrintNode(*c.helpers[i], "helper", nullptr);
    return 0;
}

}  // namespace orix::tool
