// Keyframe lookups remember where the last one landed; the order of the samples must never
// change a value (a loop wraps backwards, a seek jumps anywhere).
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orix
