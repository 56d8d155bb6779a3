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

// Logs destructions and callback visits so tests can see what a removal deleted, and when.
struct Tracked : SceneObject {
    Tracked(std::vector<std::string>* log, const std::string& n) : log_(log) { name = n; }
    ~Tracked() override { log_->push_back("~" + name); }
    std::vector<std::string>* log_;
};

void NoteUpdate(SceneObject* self, void* log) {
    static_cast<std::vector<std::string>*>(log)->push_back(self->name);
}

void RemoveSelf(SceneObject* self, void* log) {
    NoteUpdate(self, log);
    self->RemoveLater();
    self->RemoveLater();  // twice: still removed once
}

TEST_F(SceneObjectTest, FreeMotionTurnsThenMovesThenFollowsItsMovingParent) {
    SceneObject parentObj, child;
    parentObj.AddChild(&child);
    parentObj.position = {10, 0, 0};
    parentObj.velocity = {2, 0, 0};
    child.position = {0, 0, 5};
    child.SetRotation(0, kPi / 2, 0, 1);
    for (int frame = 1; frame <= 2; ++frame) {
        parentObj.Update(kUpdateScene);
        Matrix expected = Matrix::RotationY(kPi / 2) * Matrix::Translation({0, 0, 5}) *
                          Matrix::Translation({10.0f + 2.0f * frame, 0, 0});
        EXPECT_LT(MaxDifference(child.world, expected), 1e-5f) << "the same frame";
    }
    EXPECT_EQ(child.parentWorld, parentObj.world);
    parentObj.children.clear();
}

TEST_F(SceneObjectTest, LookAtTurnsPlusZTowardTheTargetUnlessHeld) {
    SceneObject target, viewer;
    target.world = Matrix::Translation({0, 0, -50});
    viewer.SetTarget(&target, 0);
    EXPECT_EQ(viewer.motionMode, MotionMode::LookAt);
    viewer.UpdateLookAt();
    EXPECT_NEAR(viewer.rotation.y, kPi, 1e-6);
    for (Vector3 p :
         {Vector3{0, 0, 50}, Vector3{30, 40, 20}, Vector3{-30, -10, -60}, Vector3{5, 100, -1}}) {
        target.world = Matrix::Translation(p);
        viewer.Update(kUpdateAnimate);
        Vector3 zAxis = TransformDirection({0, 0, 1}, viewer.world);
        EXPECT_NEAR(Dot(zAxis, Normalize(p)), 1.0f, 1e-5);
        EXPECT_NEAR(viewer.rotation.z, 0.0f, 1e-6);
    }
    viewer.holdOrientation = 1;
    Vector3 before = viewer.rotation;
    target.world = Matrix::Translation({100, 0, 0});
    viewer.UpdateLookAt();
    EXPECT_EQ(viewer.rotation, before);
    EXPECT_EQ(viewer.targetPoint, Vector3(100, 0, 0));

    SceneObject here, eye;
    eye.SetTarget(&here, 0);  // both at the origin
    eye.Update(kUpdateAnimate);
    EXPECT_FALSE(std::isnan(eye.rotation.x) || std::isnan(eye.rotation.y));
}

TEST_F(SceneObjectTest, FindChildComparesTheNameBeforeTheSemicolon) {
    SceneObject root, a, b, c, grand;
    a.name = "Bip01 Pelvis2";
    b.name = "Bip01 Pelvis;Clone2";
    c.name = "Bip01";
    grand.name = "Bip01 Spine";
    for (SceneObject* o : {&a, &b, &c}) root.AddChild(o);
    c.AddChild(&grand);
    EXPECT_EQ(root.FindChild("Bip01 Pelvis"), &b);
    EXPECT_EQ(root.FindChild("Bip01"), &c);
    EXPECT_EQ(root.FindChild("Bip01 Spine"), nullptr);
    EXPECT_EQ(root.FindChild(""), nullptr);
    root.children.clear();
    c.children.clear();
}

TEST_F(SceneObjectTest, RemovalsDeleteTheSubtreeAndWaitForTheSiblings) {
    std::vector<std::string> log;
    SceneObject root;
    auto* a = new Tracked(&log, "a");
    root.AddChild(a);
    a->AddChild(new Tracked(&log, "a1"));
    a->AddChild(new Tracked(&log, "a2"));
    SceneObject stranger;
    root.RemoveChild(&stranger);
    EXPECT_TRUE(log.empty());
    root.RemoveChild(a);
    EXPECT_EQ(log, (std::vector<std::string>{"~a1", "~a2", "~a"}));
    EXPECT_TRUE(root.children.empty());

    // Removed from its own callback, an object goes after its siblings were updated.
    log.clear();
    for (const char* n : {"first", "doomed", "last"}) {
        root.AddChild(new Tracked(&log, n));
        root.children.back()->SetUpdateCallback(
            std::string(n) == "doomed" ? RemoveSelf : NoteUpdate, &log);
    }
    root.Update(kUpdateScene);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "doomed", "last", "~doomed"}));
    EXPECT_EQ(root.children.size(), 2u);
    EXPECT_FALSE(root.removalsPending);
    root.DeleteChildren();
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(log.size(), 6u);
}

}  // namespace
}  // namespace orix
