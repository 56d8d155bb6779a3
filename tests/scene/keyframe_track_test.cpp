#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "device/globals.h"
#include "math/quaternion.h"
#include "scene/frame_player.h"
#include "scene/frame_seek.h"
#include "scene/scene_object.h"
#include "scene/static_keys.h"
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

TEST_F(KeyframeTrackTest, NonLoopingStopsAtFirstOrLastFrameThroughTheVirtualSlot) {
    for (bool rewind : {true, false}) {
        ModeWatcher o;
        o.AddPositionKey(0, 0, 0, 0, false);
        o.SetFrameRange(10, 20);
        o.loop = false;
        o.rewindOnStop = rewind;
        o.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
        frameStep = 3.0f;
        for (int i = 0; i < 10; ++i) o.Update(kUpdateScene);
        EXPECT_EQ(o.playMode, static_cast<int32_t>(PlayMode::Stopped));
        EXPECT_EQ(o.stops, 1);
        EXPECT_EQ(o.time, rewind ? 10.0f : 20.0f);
    }
}

TEST_F(KeyframeTrackTest, MatrixKeysGrowWithoutMovingAndLookupsStayInside) {
    SceneObject o;
    Matrix* first = o.AddMatrixKey();
    *first = Matrix::Translation({1, 0, 0});
    for (int i = 1; i < 10; ++i) *o.AddMatrixKey() = Matrix::Translation({float(i + 1), 0, 0});
    EXPECT_EQ(&(*o.matrixKeys)[0], first);  // the tenth key reused the first block
    *o.AddMatrixKey() = Matrix::Translation({11, 0, 0});
    EXPECT_EQ(o.keyCount, 11);
    EXPECT_EQ(o.lastFrame, 10);

    SceneObject parentObj;
    parentObj.position = {0, 5, 0};
    parentObj.AddChild(&o);
    o.time = 3.7f;
    parentObj.Update(kUpdateScene);
    EXPECT_EQ(o.world.GetTranslation(), Vector3(4, 5, 0));
    EXPECT_EQ(o.position, Vector3(4, 5, 0));
    // A frame range wider than the keys never reads past them.
    o.SetFrameRange(0, 500);
    o.time = 400;
    parentObj.Update(kUpdateScene);
    EXPECT_EQ(o.world.GetTranslation(), Vector3(11, 5, 0));
    o.time = -3;
    parentObj.Update(kUpdateScene);
    EXPECT_EQ(o.world.GetTranslation(), Vector3(1, 5, 0));
    parentObj.children.clear();
}

// A first rotation key after time zero gets an identity key before it; relative keys
// accumulate; scale keys and the node scale are divided out.
TEST_F(KeyframeTrackTest, RotationAndScaleKeysAreNormalisedAsTheyAreAdded) {
    SceneObject late, still;
    late.AddRotationKey(10, 0, 1, 0, 1.0f, false);
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

// Position keys from 0 at frame 0 to `end` at frame `end`, interpolated linearly.
void Ramp(SceneObject& o, float end) {
    o.AddPositionKey(0, 0, 0, 0, false);
    o.AddPositionKey(end, end, 0, 0, false);
    o.animationOptions = ANIM_LINEARPOSITION;
}

float XAt(SceneObject& o, float time) {
    Matrix pose;
    o.time = time;
    o.ComputeAnimatedLocal(&pose);
    return pose.m[3][0];
}

TEST_F(KeyframeTrackTest, BakedLookupTruncatesAndClampsAndHugeRangesSampleLive) {
    SceneObject o;
    Ramp(o, 100);
    o.AddRotationKey(0, 0, 0, 0, 0, true);
    o.SetFrameRange(20, 80);
    o.BakePoses();
    ASSERT_EQ(o.bakedPoses->size(), 61u);
    EXPECT_NEAR(XAt(o, 57.9f), 57.0f, 1e-4);
    EXPECT_NEAR(XAt(o, 5), 20.0f, 1e-4);
    EXPECT_NEAR(XAt(o, 1000), 80.0f, 1e-4);

    // At the ends of int32: three poses at the top; the whole range samples live instead.
    SceneObject top, whole;
    Ramp(top, 10);
    top.SetFrameRange(INT32_MAX - 2, INT32_MAX);
    EXPECT_EQ(top.keyCount, 2);
    top.BakePoses();
    ASSERT_TRUE(top.bakedPoses);
    EXPECT_EQ(top.bakedPoses->size(), 3u);
    Ramp(whole, 10);
    whole.SetFrameRange(INT32_MIN, INT32_MAX);
    EXPECT_EQ(whole.keyCount, INT32_MAX);
    whole.BakePoses();
    EXPECT_FALSE(whole.bakedPoses);
    EXPECT_NEAR(XAt(whole, 5), 5.0f, 1e-4);
}

TEST_F(KeyframeTrackTest, StoppedObjectComputesItsPoseOnceUntilRewound) {
    SceneObject o;
    Ramp(o, 10);
    o.SetFrameRange(0, 10);
    o.time = 4;
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.world.m[3][0], 4.0f, 1e-5);
    o.time = 8;
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.world.m[3][0], 4.0f, 1e-5);  // cached
    o.SetPlayMode(static_cast<int32_t>(PlayMode::Rewound));
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.world.m[3][0], 0.0f, 1e-5);
    o.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    frameStep = 2.0f;
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.world.m[3][0], 2.0f, 1e-5);
}

