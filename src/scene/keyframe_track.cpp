// The animation half of SceneObject: time base, play control, keys, sampling and baking.
#include <algorithm>
#include <cmath>

#include "device/globals.h"
#include "scene/matrix_track.h"
#include "scene/scene_object.h"

namespace orix {

namespace {

// The node transform's orientation alone (translation row zeroed).
Matrix WithoutTranslation(const Matrix& m) {
    Matrix r = m;
    r.SetTranslation(Vector3{});
    return r;
}

// Integer part of t (toward zero) clamped to [lo, hi]; NaN gives lo.
int32_t ClampedFrame(float t, int32_t lo, int32_t hi) {
    if (!(t >= static_cast<float>(lo))) return lo;
    if (t >= static_cast<float>(hi)) return hi;
    return std::max(lo, static_cast<int32_t>(t));
}

}  // namespace

void SceneObject::AdvanceTime() {
    if (time > static_cast<float>(lastFrame)) {
        if (!loop) {
            SetPlayMode(static_cast<int32_t>(PlayMode::Stopped));
            time = static_cast<float>(rewindOnStop ? firstFrame : lastFrame);
            return;
        }
        time = static_cast<float>(firstFrame);
    }
    time += frameStep * speed;
}

Matrix StepMatrixTrack(SceneObject& o) {
    Matrix key = o.MatrixKeyAt(o.time);
    if (o.playMode == static_cast<int32_t>(PlayMode::Playing)) {
        o.time += o.speed;
        if (o.time > static_cast<float>(o.lastFrame)) {
            if (o.loop) {
                o.time = static_cast<float>(o.firstFrame);
            } else {
                o.SetPlayMode(static_cast<int32_t>(PlayMode::Stopped));
            }
        }
    }
    return key;
}

void SceneObject::UpdateKeyframed() {
    if (IsPlaying()) AdvanceTime();
    ComputeKeyframedWorld();
}

Matrix SceneObject::MatrixKeyAt(float keyTime) const {
    size_t n = MatrixKeyCount();
    if (n == 0) return Matrix::Identity();
    int32_t k = ClampedFrame(keyTime, 0, static_cast<int32_t>(n - 1));
    return (*matrixKeys)[static_cast<size_t>(k)];
}

void SceneObject::UpdateMatrixTrack() {
    if (IsPlaying()) AdvanceTime();
    world = MatrixKeyAt(time) * world;
    position = world.GetTranslation();
}

void SceneObject::AddSpeed(float delta) {
    speed += delta;
    if (!(speed > 0.0f)) speed = 0.0f;
}

void SceneObject::SetFrameRange(int32_t first, int32_t last) {
    firstFrame = first;
    lastFrame = last;
    // The difference of two int32 frames need not fit an int32.
    keyCount =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{last} - first, INT32_MIN, INT32_MAX));
    time = static_cast<float>(first);
}

void SceneObject::SetPlayMode(int32_t mode) {
    if (mode == static_cast<int32_t>(PlayMode::Rewound)) {
        poseCached = false;
        time = static_cast<float>(firstFrame);
    }
    playMode = mode;
}

Matrix* SceneObject::AddMatrixKey() {
    if (!matrixKeys) matrixKeys = std::make_shared<std::vector<Matrix>>();
    // The stored count, not keyCount, decides growth: SetFrameRange may have changed keyCount.
    size_t n = matrixKeys->size();
    if (n % 10 == 0) {
        matrixKeys->reserve(n + 10);
        if (n == 0) motionMode = MotionMode::MatrixTrack;
    }
    matrixKeys->push_back(Matrix::Zero());
    lastFrame = static_cast<int32_t>(n);
    keyCount = static_cast<int32_t>(n + 1);
    return &matrixKeys->back();
}

void SceneObject::EnsureAnimation() {
    if (animation) return;
    motionMode = MotionMode::Keyframed;
    animation = std::make_shared<KeyframeAnimation>();
}

void SceneObject::AddPositionKey(float keyTime, float x, float y, float z, bool isStatic) {
    hasPositionKeys = !isStatic;
    EnsureAnimation();
    animation->AddPositionKey(keyTime, Vector3{x, y, z});
}

void SceneObject::AddRotationKey(float keyTime, float axisX, float axisY, float axisZ, float angle,
                                 bool isStatic) {
    EnsureAnimation();
    Quaternion q = QuaternionFromRotation(Vector3{axisX, axisY, axisZ}, angle);
    if (!hasRotationKeys) {
        hasRotationKeys = !isStatic;
        if (keyTime != 0.0f) animation->AddRotateKey(0.0f, Quaternion{});
    }
    animation->AddRotateKey(keyTime, q);
}

