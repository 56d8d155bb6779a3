// orix pose: plays a model to a frame with a fixed step and prints every node's world matrix.
// Frames are the file's (first, last or a number within its range, a VUE track's included);
// the output is one JSON object per node. FramePlayer reaches the frame by seeking to where
// stepping would be, so any frame of the range takes the same time.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_line.h"
#include "device/globals.h"
#include "json_text.h"
#include "math/types.h"
#include "model_load.h"
#include "model_options.h"
#include "model_source.h"
#include "scene/frame_player.h"
#include "scene/frame_seek.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "tool_engine.h"

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

// The frame asked for within the model's frames, checked the way the engine plays them. 0, or
// the exit status after saying why.
int FrameToPose(const LoadedModel& model, const FrameChoice& choice, double* frame) {
    const ModelFrames frames = FramesOf(model);
    if (!FramesStepExactly(frames.first, frames.last)) {
        std::fprintf(stderr,
                     "orix pose: frames %d to %d reach past frame %lld (2^24), where the engine's "
                     "time stops advancing\n",
                     frames.first, frames.last, static_cast<long long>(kMaxSteppedFrame));
        return 1;
    }
    std::string error;
    if (!ResolveFrame(choice, frames.first, frames.last, frame, &error)) return UsageError(error);
    *frame -= frames.first;
    return 0;
}

}  // namespace

const CommandOptions& PoseOptions() {
    static const CommandOptions options = {
        {{"--frame", "F", "a frame number, first or last",
          "a frame number (fractions allowed), first or last: the file's range\n"},
         {"--vertices", nullptr, nullptr, "also print every mesh vertex in world space\n"}},
        kPoseModelOptions};
    return options;
}

int RunPose(const Args& args) {
    ModelSource source;
    std::string frameText;
    bool vertices = false;
    std::vector<std::string> files;
    auto take = [&](const std::string& name, const std::string& value, std::string*) {
        if (name == "--frame") frameText = value;
        vertices = vertices || name == "--vertices";
        return true;
    };
    if (int status = ParseArguments(args, PoseOptions(), &source, &files, take)) return status;
    if (files.empty() || files[0].empty() || frameText.empty())
        return UsageError("pose needs a file and --frame");
    const std::string& path = files[0];
    FrameChoice choice;
    std::string error;
    if (!ParseFrame(frameText, &choice, &error)) return UsageError(error);
    ToolEngine engine;
    LoadedModel model;
    if (!LoadModel(path, false, source.flags, &model, 1, source.animation)) return 1;
    if (!LoadCompanions(model, path, source.vue, source.skin, true, true)) return 1;
    double frame = 0.0;
    if (int status = FrameToPose(model, choice, &frame)) return status;
    SkinnedCharacter& c = *model.character;
    FramePlayer player(c);
    player.PlayTo(frame);
    for (int32_t i = 0; i < c.meshCount; ++i)
        PrintNode(*c.meshes[i], "mesh", vertices ? c.meshes[i] : nullptr);
    for (int32_t i = 0; i < c.helperCount; ++i) PrintNode(*c.helpers[i], "helper", nullptr);
    return 0;
}

}  // namespace orix::tool
