/// \file
/// OrbitView: the model view's camera as a user moves it: a centre it turns around, a yaw and a
/// pitch, a distance, and the size of the framed box (which sets the near and far planes and
/// the zoom limits). Pure arithmetic; the model view turns it into the engine's camera.
///
/// Engine space: left-handed, y up, the camera looks along its +z. Yaw 0 looks at the model's
/// front from -z; positive pitch looks down from above. Angles in radians.
#pragma once

#include "math/vector3.h"

namespace orix {

struct OrbitView {
    Vector3 centre;
    float yaw = 0.0f;
    float pitch = 0.0f;
    float distance = 1.0f;
    float radius = 1.0f;  ///< half the framed box's diagonal, never below a small positive size

    /// The eye point on its sphere around the centre.
    Vector3 Eye() const;
    /// Turns around the centre; the pitch stays short of straight up or down.
    void Orbit(float yawDelta, float pitchDelta);
    /// Moves the centre across the view by a fraction of the visible height (x right, y up).
    void Pan(float rightFraction, float upFraction, float fieldOfView);
    /// Each step in moves 15 \% closer, each step out (negative) 15 \% farther, within limits
    /// the box size sets.
    void Zoom(float steps);
    /// Near and far distances that hold the box and the ground around it at this distance.
    void Planes(float* nearPlane, float* farPlane) const;
};

/// The view of the box lo..hi from a three-quarter view above, at the distance where the box's
/// bounding sphere fits inside a view of fieldOfView whose height is aspect (height / width)
/// times its width.
OrbitView FrameBox(const Vector3& lo, const Vector3& hi, float fieldOfView, float aspect);

}  // namespace orix
