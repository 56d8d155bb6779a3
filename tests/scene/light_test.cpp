// Lights, and the overlays' render-state block.
#include <gtest/gtest.h>

#include <cmath>

#include "device/globals.h"
#include "math/types.h"
#include "scene/light.h"
#include "scene/pavo_render_state.h"
#include "support/draw_scene.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct LightTest : ::testing::Test {
    EngineFixture fx;
};

TEST_F(LightTest, SpotAimsAtAPointButNotAtItself) {
    Light light;
    light.SetSpotLight(1, 1, 1, 0.3f, 0.6f);
    light.world = Matrix::Translation({5, 100, 5});
    light.AimAt(5, -20, 5);
    EXPECT_EQ(light.description.direction, Vector3(0, -1, 0));
    light.AimAt(5, 100, 5);  // onto itself: the direction stays
    EXPECT_EQ(light.description.direction, Vector3(0, -1, 0));
}

// An unlit white square facing the camera is black until the light in front of it has been
// attached and then sent: the first update only attaches.
TEST(LightDrawing, LightReachesTheDeviceFromItsSecondUpdate) {
    DrawScene ds;
    if (!ds.ok) GTEST_SKIP() << "no offscreen device";
    ds.SetBackground(0, 0, 1);
    MaterialHandle white = ds.device->CreateMaterial();
    MaterialRecord m;
    m.diffuse = ColorValue{1, 1, 1, 1};
    ds.device->SetMaterial(white, m);
    ds.device->SetLightState(LIGHTSTATE_MATERIAL, white.value);
    ds.device->SetLightState(LIGHTSTATE_AMBIENT, 0);

    Light light;
    light.SetPointLight(2.0f, 2.0f, 2.0f);
    light.Move(0, 0, -50, false);
    DrawProbe square(0, 40, true);
    ds.scene->AddObjects({&light, &square});

    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0x000000u);
    ds.engine->Render();
    EXPECT_EQ(ds.Pixel(320, 240), 0xFFFFFFu);

    light.SetColor(0.5f, 0.0f, 0.0f);
    ds.engine->Render();
    uint32_t lit = ds.Pixel(320, 240);
    // Lit per vertex: each corner, 20 across and 20 up from the axis, sees the light at its own
    // angle (cosine 50 / sqrt(3300)), and the square's middle shows their blend.
    EXPECT_NEAR(double((lit >> 16) & 0xFF), 255.0 * 0.5 * 50.0 / std::sqrt(3300.0), 3.0);
    EXPECT_EQ(lit & 0xFFFF, 0u);
    ds.scene->children.clear();
}

// Remembers the device states it saw while its parent block held them.
struct StateProbe : PavoObject {
    explicit StateProbe(GraphicsDevice& d) : device(d) {}
    void Update(uint32_t flags) override {
        seenFlags = flags;
        for (RenderState s : {RS_ZENABLE, RS_ZWRITEENABLE, RS_TEXTUREPERSPECTIVE,
                              RS_ALPHABLENDENABLE, RS_SRCBLEND, RS_DESTBLEND}) {
            device.GetRenderState(s, &seen[s]);
        }
    }
    GraphicsDevice& device;
    uint32_t seen[RS_COUNT] = {};
    uint32_t seenFlags = 0;
};

TEST_F(LightTest, OverlayStateBlockSwitchesAndRestores) {
    FakeDevice& device = fx.device;
    PavoRenderState block(&device);
    block.SetAlphaBlendEnable(1);
    block.SetSrcBlend(BLEND_ONE);
    block.SetDestBlend(0x10000 | BLEND_ONE);  // only the low 16 bits count
    StateProbe probe(device);
    block.Add(&probe);

    device.SetRenderState(RS_ZENABLE, 1);
    device.SetRenderState(RS_TEXTUREPERSPECTIVE, 1);
    device.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    block.Update(kUpdateOverlays);
    // Each state as the children saw it, and as the block left it.
    const uint32_t states[][3] = {{RS_ZENABLE, 0, 1},
                                  {RS_TEXTUREPERSPECTIVE, 0, 1},
                                  {RS_ALPHABLENDENABLE, 1, 0},
                                  {RS_SRCBLEND, BLEND_ONE, BLEND_SRCALPHA},
                                  {RS_DESTBLEND, BLEND_ONE, BLEND_ZERO}};
    for (const auto& s : states) {
        EXPECT_EQ(probe.seen[s[0]], s[1]) << s[0];
        EXPECT_EQ(device.State(RenderState(s[0])), s[2]) << s[0];
    }
    EXPECT_EQ(probe.seen[RS_ZWRITEENABLE], 0u);

    // With depth testing off before, the block leaves it alone.
    device.SetRenderState(RS_ZENABLE, 0);
    device.ClearCalls();
    block.Update(kUpdateOverlays);
    EXPECT_EQ(device.CountCalls("SetRenderState 7 "), 0u);
    EXPECT_EQ(device.State(RS_ZENABLE), 0u);

    // Children get 255 whatever the block was given; without the draw flag nothing switches.
    device.ClearCalls();
    block.Update(kUpdateChildren);
    EXPECT_EQ(probe.seenFlags, static_cast<uint32_t>(kUpdateOverlays));
    EXPECT_EQ(device.CountCalls("SetRenderState"), 0u);
}

}  // namespace
}  // namespace orix
