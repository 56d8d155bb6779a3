#include <gtest/gtest.h>

#include "effects/falling_particle.h"
#include "effects_fixture.h"

namespace orix {
namespace {

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

}  // namespace
}  // namespace orix
