// A model file loaded and played, seen by a camera that circles it.
//
// Shows: loading a BNE file (or an ASE text export) into a SkinnedCharacter with its skin,
// playing its animation, ModelBounds to find where the model is and how big, and a camera moved
// by the program before each frame. Without arguments it plays the demonstration's character
// from the installed Orix data folder.
//
//   play_model [MODEL.bne|MODEL.ase [SKIN.skn]] [--frames N --out DIR]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include <orix/app/engine_host.h>
#include <orix/device/globals.h>
#include <orix/scene/camera.h>
#include <orix/scene/scene.h>
#include <orix/scene/skinned_character.h>
#include <orix/viewer/model_view.h>

using namespace orix;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    options.title = "Orix: a model played";
    if (!ParseHostOptions(argc, argv, &options) || options.args.size() > 2) return 2;
    const std::string model =
        options.args.size() > 0 ? options.args[0] : ORIX_RES_DIR "/girl-t.bne";
    std::string skin = options.args.size() > 1 ? options.args[1] : "";
    if (options.args.empty()) skin = ORIX_RES_DIR "/girl.skn";

    EngineHost host(options);
    if (!host.Ok()) return 1;
    host.SetBackground(0.16f, 0.16f, 0.18f);

    Scene scene(&host.engine());
    Camera camera;
    camera.motionMode = MotionMode::Fixed;
    // Format 1: pre-lit vertices, coloured by the model's own lighting, as the demonstration.
    SkinnedCharacter character(1);
    scene.AddObjects({&camera, &character});
    scene.SetCamera(&camera);
    // A model names its pictures relative to the working folder: load from the model's own.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    const fs::path file = fs::absolute(model, ec),
                   skinFile = skin.empty() ? fs::path() : fs::absolute(skin, ec);
    fs::current_path(file.parent_path(), ec);
    const bool loaded =
        EndsWith(model, ".ase") ? character.LoadAse(file) : character.LoadBne(file, 1);
    const bool skinned = !loaded || skin.empty() || character.LoadSkin(skinFile);
    fs::current_path(start, ec);
    if (!loaded) {
        std::fprintf(stderr, "cannot load %s\n", model.c_str());
        return 1;
    }
    if (!skinned) {
        std::fprintf(stderr, "cannot load the skin %s\n", skin.c_str());
        return 1;
    }
    character.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));

    Vector3 lo, hi;
    if (!ModelBounds(character, &lo, &hi)) lo = hi = Vector3{};
    const Vector3 centre = (lo + hi) * 0.5f;
    const Vector3 extent = hi - lo;
    const float radius = 0.5f * std::sqrt(Dot(extent, extent)) + 1.0f;
    camera.SetFar(radius * 20.0f);
    scene.SetProjection(radius * 0.05f, radius * 20.0f, 0.7854f);

    float angle = 0.0f;
    return host.Run([&](uint32_t) {
        // A third of a turn a second, at any frame rate: frameStep is the last frame's length
        // in thirtieths of a second.
        angle += 0.035f * frameStep;
        const Vector3 eye{centre.x + 3.4f * radius * std::sin(angle), centre.y + 0.8f * radius,
                          centre.z - 3.4f * radius * std::cos(angle)};
        camera.SetView(eye, centre, Vector3{0, 1, 0});
    });
}
