#include "platform/keyframe_interpolator.h"

#include <algorithm>
#include <cstring>

namespace orix {

void KeyframeFrame::AddTransform(Combine how, const Matrix& m) {
    switch (how) {
        case Combine::Replace:
            transform_ = m;
            break;
        case Combine::Before:
            transform_ = m * transform_;
            break;
        case Combine::After:
            transform_ = transform_ * m;
            break;
    }
}

namespace {

template <typename Key, typename Value>
void InsertKey(std::vector<Key>& keys, float time, const Value& value) {
    auto it = std::lower_bound(keys.begin(), keys.end(), time,
                               [](const Key& k, float t) { return k.time < t; });
    if (it != keys.end() && it->time == time) {
        it->value = value;
    } else {
        keys.insert(it, Key{time, value});
    }
}

// Index i of the segment [keys[i], keys[i+1]] that holds t, or -1 / size-1 when t lies before
// the first or at or after the last key (the end key then holds). Played forward, t is mostly
// in the segment found last time or the next one: *hint is tried first, so a frame reads one or
// two keys of a cold array instead of a binary search's chain of them.
template <typename Key>
int SegmentOf(const std::vector<Key>& keys, float t, size_t* hint) {
    if (t < keys.front().time) return -1;
    for (size_t i = *hint; i < *hint + 2 && i + 1 < keys.size(); ++i) {
        if (keys[i].time <= t && t < keys[i + 1].time) {
            *hint = i;
            return static_cast<int>(i);
        }
    }
    auto it = std::upper_bound(keys.begin(), keys.end(), t,
                               [](float v, const Key& k) { return v < k.time; });
    int i = static_cast<int>(it - keys.begin()) - 1;
    *hint = static_cast<size_t>(std::max(i, 0));
    return i;
}

Vector3 Lerp(const Vector3& a, const Vector3& b, float s) {
    return a + (b - a) * s;
}

// Tangent at key i in units per time unit; one-sided at the ends.
Vector3 Tangent(const std::vector<KeyframeAnimation::PositionKey>& k, size_t i) {
    size_t lo = i > 0 ? i - 1 : i;
    size_t hi = i + 1 < k.size() ? i + 1 : i;
    float dt = k[hi].time - k[lo].time;
    if (dt <= 0.0f) return Vector3{};
    return (k[hi].value - k[lo].value) / dt;
}

}  // namespace

void KeyframeAnimation::AddPositionKey(float time, const Vector3& position) {
    InsertKey(positions_, time, position);
    samples_.clear();
}

void KeyframeAnimation::AddRotateKey(float time, const Quaternion& rotation) {
    InsertKey(rotations_, time, rotation);
    samples_.clear();
}

void KeyframeAnimation::AddScaleKey(float time, const Vector3& scale) {
    InsertKey(scales_, time, scale);
    samples_.clear();
}

namespace {

// The set a (time, tag) pair lives in: its two ways are slots 2 * set and 2 * set + 1.
size_t SampleSet(float t, uint32_t tag, size_t sets) {
    uint32_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    uint64_t h = (uint64_t(bits) << 32 | tag) * 0x9E3779B97F4A7C15ull;
    return size_t(h >> 40) & (sets - 1);
}

bool SameTime(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

bool KeyframeAnimation::Recall(float t, uint32_t tag, Matrix* out) const {
    if (samples_.empty()) return false;
    const size_t set = SampleSet(t, tag, kSampleSets);
    for (size_t way = 0; way < 2; ++way) {
        const Sample& s = samples_[2 * set + way];
        if (s.used && s.tag == tag && SameTime(s.time, t)) {
            *out = s.transform;
            return true;
        }
    }
    return false;
}

void KeyframeAnimation::Remember(float t, uint32_t tag, const Matrix& transform) {
    if (samples_.empty()) samples_.resize(2 * kSampleSets);
    const size_t set = SampleSet(t, tag, kSampleSets);
    // The way not written last goes: a time that keeps coming back outlives one seen once.
    Sample& first = samples_[2 * set];
    Sample& victim = !first.used || !first.newest ? first : samples_[2 * set + 1];
    Sample& other = &victim == &first ? samples_[2 * set + 1] : first;
    victim = {t, tag, true, true, transform};
    other.newest = false;
}

Vector3 KeyframeAnimation::PositionAt(float t) const {
    if (positions_.empty()) return Vector3{};
    int i = SegmentOf(positions_, t, &positionHint_);
    if (i < 0) return positions_.front().value;
    if (static_cast<size_t>(i) + 1 >= positions_.size()) return positions_.back().value;
    const PositionKey& a = positions_[i];
    const PositionKey& b = positions_[i + 1];
    float dt = b.time - a.time;
    float s = (t - a.time) / dt;
    if (!(options_ & ANIM_SPLINEPOSITION) || (options_ & ANIM_LINEARPOSITION)) {
        return Lerp(a.value, b.value, s);
    }
    // Cubic Hermite with Catmull-Rom tangents: passes through every key, smooth across them.
    Vector3 ma = Tangent(positions_, i) * dt;
    Vector3 mb = Tangent(positions_, i + 1) * dt;
    float s2 = s * s, s3 = s2 * s;
    float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s;
    float h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
    return a.value * h00 + ma * h10 + b.value * h01 + mb * h11;
}

Quaternion KeyframeAnimation::RotationAt(float t) const {
    if (rotations_.empty()) return Quaternion{};
    int i = SegmentOf(rotations_, t, &rotationHint_);
    if (i < 0) return rotations_.front().value;
    if (static_cast<size_t>(i) + 1 >= rotations_.size()) return rotations_.back().value;
    const RotationKey& a = rotations_[i];
    const RotationKey& b = rotations_[i + 1];
    return QuaternionSlerp(a.value, b.value, (t - a.time) / (b.time - a.time));
}

Vector3 KeyframeAnimation::ScaleAt(float t) const {
    if (scales_.empty()) return Vector3{1.0f, 1.0f, 1.0f};
    int i = SegmentOf(scales_, t, &scaleHint_);
    if (i < 0) return scales_.front().value;
    if (static_cast<size_t>(i) + 1 >= scales_.size()) return scales_.back().value;
    const PositionKey& a = scales_[i];
    const PositionKey& b = scales_[i + 1];
    return Lerp(a.value, b.value, (t - a.time) / (b.time - a.time));
}

namespace {

template <typename Key>
void PrefetchSegment(const std::vector<Key>& keys, size_t hint) {
    if (hint >= keys.size()) return;
    // The segment's two keys, which may straddle a line: its first byte and its last.
    const size_t last = std::min(hint + 1, keys.size() - 1);
    __builtin_prefetch(&keys[hint]);
    __builtin_prefetch(reinterpret_cast<const char*>(&keys[last]) + sizeof(Key) - 1);
}

}  // namespace

void KeyframeAnimation::Prefetch() const {
    if (frame_) __builtin_prefetch(frame_);
    PrefetchSegment(positions_, positionHint_);
    PrefetchSegment(rotations_, rotationHint_);
    PrefetchSegment(scales_, scaleHint_);
}

bool KeyframeAnimation::SetTime(float t) {
    if (!frame_) return false;
    Matrix m = frame_->GetTransform();
    if (options_ & ANIM_SCALEANDROTATION) {
        Matrix sr = Matrix::Scaling(ScaleAt(t)) * QuaternionToMatrix(RotationAt(t));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m.m[r][c] = sr.m[r][c];
    }
    if (options_ & ANIM_POSITION) m.SetTranslation(PositionAt(t));
    frame_->SetTransform(m);
    return true;
}

}  // namespace orix
