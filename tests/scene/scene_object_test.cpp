#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "device/globals.h"
#include "scene/scene_object.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

constexpr float kPi = 3.1415927f;

struct SceneObjectTest : ::testing::Test {
    EngineFixture fx;
};

// Counts destructions so tests can see what a removal deleted.
struct Tracked : SceneObject {
    explicit Tracked(std::vector<std::string>* log, const std::string& n) : log_(log) { name = n; }
    ~Tracked() override { log_->push_back(name); }
    std::vector<std::string>* log_;
};

TEST_F(SceneObjectTest, UnmovedRootObjectHasIdentityWorld) {
    SceneObject o;
    o.world = Matrix::Translation({5, 5, 5});
    o.Update(kUpdateScene);
    EXPECT_EQ(o.world, Matrix::Identity());
    EXPECT_EQ(o.updateCount, 1);
}

TEST_F(SceneObjectTest, ChildFollowsItsMovingParentInTheSameFrame) {
    SceneObject root, parentObj, child;
    root.AddChild(&parentObj);
    parentObj.AddChild(&child);
    parentObj.velocity = {2, 0, 0};
    child.position = {0, 1, 0};
    for (int frame = 1; frame <= 3; ++frame) {
        root.Update(kUpdateScene);
        EXPECT_NEAR(parentObj.world.m[3][0], 2.0f * frame, 1e-5);
        EXPECT_NEAR(child.world.m[3][0], 2.0f * frame, 1e-5);
        EXPECT_NEAR(child.world.m[3][1], 1.0f, 1e-5);
    }
    root.children.clear();
    parentObj.children.clear();
}

TEST_F(SceneObjectTest, FreeMotionTurnsThenMovesThenFollowsParent) {
    SceneObject parentObj, child;
    parentObj.AddChild(&child);
    parentObj.position = {10, 0, 0};
    child.position = {0, 0, 5};
    child.SetRotation(0, kPi / 2, 0, 1);
    parentObj.Update(kUpdateScene);
    Matrix expected = Matrix::RotationY(kPi / 2) * Matrix::Translation({0, 0, 5}) *
                      Matrix::Translation({10, 0, 0});
    EXPECT_LT(MaxDifference(child.world, expected), 1e-5f);
    EXPECT_EQ(child.parentWorld, parentObj.world);
    parentObj.children.clear();
}

TEST_F(SceneObjectTest, AngularVelocityScalesWithFrameStepAndDisabledSubtreeFreezes) {
    SceneObject o, child;
    o.AddChild(&child);
    child.velocity = {1, 0, 0};
    o.angularVelocity = {0, 0.1f, 0};
    frameStep = 0.99f;  // a 33 ms frame
    o.Update(kUpdateScene);
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.rotation.y, 0.198f, 1e-5);
    o.enabled = false;
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.rotation.y, 0.198f, 1e-5);
    EXPECT_NEAR(child.position.x, 1.98f, 1e-5);
    EXPECT_EQ(o.updateCount, 2);
    o.children.clear();
}

TEST_F(SceneObjectTest, EulerOrdersMatchHandBuiltMatrices) {
    auto rotX = [](float a) {
        Matrix m;
        m.m[1][1] = std::cos(a), m.m[1][2] = std::sin(a);
        m.m[2][1] = -std::sin(a), m.m[2][2] = std::cos(a);
        return m;
    };
    auto rotY = [](float a) {
        Matrix m;
        m.m[0][0] = std::cos(a), m.m[0][2] = -std::sin(a);
        m.m[2][0] = std::sin(a), m.m[2][2] = std::cos(a);
        return m;
    };
    auto rotZ = [](float a) {
        Matrix m;
        m.m[0][0] = std::cos(a), m.m[0][1] = std::sin(a);
        m.m[1][0] = -std::sin(a), m.m[1][1] = std::cos(a);
        return m;
    };
    Vector3 r{0.3f, -1.1f, 0.7f};
    SceneObject o;
    o.SetRotation(r.x, r.y, r.z, 0);
    o.Update(kUpdateAnimate);
    EXPECT_LT(MaxDifference(o.world, rotZ(r.z) * rotY(r.y) * rotX(r.x)), 1e-6f);
    o.SetRotation(r.x, r.y, r.z, 1);
    o.Update(kUpdateAnimate);
    EXPECT_LT(MaxDifference(o.world, rotX(r.x) * rotY(r.y) * rotZ(r.z)), 1e-6f);
    o.SetRotation(r.x, r.y, r.z, 2);
    o.Update(kUpdateAnimate);
    EXPECT_LT(MaxDifference(o.world, rotX(r.x) * rotZ(r.z) * rotY(r.y)), 1e-6f);
    o.SetRotation(r.x, r.y, r.z, 7);
    o.Update(kUpdateAnimate);
    EXPECT_EQ(o.world, Matrix::Identity());
}

