// Falling particles and trail ribbons on the shared test engine with 100 ms frames, under a
// scene root with a camera at (0, 0, -100) looking along +z, installed as the process-wide scene;
// and the fountain they make, drawn and run long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "app/fountain_scene.h"
#include "device/engine.h"
#include "device/globals.h"
#include "effects/falling_particle.h"
#include "effects/trail_ribbon.h"
#include "math/vertex.h"
#include "platform/clock.h"
#include "scene/camera.h"
#include "scene/scene.h"
#include "support/engine_fixture.h"
#include "support/offscreen_device.h"

namespace orix {
namespace {

class EffectsTest : public ::testing::Test, protected EngineFixture {
protected:
    void SetUp() override {
        // The clock's first read starts it; every frame after is 100 ms (frameStep 3).
        clock.SetStep(100);
        engine.UpdateTiming();
        scene = new Scene(&engine);
        currentScene = scene;
        camera = new Camera(Vector3{0, 0, -100}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
        camera->motionMode = MotionMode::Fixed;
        scene->AddChild(camera);
        scene->SetCamera(camera);
    }
    void TearDown() override {
        // The tests delete what they made; the camera is ours.
        scene->children.clear();
        delete camera;
        delete scene;
    }
    // One whole frame through the engine: clock, clear, scene pass.
    void Frame() { engine.Render(); }
    // How many lit triangle strips were drawn, and the last one's vertices.
    int Strips() const {
        int n = 0;
        for (const auto& d : device.draws) n += d.type == PRIM_TRIANGLESTRIP;
        return n;
    }
    const std::vector<LVertex>& Strip() const {
        static const std::vector<LVertex> none;
        for (auto d = device.draws.rbegin(); d != device.draws.rend(); ++d)
            if (d->type == PRIM_TRIANGLESTRIP) return d->lit;
        return none;
    }

    Scene* scene = nullptr;
    Camera* camera = nullptr;
};

class FallingParticleTest : public EffectsTest {
protected:
    void TearDown() override {
        delete emitter;
        templates.children.clear();
        for (FallingParticle* p : made) delete p;
        EffectsTest::TearDown();
    }

    // A one-triangle template particle at `at` with `speed`.
    void AddTemplate(const Vector3& at, const Vector3& speed, float gravity) {
        FallingParticle* p = new FallingParticle(1);
        p->AddVertex(0, 0, 0);
        p->AddVertex(1, 0, 0);
        p->AddVertex(0, 1, 0);
        p->AddFace(0, 1, 2, 0);
        p->position = at;
        p->velocity = speed;
        p->gravity = gravity;
        templates.AddChild(p);
        made.push_back(p);
    }

    // An emitting mesh in the scene, with the emitter flag set.
    void Emit() {
        emitter = new Mesh(1);
        emitter->particleUpdate = true;
        emitter->EmitParticles(&templates);
        scene->AddChild(emitter);
    }

    FallingParticle* Particle(size_t i) const {
        return static_cast<FallingParticle*>(emitter->children.at(i));
    }

