// A lit mesh with sub-materials drawn on a real device: each part in its sub-material's colour,
// never the vertices' own, and where the mesh's vertices stand now (as skinning moves them).
#include <gtest/gtest.h>

#include <memory>

#include "scene/mesh.h"
#include "support/draw_scene.h"

namespace orix {
namespace {

TEST(MeshDrawing, LitSubMeshesTakeTheirColourAndTheMeshsCurrentPositions) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    auto mesh = std::make_unique<Mesh>(1);  // the scene only lists it
    const float xs[] = {-20, 0, 20};
    for (float x : xs) {
        mesh->AddVertex(x, -10, 0), mesh->AddVertex(x, 10, 0);
    }
    for (LVertex& v : mesh->geometry->litVertices) v.color = 0xFF0000FF;
    for (int q = 0; q < 2; ++q) {
        mesh->AddFace(2 * q, 2 * q + 1, 2 * q + 3, q);
        mesh->AddFace(2 * q, 2 * q + 3, 2 * q + 2, q);
    }
    MaterialSet* set = mesh->CreateMaterialSet();
    set->AddSubMaterial()->record.diffuse = {1, 0, 0, 1};
    set->AddSubMaterial()->record.diffuse = {0, 1, 0, 1};
    mesh->BuildMaterialSubMeshes();
    mesh->refreshSubMeshPositions = true;
    ds.scene->AddChild(mesh.get());
    auto row = [&ds](uint32_t color) {
        FrameImage f;
        ds.device->ReadFrame(&f);
        int n = 0;
        for (uint32_t x = 0; x < f.width; ++x) n += f.Rgb(x, 240) == color;
        return n;
    };
    ds.engine->Render();
    int red = row(0xFF0000), green = row(0x00FF00);
    EXPECT_GT(red, 20);
    EXPECT_NEAR(green, red, 2);
    EXPECT_EQ(row(0x0000FF), 0);
    // The right edge moves out as far again: the green part doubles, the red stays.
    for (uint32_t i : {4u, 5u}) mesh->SetVertexPosition(i, {40, i == 4 ? -10.0f : 10.0f, 0});
    ds.engine->Render();
    EXPECT_NEAR(row(0x00FF00), 2 * green, 3);
    EXPECT_EQ(row(0xFF0000), red);
}

}  // namespace
}  // namespace orix
