#include "effects/trail_ribbon.h"

#include <cmath>
#include <new>

#include "device/engine.h"
#include "device/globals.h"
#include "scene/camera.h"
#include "scene/scene.h"

namespace orix {

namespace {

uint32_t FadedChannel(float fade, float component) {
    float v = fade * component * 255.0f;
    // Colours above 1 would carry into the next channel of the packed word.
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint32_t>(v);
}

bool Usable(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && !v.IsZero();
}

// Unit vector along v, or false when v has no usable direction.
bool UnitOf(const Vector3& v, Vector3* out) {
    if (!Usable(v)) return false;
    float len = Length(v);
    if (!(len > 1e-12f) || !std::isfinite(len)) return false;
    *out = v / len;
    return true;
}

Vector3 ViewDirectionOf(const Scene* scene) {
    Vector3 d;
    const Camera* camera = scene ? scene->camera : nullptr;
    if (camera) {
        if (UnitOf(camera->viewDirection, &d)) return d;
        if (UnitOf(camera->viewTarget - camera->viewEye, &d)) return d;
    }
    return Vector3{0.0f, 0.0f, 1.0f};
}

// The side used until a segment gives one of its own: the camera's right-hand axis.
Vector3 FallbackSide(const Scene* scene, const Vector3& view) {
    Vector3 up{0.0f, 1.0f, 0.0f};
    if (scene && scene->camera && Usable(scene->camera->viewUp)) up = scene->camera->viewUp;
    Vector3 side;
    if (UnitOf(Cross(up, view), &side)) return side;
    if (UnitOf(Cross(Vector3{0.0f, 0.0f, 1.0f}, view), &side)) return side;
    return Vector3{1.0f, 0.0f, 0.0f};
}

}  // namespace

uint32_t FrameMilliseconds() {
    return theEngine ? theEngine->currentTick : 0;
}

TrailRibbon::TrailRibbon() : scene(theEngine ? theEngine->GetScene() : nullptr) {}

TrailRibbon::TrailRibbon(const TrailRibbon& source)
    : SceneObject(source),
      scene(source.scene),
      lifetime(source.lifetime),
      width(source.width),
      pointTag(source.pointTag),
      material(source.material),
      colour(source.colour),
      attachTarget(source.attachTarget),
      materialHolder_(source.materialHolder_) {}

TrailRibbon::~TrailRibbon() {
    if (ownerLink && *ownerLink == this) *ownerLink = nullptr;
}

SceneObject* TrailRibbon::Clone() {
    return new TrailRibbon(*this);
}

MaterialSet* TrailRibbon::CreateMaterialSet() {
    materialHolder_ = std::make_shared<MaterialSet>();
    material = materialHolder_.get();
    return material;
}

void TrailRibbon::AddPoint(float x, float y, float z) {
    TrailPoint p;
    p.x = x, p.y = y, p.z = z;
    p.time = FrameMilliseconds();
    p.tag = pointTag;
    try {
        points.push_back(p);
    } catch (const std::bad_alloc&) {
        // The trail simply stops growing; what it holds still draws.
    }
}

bool TrailRibbon::ReserveVertices(size_t count) {
    try {
        if (vertices.size() < count) vertices.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

float TrailRibbon::Fade(const TrailPoint& point) const {
    if (lifetime <= 0) return 0.0f;
    // A signed difference stays right across the wrap of the tick.
    int32_t age = static_cast<int32_t>(now - point.time);
    if (age < 0) age = 0;
    float fade = 1.0f - static_cast<float>(age) / static_cast<float>(lifetime);
    return fade < 0.0f ? 0.0f : fade;
}

bool TrailRibbon::BuildPointVertices(size_t index, const Vector3& /*direction*/,
                                     const Vector3& side) {
    if (index == 0 || index >= points.size() || vertices.size() < 2 * points.size()) return false;
    Vector3 offset = side * width;
    float fade = Fade(points[index]);
    uint32_t color = 0xFF000000u | FadedChannel(fade, colour.r) << 16 |
                     FadedChannel(fade, colour.g) << 8 | FadedChannel(fade, colour.b);
    auto place = [&](size_t v, const TrailPoint& p, const Vector3& d, float u, float tv) {
        LVertex& out = vertices[v];
        out = LVertex();
        out.x = p.x + d.x, out.y = p.y + d.y, out.z = p.z + d.z;
        out.color = color;
        out.tu = u, out.tv = tv;
    };
    if (index == 1) {
        place(0, points[0], offset, 0.0f, 0.0f);
        place(1, points[0], -offset, 1.0f, 0.0f);
    }
    float v = static_cast<float>(index % 2);
    place(2 * index, points[index], offset, 0.0f, v);
    place(2 * index + 1, points[index], -offset, 1.0f, v);
    return fade == 0.0f;
}

void TrailRibbon::Update(uint32_t flags) {
    if (!enabled || points.size() < 2) return;
    now = FrameMilliseconds();
    if (!(flags & kUpdateDraw)) return;
    const size_t n = points.size();
    if (!ReserveVertices(2 * n)) {
        // No strip this frame, but a faded ribbon still leaves, or it would stay for good.
        if (Fade(points[n - 1]) == 0.0f) RemoveLater();
        return;
    }
    const Vector3 view = ViewDirectionOf(scene);
    Vector3 side = FallbackSide(scene, view);
    Vector3 direction{0.0f, -1.0f, 0.0f};
    bool faded = false;
    for (size_t i = 1; i < n; ++i) {
        const TrailPoint& a = points[i - 1];
        const TrailPoint& b = points[i];
        // A zero-length segment, or one along the line of sight, has no side of its own: it
        // keeps the previous segment's so the strip stays whole and free of NaN.
        Vector3 d, s;
        if (UnitOf(Vector3{b.x - a.x, b.y - a.y, b.z - a.z}, &d)) {
            direction = d;
            if (UnitOf(Cross(d, view), &s)) side = s;
        }
        faded = BuildPointVertices(i, direction, side);
    }
    if (faded) RemoveLater();

    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (!device) return;
    device->SetTransform(TRANSFORM_WORLD, world);
    if (material) ApplyMaterial(material->main);
    device->DrawPrimitive(PRIM_TRIANGLESTRIP, VT_LVERTEX, vertices.data(),
                          static_cast<uint32_t>(2 * n), 0);
}

}  // namespace orix