void SceneObject::AddRelativeRotationKey(float keyTime, float axisX, float axisY, float axisZ,
                                         float angle, bool isFirst, bool isStatic) {
    EnsureAnimation();
    Quaternion q = QuaternionFromRotation(Vector3{axisX, axisY, axisZ}, angle);
    if (!isFirst) {
        Quaternion r = QuaternionMultiply(lastRotationKey, q);
        animation->AddRotateKey(keyTime, r);
        lastRotationKey = r;
        return;
    }
    hasRotationKeys = !isStatic;
    if (keyTime == 0.0f) {
        animation->AddRotateKey(0.0f, q);
        lastRotationKey = q;
    } else {
        animation->AddRotateKey(0.0f, Quaternion{});
        Quaternion r = QuaternionMultiply(Quaternion{}, q);
        animation->AddRotateKey(keyTime, r);
        lastRotationKey = r;
    }
}

void SceneObject::AddScaleKey(float keyTime, float x, float y, float z) {
    hasRotationKeys = true;
    EnsureAnimation();
    // A zero node scale (never set by a loader) divides by one instead of yielding infinities.
    auto safe = [](float s) { return s != 0.0f ? s : 1.0f; };
    animation->AddScaleKey(
        keyTime, Vector3{x / safe(nodeScale.x), y / safe(nodeScale.y), z / safe(nodeScale.z)});
}

void SceneObject::RemoveNodeScale() {
    for (int r = 0; r < 3; ++r) {
        float s = nodeScale[r];
        if (s == 0.0f) continue;
        for (int c = 0; c < 3; ++c) nodeTransform.m[r][c] /= s;
    }
}

void SceneObject::SampleAnimation(float t) {
    if (!frame) frame = std::make_shared<KeyframeFrame>();
    if (!animation) {
        frame->SetTransform(Matrix::Identity());
        return;
    }
    // Clones share their keys: the first of them at a time samples for all.
    const bool shared = animation.use_count() > 1;
    const uint32_t tag = static_cast<uint32_t>(animationOptions);
    Matrix recalled;
    if (shared && animation->Recall(t, tag, &recalled)) {
        frame->SetTransform(recalled);
        return;
    }
    animation->SetOptions(ANIM_OPEN | ANIM_SCALEANDROTATION);
    animation->SetFrame(frame.get());
    animation->SetTime(t);
    animation->SetOptions(static_cast<uint32_t>(animationOptions) | ANIM_OPEN | ANIM_POSITION);
    animation->SetFrame(frame.get());
    animation->SetTime(t);
    if (shared) animation->Remember(t, tag, frame->GetTransform());
}

void SceneObject::CaptureRestPose() {
    SampleAnimation(0.0f);
    restPose = frame->GetTransform();
}

void SceneObject::SampleLive(float t, Matrix* out) {
    SampleAnimation(t);
    if (boneParent) {
        frame->AddTransform(Combine::After, boneParent->animatedLocal);
    } else if (!hasRotationKeys) {
        frame->AddTransform(Combine::Before, WithoutTranslation(nodeTransform));
    }
    sampledTransform = frame->GetTransform();
    *out = sampledTransform;
}

void SceneObject::ComputeAnimatedLocal(Matrix* out) {
    bool baked = ownsBakedPoses && bakedPoses && !bakedPoses->empty();
    if ((hasPositionKeys || hasRotationKeys) && !baked) {
        SampleLive(time, out);
        return;
    }
    if (baked) {
        int32_t f = ClampedFrame(time, firstFrame, lastFrame);
        size_t index = static_cast<size_t>(std::max<int64_t>(0, int64_t{f} - firstFrame));
        index = std::min(index, bakedPoses->size() - 1);
        *out = (*bakedPoses)[index].Unpack();
    } else {
        *out = restPose;
    }
    if (boneParent) {
        *out = *out * boneParent->animatedLocal;
    } else if (!hasRotationKeys) {
        *out = WithoutTranslation(nodeTransform) * *out;
    }
}

void SceneObject::ComputeKeyframedWorld() {
    if (!IsPlaying()) {
        if (poseCached) {
            animatedLocal = cachedLocal;
            world = animatedLocal * parentWorld;
            return;
        }
        poseCached = true;
    }
    Matrix pose;
    ComputeAnimatedLocal(&pose);
    cachedLocal = pose;
    animatedLocal = pose;
    world = animatedLocal * parentWorld;
}

void SceneObject::BakePoses() {
    // Counted in 64 bits: a range that ends at INT32_MAX has no int32 frame after its last.
    int64_t count = int64_t{std::max(firstFrame, lastFrame)} - firstFrame + 1;
    if (count > kMaxBakedFrames) {
        ownsBakedPoses = false;
        bakedPoses.reset();
        return;
    }
    ownsBakedPoses = true;
    auto poses = std::make_shared<std::vector<PackedPose>>(static_cast<size_t>(count));
    // Raw frame transforms: the bone chain and node orientation are applied at lookup.
    for (int64_t i = 0; i < count; ++i) {
        SampleAnimation(static_cast<float>(firstFrame + i));
        (*poses)[static_cast<size_t>(i)] = PackedPose::Pack(frame->GetTransform());
    }
    bakedPoses = poses;
}

}  // namespace orix
