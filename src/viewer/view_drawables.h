/// \file
/// What the model view draws besides the model: a ground grid under it and small axis markers
/// on its bones and helpers. Both are scene objects drawn with pre-lit lines, so the light and
/// the model's materials do not touch them; each leaves the texture unbound and tells the
/// engine to load the next material afresh.
///
/// Depends on SceneObject and the engine's device. The markers hold the nodes they mark by
/// pointer: the model view empties them before the model goes.
#pragma once

#include <vector>

#include "math/vertex.h"
#include "scene/scene_object.h"

namespace orix {

/// Lines on the plane y = height around centre: a round spacing (a power of ten) chosen from
/// radius, reaching about two radii out.
class GroundGrid : public SceneObject {
public:
    void Place(const Vector3& centre, float height, float radius);
    /// Draws the lines when asked to draw and enabled.
    void Update(uint32_t flags) override;

    float spacing = 1.0f;
    std::vector<LVertex> lines;  ///< pairs
};

/// Three short lines from each marked node's origin along its x (red), y (green) and z (blue)
/// axes, drawn over the model (no depth test).
class AxisMarkers : public SceneObject {
public:
    void Mark(std::vector<const SceneObject*> nodes, float size);
    void Update(uint32_t flags) override;

    std::vector<const SceneObject*> nodes;
    float size = 1.0f;

private:
    std::vector<LVertex> lines_;
};

}  // namespace orix
