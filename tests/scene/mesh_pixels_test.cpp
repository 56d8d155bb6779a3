#include <gtest/gtest.h>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/clock.h"
#include "scene/mesh.h"
#include "support/offscreen_device.h"

namespace orix {
namespace {

// Three quads side by side in clip space, one per sub-material.
Mesh* ThreeBands() {
    Mesh* m = new Mesh(1);
    for (int i = 0; i < 3; ++i) {
        float x0 = -0.9f + 0.6f * float(i);
        float x1 = x0 + 0.5f;
        m->AddVertex(x0, -0.5f, 0.5f);
        m->AddVertex(x1, -0.5f, 0.5f);
        m->AddVertex(x1, 0.5f, 0.5f);
        m->AddVertex(x0, 0.5f, 0.5f);
        int32_t b = 4 * i;
        m->AddFace(b, b + 1, b + 2, i);
        m->AddFace(b, b + 2, b + 3, i);
    }
    MaterialSet* set = m->CreateMaterialSet();
    const ColorValue colours[3] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    for (const ColorValue& c : colours) set->AddSubMaterial()->record.diffuse = c;
    m->BuildMaterialSubMeshes();
    return m;
}

TEST(MeshPixels, EachSubMaterialDrawsItsOwnBand) {
    OffscreenDevice od = MakeOffscreenDevice(160, 120, 32);
    if (!od.device) GTEST_SKIP() << "no offscreen device here";
    GraphicsDevice& device = *od.device;
    FixedStepClock clock;
    Engine engine(clock, &device);
    theEngine = &engine;
    engine.drawingMaterial = device.CreateMaterial();
    ViewportRecord viewport;
    viewport.width = 160;
    viewport.height = 120;
    viewport.clipY = 1.0f;
    viewport.clipHeight = 2.0f;
    device.SetViewport(viewport);
    device.SetRenderState(RS_CULLMODE, CULL_NONE);
    device.SetTransform(TRANSFORM_VIEW, Matrix());
    device.SetTransform(TRANSFORM_PROJECTION, Matrix());

    Mesh* m = ThreeBands();
    Rect all{0, 0, 160, 120};
    device.Clear(&all, 1, CLEAR_TARGET | CLEAR_ZBUFFER);
    device.BeginScene();
    m->Update(kUpdateScene);
    device.EndScene();
    FrameImage f;
    ASSERT_TRUE(device.ReadFrame(&f));
    const uint32_t expected[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 3; ++i) {
        uint32_t x = uint32_t((-0.65f + 0.6f * float(i) + 1.0f) * 80.0f);
        EXPECT_EQ(f.Rgb(x, 60), expected[i]) << i;
    }
    EXPECT_EQ(f.Rgb(80, 10), 0u);  // above the bands: background

    // Disabled, it draws nothing.
    m->enabled = false;
    device.Clear(&all, 1, CLEAR_TARGET | CLEAR_ZBUFFER);
    device.BeginScene();
    m->Update(kUpdateScene);
    device.EndScene();
    ASSERT_TRUE(device.ReadFrame(&f));
    EXPECT_EQ(f.Rgb(25, 60), 0u);
    delete m;
    theEngine = nullptr;
}

}  // namespace
}  // namespace orix
