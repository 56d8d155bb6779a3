// The engine's smallest program: a cube made in code, lit by a point light, turning in a window.
//
// Shows: EngineHost (the window, display and engine, and the frame loop), a Scene with a
// Camera, a Light, and a Mesh built vertex by vertex in the unlit format (the device lights it,
// from its normals and its material's colour). The mesh turns by itself: its angular velocity
// is applied each frame, scaled by the frame's length.
//
//   spinning_mesh                      a window; close it to end
//   spinning_mesh --frames 60 --out DIR   60 frames offscreen, the last written as PNG
#include <orix/app/engine_host.h>
#include <orix/scene/camera.h>
#include <orix/scene/light.h>
#include <orix/scene/mesh.h>
#include <orix/scene/scene.h>

using namespace orix;

namespace {

// A cube of half-size h: four vertices of its own per side, so each side is flat-shaded.
void BuildCube(Mesh& mesh, float h) {
    const Vector3 normals[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    for (const Vector3& n : normals) {
        // Two edges with u x v = n: the corners then run so that each face's front is outside.
        const Vector3 u{n.y, n.z, n.x};
        const Vector3 v = Cross(n, u);
        const int32_t first = static_cast<int32_t>(mesh.vertexCount);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            const Vector3 p = (n + u * c[0] + v * c[1]) * h;
            mesh.AddVertex(p.x, p.y, p.z);
            mesh.SetVertexNormal(static_cast<int32_t>(mesh.vertexCount) - 1, n.x, n.y, n.z);
        }
        mesh.AddFace(first, first + 1, first + 2, 0);
        mesh.AddFace(first, first + 2, first + 3, 0);
    }
    mesh.CreateMaterialSet()->main.record.diffuse = ColorValue{1.0f, 0.55f, 0.15f, 1.0f};
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    options.title = "Orix: a spinning mesh";
    if (!ParseHostOptions(argc, argv, &options)) return 2;
    EngineHost host(options);
    if (!host.Ok()) return 1;
    host.SetBackground(0.1f, 0.12f, 0.2f);

    // Everything below is made on the host's engine, and goes before it.
    Scene scene(&host.engine());
    Camera camera(Vector3{0, 70, -200}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
    camera.motionMode = MotionMode::Fixed;
    Light light;
    light.SetPointLight(1.0f, 1.0f, 1.0f);
    light.position = Vector3{-120, 150, -150};
    Mesh cube(0);
    BuildCube(cube, 28.0f);
    cube.rotation = Vector3{0.4f, 0.0f, 0.0f};
    cube.angularVelocity = Vector3{0.0f, 0.04f, 0.015f};  // radians per thirtieth of a second

    scene.AddObjects({&camera, &light, &cube});
    scene.SetCamera(&camera);
    // The scene never deletes its children: these live on the stack and go before the host.
    return host.Run();
}
