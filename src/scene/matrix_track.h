/// \file
/// The matrix track that a camera or a light follows: one stored key per drawn frame, read at
/// the current time and then stepped past.
///
/// It differs from SceneObject::AdvanceTime on purpose: a recorded flight holds one key per
/// update, so the time steps by speed alone (not by the elapsed frameStep), the key is read
/// before the step and the wrap comes after it, and a stop leaves the time where it is.
/// Depends on: scene/scene_object.h.
#pragma once

#include "math/matrix.h"

namespace orix {

class SceneObject;

/// The key at o's time (the last key past the end, identity without keys); then, when o plays,
/// time += speed, wrapping to the first frame past the last when looping, else stopping.
Matrix StepMatrixTrack(SceneObject& o);

}  // namespace orix
