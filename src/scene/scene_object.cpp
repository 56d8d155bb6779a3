#include "scene/scene_object.h"

#include <algorithm>
#include <cmath>

#include "device/engine.h"
#include "device/globals.h"

namespace orix {

PackedPose PackedPose::Pack(const Matrix& a) {
    PackedPose p;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) p.m[r][c] = a.m[r][c];
    return p;
}

Matrix PackedPose::Unpack() const {
    Matrix a;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) a.m[r][c] = m[r][c];
        a.m[r][3] = r == 3 ? 1.0f : 0.0f;
    }
    return a;
}

SceneObject::SceneObject() {
    CreateFrame(nullptr);
}

bool SceneObject::CreateFrame(KeyframeFrame* /*parentFrame*/) {
    frame = std::make_shared<KeyframeFrame>();
    return true;
}

SceneObject::SceneObject(const SceneObject& source)
    : frame(source.frame),
      animation(source.animation),
      kind(source.kind),
      enabled(source.enabled),
      sharesDeviceObjects(1),
      motionMode(source.motionMode),
      rotationOrder(source.rotationOrder),
      parent(source.parent),
      world(source.world),
      parentWorld(source.parentWorld),
      animatedLocal(source.animatedLocal),
      restPose(source.restPose),
      bakedPoses(source.bakedPoses),
      nodeTransform(source.nodeTransform),
      position(source.position),
      angularVelocity(source.angularVelocity),
      velocity(source.velocity),
      rotation(source.rotation),
      scale(source.scale),
      keyCount(source.keyCount),
      speed(source.speed),
      time(source.time),
      matrixKeys(source.matrixKeys),
      updateCallback(source.updateCallback),
      callbackData(source.callbackData),
      playMode(source.playMode),
      firstFrame(source.firstFrame),
      lastFrame(source.lastFrame),
      loop(source.loop),
      cullToView(source.cullToView),
      hasRotationKeys(source.hasRotationKeys),
      hasPositionKeys(source.hasPositionKeys),
      lastRotationKey(source.lastRotationKey),
      animationOptions(source.animationOptions),
      poseCached(false),
      cachedLocal(source.cachedLocal),
      rewindOnStop(source.rewindOnStop),
      applyScale(source.applyScale),
      ownsBakedPoses(source.ownsBakedPoses),
      isClone(true) {
    // Cloning a skeleton parent-first links each cloned bone to its parent's newest clone.
    boneParent = source.boneParent;
    if (boneParent && boneParent->lastClone) boneParent = boneParent->lastClone;
    // The source's clone bookkeeping is not part of its value; it numbers the clones.
    SceneObject& src = const_cast<SceneObject&>(source);
    src.cloneCount += 1;
    src.lastClone = this;
    name = source.name + ";Clone" + std::to_string(src.cloneCount);
}

SceneObject::~SceneObject() = default;

SceneObject* SceneObject::Clone() {
    return new SceneObject(*this);
}

// --- tree ------------------------------------------------------------------------------------

void SceneObject::AddChild(SceneObject* child) {
    if (!child) return;
    children.push_back(child);
    child->parent = this;
}

void SceneObject::RemoveChild(SceneObject* child) {
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end() || !child) return;
    children.erase(it);
    // A queued entry for it would otherwise outlive the object.
    pendingRemovals.erase(std::remove(pendingRemovals.begin(), pendingRemovals.end(), child),
                          pendingRemovals.end());
    removalsPending = !pendingRemovals.empty();
    child->DeleteChildren();
    delete child;
}

void SceneObject::DeleteChildren() {
    std::vector<SceneObject*> doomed;
    doomed.swap(children);
    for (SceneObject* child : doomed) delete child;
    pendingRemovals.clear();
    removalsPending = false;
}

void SceneObject::RemoveLater() {
    if (!parent) return;
    parent->removalsPending = true;
    parent->pendingRemovals.push_back(this);
}

void SceneObject::UpdateChildren(uint32_t flags) {
    // A model's nodes lie apart in memory, each reads most of its record and, behind two
    // pointers, its animation's keys: records, animations and keys are fetched that many
    // children ahead, each stage well after the one it reads arrived.
    constexpr size_t kRecordAhead = 5, kAnimationAhead = 3, kKeysAhead = 1;
    auto fetchRecord = [this](size_t at) {
        const char* p = reinterpret_cast<const char*>(children[at]);
        if (!p) return;
        for (size_t off = 0; off < sizeof(SceneObject); off += 64) __builtin_prefetch(p + off);
    };
    for (size_t i = 0; i < std::min(kRecordAhead, children.size()); ++i) fetchRecord(i);
    // Children added during the loop wait for the next frame; the bound check covers a child
    // removed at once by a callback.
    size_t count = children.size();
    for (size_t i = 0; i < count && i < children.size(); ++i) {
        const size_t n = children.size();
        if (i + kRecordAhead < n) fetchRecord(i + kRecordAhead);
        if (i + kAnimationAhead < n && children[i + kAnimationAhead] &&
            children[i + kAnimationAhead]->animation)
            __builtin_prefetch(children[i + kAnimationAhead]->animation.get());
        if (i + kKeysAhead < n && children[i + kKeysAhead] && children[i + kKeysAhead]->animation)
            children[i + kKeysAhead]->animation->Prefetch();
        if (children[i]) children[i]->Update(flags);
    }
    if (removalsPending) {
        std::vector<SceneObject*> queued;
        queued.swap(pendingRemovals);
        removalsPending = false;
        for (SceneObject* child : queued) RemoveChild(child);
    }
}

