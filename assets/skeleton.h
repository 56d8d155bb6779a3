// The character's biped skeleton: bind pose, the looping walk and the tool's key controllers.
//
// Bones carry the modelling tool's biped names; every transform is in the tool's right-handed,
// z-up space (see gen_math.h). The walk repeats every kCycleFrames and the clip runs from
// kFirstFrame to kLastFrame, so the last frame's pose is the first frame's.
#pragma once

#include <string>
#include <vector>

#include "gen_math.h"

namespace orix_assets {

constexpr int kFirstFrame = 0;
constexpr int kLastFrame = 80;
constexpr int kFrameSpeed = 30;
constexpr int kTicksPerFrame = 160;
constexpr int kCycleFrames = 40;

// Which of the tool's controllers carries a bone's keys in the export.
enum class RotationControl { kNone, kTcb, kBezier, kTrack };
enum class PositionControl { kNone, kBezier };

struct Bone {
    std::string name;
    int parent = -1;  // index into Skeleton::bones, -1 for the root
    Vec3 joint;       // pivot in the bind pose
    Vec3 end;         // where the bone ends (its child's pivot or a tip)
    Xform bind;       // world transform in the bind pose
    RotationControl rotation = RotationControl::kNone;
    PositionControl position = PositionControl::kNone;
    int keyStep = 5;  // frames between keys
};

struct Skeleton {
    std::vector<Bone> bones;  // parents before children

    // Index of the bone with that exact name, or -1.
    int Find(const std::string& name) const;
    // Transform of a bone relative to its parent (the world transform for the root) at a frame.
    Xform Local(int bone, double frame) const;
    // World transforms of every bone at a frame.
    std::vector<Xform> Pose(double frame) const;
};

// The demonstration character's skeleton (about 78 units tall, facing -y, feet at z = 0).
Skeleton BuildSkeleton();

}  // namespace orix_assets