    SceneObject templates;
    std::vector<FallingParticle*> made;
    Mesh* emitter = nullptr;
};

TEST_F(FallingParticleTest, GravityBendsTheVelocityOnlyWhenNotZero) {
    AddTemplate({0, 50, 0}, {1, 2, 3}, 0.0f);
    AddTemplate({0, 50, 0}, {1, 2, 3}, 0.4f);
    Emit();
    ASSERT_EQ(emitter->liveParticles, 2);
    for (int i = 0; i < 5; ++i) Frame();  // 100 ms frames: frameStep 3
    EXPECT_FLOAT_EQ(Particle(0)->velocity.y, 2.0f);
    EXPECT_FLOAT_EQ(Particle(0)->velocity.x, 1.0f);
    EXPECT_FLOAT_EQ(Particle(1)->velocity.y, 2.0f - 5 * 0.4f * 3.0f * 0.5f);
    // The first update moved it with the template's velocity, before gravity acted.
    EXPECT_FLOAT_EQ(Particle(0)->position.y, 50.0f + 5 * 2.0f * 3.0f);
}

TEST_F(FallingParticleTest, ParticleAtOrBelowGroundLeavesOnItsFirstStep) {
    AddTemplate({0, 0, 0}, {0, 0, 0}, 0.0f);
    AddTemplate({0, 40, 0}, {0, 0, 0}, 0.0f);
    AddTemplate({5, -3, 0}, {0, 0, 0}, 0.0f);
    Emit();
    ASSERT_EQ(emitter->liveParticles, 3);
    Frame();
    EXPECT_EQ(emitter->liveParticles, 1);
    ASSERT_EQ(emitter->children.size(), 1u);
    EXPECT_FLOAT_EQ(Particle(0)->position.y, 40.0f);
    Frame();
    EXPECT_EQ(emitter->liveParticles, 1);
    EXPECT_TRUE(emitter->enabled);
}

using TrailRibbonTest = EffectsTest;

bool Finite(const LVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A ribbon owned by the test, drawn directly with the draw flag at the given tick.
void DrawAt(Engine& engine, TrailRibbon& ribbon, uint32_t tick) {
    engine.currentTick = tick;
    ribbon.Update(kUpdateDraw);
}

TEST_F(TrailRibbonTest, FadeColourAndTextureAlongTheStrip) {
    TrailRibbon ribbon;
    ribbon.lifetime = 1000;
    ribbon.SetWidth(2.0f);
    ribbon.colour = TrailColor{1.0f, 0.5f, 0.2f};
    engine.currentTick = 1000;
    ribbon.AddPoint(0, 0, 0);
    engine.currentTick = 1500;
    for (int i = 1; i < 4; ++i) ribbon.AddPoint(0, 10.0f * float(i), 0);
    DrawAt(engine, ribbon, 2000);

    ASSERT_EQ(Strips(), 1);
    ASSERT_EQ(Strip().size(), 8u);
    // Appended 500 ms ago with a lifetime of 1000: half of each channel, truncated.
    const uint32_t half = 0xFF000000u | 127u << 16 | 63u << 8 | 25u;
    for (const LVertex& v : Strip()) EXPECT_EQ(v.color, half);
    // Point 0 was appended 1000 ms ago (faded out) yet takes point 1's colour.
    EXPECT_EQ(Strip()[0].color, Strip()[2].color);

    // Rising ribbon seen along +z: the side vector is +x, so the +side edge is at x = +2.
    for (size_t i = 0; i < 4; ++i) {
        const LVertex& plus = Strip()[2 * i];
        const LVertex& minus = Strip()[2 * i + 1];
        EXPECT_FLOAT_EQ(plus.tu, 0.0f) << i;
        EXPECT_FLOAT_EQ(minus.tu, 1.0f) << i;
        EXPECT_FLOAT_EQ(plus.tv, float(i % 2)) << i;
        EXPECT_FLOAT_EQ(minus.tv, float(i % 2)) << i;
        EXPECT_FLOAT_EQ(plus.x, 2.0f) << i;
        EXPECT_FLOAT_EQ(minus.x, -2.0f) << i;
        EXPECT_FLOAT_EQ(plus.y, 10.0f * float(i)) << i;
    }
    // Not faded yet: it stays.
    EXPECT_TRUE(ribbon.pendingRemovals.empty());
}

TEST_F(TrailRibbonTest, ColourFadesToBlackNotToTransparent) {
    TrailRibbon ribbon;
    ribbon.lifetime = 400;
    ribbon.colour = TrailColor{2.0f, 1.0f, 0.0f};  // above 1 stays in its own channel
    engine.currentTick = 100;
    ribbon.AddPoint(0, 0, 0);
    ribbon.AddPoint(0, 5, 0);
    DrawAt(engine, ribbon, 100);
    EXPECT_EQ(Strip()[2].color, 0xFFFFFF00u);
    DrawAt(engine, ribbon, 600);
    EXPECT_EQ(Strip()[2].color, 0xFF000000u);
}

TEST_F(TrailRibbonTest, RemovesItselfOneLifetimeAfterItsLastPointDuringADraw) {
    TrailRibbon* ribbon = new TrailRibbon();
    ribbon->lifetime = 1000;
    ribbon->enabled = true;
    scene->AddChild(ribbon);
    // Frames are 100 ms apart; the owner feeds points for three frames, then stops.
    for (int i = 0; i < 3; ++i) {
        Frame();
        ribbon->AddPoint(0, 10.0f * float(i), 0);
    }
    const uint32_t last = ribbon->points.back().time;
    size_t children = scene->children.size();
    while (engine.currentTick + 100 < last + 1000) {
        Frame();
        ASSERT_EQ(scene->children.size(), children) << "gone early at " << engine.currentTick;
    }
    int strips = Strips();
    Frame();  // now - last == lifetime: the newest point has faded
    EXPECT_EQ(engine.currentTick, last + 1000);
    EXPECT_EQ(Strips(), strips + 1) << "it still draws in the frame it leaves";
    EXPECT_EQ(scene->children.size(), children - 1);
}

TEST_F(TrailRibbonTest, DegenerateSegmentsGiveFiniteVertices) {
    TrailRibbon ribbon;
    ribbon.SetWidth(1.5f);
    engine.currentTick = 1000;
    // Repeated points, a segment along the line of sight, then a normal one.
    for (float z : {0.0f, 0.0f, 0.0f, 20.0f, 20.0f}) ribbon.AddPoint(0, 0, z);
    ribbon.AddPoint(0, 10, 20);
    DrawAt(engine, ribbon, 1100);
    ASSERT_EQ(Strip().size(), 12u);
    for (size_t i = 0; i < Strip().size(); ++i) {
        const LVertex& v = Strip()[i];
        ASSERT_TRUE(Finite(v)) << i;
        // Every pair still spans the full width.
        if (i % 2 == 1) {
            const LVertex& p = Strip()[i - 1];
            float dx = p.x - v.x, dy = p.y - v.y, dz = p.z - v.z;
            EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 3.0f, 1e-4f) << i;
        }
    }

    // All points in one place, no camera at all: still finite.
    scene->camera = nullptr;
    TrailRibbon still;
    engine.currentTick = 1000;
    for (int i = 0; i < 3; ++i) still.AddPoint(5, 5, 5);
    DrawAt(engine, still, 1000);
    for (const LVertex& v : Strip()) EXPECT_TRUE(Finite(v));
    scene->camera = camera;
}

// A particle's ribbon is a copy of its template's: it draws with the shared material, and the
// particle's link to it is cleared when it goes.
TEST_F(TrailRibbonTest, CopySharesTheMaterialAndClearsItsOwnersLink) {
    TrailRibbon templ;
    MaterialSet* material = templ.CreateMaterialSet();
    templ.AddPoint(1, 1, 1);
    TrailRibbon* copy = new TrailRibbon(templ);
    EXPECT_TRUE(copy->points.empty());
    EXPECT_EQ(copy->material, material);
    TrailRibbon* link = copy;
    copy->ownerLink = &link;
    delete copy;
    EXPECT_EQ(link, nullptr);
}

// A ribbon whose vertex buffer can never be had.
struct StarvedRibbon : TrailRibbon {
    bool ReserveVertices(size_t) override { return false; }
};

TEST_F(TrailRibbonTest, FailedVertexAllocationSkipsTheDrawButStillLeaves) {
    StarvedRibbon* ribbon = new StarvedRibbon();
    ribbon->lifetime = 300;
    scene->AddChild(ribbon);
    Frame();
    ribbon->AddPoint(0, 0, 0);
    ribbon->AddPoint(0, 1, 0);
    size_t children = scene->children.size();
    for (int i = 0; i < 2; ++i) Frame();
    EXPECT_EQ(Strips(), 0);
    EXPECT_EQ(scene->children.size(), children);
    Frame();
    EXPECT_EQ(Strips(), 0);
    EXPECT_EQ(scene->children.size(), children - 1);
}

TEST(FountainScene, FramesShowFallingParticlesWithFadingTrails) {
    OffscreenDevice od = MakeOffscreenDevice(640, 480, 32);
    if (!od.device) GTEST_SKIP() << "no offscreen device here";
    FixedStepClock clock(1000, 33);
    Engine engine(clock, od.device.get());
    theEngine = &engine;
    engine.CreateDeviceObjects();
    {
        Scene scene(&engine);
        currentScene = &scene;
        FountainScene fountain(scene);
        for (int frame = 1; frame <= 90; ++frame) {
            engine.Render();
            if (frame % 30 != 0) continue;
            FrameImage image;
            ASSERT_TRUE(od.device->ReadFrame(&image));
            // Above the horizon: glowing drops and trails in many shades of blue (the fade).
            size_t glowing = 0;
            std::set<uint32_t> blues;
            for (uint32_t y = 0; y < 200; ++y) {
                for (uint32_t x = 0; x < 640; ++x) {
                    uint32_t c = image.Rgb(x, y);
                    uint32_t r = c >> 16 & 0xFF, b = c & 0xFF;
                    if (b > 60 && b > r) {
                        ++glowing;
                        blues.insert(b);
                    }
                }
            }
            EXPECT_GT(glowing, 1500u) << "frame " << frame;
            EXPECT_GT(blues.size(), 40u) << "frame " << frame;
            // The land fills the bottom of the picture.
            uint32_t ground = image.Rgb(40, 470);
            EXPECT_GT(ground >> 8 & 0xFF, 30u) << std::hex << ground;
            EXPECT_GT(ground >> 8 & 0xFF, ground >> 16 & 0xFF) << std::hex << ground;
            if (frame == 90) {
                EXPECT_GT(fountain.LiveParticles(), 20u);
                EXPECT_GT(fountain.LiveRibbons(), fountain.LiveParticles());
            }
        }
    }
    EXPECT_EQ(engine.GetScene(), nullptr);
    theEngine = nullptr;
    currentScene = nullptr;
}

TEST(FountainScene, LongRunFreesWhatLandedAndFaded) {
    // No device: the particles, ribbons and strips are all built, only the draw calls are not
    // made; and 100 ms frames keep the trails short. Together they keep 10,000 frames quick.
    FixedStepClock clock(1000, 100);
    Engine engine(clock);
    theEngine = &engine;
    Scene scene(&engine);
    currentScene = &scene;
    {
        FountainSettings settings;
        settings.particlesPerBurst = 4;
        settings.land = false;
        FountainScene fountain(scene, settings);
        size_t most[3] = {0, 0, 0};
        size_t longest = 0;
        size_t atThousand = 0;
        for (int frame = 1; frame <= 10000; ++frame) {
            engine.Render();
            most[0] = std::max(most[0], fountain.LiveEmitters());
            most[1] = std::max(most[1], fountain.LiveParticles());
            most[2] = std::max(most[2], fountain.LiveRibbons());
            if (frame % 250 == 0) {
                for (SceneObject* r : scene.children.back()->children) {
                    longest = std::max(longest, static_cast<TrailRibbon*>(r)->points.size());
                }
            }
            if (frame == 1000) atThousand = fountain.LiveRibbons();
        }
        // A burst lives about two seconds and one starts every 0.2 s; each particle's ribbon
        // outlives it by its lifetime (about 14 bursts, 46 particles, 61 ribbons of 25 points).
        // Bounds with some room, far below what 10,000 frames would pile up.
        EXPECT_LE(most[0], 20u);
        EXPECT_LE(most[1], 60u);
        EXPECT_LE(most[2], 80u);
        EXPECT_GT(most[1], 10u);
        EXPECT_LE(longest, 40u);
        EXPECT_LE(fountain.LiveRibbons(), atThousand + 8);
    }
    EXPECT_EQ(scene.children.size(), 0u);
    theEngine = nullptr;
    currentScene = nullptr;
}

}  // namespace
}  // namespace orix