TEST_F(SceneObjectTest, LookAtTurnsPlusZTowardTheTarget) {
    SceneObject target, viewer;
    target.world = Matrix::Translation({0, 0, 50});
    viewer.SetTarget(&target, 0);
    EXPECT_EQ(viewer.motionMode, MotionMode::LookAt);
    EXPECT_EQ(viewer.up, Vector3(0, 1, 0));
    viewer.UpdateLookAt();
    EXPECT_NEAR(viewer.rotation.x, 0.0f, 1e-6);
    EXPECT_NEAR(viewer.rotation.y, 0.0f, 1e-6);
    EXPECT_NEAR(viewer.rotation.z, 0.0f, 1e-6);

    target.world = Matrix::Translation({0, 0, -50});
    viewer.UpdateLookAt();
    EXPECT_NEAR(viewer.rotation.y, kPi, 1e-6);

    // Any direction: the object's +z axis ends up along the way to the target.
    for (Vector3 p : {Vector3{30, 40, 20}, Vector3{-30, -10, -60}, Vector3{5, 100, -1}}) {
        target.world = Matrix::Translation(p);
        viewer.Update(kUpdateAnimate);
        Vector3 zAxis = TransformDirection({0, 0, 1}, viewer.world);
        Vector3 want = Normalize(p);
        EXPECT_NEAR(Dot(zAxis, want), 1.0f, 1e-5);
    }

    viewer.holdOrientation = 1;
    Vector3 before = viewer.rotation;
    target.world = Matrix::Translation({100, 0, 0});
    viewer.UpdateLookAt();
    EXPECT_EQ(viewer.rotation, before);
    EXPECT_EQ(viewer.targetPoint, Vector3(100, 0, 0));
}

TEST_F(SceneObjectTest, NullTargetKeepsOrientationAndModeAndTargetOnEyeMakesNoNaN) {
    SceneObject viewer;
    viewer.SetRotation(0.2f, 0.3f, 0, 1);
    viewer.SetTarget(nullptr, 0);
    EXPECT_EQ(viewer.motionMode, MotionMode::Free);
    viewer.Update(kUpdateAnimate);
    EXPECT_EQ(viewer.rotation, Vector3(0.2f, 0.3f, 0));

    SceneObject here;
    viewer.SetTarget(&here, 0);  // both at the origin
    viewer.Update(kUpdateAnimate);
    EXPECT_FALSE(std::isnan(viewer.rotation.x) || std::isnan(viewer.rotation.y));
    viewer.SetTarget(nullptr, 0);
    viewer.Update(kUpdateAnimate);  // stays LookAt on the last point, without a dangling target
    EXPECT_EQ(viewer.motionMode, MotionMode::LookAt);
    EXPECT_EQ(viewer.target, nullptr);
}

TEST_F(SceneObjectTest, FindChildComparesTheNameBeforeTheSemicolon) {
    SceneObject root, a, b, c, grand;
    a.name = "Bip01 Pelvis2";
    b.name = "Bip01 Pelvis;Clone2";
    c.name = "Bip01";
    grand.name = "Bip01 Spine";
    root.AddChild(&a);
    root.AddChild(&b);
    root.AddChild(&c);
    c.AddChild(&grand);
    EXPECT_EQ(root.FindChild("Bip01 Pelvis"), &b);
    EXPECT_EQ(root.FindChild("Bip01"), &c);
    EXPECT_EQ(root.FindChild("Bip01 Spine"), nullptr);
    EXPECT_EQ(root.FindChild(""), nullptr);
    root.children.clear();
    c.children.clear();
}

TEST_F(SceneObjectTest, RemoveChildDeletesTheChildAndItsChildrenAndIgnoresStrangers) {
    std::vector<std::string> log;
    SceneObject root;
    auto* a = new Tracked(&log, "a");
    auto* b = new Tracked(&log, "b");
    root.AddChild(a);
    root.AddChild(b);
    a->AddChild(new Tracked(&log, "a1"));
    a->AddChild(new Tracked(&log, "a2"));
    SceneObject stranger;
    root.RemoveChild(&stranger);
    EXPECT_TRUE(log.empty());
    root.RemoveChild(a);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "a"}));
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0], b);
    root.DeleteChildren();
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(log.back(), "b");
}

struct RemovalProbe {
    std::vector<std::string> order;
};

void RemoveSelf(SceneObject* self, void* data) {
    static_cast<RemovalProbe*>(data)->order.push_back(self->name);
    self->RemoveLater();
    self->RemoveLater();  // twice: still removed once
}

void NoteUpdate(SceneObject* self, void* data) {
    static_cast<RemovalProbe*>(data)->order.push_back(self->name);
}

TEST_F(SceneObjectTest, RemoveLaterFromItsOwnCallbackWaitsForTheSiblings) {
    std::vector<std::string> log;
    RemovalProbe probe;
    SceneObject root;
    auto* first = new Tracked(&log, "first");
    auto* doomed = new Tracked(&log, "doomed");
    auto* last = new Tracked(&log, "last");
    root.AddChild(first);
    root.AddChild(doomed);
    root.AddChild(last);
    first->SetUpdateCallback(NoteUpdate, &probe);
    doomed->SetUpdateCallback(RemoveSelf, &probe);
    last->SetUpdateCallback(NoteUpdate, &probe);
    root.Update(kUpdateScene);
    EXPECT_EQ(probe.order, (std::vector<std::string>{"first", "doomed", "last"}));
    EXPECT_EQ(log, std::vector<std::string>{"doomed"});
    EXPECT_EQ(root.children.size(), 2u);
    EXPECT_FALSE(root.removalsPending);
    root.Update(kUpdateScene);
    EXPECT_EQ(probe.order.size(), 5u);
    root.DeleteChildren();
}

