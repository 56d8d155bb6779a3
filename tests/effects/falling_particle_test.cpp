#include <gtest/gtest.h>

#include "effects/falling_particle.h"
#include "effects/trail_ribbon.h"
#include "effects_fixture.h"

namespace orix {
namespace {

class FallingParticleTest : public EffectsTest {
protected:
    void TearDown() override {
        delete emitter;
        if (ribbons) ribbons->DeleteChildren();
        delete ribbons;
        if (templates) templates->DeleteChildren();
        delete templates;
        EffectsTest::TearDown();
    }

    // A template particle at `at` with `speed`, dragging a ribbon when widthBase > 0.
    FallingParticle* AddTemplate(const Vector3& at, const Vector3& speed, float gravity,
                                 float widthBase = 0.0f) {
        if (!templates) templates = new SceneObject();
        FallingParticle* p = new FallingParticle(1);
        p->AddVertex(0, 0, 0);
        p->AddVertex(1, 0, 0);
        p->AddVertex(0, 1, 0);
        p->AddFace(0, 1, 2, 0);
        p->position = at;
        p->velocity = speed;
        p->gravity = gravity;
        if (widthBase > 0.0f) {
            p->trailWidthBase = widthBase;
            if (!ribbons) {
                ribbons = new SceneObject();
                scene->AddChild(ribbons);
            }
            TrailRibbon* r = new TrailRibbon();
            r->attachTarget = ribbons;
            p->SetTrailTemplate(r);
        }
        templates->AddChild(p);
        return p;
    }

    // An emitting mesh in the scene, with the emitter flag set.
    Mesh* Emit() {
        emitter = new Mesh(1);
        emitter->particleUpdate = true;
        emitter->EmitParticles(templates);
        scene->AddChild(emitter);
        return emitter;
    }

    FallingParticle* Particle(size_t i) const {
        return static_cast<FallingParticle*>(emitter->children.at(i));
    }

    SceneObject* templates = nullptr;
    SceneObject* ribbons = nullptr;
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

TEST_F(FallingParticleTest, RibbonJoinsTheSceneDisabledAndStartsAtTheFirstUpdate) {
    FallingParticle* templ = AddTemplate({0, 100, 0}, {0, 3, 0}, 0.0f, 10.0f);
    Emit();
    FallingParticle* p = Particle(0);
    ASSERT_NE(p->trail, nullptr);
    EXPECT_NE(p->trail, templ->trail);
    EXPECT_FLOAT_EQ(p->trail->width, 3.0f);  // 0.3 x a base of 10
    EXPECT_FALSE(p->trail->enabled);
    ASSERT_EQ(ribbons->children.size(), 1u);
    EXPECT_EQ(ribbons->children[0], p->trail);
    EXPECT_EQ(p->emitter, emitter);

    Frame();
    EXPECT_TRUE(p->trail->enabled);
    ASSERT_EQ(p->trail->points.size(), 1u);
    EXPECT_FLOAT_EQ(p->trail->points[0].y, 109.0f);  // its world translation after the move
    EXPECT_EQ(Strips(), 0);
    Frame();
    EXPECT_EQ(p->trail->points.size(), 2u);
    // The ribbons sit before the emitter in the tree, so the second point shows a frame later.
    Frame();
    EXPECT_EQ(Strips(), 1);
    EXPECT_EQ(Strip().size(), 4u);
}

TEST_F(FallingParticleTest, MeshCopyEmitsItsOwnParticlesFromTheSourceGroup) {
    AddTemplate({0, 30, 0}, {0, 0, 0}, 0.0f, 2.0f);
    AddTemplate({0, 0, 0}, {0, 0, 0}, 0.0f, 2.0f);
    Emit();
    Mesh* copy = new Mesh(*emitter);
    ASSERT_TRUE(copy->ownsParticles);
    ASSERT_EQ(copy->children.size(), 2u);
    EXPECT_EQ(copy->liveParticles, 2);
    EXPECT_EQ(static_cast<FallingParticle*>(copy->children[0])->emitter, copy);
    EXPECT_EQ(ribbons->children.size(), 4u);
    scene->AddChild(copy);
    Frame();
    // Each counts its own particle that landed.
    EXPECT_EQ(emitter->liveParticles, 1);
    EXPECT_EQ(copy->liveParticles, 1);

    // Destroying the copy takes its particles; their ribbons leave safely (fewer than two
    // points can never fade, so those go at once).
    scene->children.pop_back();
    delete copy;
    EXPECT_EQ(emitter->children.size(), 1u);
    for (int i = 0; i < 20; ++i) Frame();
    // The source's surviving particle still feeds its ribbon; the rest have faded and gone.
    ASSERT_EQ(ribbons->children.size(), 1u);
    EXPECT_EQ(ribbons->children[0], Particle(0)->trail);
}

TEST_F(FallingParticleTest, EmitterDrawsNothingItselfEvenWithSubMaterials) {
    templates = new SceneObject();
    FallingParticle* shapeless = new FallingParticle(1);  // no faces: draws nothing either
    shapeless->position = Vector3{0, 50, 0};
    templates->AddChild(shapeless);
    templates->AddChild(new SceneObject());  // not a particle: not emitted, not counted
    Emit();
    EXPECT_EQ(emitter->liveParticles, 1);
    EXPECT_EQ(emitter->children.size(), 1u);
    emitter->AddVertex(0, 0, 0);
    emitter->AddVertex(1, 0, 0);
    emitter->AddVertex(0, 1, 0);
    emitter->AddFace(0, 1, 2, 0);
    emitter->CreateMaterialSet()->AddSubMaterial();
    emitter->BuildMaterialSubMeshes();
    Frame();
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 0u);
    emitter->particleUpdate = false;
    Frame();
    EXPECT_EQ(device.CountCalls("DrawIndexedPrimitive"), 1u);
}

TEST_F(FallingParticleTest, ParticleOutlivingItsRibbonCarriesOnWithoutOne) {
    AddTemplate({0, 30, 0}, {0, 1, 0}, 0.0f, 2.0f);
    Emit();
    Frame();
    Frame();
    // The emitter stops running its particles: the ribbon is no longer fed and leaves.
    emitter->particleUpdate = false;
    for (int i = 0; i < 15; ++i) Frame();
    EXPECT_TRUE(ribbons->children.empty());
    EXPECT_EQ(Particle(0)->trail, nullptr);
    emitter->particleUpdate = true;
    Frame();
    EXPECT_FLOAT_EQ(Particle(0)->position.y, 39.0f);
}

}  // namespace
}  // namespace orix
