/// \file
/// Plays a model to a frame the way the engine plays it: one update at frameStep 0, then one
/// per whole frame at frameStep 1 (a fraction last), every node's clock wrapping as its own
/// loop does. The one rule behind `orix pose`, the glTF export's samples, the viewer and
/// `orix render FILE`, so they all show the same pose for a frame.
///
/// Moving on from the last frame asked costs the frames between (one update each, or a seek
/// for a longer jump); going back, or on from a fraction, starts over from the state the
/// player found, by a seek (see frame_seek.h), so no frame costs more than one update plus the
/// seek. Between calls the nodes' clocks are held, so another update of the model (a render
/// pass) redraws the same pose. Depends on SceneObject, frame_seek and the engine's frameStep,
/// which it leaves as it found it. Single-threaded; the model must outlive the player and keep
/// its nodes while it plays.
#pragma once

#include <cstdint>
#include <vector>

namespace orix {

class SceneObject;

class FramePlayer {
public:
    /// Sets root playing and remembers every node's clock as the start.
    explicit FramePlayer(SceneObject& root);
    /// Gives the nodes their clocks back, playing as they were after the last frame asked.
    ~FramePlayer();
    FramePlayer(const FramePlayer&) = delete;
    FramePlayer& operator=(const FramePlayer&) = delete;

    /// Poses the model `frames` frames after its first (negative or not finite: 0); the caller
    /// keeps the frame within the 2^24 frames stepping reaches (FramesStepExactly).
    void PlayTo(double frames);

private:
    struct Clock {
        SceneObject* node;
        float time;
        int32_t playMode, firstFrame, lastFrame;
        bool loop, poseCached;
    };
    static Clock ClockOf(SceneObject& node);
    void Restore(const std::vector<Clock>& clocks);
    void Hold();

    SceneObject& root_;
    std::vector<Clock> start_;
    std::vector<Clock> held_;
    int64_t wholeSteps_ = -1;  // whole steps behind the pose; -1: none yet, or a fraction
};

}  // namespace orix
