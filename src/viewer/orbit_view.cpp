#include "viewer/orbit_view.h"

#include <algorithm>
#include <cmath>

namespace orix {

namespace {

constexpr float kMinRadius = 1e-4f;
constexpr float kPitchLimit = 1.55f;  // just short of straight up or down, where yaw is lost
// A three-quarter view from the front left and a little above.
constexpr float kFramingYaw = -0.6f;
constexpr float kFramingPitch = 0.45f;
// Room around the sphere so the model does not touch the picture's edges.
constexpr float kFramingMargin = 1.1f;

}  // namespace

Vector3 OrbitView::Eye() const {
    float c = std::cos(pitch);
    Vector3 offset{c * std::sin(yaw), std::sin(pitch), -c * std::cos(yaw)};
    return centre + offset * distance;
}

void OrbitView::Orbit(float yawDelta, float pitchDelta) {
    yaw = std::remainder(yaw + yawDelta, 6.2831853f);
    pitch = std::clamp(pitch + pitchDelta, -kPitchLimit, kPitchLimit);
}

void OrbitView::Pan(float rightFraction, float upFraction, float fieldOfView) {
    Vector3 forward = Normalize(centre - Eye());
    Vector3 right = Normalize(Cross(Vector3{0.0f, 1.0f, 0.0f}, forward));
    Vector3 up = Cross(forward, right);
    float width = 2.0f * distance * std::tan(fieldOfView * 0.5f);
    centre += right * (-rightFraction * width) + up * (-upFraction * width);
}

void OrbitView::Zoom(float steps) {
    distance *= std::pow(0.85f, steps);
    distance = std::clamp(distance, radius * 0.02f, radius * 200.0f);
}

void OrbitView::Planes(float* nearPlane, float* farPlane) const {
    *nearPlane = std::max(distance - 3.0f * radius, distance * 0.02f);
    *farPlane = distance + 4.0f * radius;
}

OrbitView FrameBox(const Vector3& lo, const Vector3& hi, float fieldOfView, float aspect) {
    OrbitView v;
    v.centre = (lo + hi) * 0.5f;
    v.radius = std::max(Length(hi - lo) * 0.5f, kMinRadius);
    // The narrower side of the view decides: the clip rectangle is 2 wide and 2 * aspect high.
    float halfTan = std::tan(fieldOfView * 0.5f) * std::min(1.0f, aspect);
    float halfAngle = std::atan(halfTan);
    v.distance = v.radius / std::sin(halfAngle) * kFramingMargin;
    v.yaw = kFramingYaw;
    v.pitch = kFramingPitch;
    return v;
}

}  // namespace orix
