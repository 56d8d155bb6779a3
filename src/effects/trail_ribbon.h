/// \file
/// TrailRibbon: a fading band behind a moving point. Its owner appends the point's position once
/// per frame; each point fades from the ribbon's colour to black over `lifetime` milliseconds, and
/// the ribbon draws itself as one camera-facing triangle strip of lit vertices. Once the newest
/// point has faded completely (the owner stopped feeding it) the ribbon removes itself from its
/// parent. Ribbons are made by copying a template ribbon.
///
/// Depends on SceneObject, Scene and Camera (the view direction), MaterialSet, and the engine (its
/// device and its frame tick). Times are the engine's frame tick (`currentTick`), so every point
/// appended and every fade computed in one frame sees the same time, and a fixed-step clock gives
/// the same picture every run. Points are never dropped: the arrays grow for the ribbon's life,
/// and the vertex buffer is kept between frames, so a warmed-up ribbon allocates only when it
/// grows past its capacity. A vertex buffer that cannot be had skips the frame's draw.
/// Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "math/vertex.h"
#include "scene/material_set.h"
#include "scene/scene_object.h"

namespace orix {

class Scene;

struct TrailPoint {
    uint8_t alive = 1;
    uint8_t second = 0;
    float x = 0, y = 0, z = 0;
    uint32_t time = 0;  ///< frame tick when appended
    uint32_t tag = 0;
};

static_assert(sizeof(TrailPoint) == 24, "a trail point is 24 bytes");

struct TrailColor {
    float r = 1.0f, g = 1.0f, b = 1.0f;
};

class TrailRibbon : public SceneObject {
public:
    /// A template: the engine's scene, lifetime 1000 ms, width 1, white, no material.
    TrailRibbon();
    /// Base copy of the template with no points; scene, lifetime, width, tag, material, colour
    /// and attach target are the template's. The copy never owns the material.
    TrailRibbon(const TrailRibbon& source);
    /// Clears the owner's link to it (see ownerLink).
    ~TrailRibbon() override;

    /// A new ribbon copied from this one.
    SceneObject* Clone() override;
    /// Draw: builds the strip, draws it in one call and, when the newest point has faded, queues
    /// its own removal. Nothing while disabled or with fewer than 2 points.
    void Update(uint32_t flags) override;

    /// Half the band's width: the strip spans +/- width along the side vector.
    void SetWidth(float halfWidth) { width = halfWidth; }
    /// Appends (x, y, z) with the frame tick and the tag; dropped when memory runs out.
    void AddPoint(float x, float y, float z);
    /// Fills the two vertices of point index (and of point 0 when index is 1) from the side
    /// vector; true when that point has faded out. False and nothing written for an index
    /// outside 1 .. points - 1 or a vertex buffer not yet sized for the points.
    bool BuildPointVertices(size_t index, const Vector3& direction, const Vector3& side);
    /// 1 - age / lifetime at `now`, never below 0; 0 for a lifetime of 0 or less.
    float Fade(const TrailPoint& point) const;
    /// A new material set this ribbon and its copies draw with; released with the last of them.
    MaterialSet* CreateMaterialSet();

    /// --- fields -------------------------------------------------------------------------------
    Scene* scene = nullptr;
    int32_t lifetime = 1000;
    float width = 1.0f;
    std::vector<TrailPoint> points;
    uint32_t pointTag = 0;
    std::vector<LVertex> vertices;  ///< working buffer, sized 2 x points while drawing
    MaterialSet* material = nullptr;
    uint32_t now = 0;
    TrailColor colour;
    SceneObject* attachTarget = nullptr;
    /// The owner's pointer to this ribbon, cleared when the ribbon is destroyed, so an owner that
    /// outlives its ribbon never feeds a deleted one.
    TrailRibbon** ownerLink = nullptr;

protected:
    /// Makes room for count vertices in `vertices`; false when the memory cannot be had.
    virtual bool ReserveVertices(size_t count);

private:
    std::shared_ptr<MaterialSet> materialHolder_;
};

/// The engine's frame tick (0 without an engine).
uint32_t FrameMilliseconds();

}  // namespace orix
