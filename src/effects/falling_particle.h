/// \file
/// FallingParticle: a mesh that drops under a constant downward acceleration, drags a trail
/// ribbon behind it when its template has one, and removes itself when it reaches the ground
/// plane y = 0, telling its emitter one fewer particle is alive. Particles are copies of template
/// particles, made by the emitting mesh (Mesh::EmitParticles).
///
/// A template particle owns the template ribbon given to it; a copy gets a ribbon of its own,
/// copied from the template's and attached under the ribbon's attach target (the engine's scene
/// when it has none). That ribbon outlives the particle, fades and removes itself; the two are
/// linked so neither ever reaches the other once it is gone. Depends on Mesh, TrailRibbon and the
/// engine's globals (frameStep, the scene). Single-threaded.
#pragma once

#include <cstdint>

#include "scene/mesh.h"

namespace orix {

class TrailRibbon;

class FallingParticle : public Mesh {
public:
    /// A template particle of that vertex format: kind 8, gravity 1, no emitter, no ribbon.
    explicit FallingParticle(int32_t format);
    /// Mesh copy of the template; gravity, emitter and trail width base copied; a ribbon of its
    /// own copied from the template's, disabled, width = base x 0.3, attached to the scene; the
    /// update callback set to Step.
    FallingParticle(const FallingParticle& source);
    /// A template deletes its template ribbon; a copy leaves its ribbon to fade out in the scene,
    /// queues its removal when it holds fewer than two points (it could never fade), and deletes
    /// it when it never joined a scene.
    ~FallingParticle() override;

    SceneObject* Clone() override;
    /// The mesh update when the emitter lets particles run (or there is no emitter); enables the
    /// ribbon at the first counted update.
    void Update(uint32_t flags) override;
    /// The update callback (data is the particle): gravity on velocity.y, a trail point at the
    /// world translation, removal and one fewer live particle at or below y = 0. A particle
    /// counts itself out once.
    static void Step(SceneObject* object, void* data);
    /// Gives this template a template ribbon, which it then owns (replacing one it owned).
    void SetTrailTemplate(TrailRibbon* ribbon);

    /// --- fields -------------------------------------------------------------------------------
    float gravity = 1.0f;
    Mesh* emitter = nullptr;
    TrailRibbon* trail = nullptr;
    float trailWidthBase = 0.0f;
    bool ownsTrail = false;
    bool dead = false;  ///< reached the ground and counted out
};

}  // namespace orix
