/// \file
/// PavoObject: a node of the 2D overlay tree drawn over the 3D scene each frame, with a 2D
/// affine transform (rotation by angle, then translation to x, y) and children drawn in the
/// order added. Positions are given in a 640 x 480 reference screen and stored in screen pixels,
/// scaled by the engine's scaleX and scaleY.
///
/// Depends on the engine (its scales and the frameStep global) and Matrix3. Holds its children
/// without owning them; a node that is destroyed leaves its parent's list and frees its
/// children from it. Single-threaded.
#pragma once

#include <cstdint>
#include <vector>

#include "device/frame_node.h"
#include "math/matrix3.h"

namespace orix {

class PavoObject : public FrameNode {
public:
    PavoObject() = default;
    PavoObject(const PavoObject&) = delete;
    PavoObject& operator=(const PavoObject&) = delete;
    ~PavoObject() override;

    /// Flags 1: move and rebuild the transforms; 4: update the children with the same flags.
    void Update(uint32_t flags) override;

    /// Appends child (not owned) and makes this its parent; a child of another node moves here.
    void Add(PavoObject* child);
    /// Update(flags) on every child, in the order added.
    void UpdateChildren(uint32_t flags);
    /// angle += delta, times frameStep when perFrameStep.
    void Rotate(float delta, bool perFrameStep);
    /// x += dx x scaleX (times frameStep when perFrameStep); MoveY likewise with scaleY.
    void MoveX(float dx, bool perFrameStep);
    void MoveY(float dy, bool perFrameStep);
    /// Reference coordinates in, screen pixels stored.
    void SetPosition(float newX, float newY);
    /// The position in reference coordinates.
    float GetX() const;
    float GetY() const;

    bool visible = true;
    PavoObject* parent = nullptr;
    std::vector<PavoObject*> children;
    float x = 0.0f, y = 0.0f;                  ///< screen pixels
    float angle = 0.0f;                        ///< radians
    float angularVelocity = 0.0f;              ///< radians per thirtieth of a second
    float velocityX = 0.0f, velocityY = 0.0f;  ///< reference pixels per thirtieth of a second
    Matrix3 local;
    Matrix3 world;

protected:
    /// Flag 1's work: velocities applied, local and world rebuilt.
    void UpdateTransform();
};

/// The engine's scaleX and scaleY; 1 where there is no engine or it has no display size yet.
float OverlayScaleX();
float OverlayScaleY();

}  // namespace orix
