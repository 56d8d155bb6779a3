#include <gtest/gtest.h>

#include <cmath>

#include "math/quaternion.h"
#include "platform/keyframe_interpolator.h"

namespace orix {
namespace {

constexpr float kPi = 3.14159265f;

void ExpectNear(const Vector3& a, const Vector3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

TEST(KeyframeAnimation, PositionsPassThroughKeysAndHoldOutsideTheRange) {
    KeyframeAnimation anim;
    anim.AddPositionKey(10, {0, 0, 0});
    anim.AddPositionKey(0, {-5, 1, 0});  // out of order: kept sorted
    anim.AddPositionKey(20, {10, 0, 4});
    for (uint32_t mode : {uint32_t{ANIM_SPLINEPOSITION}, uint32_t{ANIM_LINEARPOSITION}}) {
        anim.SetOptions(mode | ANIM_POSITION);
        ExpectNear(anim.PositionAt(0), {-5, 1, 0});
        ExpectNear(anim.PositionAt(10), {0, 0, 0});
        ExpectNear(anim.PositionAt(20), {10, 0, 4});
        ExpectNear(anim.PositionAt(-100), {-5, 1, 0});
        ExpectNear(anim.PositionAt(500), {10, 0, 4});
    }
    anim.SetOptions(ANIM_LINEARPOSITION);
    ExpectNear(anim.PositionAt(15), {5, 0, 2});
    // The spline is smooth at an inner key: it bends away from the straight line.
    anim.SetOptions(ANIM_SPLINEPOSITION);
    Vector3 s = anim.PositionAt(15);
    EXPECT_GT(std::fabs(s.y - 0.0f) + std::fabs(s.x - 5.0f), 1e-3f);
    // A key at an existing time replaces it.
    anim.AddPositionKey(20, {10, 0, 6});
    EXPECT_EQ(anim.PositionKeyCount(), 3u);
    ExpectNear(anim.PositionAt(20), {10, 0, 6});

    // On collinear, evenly spaced keys the spline is the straight line.
    KeyframeAnimation line;
    for (int i = 0; i < 5; ++i) line.AddPositionKey(i * 10.0f, {i * 3.0f, 0, 0});
    line.SetOptions(ANIM_SPLINEPOSITION);
    ExpectNear(line.PositionAt(25), {7.5f, 0, 0});
}

TEST(KeyframeAnimation, RotationsSlerpAndScalesLerp) {
    KeyframeAnimation anim;
    anim.AddRotateKey(0, Quaternion{});
    anim.AddRotateKey(10, QuaternionFromRotation({0, 1, 0}, kPi / 2));
    Matrix half = QuaternionToMatrix(anim.RotationAt(5));
    EXPECT_LT(MaxDifference(half, Matrix::RotationY(-kPi / 4)), 1e-5f);
    EXPECT_LT(MaxDifference(QuaternionToMatrix(anim.RotationAt(99)), Matrix::RotationY(-kPi / 2)),
              1e-5f);
    anim.AddScaleKey(0, {1, 1, 1});
    anim.AddScaleKey(10, {3, 1, 2});
    ExpectNear(anim.ScaleAt(5), {2, 1, 1.5f});
    ExpectNear(anim.ScaleAt(-1), {1, 1, 1});
}

}  // namespace
}  // namespace orix
