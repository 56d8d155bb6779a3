#include "scene/frame_player.h"

#include <cmath>

#include "device/globals.h"
#include "math/types.h"
#include "scene/frame_seek.h"
#include "scene/node_walk.h"
#include "scene/scene_object.h"

namespace orix {

FramePlayer::Clock FramePlayer::ClockOf(SceneObject& n) {
    return {&n, n.time, n.playMode, n.firstFrame, n.lastFrame, n.loop, n.poseCached};
}

FramePlayer::FramePlayer(SceneObject& root) : root_(root) {
    root_.SetPlayMode(static_cast<int32_t>(PlayMode::Playing));
    // A character copies its first child's clock into its own on update: all of it is state.
    ForEachNode(root_, [this](SceneObject& n) { start_.push_back(ClockOf(n)); });
}

FramePlayer::~FramePlayer() {
    Restore(held_);
}

void FramePlayer::Restore(const std::vector<Clock>& clocks) {
    for (const Clock& c : clocks) {
        SceneObject& n = *c.node;
        n.time = c.time;
        n.playMode = c.playMode;
        n.firstFrame = c.firstFrame;
        n.lastFrame = c.lastFrame;
        n.loop = c.loop;
        n.poseCached = c.poseCached;
    }
}

void FramePlayer::Hold() {
    held_.clear();
    ForEachNode(root_, [this](SceneObject& n) {
        held_.push_back(ClockOf(n));
        // Stopped, a keyframed node draws its pose from its time once more, then caches it.
        n.playMode = static_cast<int32_t>(PlayMode::Stopped);
        n.poseCached = false;
    });
}

void FramePlayer::PlayTo(double frames) {
    if (!std::isfinite(frames) || frames < 0.0) frames = 0.0;
    const double whole = std::floor(frames), rest = frames - whole;
    const int64_t steps = static_cast<int64_t>(whole);
    Restore(held_);
    held_.clear();
    const float saved = frameStep;
    const bool onward = wholeSteps_ >= 0 && steps >= wholeSteps_;
    if (onward && rest == 0.0 && steps == wholeSteps_) {
        // Already posed there.
    } else if (onward && rest == 0.0 && steps == wholeSteps_ + 1) {
        frameStep = 1.0f;
        root_.Update(kUpdateAnimate | kUpdateChildren);
    } else if (onward) {
        // From a pose, a seek of n steps stands where n stepped updates would (its update at
        // frameStep 0 changes no clock that stepping would not change the same way).
        const int64_t seek = steps - wholeSteps_ - (rest > 0.0 ? 0 : 1);
        SeekWholeSteps(root_, seek);
        frameStep = rest > 0.0 ? static_cast<float>(rest) : 1.0f;
        root_.Update(kUpdateAnimate | kUpdateChildren);
    } else {
        Restore(start_);
        frameStep = 0.0f;
        if (rest > 0.0) {
            SeekWholeSteps(root_, steps);
            frameStep = static_cast<float>(rest);
        } else if (steps > 0) {
            SeekWholeSteps(root_, steps - 1);
            frameStep = 1.0f;
        }
        root_.Update(kUpdateAnimate | kUpdateChildren);
    }
    frameStep = saved;
    wholeSteps_ = rest > 0.0 ? -1 : steps;
    Hold();
}

}  // namespace orix
