#include "scene/frame_seek.h"

#include <algorithm>
#include <cmath>

#include "device/globals.h"
#include "scene/scene_object.h"

namespace orix {

namespace {

bool Playing(const SceneObject& o) {
    return o.playMode == static_cast<int32_t>(PlayMode::Playing);
}

// Time after `steps` whole-frame advances from the whole frame t through first..last, looping:
// past last, time goes back to first and on by the step, so a loop visits first + 1 to last + 1.
int64_t LoopedTime(int64_t t, int64_t first, int64_t last, int64_t steps) {
    const int64_t beforeWrap = std::max<int64_t>(0, last - t + 1);
    if (steps <= beforeWrap) return t + steps;
    const int64_t period = std::max<int64_t>(1, last - first + 1);
    return first + 1 + (steps - beforeWrap - 1) % period;
}

void SeekNode(SceneObject& o, int64_t steps) {
    // Only these modes advance time, and only while playing.
    if (o.motionMode != MotionMode::Keyframed && o.motionMode != MotionMode::MatrixTrack) return;
    if (!Playing(o)) return;
    frameStep = 0.0f;
    o.AdvanceTime();
    frameStep = 1.0f;
    const float t = o.time;
    const bool whole = std::isfinite(t) && std::floor(t) == t &&
                       std::fabs(t) <= static_cast<float>(kMaxSteppedFrame);
    if (whole && o.loop && o.speed == 1.0f && Playing(o) &&
        FramesStepExactly(o.firstFrame, o.lastFrame)) {
        o.time = static_cast<float>(
            LoopedTime(static_cast<int64_t>(t), o.firstFrame, o.lastFrame, steps));
        return;
    }
    for (int64_t k = 0; k < steps && Playing(o); ++k) o.AdvanceTime();
}

void SeekTree(SceneObject& o, int64_t steps) {
    if (!o.enabled) return;
    SeekNode(o, steps);
    for (SceneObject* child : o.children) {
        if (child) SeekTree(*child, steps);
    }
}

}  // namespace

bool FramesStepExactly(int64_t first, int64_t last) {
    return first >= -kMaxSteppedFrame && last + 1 <= kMaxSteppedFrame &&
           last >= -kMaxSteppedFrame - 1 && first <= kMaxSteppedFrame;
}

void SeekWholeSteps(SceneObject& root, int64_t steps) {
    const float saved = frameStep;
    SeekTree(root, std::max<int64_t>(0, steps));
    frameStep = saved;
}

}  // namespace orix
