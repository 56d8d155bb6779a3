#include "viewer/view_drawables.h"

#include <cmath>

#include "device/engine.h"
#include "device/globals.h"
#include "platform/d3d_constants.h"

namespace orix {

namespace {

constexpr uint32_t kGridColor = 0xFF4A4F57;
constexpr uint32_t kGridAxisColor = 0xFF7A808A;
constexpr float kGridLinesEachSide = 12.0f;

LVertex Point(const Vector3& p, uint32_t color) {
    LVertex v;
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    v.color = color;
    return v;
}

// Lines in world space with no texture; the next material loads itself again.
void DrawLines(const std::vector<LVertex>& lines, bool overModel) {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (!device || lines.size() < 2) return;
    uint32_t zEnable = 1;
    device->GetRenderState(RS_ZENABLE, &zEnable);
    device->SetTransform(TRANSFORM_WORLD, Matrix::Identity());
    device->SetRenderState(RS_TEXTUREHANDLE, 0);
    if (overModel) device->SetRenderState(RS_ZENABLE, 0);
    device->DrawPrimitive(PRIM_LINELIST, VT_LVERTEX, lines.data(),
                          static_cast<uint32_t>(lines.size() & ~size_t{1}), 0);
    if (overModel) device->SetRenderState(RS_ZENABLE, zEnable);
    theEngine->currentMaterial = nullptr;
}

}  // namespace

void GroundGrid::Place(const Vector3& centre, float height, float radius) {
    lines.clear();
    if (!(radius > 0.0f) || !std::isfinite(radius) || !std::isfinite(height)) return;
    // The finest of 1, 2 and 5 times a power of ten that keeps to a dozen lines each side.
    const float decade = std::pow(10.0f, std::floor(std::log10(radius)) - 1.0f);
    spacing = 0.0f;
    for (float step : {1.0f, 2.0f, 5.0f, 10.0f, 20.0f}) {
        spacing = decade * step;
        if (2.0f * radius / spacing <= kGridLinesEachSide) break;
    }
    if (!(spacing > 0.0f) || !std::isfinite(spacing)) return;
    int half = static_cast<int>(std::ceil(2.0f * radius / spacing));
    // Lines at whole multiples of the spacing, so the origin's lines are among them when near.
    float cx = std::round(centre.x / spacing) * spacing;
    float cz = std::round(centre.z / spacing) * spacing;
    float reach = static_cast<float>(half) * spacing;
    for (int i = -half; i <= half; ++i) {
        float x = cx + static_cast<float>(i) * spacing;
        float z = cz + static_cast<float>(i) * spacing;
        uint32_t xColor = std::fabs(x) < spacing * 0.5f ? kGridAxisColor : kGridColor;
        uint32_t zColor = std::fabs(z) < spacing * 0.5f ? kGridAxisColor : kGridColor;
        lines.push_back(Point({x, height, cz - reach}, xColor));
        lines.push_back(Point({x, height, cz + reach}, xColor));
        lines.push_back(Point({cx - reach, height, z}, zColor));
        lines.push_back(Point({cx + reach, height, z}, zColor));
    }
}

void GroundGrid::Update(uint32_t flags) {
    if (enabled && (flags & kUpdateDraw)) DrawLines(lines, false);
}

void AxisMarkers::Mark(std::vector<const SceneObject*> marked, float markerSize) {
    nodes = std::move(marked);
    size = markerSize;
}

void AxisMarkers::Update(uint32_t flags) {
    if (!enabled || !(flags & kUpdateDraw)) return;
    static constexpr uint32_t kAxisColors[3] = {0xFFFF4040, 0xFF40FF40, 0xFF4080FF};
    lines_.clear();
    for (const SceneObject* node : nodes) {
        Vector3 origin = node->world.GetTranslation();
        for (int axis = 0; axis < 3; ++axis) {
            Vector3 direction = Normalize(node->world.Row(axis));
            lines_.push_back(Point(origin, kAxisColors[axis]));
            lines_.push_back(Point(origin + direction * size, kAxisColors[axis]));
        }
    }
    DrawLines(lines_, true);
}

}  // namespace orix
