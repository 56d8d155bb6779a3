// Keyframe lookups remember where the last one landed; the order of the samples must never
// change a value (a loop wraps backwards, a seek jumps anywhere). Positions follow a spline.
#include <gtest/gtest.h>

#include <algorithm>

#include "math/quaternion.h"
#include "platform/keyframe_interpolator.h"

namespace orix {
namespace {

TEST(KeyframeInterpolator, ValuesDoNotDependOnTheOrderOfSampling) {
    KeyframeAnimation played;
    for (int k = 0; k < 5; ++k) {
        float t = 10.0f * float(k);
        played.AddPositionKey(t, Vector3{float(k * k), float(k % 2), 0});
        played.AddRotateKey(t, QuaternionFromRotation(Vector3{0, 1, 0}, 0.4f * float(k)));
    }
    const KeyframeAnimation pristine = played;
    for (float t : {25.0f, 26.0f, 5.0f, 35.0f, 39.5f, 40.0f, 12.0f, 20.0f, 19.9f, -1.0f, 0.5f}) {
        KeyframeAnimation fresh = pristine;
        EXPECT_EQ(played.PositionAt(t), fresh.PositionAt(t)) << t;
        Quaternion a = played.RotationAt(t), b = fresh.RotationAt(t);
        EXPECT_TRUE(a.w == b.w && a.x == b.x && a.y == b.y && a.z == b.z) << t;
    }
}

// The position spline passes through every key, keeps points on a line on it however the keys
// are spaced, and bulges past the chord where the path turns; the straight-line option does not.
TEST(KeyframeInterpolator, SplinePositionsFollowTheKeys) {
    KeyframeAnimation line;
    const float times[] = {10.0f, 11.0f, 13.0f, 16.0f};
    for (float t : times) line.AddPositionKey(t, Vector3{3.0f * t - 5.0f, 2.0f, -t});
    for (float t = 9.0f; t <= 17.0f; t += 0.25f) {
        const float c = std::clamp(t, 10.0f, 16.0f);
        const Vector3 p = line.PositionAt(t);
        EXPECT_NEAR(p.x, 3.0f * c - 5.0f, 1e-4f) << t;
        EXPECT_NEAR(p.y, 2.0f, 1e-5f) << t;
        EXPECT_NEAR(p.z, -c, 1e-4f) << t;
    }

    // Keys come in any order; a second key at a time replaces the first.
    KeyframeAnimation turn;
    turn.AddPositionKey(1.0f, Vector3{5, 0, 0});
    turn.AddPositionKey(0.0f, Vector3{0, 0, 0});
    turn.AddPositionKey(2.0f, Vector3{0, 0, 0});
    turn.AddPositionKey(1.0f, Vector3{1, 0, 0});
    // Hermite at s = 1/2 with the one-sided tangent 1 at the first key and 0 at the second.
    EXPECT_FLOAT_EQ(turn.PositionAt(0.5f).x, 0.625f);
    EXPECT_FLOAT_EQ(turn.PositionAt(1.0f).x, 1.0f);
    turn.SetOptions(turn.GetOptions() | ANIM_LINEARPOSITION);
    EXPECT_FLOAT_EQ(turn.PositionAt(0.5f).x, 0.5f);
}

}  // namespace
}  // namespace orix