// A node as a model-file loader would leave it: rotation axis and angle, position, scale, and
// the node transform they make, with the scale then divided out.
void SetNode(SceneObject& node, const Vector3& axis, float angle, const Vector3& pos,
             const Vector3& nodeScale) {
    node.nodeRotationAxis = axis;
    node.nodeRotationAngle = angle;
    node.nodePosition = pos;
    node.nodeScale = nodeScale;
    Matrix m = Matrix::Scaling(nodeScale) * QuaternionToMatrix(QuaternionFromRotation(axis, angle));
    m.SetTranslation(pos);
    node.nodeTransform = m;
    node.RemoveNodeScale();
}

void Finish(SceneObject& node) {
    node.motionMode = MotionMode::Keyframed;
    node.SetFrameRange(0, 30);
    AddMissingStaticKeys(node);
}

// Property: for any node transforms and bone chains, a node whose keys are only the static ones
// built from its own node transform comes back to exactly that transform.
TEST_F(KeyframeTrackTest, StaticOnlyNodesReproduceTheirNodeTransforms) {
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f);
    std::uniform_real_distribution<float> scale(0.5f, 2.0f);
    for (int trial = 0; trial < 200; ++trial) {
        SceneObject character;
        std::vector<std::unique_ptr<SceneObject>> bones;
        int count = 1 + trial % 7;
        for (int i = 0; i < count; ++i) {
            auto bone = std::make_unique<SceneObject>();
            Vector3 axis{unit(rng), unit(rng), unit(rng)};
            if (trial % 11 == 0) axis = Vector3{};  // no rotation at all
            SetNode(*bone, axis, angle(rng), Vector3{unit(rng), unit(rng), unit(rng)} * 20.0f,
                    Vector3{scale(rng), scale(rng), scale(rng)});
            // Any earlier bone (or none) is the skeleton parent: chains, forks and roots.
            int parentIndex = static_cast<int>(rng() % (i + 1)) - 1;
            if (parentIndex >= 0) bone->boneParent = bones[parentIndex].get();
            character.AddChild(bone.get());
            bones.push_back(std::move(bone));
        }
        for (auto& bone : bones) Finish(*bone);
        for (int frame = 0; frame < 2; ++frame) {
            character.Update(kUpdateScene);
            for (auto& bone : bones) {
                ASSERT_LT(MaxDifference(bone->world, bone->nodeTransform), 1e-4f)
                    << "trial " << trial << " frame " << frame;
            }
        }
        character.SetPlayMode(0);
        for (auto& bone : bones) bone->SetPlayMode(0);
        character.Update(kUpdateScene);  // playing: the live path gives the same pose
        for (auto& bone : bones) ASSERT_LT(MaxDifference(bone->world, bone->nodeTransform), 1e-4f);
        character.children.clear();
    }
}

}  // namespace
}  // namespace orix

