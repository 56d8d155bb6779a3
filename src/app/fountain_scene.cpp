#include "app/fountain_scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "device/engine.h"
#include "device/globals.h"
#include "effects/falling_particle.h"
#include "effects/trail_ribbon.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/mesh.h"
#include "scene/render_state_group.h"
#include "scene/scene.h"

namespace orix {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kNozzleTop = 30.0f;

uint32_t Rgb(float r, float g, float b) {
    return PackColor(ColorValue{r, g, b, 1.0f});
}

// Adds the face wound so that it is a front face seen from the `outward` side.
void AddFaceFacing(Mesh* m, int32_t a, int32_t b, int32_t c, const Vector3& outward) {
    Vector3 pa = m->VertexPosition(uint32_t(a));
    Vector3 n = Cross(m->VertexPosition(uint32_t(b)) - pa, m->VertexPosition(uint32_t(c)) - pa);
    if (Dot(n, outward) >= 0.0f) {
        m->AddFace(a, b, c, 0);
    } else {
        m->AddFace(a, c, b, 0);
    }
}

void SetLitColor(Mesh* m, uint32_t vertex, uint32_t color) {
    if (vertex < m->geometry->litVertices.size()) m->geometry->litVertices[vertex].color = color;
}

// A material with no texture, so whatever was bound before does not tint the mesh.
void GiveUntexturedMaterial(Mesh* m) {
    m->CreateMaterialSet();
}

Mesh* MakeLand() {
    Mesh* m = new Mesh(1);
    const int cells = 20;
    const float size = 1000.0f;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            float x = -size / 2 + size * float(i) / cells;
            float z = -size / 2 + size * float(j) / cells;
            // Gentle swells, kept below y = 0 where the particles land.
            float y = -3.0f - 8.0f * (1.0f + std::sin(x * 0.011f) * std::cos(z * 0.013f));
            m->AddVertex(x, y, z);
            float shade = 0.55f + 0.45f * std::sin(float(i * 7 + j * 13));
            SetLitColor(m, m->vertexCount - 1,
                        Rgb(0.08f + 0.05f * shade, 0.20f + 0.10f * shade, 0.10f + 0.04f * shade));
        }
    }
    const Vector3 up{0.0f, 1.0f, 0.0f};
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            int32_t v = j * (cells + 1) + i;
            AddFaceFacing(m, v, v + 1, v + cells + 2, up);
            AddFaceFacing(m, v, v + cells + 2, v + cells + 1, up);
        }
    }
    GiveUntexturedMaterial(m);
    m->name = "Land";
    return m;
}

// A square column from the ground to the nozzle top.
Mesh* MakeNozzle() {
    Mesh* m = new Mesh(1);
    const float h = 8.0f;
    for (int k = 0; k < 8; ++k) {
        float x = (k & 1) ? h : -h;
        float y = (k & 2) ? kNozzleTop : -12.0f;
        float z = (k & 4) ? h : -h;
        m->AddVertex(x, y, z);
        float light = (k & 2) ? 0.75f : 0.35f;
        SetLitColor(m, uint32_t(k), Rgb(light, light * 0.95f, light * 0.9f));
    }
    // The six sides as quads of corner numbers (bit 0 x, bit 1 y, bit 2 z).
    const int32_t quads[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 3, 2},
                                 {4, 5, 7, 6}, {2, 3, 7, 6}, {0, 1, 5, 4}};
    const Vector3 centre{0.0f, (kNozzleTop - 12.0f) / 2, 0.0f};
    for (const auto& q : quads) {
        Vector3 mid = (m->VertexPosition(q[0]) + m->VertexPosition(q[2])) * 0.5f;
        AddFaceFacing(m, q[0], q[1], q[2], mid - centre);
        AddFaceFacing(m, q[0], q[2], q[3], mid - centre);
    }
    GiveUntexturedMaterial(m);
    m->name = "Nozzle";
    return m;
}

// A small diamond (octahedron) in a pale colour.
void BuildParticleShape(Mesh* m, uint32_t color) {
    const float r = 2.2f;
    const Vector3 corners[6] = {{r, 0, 0},  {-r, 0, 0}, {0, r, 0},
                                {0, -r, 0}, {0, 0, r},  {0, 0, -r}};
    for (const Vector3& c : corners) {
        m->AddVertex(c.x, c.y, c.z);
        SetLitColor(m, m->vertexCount - 1, color);
    }
    for (int32_t x : {0, 1}) {
        for (int32_t y : {2, 3}) {
            for (int32_t z : {4, 5}) {
                Vector3 out = m->VertexPosition(x) + m->VertexPosition(y) + m->VertexPosition(z);
                AddFaceFacing(m, x, y, z, out);
            }
        }
    }
    GiveUntexturedMaterial(m);
}

SceneObject* MakeTemplates(int32_t count, SceneObject* ribbonHome) {
    SceneObject* group = new SceneObject();
    group->name = "FountainTemplates";
    for (int32_t i = 0; i < count; ++i) {
        FallingParticle* p = new FallingParticle(1);
        float t = float(i) / float(count > 0 ? count : 1);
        BuildParticleShape(p, Rgb(0.8f, 0.9f + 0.1f * t, 1.0f));
        p->name = "Drop";
        float angle = 2.0f * kPi * t;
        float radial = 1.1f + 0.6f * float((i * 7) % 5) / 4.0f;
        p->position = Vector3{0.0f, kNozzleTop, 0.0f};
        p->velocity = Vector3{radial * std::cos(angle), 4.6f + 0.35f * float((i * 3) % 4),
                              radial * std::sin(angle)};
        p->gravity = 0.34f;
        p->trailWidthBase = 5.0f;

        TrailRibbon* ribbon = new TrailRibbon();
        ribbon->lifetime = 650;
        ribbon->colour = TrailColor{0.25f + 0.5f * t, 0.6f + 0.3f * (1.0f - t), 1.0f};
        ribbon->attachTarget = ribbonHome;
        ribbon->CreateMaterialSet();
        p->SetTrailTemplate(ribbon);
        group->AddChild(p);
    }
    return group;
}