TEST_F(SceneObjectTest, ClonesAreNumberedShareTheTracksAndOutliveNothing) {
    auto* source = new SceneObject;
    source->name = "Hips";
    source->AddPositionKey(0, 1, 2, 3, false);
    source->AddPositionKey(10, 11, 2, 3, false);
    source->SetFrameRange(0, 10);
    source->position = {4, 5, 6};
    source->speed = 2.0f;
    SceneObject root;
    root.AddChild(source);
    SceneObject child;
    source->AddChild(&child);

    SceneObject* c1 = source->Clone();
    SceneObject* c2 = source->Clone();
    EXPECT_EQ(c1->name, "Hips;Clone1");
    EXPECT_EQ(c2->name, "Hips;Clone2");
    EXPECT_EQ(source->cloneCount, 2);
    EXPECT_EQ(source->lastClone, c2);
    EXPECT_TRUE(c1->isClone);
    EXPECT_EQ(c1->sharesDeviceObjects, 1);
    EXPECT_EQ(c1->animation, source->animation);
    EXPECT_EQ(c1->frame, source->frame);
    EXPECT_EQ(c1->parent, &root);
    EXPECT_TRUE(c1->children.empty());
    EXPECT_EQ(c1->position, Vector3(4, 5, 6));
    EXPECT_EQ(c1->speed, 2.0f);
    EXPECT_EQ(c1->cloneCount, 0);
    EXPECT_EQ(root.children.size(), 1u);  // the caller places clones
    EXPECT_EQ(root.FindChild("Hips"), source);

    delete c1;
    delete c2;
    // The source still samples its keys.
    Matrix pose;
    source->time = 5;
    source->ComputeAnimatedLocal(&pose);
    EXPECT_GT(pose.m[3][0], 1.0f);
    // And a clone outlives its source safely.
    SceneObject* c3 = source->Clone();
    source->children.clear();
    root.RemoveChild(source);
    c3->time = 10;
    c3->ComputeAnimatedLocal(&pose);
    EXPECT_NEAR(pose.m[3][0], 11.0f, 1e-4);
    delete c3;
}

TEST_F(SceneObjectTest, CloningASkeletonParentFirstRelinksBoneParents) {
    SceneObject hips, spine, head;
    spine.boneParent = &hips;
    head.boneParent = &spine;
    SceneObject* orphan = head.Clone();  // before its parents are cloned
    EXPECT_EQ(orphan->boneParent, &spine);
    SceneObject* h = hips.Clone();
    SceneObject* s = spine.Clone();
    SceneObject* d = head.Clone();
    EXPECT_EQ(h->boneParent, nullptr);
    EXPECT_EQ(s->boneParent, h);
    EXPECT_EQ(d->boneParent, s);
    EXPECT_EQ(d->name, ";Clone2");
    for (SceneObject* o : {orphan, h, s, d}) delete o;
}

TEST_F(SceneObjectTest, ApplyWorldTransformScalesByOneLevelOfParentScale) {
    SceneObject parentObj, child;
    parentObj.AddChild(&child);
    parentObj.scale = {2, 2, 2};
    child.scale = {1, 3, 1};
    child.position = {1, 0, 0};
    parentObj.Update(kUpdateScene);
    child.ApplyWorldTransform();
    EXPECT_EQ(fx.device.Transform(TRANSFORM_WORLD), child.world);
    child.applyScale = true;
    child.ApplyWorldTransform();
    EXPECT_EQ(fx.device.Transform(TRANSFORM_WORLD), Matrix::Scaling({2, 6, 2}) * child.world);
    child.motionMode = MotionMode::Fixed;
    child.ApplyWorldTransform();
    EXPECT_EQ(fx.device.Transform(TRANSFORM_WORLD), child.world);
    parentObj.applyScale = true;
    parentObj.ApplyWorldTransform();  // no parent: unscaled
    EXPECT_EQ(fx.device.Transform(TRANSFORM_WORLD), parentObj.world);
    parentObj.children.clear();
}

TEST_F(SceneObjectTest, FixedModeKeepsItsWorld) {
    SceneObject parentObj, child;
    parentObj.AddChild(&child);
    parentObj.position = {1, 2, 3};
    child.motionMode = MotionMode::Fixed;
    child.world = Matrix::Translation({7, 7, 7});
    parentObj.Update(kUpdateScene);
    EXPECT_EQ(child.world, Matrix::Translation({7, 7, 7}));
    EXPECT_EQ(child.parentWorld, child.world);
    parentObj.children.clear();
}

}  // namespace
}  // namespace orix
