#include "viewer/model_view.h"

#include <algorithm>
#include <cmath>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/d3d_constants.h"
#include "scene/camera.h"
#include "scene/frame_player.h"
#include "scene/helper.h"
#include "scene/light.h"
#include "scene/material_set.h"
#include "scene/mesh.h"
#include "scene/node_walk.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"
#include "viewer/missing_normals.h"
#include "viewer/view_drawables.h"

namespace orix {

namespace {

constexpr float kFieldOfView = 0.7854f;
constexpr float kBackground[3] = {0.10f, 0.11f, 0.13f};
// Faces turned away from the light at the camera still show their shape.
constexpr uint32_t kAmbient = 0xFF404040;
constexpr uint32_t kLabelColor = 0x0000E0FF;  // COLORREF: yellow

bool Finite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void Grow(const Vector3& p, bool* any, Vector3* lo, Vector3* hi) {
    if (!Finite(p)) return;
    if (!*any) {
        *lo = *hi = p;
        *any = true;
        return;
    }
    for (int a = 0; a < 3; ++a) {
        (*lo)[a] = std::min((*lo)[a], p[a]);
        (*hi)[a] = std::max((*hi)[a], p[a]);
    }
}

void SetBackground(Engine& engine) {
    if (!engine.device || !engine.backgroundMaterial) return;
    MaterialRecord record = DefaultMaterialRecord();
    for (ColorValue* c : {&record.diffuse, &record.ambient, &record.emissive}) {
        c->r = kBackground[0];
        c->g = kBackground[1];
        c->b = kBackground[2];
    }
    record.rampSize = 1;
    engine.device->SetMaterial(engine.backgroundMaterial, record);
}

}  // namespace

bool ModelBounds(const SceneObject& root, Vector3* lo, Vector3* hi) {
    bool any = false;
    ForEachNode(root, [&](const SceneObject& node) {
        const Mesh* mesh = dynamic_cast<const Mesh*>(&node);
        if (!mesh || !mesh->enabled) return;
        for (uint32_t i = 0; i < mesh->vertexCount; ++i)
            Grow(TransformPoint(mesh->VertexPosition(i), mesh->world), &any, lo, hi);
    });
    if (any) return true;
    ForEachNode(root,
                [&](const SceneObject& node) { Grow(node.world.GetTranslation(), &any, lo, hi); });
    return any;
}

ModelView::ModelView(Engine& engine) : engine_(engine) {
    scene_ = new Scene(&engine);
    currentScene = scene_;
    camera_ = new Camera(Vector3{0.0f, 0.0f, -10.0f}, Vector3{}, Vector3{0.0f, 1.0f, 0.0f});
    camera_->motionMode = MotionMode::Fixed;
    scene_->AddChild(camera_);
    scene_->SetCamera(camera_);
    light_ = new Light();
    light_->SetPointLight(1.0f, 1.0f, 1.0f);
    light_->name = "View light";
    // A light's first update only attaches it; after this one every frame is lit.
    light_->Update(kUpdateAnimate);
    scene_->AddChild(light_);
    grid_ = std::make_unique<GroundGrid>();
    markers_ = std::make_unique<AxisMarkers>();
    scene_->AddChild(grid_.get());
    scene_->AddChild(markers_.get());
    SetBackground(engine);
}

ModelView::~ModelView() {
    Show(nullptr, ModelFrames());
    scene_->children.clear();
    delete scene_;
    delete light_;
    delete camera_;
}

void ModelView::Show(SceneObject* model, const ModelFrames& frames) {
    // The old model's clocks go back to it while it is still here.
    player_.reset();
    if (!textures_) {
        // The old model's materials get their pictures back before it goes.
        SetTextures(true);
        textures_ = false;
    }
    markers_->Mark({}, 1.0f);
    if (model_) {
        auto& c = scene_->children;
        c.erase(std::remove(c.begin(), c.end(), model_), c.end());
        model_->parent = nullptr;
    }
    model_ = model;
    frames_ = frames;
    if (frames_.last < frames_.first) frames_.last = frames_.first;
    if (!(frames_.framesPerSecond > 0.0) || !std::isfinite(frames_.framesPerSecond))
        frames_.framesPerSecond = 30.0;
    frame_ = frames_.first;
    playing = true;
    if (model_) {
        player_ = std::make_unique<FramePlayer>(*model_);
        FillMissingNormals(*model_);
        // After the light, before the grid and the markers.
        auto& c = scene_->children;
        auto at = std::find(c.begin(), c.end(), grid_.get());
        c.insert(at, model_);
        model_->parent = scene_;
        if (!textures_) {
            textures_ = true;
            SetTextures(false);
        }
    }
    Reframe();
}

bool ModelView::HasGeometry() const {
    bool any = false;
    if (model_) {
        ForEachNode(*static_cast<const SceneObject*>(model_), [&any](const SceneObject& node) {
            const Mesh* mesh = dynamic_cast<const Mesh*>(&node);
            if (mesh && mesh->enabled && mesh->vertexCount > 0) any = true;
        });
    }
    return any;
}

void ModelView::Pose() {
    // Played as `orix pose` plays it; the player holds the clocks, so the render pass's update
    // keeps this pose.
    if (player_) player_->PlayTo(frame_ - frames_.first);
}

float ModelView::Aspect() const {
    return engine_.width > 0
               ? static_cast<float>(engine_.height) / static_cast<float>(engine_.width)
               : 0.75f;
}

void ModelView::Reframe() {
    Vector3 lo{-1.0f, -1.0f, -1.0f}, hi{1.0f, 1.0f, 1.0f};
    if (model_) {
        Pose();
        // Places every node (and deforms the skin) without drawing.
        model_->Update(kUpdateAnimate | kUpdateChildren);
        ModelBounds(*model_, &lo, &hi);
    }
    orbit = FrameBox(lo, hi, kFieldOfView, Aspect());
    grid_->Place(orbit.centre, lo.y, orbit.radius);
    MarkNodes();
}

void ModelView::MarkNodes() {
    std::vector<const SceneObject*> nodes;
    auto add = [&nodes](const SceneObject* n) {
        if (n && std::find(nodes.begin(), nodes.end(), n) == nodes.end()) nodes.push_back(n);
    };
    if (model_) {
        ForEachNode(*model_, [&](const SceneObject& node) {
            if (dynamic_cast<const Helper*>(&node)) add(&node);
            add(node.boneParent);
        });
        if (auto* character = dynamic_cast<SkinnedCharacter*>(model_)) {
            for (const SkinBinding& b : character->skinBindings) add(b.bone);
        }
    }
    markers_->Mark(std::move(nodes), orbit.radius * 0.08f);
}

void ModelView::Advance(double seconds) {
    if (!playing || !(seconds > 0.0)) return;
    double span = static_cast<double>(frames_.last) - frames_.first;
    if (span <= 0.0) return;
    double f = frame_ + seconds * frames_.framesPerSecond - frames_.first;
    // One frame's length past the last frame is where the loop starts again.
    frame_ = frames_.first + std::fmod(f, span + 1.0);
    if (frame_ > frames_.last) frame_ = frames_.first;
}

void ModelView::SetFrame(double frame) {
    if (!std::isfinite(frame)) return;
    frame_ =
        std::clamp(frame, static_cast<double>(frames_.first), static_cast<double>(frames_.last));
}

void ModelView::Step(int frames) {
    playing = false;
    int64_t span = int64_t{frames_.last} - frames_.first + 1;
    int64_t f = static_cast<int64_t>(std::floor(frame_)) - frames_.first + frames;
    f %= span;
    if (f < 0) f += span;
    frame_ = static_cast<double>(frames_.first + f);
}

std::vector<MaterialSet*> ModelView::Materials() const {
    std::vector<MaterialSet*> sets;
    if (!model_) return sets;
    ForEachNode(*model_, [&sets](const SceneObject& node) {
        const Mesh* mesh = dynamic_cast<const Mesh*>(&node);
        if (mesh && mesh->materials &&
            std::find(sets.begin(), sets.end(), mesh->materials) == sets.end())
            sets.push_back(mesh->materials);
    });
    return sets;
}

void ModelView::SetTextures(bool on) {
    if (on == textures_) return;
    textures_ = on;
    if (!on) {
        savedTextures_.clear();
        for (MaterialSet* set : Materials()) {
            std::vector<TextureHandle> handles{set->main.record.texture};
            set->main.record.texture = {};
            for (Material& sub : set->subMaterials) {
                handles.push_back(sub.record.texture);
                sub.record.texture = {};
            }
            savedTextures_.emplace_back(set, std::move(handles));
        }
    } else {
        for (auto& [set, handles] : savedTextures_) {
            set->main.record.texture = handles[0];
            for (size_t i = 0; i < set->subMaterials.size() && i + 1 < handles.size(); ++i)
                set->subMaterials[i].record.texture = handles[i + 1];
        }
        savedTextures_.clear();
    }
    engine_.currentMaterial = nullptr;
}

void ModelView::Draw() {
    Pose();
    float nearPlane = 1.0f, farPlane = 100.0f;
    orbit.Planes(&nearPlane, &farPlane);
    scene_->SetProjection(nearPlane, farPlane, kFieldOfView);
    camera_->SetNear(nearPlane);
    camera_->SetFar(farPlane);
    const Vector3 eye = orbit.Eye();
    camera_->SetView(eye, orbit.centre, Vector3{0.0f, 1.0f, 0.0f});
    // The light sits a little above the eye, so faces are lit from the view with some shape.
    light_->position = eye + Vector3{0.0f, orbit.distance * 0.25f, 0.0f};
    grid_->enabled = grid;
    markers_->enabled = markers;
    if (GraphicsDevice* device = engine_.device) {
        device->SetRenderState(RS_FILLMODE, wireframe ? FILL_WIREFRAME : FILL_SOLID);
        device->SetLightState(LIGHTSTATE_AMBIENT, kAmbient);
    }
    engine_.Render();
    if (GraphicsDevice* device = engine_.device) device->SetRenderState(RS_FILLMODE, FILL_SOLID);
    if (markers) DrawLabels();
}

void ModelView::DrawLabels() {
    GraphicsDevice* device = engine_.device;
    if (!device || engine_.width <= 0) return;
    const float c = std::cos(kFieldOfView * 0.5f), s = std::sin(kFieldOfView * 0.5f);
    const float half = static_cast<float>(engine_.width) * 0.5f;
    for (const SceneObject* node : markers_->nodes) {
        if (node->name.empty()) continue;
        Vector3 p = TransformPoint(node->world.GetTranslation(), scene_->view);
        if (!(p.z > scene_->nearPlane)) continue;
        // The clip rectangle is 2 wide: one unit of it is half the width in pixels.
        float x = half + half * c * p.x / (s * p.z);
        float y = static_cast<float>(engine_.height) * 0.5f - half * c * p.y / (s * p.z);
        if (x < 0.0f || y < 0.0f || x >= static_cast<float>(engine_.width) ||
            y >= static_cast<float>(engine_.height))
            continue;
        device->DrawText(static_cast<int32_t>(x) + 4, static_cast<int32_t>(y), kLabelColor,
                         node->name);
    }
}

}  // namespace orix
