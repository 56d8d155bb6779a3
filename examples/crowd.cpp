// A crowd: a hundred skinned characters walking, each at its own frame of the same walk.
//
// Shows: many SkinnedCharacters in one scene, one loaded and skinned and the others cloned from
// it (clones share its geometry, pictures, keys and skin: characters that stand in the same pose
// draw one deformed array, made once), placed by its position, and started at a different time
// of the animation so that no two neighbours step together. Reads the demonstration's character
// from the installed Orix data folder, or from the folder given.
//
//   crowd [RESDIR] [--frames N --out DIR]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <orix/app/engine_host.h>
#include <orix/scene/camera.h>
#include <orix/scene/scene.h>
#include <orix/scene/skinned_character.h>

using namespace orix;

namespace {

constexpr int kRows = 10;
constexpr int kColumns = 10;

// Moves a node and everything under it to `offset` frames into its own animation range.
void StartAt(SceneObject& node, int32_t offset) {
    const int32_t range = std::max(node.lastFrame - node.firstFrame, 0) + 1;
    node.time = float(node.firstFrame + offset % range);
    for (SceneObject* child : node.children) StartAt(*child, offset);
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    options.title = "Orix: a crowd";
    if (!ParseHostOptions(argc, argv, &options) || options.args.size() > 1) return 2;
    const std::string res = options.args.empty() ? ORIX_RES_DIR : options.args[0];

    EngineHost host(options);
    if (!host.Ok()) return 1;
    host.SetBackground(0.35f, 0.45f, 0.55f);

    Scene scene(&host.engine());
    scene.SetProjection(10.0f, 3000.0f, 0.7854f);
    Camera camera(Vector3{0, 260, -420}, Vector3{0, 0, 150}, Vector3{0, 1, 0});
    camera.motionMode = MotionMode::Fixed;
    scene.AddChild(&camera);
    scene.SetCamera(&camera);

    // The model names its pictures relative to the working folder: load from its own.
    std::error_code ec;
    const std::filesystem::path start = std::filesystem::current_path(ec);
    std::filesystem::current_path(res, ec);
    std::vector<std::unique_ptr<SkinnedCharacter>> crowd;
    auto model = std::make_unique<SkinnedCharacter>(1);
    if (!model->LoadBne("girl-t.bne", 1)) {
        std::fprintf(stderr, "cannot load %s/girl-t.bne\n", res.c_str());
        return 1;
    }
    model->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    scene.AddChild(model.get());
    // The skin binds to the character's bones, which need the character in the scene.
    if (!model->LoadSkin("girl.skn")) {
        std::fprintf(stderr, "cannot load %s/girl.skn\n", res.c_str());
        return 1;
    }
    crowd.push_back(std::move(model));
    for (int i = 1; i < kRows * kColumns; ++i) {
        crowd.emplace_back(static_cast<SkinnedCharacter*>(crowd.front()->Clone()));
        scene.AddChild(crowd.back().get());
    }
    for (int i = 0; i < kRows * kColumns; ++i) {
        SkinnedCharacter& walker = *crowd[size_t(i)];
        walker.position = Vector3{float(i % kColumns - kColumns / 2) * 45.0f + 22.0f, 0.0f,
                                  float(i / kColumns) * 55.0f};
        // Frames 0, 7, 14, ... of the walk, wrapping around.
        StartAt(walker, i * 7);
    }
    std::filesystem::current_path(start, ec);
    // The characters go before the scene and the host: they release their pictures on the device.
    return host.Run();
}
