// Drawing with no display at all, for servers and tests: an engine on an offscreen buffer,
// driven by a fixed-step clock so the same run gives the same pictures, writing frames as PNG.
//
// Shows: OffscreenEngine (display, device and engine in one object, no window and no display
// server needed), FixedStepClock, the render pass called by the program itself, and
// OffscreenEngine::ReadFrame with WritePng. The scene is a ring of coloured pre-lit triangles
// turning about its axis.
//
//   offscreen_frames [--frames N] [--out DIR] [--size WxH]   (30 frames into frames/; every
//                                                             tenth frame and the last written)
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include <orix/app/engine_host.h>
#include <orix/device/engine.h>
#include <orix/device/offscreen_engine.h>
#include <orix/platform/clock.h>
#include <orix/scene/camera.h>
#include <orix/scene/mesh.h>
#include <orix/scene/scene.h>

using namespace orix;

int main(int argc, char** argv) {
    HostOptions options;  // only for parsing the same options as the other examples
    if (!ParseHostOptions(argc, argv, &options) || !options.args.empty()) return 2;
    const uint32_t frames = options.frames > 0 ? options.frames : 30;
    const std::string out = options.out.empty() ? "frames" : options.out;

    // 33 ms a frame: the engine's frame step is then 1, as at 30 frames a second.
    FixedStepClock clock(1000, 33);
    OffscreenEngine offscreen(clock, uint32_t(options.width), uint32_t(options.height));
    if (!offscreen.Ok()) {
        std::fprintf(stderr, "no offscreen device: %s\n", offscreen.Error().c_str());
        return 1;
    }
    offscreen.SetBackground(0.95f, 0.95f, 0.9f);

    Scene scene(&offscreen.engine());
    Camera camera(Vector3{0, 150, -250}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
    camera.motionMode = MotionMode::Fixed;
    Mesh ring(1);  // pre-lit: each vertex carries its colour, no light needed
    const int kBlades = 12;
    for (int i = 0; i < kBlades; ++i) {
        const float a = 6.2831853f * float(i) / kBlades, b = a + 0.35f;
        const int32_t first = int32_t(ring.vertexCount);
        ring.AddVertex(0, 0, 0);
        ring.AddVertex(80 * std::cos(a), 0, 80 * std::sin(a));
        ring.AddVertex(80 * std::cos(b), 12, 80 * std::sin(b));
        const float hue = float(i) / kBlades;
        const uint32_t color =
            0xFF000000u | uint32_t(255 * hue) << 16 | 0x40u << 8 | uint32_t(255 * (1 - hue));
        for (int k = 0; k < 3; ++k) ring.geometry->litVertices[size_t(first + k)].color = color;
        // Both windings, so a blade shows from above and below.
        ring.AddFace(first, first + 1, first + 2, 0);
        ring.AddFace(first, first + 2, first + 1, 0);
    }
    ring.CreateMaterialSet();
    ring.angularVelocity = Vector3{0, 0.05f, 0};
    scene.AddObjects({&camera, &ring});
    scene.SetCamera(&camera);

    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    FrameImage image;
    for (uint32_t i = 1; i <= frames; ++i) {
        offscreen.engine().Render();
        if (i % 10 != 0 && i != frames) continue;
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%04u.png", i);
        if (!offscreen.ReadFrame(&image) || !WritePng(out + name, image)) {
            std::fprintf(stderr, "cannot write %s%s\n", out.c_str(), name);
            return 1;
        }
        std::printf("wrote %s%s\n", out.c_str(), name);
    }
    return 0;
}
