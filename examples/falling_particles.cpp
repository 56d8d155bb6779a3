// Falling particles with their trails: bursts of small diamonds thrown up from one point, each
// falling back under gravity and dragging a ribbon that fades to black behind it.
//
// Shows: template FallingParticles with a template TrailRibbon each, an emitting Mesh
// (particleUpdate) that copies the templates into live particles, a new burst every few frames
// turned a little further each time, and spent bursts taken out of the scene. Particles end at
// the ground plane y = 0; ribbons remove themselves once faded.
//
//   falling_particles [--frames N --out DIR]
#include <cmath>

#include <orix/app/engine_host.h>
#include <orix/effects/falling_particle.h>
#include <orix/effects/trail_ribbon.h>
#include <orix/scene/camera.h>
#include <orix/scene/scene.h>

using namespace orix;

namespace {

constexpr int kParticles = 16;
constexpr uint32_t kFramesBetweenBursts = 8;

// A pre-lit diamond (octahedron) of radius r in one colour, faces wound to show outside.
void BuildDiamond(Mesh& m, float r, uint32_t argb) {
    const Vector3 corners[6] = {{r, 0, 0},  {-r, 0, 0}, {0, r, 0},
                                {0, -r, 0}, {0, 0, r},  {0, 0, -r}};
    for (const Vector3& c : corners) {
        m.AddVertex(c.x, c.y, c.z);
        m.geometry->litVertices.back().color = argb;
    }
    for (int32_t x : {0, 1})
        for (int32_t y : {2, 3})
            for (int32_t z : {4, 5}) {
                // Outward when the corners' order agrees with their sum's direction.
                const Vector3 n = Cross(corners[y] - corners[x], corners[z] - corners[x]);
                const bool front = Dot(n, corners[x] + corners[y] + corners[z]) >= 0.0f;
                m.AddFace(x, front ? y : z, front ? z : y, 0);
            }
    m.CreateMaterialSet();
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    options.title = "Orix: falling particles";
    if (!ParseHostOptions(argc, argv, &options)) return 2;
    EngineHost host(options);
    if (!host.Ok()) return 1;
    host.SetBackground(0.02f, 0.03f, 0.08f);

    Scene scene(&host.engine());
    Camera camera(Vector3{0, 110, -300}, Vector3{0, 60, 0}, Vector3{0, 1, 0});
    camera.motionMode = MotionMode::Fixed;
    scene.AddChild(&camera);
    scene.SetCamera(&camera);

    // The templates are never drawn: each burst copies them. Copies' ribbons join the scene.
    SceneObject templates;
    for (int i = 0; i < kParticles; ++i) {
        const float t = float(i) / kParticles, angle = 6.2831853f * t;
        auto* p = new FallingParticle(1);
        BuildDiamond(*p, 2.5f, 0xFFE0F0FFu);
        p->position = Vector3{0, 20, 0};
        p->velocity =
            Vector3{1.4f * std::cos(angle), 5.0f + float(i % 3) * 0.4f, 1.4f * std::sin(angle)};
        p->gravity = 0.34f;
        p->trailWidthBase = 6.0f;
        auto* ribbon = new TrailRibbon();
        ribbon->lifetime = 700;  // milliseconds from a point's colour to black
        ribbon->colour = TrailColor{0.3f + 0.6f * t, 0.8f, 1.0f - 0.5f * t};
        ribbon->CreateMaterialSet();
        p->SetTrailTemplate(ribbon);
        templates.AddChild(p);
    }

    float turn = 0.0f;
    const int status = host.Run([&](uint32_t frame) {
        if (frame % kFramesBetweenBursts != 0) return;
        for (SceneObject* child : scene.children) {
            auto* burst = dynamic_cast<Mesh*>(child);
            if (burst && burst->particleUpdate && !burst->enabled) burst->RemoveLater();
        }
        auto* burst = new Mesh(1);
        burst->particleUpdate = true;  // draws nothing itself; switches off when all have landed
        burst->EmitParticles(&templates);
        turn += 2.39996f;  // the golden angle: no two bursts alike
        burst->rotation = Vector3{0.0f, std::fmod(turn, 6.2831853f), 0.0f};
        scene.AddChild(burst);
    });
    // Bursts (with their particles) and ribbons are the scene's; then the templates.
    while (scene.children.size() > 1) scene.RemoveChild(scene.children.back());
    templates.DeleteChildren();
    return status;
}
