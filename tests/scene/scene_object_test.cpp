#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "device/globals.h"
#include "scene/node_memory.h"
#include "scene/scene.h"
#include "scene/scene_object.h"
#include "scene/skinned_character.h"
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

TEST_F(SceneObjectTest, AngularVelocityScalesWithFrameStepAndDisabledSubtreeFreezes) {
    SceneObject o, child;
    o.AddChild(&child);
    child.velocity = {1, 0, 0};
    o.angularVelocity = {0, 0.1f, 0};
    frameStep = 0.99f;  // a 33 ms frame
    o.Update(kUpdateScene);
    o.Update(kUpdateScene);
    o.enabled = false;
    o.Update(kUpdateScene);
    EXPECT_NEAR(o.rotation.y, 0.198f, 1e-5);
    EXPECT_NEAR(child.position.x, 1.98f, 1e-5);
    EXPECT_EQ(o.updateCount, 2);
    o.children.clear();
}

TEST_F(SceneObjectTest, RotationOrderPicksTheEulerComposition) {
    const Vector3 r{0.3f, -1.1f, 0.7f};
    const struct {
        int order;
        Matrix expected;
    } cases[] = {{0, Matrix::EulerZYX(r)},
                 {1, Matrix::EulerXYZ(r)},
                 {2, Matrix::EulerXZY(r)},
                 {7, Matrix::Identity()}};
    for (const auto& c : cases) {
        SceneObject o;
        o.SetRotation(r.x, r.y, r.z, c.order);
        o.Update(kUpdateAnimate);
        EXPECT_LT(MaxDifference(o.world, c.expected), 1e-6f) << c.order;
    }
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

TEST_F(SceneObjectTest, RemovalsDeleteTheSubtreeAndWaitForTheSiblings) {
    std::vector<std::string> log;
    SceneObject root;
    auto* a = new Tracked(&log, "a");
    root.AddChild(a);
    a->AddChild(new Tracked(&log, "a1"));
    a->AddChild(new Tracked(&log, "a2"));
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
    EXPECT_EQ(log.size(), 6u);
}

TEST_F(SceneObjectTest, ClonesAreNumberedShareTheTracksAndOutliveTheirSource) {
    auto* source = new SceneObject;
    source->name = "Hips";
    source->AddPositionKey(0, 1, 2, 3, false);
    source->AddPositionKey(10, 11, 2, 3, false);
    source->SetFrameRange(0, 10);
    SceneObject root, child;
    root.AddChild(source);
    source->AddChild(&child);

    SceneObject* c1 = source->Clone();
    SceneObject* c2 = source->Clone();
    EXPECT_EQ(c2->name, "Hips;Clone2");
    EXPECT_EQ(c1->animation, source->animation);
    EXPECT_EQ(c1->parent, &root);
    EXPECT_TRUE(c1->children.empty());
    EXPECT_EQ(root.children.size(), 1u);  // the caller places clones
    delete c1;
    delete c2;
    Matrix pose;
    source->time = 5;
    source->ComputeAnimatedLocal(&pose);
    EXPECT_GT(pose.m[3][0], 1.0f);

    SceneObject* c3 = source->Clone();
    source->children.clear();
    root.RemoveChild(source);
    c3->time = 10;
    c3->ComputeAnimatedLocal(&pose);
    EXPECT_NEAR(pose.m[3][0], 11.0f, 1e-4);
    delete c3;
}

TEST_F(SceneObjectTest, WorldTransformTakesOneLevelOfParentScaleAndFixedKeepsItsWorld) {
    SceneObject parentObj, child, fixed;
    parentObj.AddChild(&child);
    parentObj.AddChild(&fixed);
    parentObj.scale = {2, 2, 2};
    parentObj.position = {1, 2, 3};
    child.scale = {1, 3, 1};
    child.position = {1, 0, 0};
    fixed.motionMode = MotionMode::Fixed;
    fixed.world = Matrix::Translation({7, 7, 7});
    parentObj.Update(kUpdateScene);
    EXPECT_EQ(fixed.world, Matrix::Translation({7, 7, 7}));
    EXPECT_EQ(fixed.parentWorld, fixed.world);
    const auto sent = [&] { return fx.device.Transform(TRANSFORM_WORLD); };
    child.ApplyWorldTransform();
    EXPECT_EQ(sent(), child.world);
    child.applyScale = true;
    child.ApplyWorldTransform();
    EXPECT_EQ(sent(), Matrix::Scaling({2, 6, 2}) * child.world);
    child.motionMode = MotionMode::Fixed;
    child.ApplyWorldTransform();
    EXPECT_EQ(sent(), child.world);
    parentObj.applyScale = true;
    parentObj.ApplyWorldTransform();  // no parent: unscaled
    EXPECT_EQ(sent(), parentObj.world);
    parentObj.children.clear();
}

struct OrderProbe : SceneObject {
    std::vector<std::string>* log;
    OrderProbe(std::vector<std::string>* l, const char* n) : log(l) { name = n; }
    void Update(uint32_t flags) override {
        log->push_back(name);
        SceneObject::Update(flags);
    }
};

TEST_F(SceneObjectTest, ObjectsAreUpdatedInTheOrderAddedUpToTheFirstNull) {
    Scene scene(&fx.engine);
    std::vector<std::string> log;
    OrderProbe a(&log, "a"), b(&log, "b"), c(&log, "c"), d(&log, "d");
    scene.AddChild(&a);
    scene.AddObjects({&b, &c, nullptr, &d});
    b.AddChild(&d);
    scene.Update(kUpdateScene);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "d", "c"}));
    scene.children.clear();
    b.children.clear();
}

// Node memory hands out blocks that never overlap, keeps each node's alignment, and gives a freed
// block to the next node of its size without disturbing the others.
TEST(NodeMemory, BlocksOfEverySizeStayApartAndComeBack) {
    std::vector<std::pair<unsigned char*, size_t>> blocks;
    for (size_t size = 1; size <= 9000; size += 37) {
        auto* p = static_cast<unsigned char*>(AllocateNodeMemory(size));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
        std::memset(p, int(blocks.size() & 0xFF), size);
        blocks.push_back({p, size});
    }
    auto intact = [&](size_t i) {
        for (size_t k = 0; k < blocks[i].second; ++k) {
            if (blocks[i].first[k] != (i & 0xFF)) return false;
        }
        return true;
    };
    for (size_t i = 0; i < blocks.size(); i += 2) FreeNodeMemory(blocks[i].first, blocks[i].second);
    for (size_t i = 0; i < blocks.size(); i += 2) {
        blocks[i].first = static_cast<unsigned char*>(AllocateNodeMemory(blocks[i].second));
        std::memset(blocks[i].first, int(i & 0xFF), blocks[i].second);
    }
    for (size_t i = 0; i < blocks.size(); ++i) EXPECT_TRUE(intact(i)) << "block " << i;
    for (auto& b : blocks) FreeNodeMemory(b.first, b.second);
    // A node deleted through its base gives back its own size.
    SceneObject* node = new SkinnedCharacter(1);
    delete node;
}

}  // namespace
}  // namespace orix
