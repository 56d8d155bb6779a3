#include "effects/falling_particle.h"

#include "device/engine.h"
#include "device/globals.h"
#include "effects/trail_ribbon.h"
#include "scene/scene.h"

namespace orix {

FallingParticle::FallingParticle(int32_t format) : Mesh(format) {
    kind = static_cast<int32_t>(ObjectKind::FallingParticle);
}

FallingParticle::FallingParticle(const FallingParticle& source)
    : Mesh(source),
      gravity(source.gravity),
      emitter(source.emitter),
      trailWidthBase(source.trailWidthBase) {
    kind = static_cast<int32_t>(ObjectKind::FallingParticle);
    if (source.trail) {
        trail = new TrailRibbon(*source.trail);
        trail->enabled = false;
        trail->SetWidth(trailWidthBase * 0.3f);
        trail->ownerLink = &trail;
        SceneObject* home = trail->attachTarget;
        if (!home && theEngine) home = theEngine->GetScene();
        if (home) home->AddChild(trail);
    }
    SetUpdateCallback(&FallingParticle::Step, this);
}

FallingParticle::~FallingParticle() {
    if (!trail) return;
    trail->ownerLink = nullptr;
    if (ownsTrail || !trail->parent) {
        delete trail;
    } else if (trail->points.size() < 2) {
        // Nobody will feed it now, and a ribbon of fewer than two points never draws, so it
        // would never fade out and leave by itself.
        trail->RemoveLater();
    }
    trail = nullptr;
}

SceneObject* FallingParticle::Clone() {
    return new FallingParticle(*this);
}

void FallingParticle::SetTrailTemplate(TrailRibbon* ribbon) {
    if (trail == ribbon) return;
    if (trail && ownsTrail) delete trail;
    trail = ribbon;
    ownsTrail = ribbon != nullptr;
}

void FallingParticle::Step(SceneObject* /*object*/, void* data) {
    FallingParticle* p = static_cast<FallingParticle*>(data);
    if (!p || p->dead) return;
    if (p->gravity != 0.0f) p->velocity.y -= p->gravity * frameStep * 0.5f;
    Vector3 at = p->world.GetTranslation();
    if (p->trail) p->trail->AddPoint(at.x, at.y, at.z);
    if (at.y <= 0.0f) {
        // Queued once; without a parent nothing can remove it, so it stops feeding its ribbon
        // and counting instead.
        p->dead = true;
        p->RemoveLater();
        if (p->emitter && p->emitter->liveParticles > 0) p->emitter->liveParticles -= 1;
    }
}

void FallingParticle::Update(uint32_t flags) {
    if (!emitter || emitter->particleUpdate) Mesh::Update(flags);
    if (trail && updateCount == 1) trail->enabled = true;
}

}  // namespace orix
