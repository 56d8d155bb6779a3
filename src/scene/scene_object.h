/// \file
/// SceneObject: the base of everything that lives in the 3D scene. It gives each object a name,
/// a place in the tree (parent and ordered children), its own transform state, the matrices the
/// per-frame update derives from it (above all `world`), and the keyframe or matrix-track
/// animation state. `Update` is the one per-frame operation; the scene root drives it with
/// UpdateFlags, parents before children, in the order children were added.
///
/// Depends on math, the keyframe interpolator and the engine's globals (frameStep, the engine's
/// device for ApplyWorldTransform). Parents hold children by pointer: RemoveChild and
/// DeleteChildren delete, the destructor does not. Interpolator, matrix keys and baked poses are
/// reference counted, so a clone that shares them stays valid whoever is destroyed first.
/// Single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/frame_node.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/types.h"
#include "math/vector3.h"
#include "platform/keyframe_interpolator.h"
#include "scene/node_memory.h"

namespace orix {

class SceneObject;

/// A baked pose: rows 0 to 3 of a Matrix, columns 0 to 2 only.
struct PackedPose {
    float m[4][3] = {};

    static PackedPose Pack(const Matrix& a);
    /// Column 3 becomes (0, 0, 0, 1).
    Matrix Unpack() const;
};

using UpdateCallback = void (*)(SceneObject* object, void* data);

class SceneObject : public FrameNode {
public:
    SceneObject();
    /// The clone constructor: shares the source's interpolator, keys and baked poses (see Clone).
    SceneObject(const SceneObject& source);
    SceneObject& operator=(const SceneObject&) = delete;
    ~SceneObject() override;

    /// Nodes made with new live in node memory (scene/node_memory.h); delete through any base
    /// gives back the size of the node's own class, its destructor being virtual.
    static void* operator new(std::size_t size) { return AllocateNodeMemory(size); }
    static void operator delete(void* memory, std::size_t size) { FreeNodeMemory(memory, size); }

    /// --- virtual slots ------------------------------------------------------------------------
    /// A new object of this layout named "\<name\>;Clone\<n\>", not yet in any children list.
    virtual SceneObject* Clone();
    /// Refreshes targetPoint from target and, unless holdOrientation, turns +z toward it.
    virtual void UpdateLookAt();
    /// world = R · T(position) · parentWorld after the velocities are applied.
    /// Computes world from the motion mode (free, look-at, keyframes or matrix track).
    void UpdateTransformByMode();
    virtual void UpdateFreeMotion();
    /// Advances time when playing, then computes the keyframed world matrix.
    virtual void UpdateKeyframed();
    /// Advances time when playing, then world = matrixKeys[time] · world.
    virtual void UpdateMatrixTrack();
    /// speed += delta, never below 0.
    virtual void AddSpeed(float delta);
    /// Sets the frame range, keyCount = last - first and time = first.
    virtual void SetFrameRange(int32_t first, int32_t last);
    /// Rewound (3) also drops the cached pose and sets time to firstFrame.
    virtual void SetPlayMode(int32_t mode);
    /// The per-frame update: transform (Animate), callback, children (Children).
    void Update(uint32_t flags) override;
    /// Appends one matrix key (grown in blocks of 10) and returns it for the caller to fill.
    virtual Matrix* AddMatrixKey();

    /// Gives the object a fresh interpolator frame. Frames are never linked into a hierarchy, so
    /// parentFrame is accepted for the loaders' sake and ignored. Always true.
    bool CreateFrame(KeyframeFrame* parentFrame);

    /// --- tree ---------------------------------------------------------------------------------
    /// Appends child (not null) and makes this object its parent.
    void AddChild(SceneObject* child);
    /// Deletes child's children, deletes child and drops it from the list; ignores a stranger.
    void RemoveChild(SceneObject* child);
    /// Deletes every child in list order and empties the list; grandchildren are left to them.
    void DeleteChildren();
    /// Queues this object for removal at the end of its parent's next UpdateChildren.
    /// Without a parent it does nothing.
    void RemoveLater();
    /// Updates every child present when the loop starts, then performs queued removals.
    void UpdateChildren(uint32_t flags);
    /// The first direct child whose name before its first ';' equals name exactly, or null.
    SceneObject* FindChild(const std::string& childName) const;

    /// --- transform ----------------------------------------------------------------------------
    void SetRotation(float x, float y, float z, int32_t order);
    /// Looks at target from here on (LookAt mode). A null target keeps the current orientation
    /// and motion mode and clears the target.
    void SetTarget(SceneObject* lookTarget, int32_t hold);
    void SetUpdateCallback(UpdateCallback callback, void* data);
    /// Loads world (scaled when applyScale) into the engine device's world transform.
    void ApplyWorldTransform();
    /// The rotation matrix of (x, y, z) by order 0 (ZYX), 1 (XYZ) or 2 (XZY); other orders give
    /// the identity.
    static Matrix RotationMatrix(const Vector3& angles, int32_t order);

