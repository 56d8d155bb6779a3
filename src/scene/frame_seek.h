/// \file
/// Playing a model to a frame without computing the frames before it. A player starts a model
/// with one update at frameStep 0 and then steps it a whole frame per update; SeekWholeSteps puts
/// every node's time where those updates would, so that the next Update computes the pose that
/// stepping would have computed, in work that does not grow with the frame.
///
/// Float time holds whole frames exactly only up to 2^24: past it a step of one no longer moves
/// time, so frames there are out of any player's reach (FramesStepExactly says whether a range is
/// clear of it). Depends on SceneObject and the engine's frameStep. Single-threaded.
#pragma once

#include <cstdint>

namespace orix {

class SceneObject;

/// Whole frames float time steps through exactly: -2^24 to 2^24.
constexpr int64_t kMaxSteppedFrame = int64_t{1} << 24;

/// True when every frame from first to one past last (where a loop wraps) is within
/// +-kMaxSteppedFrame.
bool FramesStepExactly(int64_t first, int64_t last);

/// Sets the time and play mode of root and of every enabled node under it to what one update at
/// frameStep 0 followed by `steps` updates at frameStep 1 would leave; computes no pose. Closed
/// form for the nodes that play at speed 1 from a whole frame and loop; any other node is
/// stepped (its time alone), so the caller bounds `steps` (within the 2^24 frames stepping can
/// reach). frameStep is left as it was.
void SeekWholeSteps(SceneObject& root, int64_t steps);

}  // namespace orix
