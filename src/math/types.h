/// \file
/// Engine-wide enumerations shared by the scene objects, the loaders and the device.
#pragma once

#include <cstdint>

namespace orix {

/// Bits of the flags passed down the scene tree each frame. The engine passes 15 to the scene
/// root and 255 to the overlay list.
enum UpdateFlags : uint32_t {
    kUpdateAnimate = 1,
    kUpdateDraw = 2,
    kUpdateChildren = 4,
    kUpdateScene = 15,
    kUpdateOverlays = 255,
};

enum class MotionMode : int32_t { Free = 0, MatrixTrack = 1, Keyframed = 2, LookAt = 3, Fixed = 4 };

enum class PlayMode : int32_t { Playing = 0, Stopped = 1, Rewound = 3 };

/// Class codes of scene objects.
enum class ObjectKind : int32_t {
    Base = 0,  ///< also the scene root, lights and cameras
    Mesh = 1,
    Helper = 2,
    SkinnedCharacter = 3,
    RenderStateGroup = 5,
    FallingParticle = 8,
};

/// Euler composition of a scene object's rotation.
enum class RotationOrder : int32_t { ZYX = 0, XYZ = 1, XZY = 2 };

}  // namespace orix