    /// --- keyframe tracks (keyframe_track.cpp) -------------------------------------------------
    void AdvanceTime();
    void AddPositionKey(float keyTime, float x, float y, float z, bool isStatic);
    void AddRotationKey(float keyTime, float axisX, float axisY, float axisZ, float angle,
                        bool isStatic);
    void AddRelativeRotationKey(float keyTime, float axisX, float axisY, float axisZ, float angle,
                                bool isFirst, bool isStatic);
    void AddScaleKey(float keyTime, float x, float y, float z);
    /// Divides rows 0, 1 and 2 of nodeTransform's 3 x 3 part by nodeScale.x, .y and .z.
    void RemoveNodeScale();
    /// restPose = the interpolated transform at time 0.
    void CaptureRestPose();
    /// Writes the scale-and-rotation pass, then the position pass, at t into the frame.
    void SampleAnimation(float t);
    /// Samples at t, applies the bone parent or node orientation, returns the frame transform.
    void SampleLive(float t, Matrix* out);
    /// The animated local pose at the current time (live, baked or rest), bone chain applied.
    void ComputeAnimatedLocal(Matrix* out);
    /// animatedLocal and world from the current pose; a stopped object computes it once.
    void ComputeKeyframedWorld();
    /// Samples every frame of the range into bakedPoses. A range of more than kMaxBakedFrames
    /// frames (only a damaged file makes one) is not baked: the object goes on sampling live.
    void BakePoses();
    static constexpr int64_t kMaxBakedFrames = int64_t{1} << 16;
    /// Creates the interpolator when missing and moves the object to Keyframed.
    void EnsureAnimation();
    /// Number of matrix keys actually stored (keyCount may be changed by SetFrameRange).
    size_t MatrixKeyCount() const { return matrixKeys ? matrixKeys->size() : 0; }
    /// Matrix key i clamped to the stored keys; identity when there are none.
    Matrix MatrixKeyAt(float keyTime) const;

    /// --- fields, in declaration order ---------------------------------------------------------
    std::shared_ptr<KeyframeFrame> frame;
    std::shared_ptr<KeyframeAnimation> animation;
    int32_t kind = 0;
    bool enabled = true;
    int32_t sharesDeviceObjects = 0;
    MotionMode motionMode = MotionMode::Free;
    int32_t rotationOrder = 0;
    std::string name;
    SceneObject* parent = nullptr;
    std::vector<SceneObject*> children;
    std::vector<SceneObject*> pendingRemovals;
    Matrix world;
    Matrix parentWorld;
    Matrix animatedLocal;
    Matrix sampledTransform = Matrix::Zero();
    Matrix restPose = Matrix::Zero();
    std::shared_ptr<std::vector<PackedPose>> bakedPoses;
    Matrix nodeTransform;
    Vector3 position;
    Vector3 angularVelocity;
    Vector3 velocity;
    Vector3 rotation;
    Vector3 scale{1.0f, 1.0f, 1.0f};
    int32_t keyCount = 0;
    float speed = 1.0f;
    float time = 0.0f;
    std::shared_ptr<std::vector<Matrix>> matrixKeys;
    Vector3 eye;
    Vector3 targetPoint;
    Vector3 up;
    SceneObject* target = nullptr;
    int32_t holdOrientation = 0;
    UpdateCallback updateCallback = nullptr;
    void* callbackData = nullptr;
    int32_t playMode = static_cast<int32_t>(PlayMode::Stopped);
    int32_t firstFrame = 0;
    int32_t lastFrame = 0;
    bool loop = true;
    bool cullToView = false;
    SceneObject* boneParent = nullptr;
    Vector3 nodeRotationAxis;
    float nodeRotationAngle = 0.0f;
    bool hasRotationKeys = false;
    bool hasPositionKeys = false;
    Vector3 nodeScale{1.0f, 1.0f, 1.0f};
    Vector3 nodePosition;
    Quaternion lastRotationKey;
    int32_t animationOptions = ANIM_SPLINEPOSITION;
    bool inView = true;
    bool poseCached = false;
    Matrix cachedLocal;
    SceneObject* lastClone = nullptr;
    bool rewindOnStop = true;
    bool applyScale = false;
    int32_t cloneCount = 0;
    int32_t updateCount = 0;
    bool removalsPending = false;
    bool ownsBakedPoses = false;
    bool isClone = false;

protected:
    /// Applies the velocities, then world = R · T(position) · world (no look-at step).
    void ComposeFreeMotion();
    /// The world translation (row 3 of world).
    Vector3 WorldTranslation() const { return world.GetTranslation(); }
    bool IsPlaying() const { return playMode == static_cast<int32_t>(PlayMode::Playing); }
};

}  // namespace orix
