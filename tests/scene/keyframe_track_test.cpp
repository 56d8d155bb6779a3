#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "device/globals.h"
#include "math/quaternion.h"
#include "scene/scene_object.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

constexpr float kPi = 3.1415927f;

struct KeyframeTrackTest : ::testing::Test {
    EngineFixture fx;
};

// Records the play-mode changes that reach the virtual slot.
struct ModeWatcher : SceneObject {
    int stops = 0;
    void SetPlayMode(int32_t mode) override {
        if (mode == static_cast<int32_t>(PlayMode::Stopped)) ++stops;
        SceneObject::SetPlayMode(mode);
    }
};

TEST_F(KeyframeTrackTest, LoopingWrapsToTheFirstFrameAndAdvancesInTheSameUpdate) {
    SceneObject o;
    o.AddPositionKey(0, 0, 0, 0, false);
    o.SetFrameRange(0, 100);
    EXPECT_EQ(o.keyCount, 100);
    o.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    frameStep = 0.99f;
    float previous = o.time;
    bool wrapped = false;
    for (int i = 0; i < 200 && !wrapped; ++i) {
        o.Update(kUpdateScene);
        if (o.time < previous) {
            wrapped = true;
            EXPECT_GT(previous, 100.0f);  // passed the end by up to one step first
            EXPECT_NEAR(o.time, 0.99f, 1e-5);
        }
        previous = o.time;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(o.playMode, 0);
}

// A first rotation key after time zero gets an identity key before it; relative keys
// accumulate; scale keys and the node scale are divided out.
TEST_F(KeyframeTrackTest, RotationAndScaleKeysAreNormalisedAsTheyAreAdded) {
    SceneObject late, still;
    late.AddRotationKey(10, 0, 1, 0, 1.0f, false);
    EXPECT_EQ(late.motionMode, MotionMode::Keyframed);
    ASSERT_EQ(late.animation->RotationKeyCount(), 2u);
    EXPECT_EQ(late.animation->RotationKeys()[0].time, 0.0f);
    EXPECT_EQ(late.animation->RotationKeys()[0].value.w, 1.0f);
    still.AddRotationKey(5, 0, 0, 0, 0, true);
    EXPECT_FALSE(still.hasRotationKeys);

    SceneObject o;
    o.AddRelativeRotationKey(0, 1, 0, 0, 0.5f, true, false);  // at zero: no identity key first
    for (int i = 1; i <= 3; ++i) o.AddRelativeRotationKey(10 * i, 0, 1, 0, kPi / 2, false, false);
    const auto& keys = o.animation->RotationKeys();
    ASSERT_EQ(keys.size(), 4u);
    for (size_t i = 1; i < keys.size(); ++i) {
        Matrix expected = QuaternionToMatrix(QuaternionFromRotation({1, 0, 0}, 0.5f)) *
                          QuaternionToMatrix(QuaternionFromRotation({0, 1, 0}, i * kPi / 2));
        EXPECT_LT(MaxDifference(QuaternionToMatrix(keys[i].value), expected), 1e-5f) << i;
    }

    SceneObject scaled;
    scaled.nodeScale = {2, 4, 0.5f};
    scaled.AddScaleKey(0, 2, 4, 0.5f);
    EXPECT_TRUE(scaled.hasRotationKeys);
    EXPECT_EQ(scaled.animation->ScaleAt(0), Vector3(1, 1, 1));
    scaled.nodeTransform = Matrix::Scaling({2, 4, 0.5f}) * Matrix::Translation({3, 3, 3});
    scaled.RemoveNodeScale();
    EXPECT_EQ(scaled.nodeTransform, Matrix::Translation({3, 3, 3}));
}

TEST_F(KeyframeTrackTest, RangesAtTheEndsOfInt32BakeOrFallBackToLiveSampling) {
    SceneObject top;
    top.AddPositionKey(0, 0, 0, 0, false);
    top.AddPositionKey(10, 10, 0, 0, false);
    top.SetFrameRange(INT32_MAX - 2, INT32_MAX);
    EXPECT_EQ(top.keyCount, 2);
    top.BakePoses();
    ASSERT_TRUE(top.bakedPoses);
    EXPECT_EQ(top.bakedPoses->size(), 3u);

    SceneObject whole;
    whole.AddPositionKey(0, 0, 0, 0, false);
    whole.AddPositionKey(10, 10, 0, 0, false);
    whole.animationOptions = ANIM_LINEARPOSITION;
    whole.SetFrameRange(INT32_MIN, INT32_MAX);
    EXPECT_EQ(whole.keyCount, INT32_MAX);
    whole.BakePoses();
    EXPECT_FALSE(whole.bakedPoses);
    EXPECT_FALSE(whole.ownsBakedPoses);
    whole.time = 5;
    Matrix pose;
    whole.ComputeAnimatedLocal(&pose);
    EXPECT_NEAR(pose.m[3][0], 5.0f, 1e-4);
}

}  // namespace
}  // namespace orix