// Sends out a burst every few frame steps: the first emitting mesh, later bursts its copies
// (each emits its own particles from the first one's group), each turned a golden angle further
// about y. A burst whose particles have all landed switches itself off and is removed here; the
// first stays as the source of the copies.
class Spawner : public SceneObject {
public:
    Spawner(SceneObject* templates, float every) : every_(every) {
        name = "FountainSpawner";
        first_ = new Mesh(1);
        first_->name = "Burst";
        first_->particleUpdate = true;
        first_->EmitParticles(templates);
        AddChild(first_);
        turn_ = 0.0f;
    }
    ~Spawner() override { DeleteChildren(); }

    void Update(uint32_t flags) override {
        if (!enabled) return;
        if (flags & kUpdateAnimate) {
            for (SceneObject* child : children) {
                if (child != first_ && !child->enabled) child->RemoveLater();
            }
            elapsed_ += frameStep;
            if (elapsed_ >= every_) {
                // One burst per frame at most: after a stall the fountain resumes, it does not
                // fire the missed bursts all at once.
                elapsed_ = std::fmod(elapsed_, every_ > 0.0f ? every_ : 1.0f);
                Mesh* burst = new Mesh(*first_);
                burst->enabled = true;
                turn_ += 2.39996f;
                burst->rotation = Vector3{0.0f, std::fmod(turn_, 2.0f * kPi), 0.0f};
                AddChild(burst);
            }
        }
        SceneObject::Update(flags);
    }

private:
    Mesh* first_ = nullptr;
    float every_;
    float elapsed_ = 0.0f;
    float turn_ = 0.0f;
};

void Detach(Scene& scene, SceneObject* object) {
    auto& c = scene.children;
    c.erase(std::remove(c.begin(), c.end(), object), c.end());
    auto& q = scene.pendingRemovals;
    q.erase(std::remove(q.begin(), q.end(), object), q.end());
    scene.removalsPending = !q.empty();
}

}  // namespace

FountainScene::FountainScene(Scene& scene, const FountainSettings& settings) : scene_(scene) {
    if (Engine* engine = scene.engine) {
        if (engine->device && engine->backgroundMaterial) {
            MaterialRecord night = DefaultMaterialRecord();
            night.diffuse = ColorValue{0.02f, 0.03f, 0.08f, 1.0f};
            engine->device->SetMaterial(engine->backgroundMaterial, night);
        }
    }
    camera = new Camera(Vector3{0.0f, 120.0f, -330.0f}, Vector3{0.0f, 55.0f, 0.0f},
                        Vector3{0.0f, 1.0f, 0.0f});
    camera->name = "FountainCamera";
    camera->motionMode = MotionMode::Fixed;  // it stays where it was put
    light_ = new Light();
    light_->name = "FountainLight";
    light_->position = Vector3{0.0f, 250.0f, -150.0f};
    light_->SetPointLight(1.0f, 1.0f, 1.0f);

    // Ribbons glow: added colour, no depth writes (they overlap each other), both sides shown.
    ribbons_ = new RenderStateGroup();
    ribbons_->name = "FountainRibbons";
    ribbons_->SetZWriteEnable(0);
    const std::pair<int, uint32_t> glow[] = {
        {6, D3D_TRUE}, {7, BLEND_ONE}, {8, BLEND_ONE}, {11, CULL_NONE}};
    for (const auto& g : glow) {
        ribbons_->overrides[g.first] = true;
        ribbons_->wanted[g.first] = g.second;
    }

    templates_ = MakeTemplates(settings.particlesPerBurst, ribbons_);
    spawner_ = new Spawner(templates_, settings.burstEvery);

    added_.push_back(camera);
    added_.push_back(light_);
    if (settings.land) {
        land_ = MakeLand();
        nozzle_ = MakeNozzle();
        added_.push_back(land_);
        added_.push_back(nozzle_);
    }
    // The ribbons come after the spawner, so each draws the point its particle added this frame.
    added_.push_back(spawner_);
    added_.push_back(ribbons_);
    for (SceneObject* object : added_) scene.AddChild(object);
    scene.SetCamera(camera);
}

FountainScene::~FountainScene() {
    for (SceneObject* object : added_) Detach(scene_, object);
    if (scene_.camera == camera) scene_.camera = nullptr;
    // Bursts first (their particles let go of their ribbons), then the ribbons, then the
    // templates the ribbons were copied from.
    delete spawner_;
    ribbons_->DeleteChildren();
    delete ribbons_;
    templates_->DeleteChildren();
    delete templates_;
    delete nozzle_;
    delete land_;
    delete light_;
    delete camera;
}

size_t FountainScene::LiveParticles() const {
    size_t n = 0;
    for (SceneObject* burst : spawner_->children) {
        for (SceneObject* p : burst->children) {
            n += p->kind == static_cast<int32_t>(ObjectKind::FallingParticle);
        }
    }
    return n;
}

size_t FountainScene::LiveRibbons() const {
    return ribbons_->children.size();
}

size_t FountainScene::LiveEmitters() const {
    return spawner_->children.size();
}

}  // namespace orix