SceneObject* SceneObject::FindChild(const std::string& childName) const {
    for (SceneObject* child : children) {
        if (!child) continue;
        const std::string& n = child->name;
        size_t cut = n.find(';');
        size_t len = cut == std::string::npos ? n.size() : cut;
        if (len == childName.size() && n.compare(0, len, childName) == 0) return child;
    }
    return nullptr;
}

// --- transform -------------------------------------------------------------------------------

void SceneObject::SetRotation(float x, float y, float z, int32_t order) {
    rotation = Vector3{x, y, z};
    rotationOrder = order;
}

void SceneObject::SetTarget(SceneObject* lookTarget, int32_t hold) {
    target = lookTarget;
    if (!lookTarget) return;
    targetPoint = lookTarget->world.GetTranslation();
    up = Vector3{0.0f, 1.0f, 0.0f};
    eye = world.GetTranslation();
    holdOrientation = hold;
    motionMode = MotionMode::LookAt;
}

void SceneObject::SetUpdateCallback(UpdateCallback callback, void* data) {
    updateCallback = callback;
    callbackData = data;
}

void SceneObject::ApplyWorldTransform() {
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    if (!device) return;
    if (!applyScale) {
        device->SetTransform(TRANSFORM_WORLD, world);
        return;
    }
    Vector3 s{1.0f, 1.0f, 1.0f};
    if (motionMode != MotionMode::Fixed && parent) s = Scale(parent->scale, scale);
    device->SetTransform(TRANSFORM_WORLD, Matrix::Scaling(s) * world);
}

Matrix SceneObject::RotationMatrix(const Vector3& angles, int32_t order) {
    switch (order) {
        case 0:
            return Matrix::EulerZYX(angles);
        case 1:
            return Matrix::EulerXYZ(angles);
        case 2:
            return Matrix::EulerXZY(angles);
        default:
            return Matrix::Identity();
    }
}

void SceneObject::UpdateTransformByMode() {
    switch (motionMode) {
        case MotionMode::Free:
        case MotionMode::LookAt:
            UpdateFreeMotion();
            break;
        case MotionMode::MatrixTrack:
            UpdateMatrixTrack();
            break;
        case MotionMode::Keyframed:
            UpdateKeyframed();
            break;
        case MotionMode::Fixed:
            break;
    }
}

void SceneObject::Update(uint32_t flags) {
    if (!enabled) return;
    ++updateCount;
    if (flags & kUpdateAnimate) {
        if (motionMode != MotionMode::Fixed) world = parent ? parent->world : Matrix::Identity();
        parentWorld = world;
        UpdateTransformByMode();
        if (updateCallback) updateCallback(this, callbackData);
    }
    if (flags & kUpdateChildren) UpdateChildren(flags);
}

void SceneObject::UpdateLookAt() {
    if (target) targetPoint = target->world.GetTranslation();
    if (holdOrientation) return;
    Vector3 d = targetPoint - eye;
    // A target on the eye, or straight above or below it, leaves the undefined angles as they
    // were instead of filling them with NaN.
    if (d.IsZero()) return;
    float h = std::sqrt(d.x * d.x + d.z * d.z);
    float pitch = std::atan2(d.y, h);
    float yaw = rotation.y;
    if (d.x != 0.0f || d.z != 0.0f) {
        yaw = std::atan(d.x / d.z);
        if (d.z < 0.0f) yaw += 3.1415927f;
    }
    SetRotation(-pitch, yaw, 0.0f, 1);
}

void SceneObject::UpdateFreeMotion() {
    if (motionMode == MotionMode::LookAt) UpdateLookAt();
    ComposeFreeMotion();
}

void SceneObject::ComposeFreeMotion() {
    for (int a = 0; a < 3; ++a) {
        if (angularVelocity[a] != 0.0f) rotation[a] += angularVelocity[a] * frameStep;
        if (velocity[a] != 0.0f) position[a] += velocity[a] * frameStep;
    }
    if (!position.IsZero()) world = Matrix::Translation(position) * world;
    if (!rotation.IsZero()) world = RotationMatrix(rotation, rotationOrder) * world;
}

}  // namespace orix