namespace orix {
namespace {

// A keyframed node over frames 2 to 9 with a matrix-track child of its own five frames, a
// child at half speed and one that stops at its end.
struct PlayedTree {
    SceneObject root, track, slow, once;
    PlayedTree() {
        for (int k = 2; k <= 9; k += 3) {
            root.AddPositionKey(float(k), float(k), std::sin(float(k)), 1.0f, false);
            root.AddRotationKey(float(k), 0.0f, 1.0f, 0.3f, 0.4f * float(k), false);
        }
        root.SetFrameRange(2, 9);
        for (int k = 0; k < 5; ++k)
            *track.AddMatrixKey() = Matrix::Translation(Vector3{float(k), 0.0f, float(k * k)});
        slow.AddPositionKey(0, 0, 0, 0, false);
        slow.AddPositionKey(6, 6, 1, 0, false);
        slow.SetFrameRange(0, 6);
        slow.speed = 0.5f;
        once.AddPositionKey(0, 0, 0, 0, false);
        once.AddPositionKey(4, 0, 4, 0, false);
        once.SetFrameRange(0, 4);
        once.loop = false;
        for (SceneObject* o : {&root, &track, &slow, &once}) {
            if (o != &root) root.AddChild(o);
            o->SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
        }
    }
    ~PlayedTree() { root.children.clear(); }
    std::vector<const SceneObject*> Nodes() const { return {&root, &track, &slow, &once}; }
};

TEST_F(KeyframeTrackTest, SeekingPosesAsSteppingDoesOverLoopsAndStops) {
    for (int64_t steps : {1, 2, 7, 8, 9, 10, 17, 100, 1001}) {
        SCOPED_TRACE(steps);
        PlayedTree stepped, sought;
        frameStep = 0.0f;
        stepped.root.Update(kUpdateAnimate | kUpdateChildren);
        frameStep = 1.0f;
        for (int64_t k = 0; k < steps; ++k) stepped.root.Update(kUpdateAnimate | kUpdateChildren);
        frameStep = 0.25f;
        SeekWholeSteps(sought.root, steps - 1);
        EXPECT_EQ(frameStep, 0.25f);
        frameStep = 1.0f;
        sought.root.Update(kUpdateAnimate | kUpdateChildren);
        for (size_t i = 0; i < 4; ++i) {
            const SceneObject &a = *stepped.Nodes()[i], &b = *sought.Nodes()[i];
            EXPECT_EQ(a.time, b.time) << i;
            EXPECT_EQ(a.playMode, b.playMode) << i;
            EXPECT_EQ(MaxDifference(a.world, b.world), 0.0f) << i;
        }
    }
    EXPECT_TRUE(FramesStepExactly(-kMaxSteppedFrame, kMaxSteppedFrame - 1));
    EXPECT_FALSE(FramesStepExactly(0, kMaxSteppedFrame));
    EXPECT_FALSE(FramesStepExactly(-kMaxSteppedFrame - 1, 0));
}

// Frames asked in any order (on, back, fractions, the same twice) pose as the engine's stepping
// from the first frame does, and an update between calls (a render pass) keeps the pose.
TEST_F(KeyframeTrackTest, PlayingToFramesInAnyOrderPosesAsSteppingFromTheStart) {
    PlayedTree played;
    FramePlayer player(played.root);
    for (double frames : {0.0, 1.0, 2.0, 3.0, 9.0, 4.5, 4.5, 5.0, 6.0, 0.0, 100.0, 101.0, 2.25, 3.0,
                          1001.0, 1002.0}) {
        SCOPED_TRACE(frames);
        player.PlayTo(frames);
        frameStep = 0.7f;
        played.root.Update(kUpdateAnimate | kUpdateChildren);
        PlayedTree stepped;
        const double whole = std::floor(frames);
        frameStep = 0.0f;
        stepped.root.Update(kUpdateAnimate | kUpdateChildren);
        frameStep = 1.0f;
        for (double k = 0; k < whole; ++k) stepped.root.Update(kUpdateAnimate | kUpdateChildren);
        if (frames > whole) {
            frameStep = float(frames - whole);
            stepped.root.Update(kUpdateAnimate | kUpdateChildren);
        }
        for (size_t i = 0; i < 4; ++i) {
            const SceneObject &a = *played.Nodes()[i], &b = *stepped.Nodes()[i];
            EXPECT_EQ(a.time, b.time) << i;
            EXPECT_EQ(MaxDifference(a.world, b.world), 0.0f) << i;
        }
    }
}

// Clones share their keys and what was sampled from them: every time a crowd stands at samples
// as a node alone would, however many times meet in one set of the shared table, and a key added
// later is not hidden by what was sampled before it.
TEST_F(KeyframeTrackTest, ClonesSampleSharedKeysAsANodeAloneDoes) {
    SceneObject alone, source;
    for (SceneObject* o : {&alone, &source}) {
        o->AddPositionKey(0, 0, 0, 0, false);
        o->AddPositionKey(40, 40, 8, 0, false);
        o->AddRotationKey(40, 0, 1, 0, 2.0f, false);
        o->animationOptions = ANIM_LINEARPOSITION;
    }
    std::unique_ptr<SceneObject> clone(source.Clone());
    ASSERT_EQ(clone->animation, source.animation);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 1200; ++i) {
            const float t = float(i) * 0.03125f + (round ? 0.0f : 0.5f);
            Matrix expected, first, second;
            alone.time = source.time = clone->time = t;
            alone.ComputeAnimatedLocal(&expected);
            source.ComputeAnimatedLocal(&first);
            clone->ComputeAnimatedLocal(&second);
            ASSERT_EQ(first, expected) << "time " << t;
            ASSERT_EQ(second, expected) << "time " << t;
        }
    }
    source.AddPositionKey(20, 0, 5, 0, false);
    alone.AddPositionKey(20, 0, 5, 0, false);
    EXPECT_EQ(XAt(*clone, 20), 0.0f);
    Matrix expected, got;
    alone.time = clone->time = 10;
    alone.ComputeAnimatedLocal(&expected);
    clone->ComputeAnimatedLocal(&got);
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace orix
