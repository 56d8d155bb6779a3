/// \file
/// Keyframe interpolator: the stand-in for the retained-mode frame and animation objects that the
/// scene objects use to turn position, rotation and scale keys into a transform.
///
/// A KeyframeAnimation holds three key lists sorted by time. SetTime writes into the attached
/// KeyframeFrame what the options select: the scale-and-rotation pass replaces the frame's 3 x 3
/// part with Scale · Rotation and keeps its translation; the position pass replaces the
/// translation row and keeps the 3 x 3 part. Positions follow a Catmull-Rom spline through the keys
/// (ANIM_SPLINEPOSITION) or straight lines (ANIM_LINEARPOSITION); rotations are slerped along the
/// shorter arc; scales are linear. Outside the key range the end keys hold. A kind with no keys
/// contributes its identity (no turn, unit scale, no offset), so a frame never accumulates.
///
/// Depends on math only. Single-threaded; no limits beyond memory.
#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector3.h"

namespace orix {

/// Animation options, with the retained-mode values.
enum AnimationOptions : uint32_t {
    ANIM_OPEN = 0x01,
    ANIM_CLOSED = 0x02,
    ANIM_LINEARPOSITION = 0x04,
    ANIM_SPLINEPOSITION = 0x08,
    ANIM_SCALEANDROTATION = 0x10,
    ANIM_POSITION = 0x20,
};

/// How AddTransform combines a matrix with the frame's transform.
enum class Combine { Replace, Before, After };

/// The transform an animation writes and the engine reads back.
class KeyframeFrame {
public:
    /// Replaces the whole transform.
    void SetTransform(const Matrix& m) { transform_ = m; }
    /// The transform as it stands.
    const Matrix& GetTransform() const { return transform_; }
    /// Replace: frame = m; Before: frame = m · frame (m applies first); After: frame = frame · m.
    void AddTransform(Combine how, const Matrix& m);

private:
    Matrix transform_;
};

class KeyframeAnimation {
public:
    struct PositionKey {
        float time;
        Vector3 value;
    };
    struct RotationKey {
        float time;
        Quaternion value;
    };

    /// A key at a time that already holds one of its kind replaces it; others are kept in time
    /// order.
    void AddPositionKey(float time, const Vector3& position);
    void AddRotateKey(float time, const Quaternion& rotation);
    void AddScaleKey(float time, const Vector3& scale);

    void SetOptions(uint32_t options) { options_ = options; }
    uint32_t GetOptions() const { return options_; }
    /// The frame SetTime writes; null detaches.
    void SetFrame(KeyframeFrame* frame) { frame_ = frame; }
    /// Writes the selected passes at time t into the frame; false without a frame.
    bool SetTime(float t);

    /// Asks the cache for the frame and the keys the next SetTime near the last one reads.
    void Prefetch() const;

    /// The interpolated values at t (identity values when a kind has no keys).
    Vector3 PositionAt(float t) const;
    Quaternion RotationAt(float t) const;
    Vector3 ScaleAt(float t) const;

    /// The transform remembered for time t under tag (the caller's sampling options), when one
    /// is: nodes that share these keys, a crowd's clones, sample each time once. Any key added
    /// forgets them all.
    bool Recall(float t, uint32_t tag, Matrix* out) const;
    /// Keeps transform for (t, tag) among the last few hundred remembered.
    void Remember(float t, uint32_t tag, const Matrix& transform);

    size_t PositionKeyCount() const { return positions_.size(); }
    size_t RotationKeyCount() const { return rotations_.size(); }
    size_t ScaleKeyCount() const { return scales_.size(); }
    const std::vector<RotationKey>& RotationKeys() const { return rotations_; }
    const std::vector<PositionKey>& PositionKeys() const { return positions_; }
    const std::vector<PositionKey>& ScaleKeys() const { return scales_; }

private:
    std::vector<PositionKey> positions_;
    std::vector<RotationKey> rotations_;
    std::vector<PositionKey> scales_;
    uint32_t options_ = ANIM_OPEN | ANIM_SPLINEPOSITION | ANIM_SCALEANDROTATION | ANIM_POSITION;
    KeyframeFrame* frame_ = nullptr;
    /// The segment each kind's last lookup found (a guess only: any value is safe).
    mutable size_t positionHint_ = 0, rotationHint_ = 0, scaleHint_ = 0;

    /// Two ways per set: a crowd walks through a few dozen distinct times a frame.
    static constexpr size_t kSampleSets = 256;
    struct Sample {
        float time = 0.0f;
        uint32_t tag = 0;
        bool used = false;
        bool newest = false;
        Matrix transform;
    };
    std::vector<Sample> samples_;  ///< empty until the first Remember
};

}  // namespace orix
