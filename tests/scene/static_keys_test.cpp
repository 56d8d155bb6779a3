#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "math/quaternion.h"
#include "scene/scene_object.h"
#include "scene/static_keys.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

struct StaticKeysTest : ::testing::Test {
    EngineFixture fx;
};

// A node as a model-file loader would leave it: rotation axis and angle, position, scale, and
// the node transform they make, with the scale then divided out.
void SetNode(SceneObject& node, const Vector3& axis, float angle, const Vector3& pos,
             const Vector3& nodeScale) {
    node.nodeRotationAxis = axis;
    node.nodeRotationAngle = angle;
    node.nodePosition = pos;
    node.nodeScale = nodeScale;
    Matrix m = Matrix::Scaling(nodeScale) * QuaternionToMatrix(QuaternionFromRotation(axis, angle));
    m.SetTranslation(pos);
    node.nodeTransform = m;
    node.RemoveNodeScale();
}

void Finish(SceneObject& node) {
    node.motionMode = MotionMode::Keyframed;
    node.SetFrameRange(0, 30);
    AddMissingStaticKeys(node);
}

// Property: for any node transforms and bone chains, a node whose keys are only the static ones
// built from its own node transform comes back to exactly that transform.
TEST_F(StaticKeysTest, StaticOnlyNodesReproduceTheirNodeTransforms) {
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> angle(-3.1f, 3.1f);
    std::uniform_real_distribution<float> scale(0.5f, 2.0f);
    for (int trial = 0; trial < 200; ++trial) {
        SceneObject character;
        std::vector<std::unique_ptr<SceneObject>> bones;
        int count = 1 + trial % 7;
        for (int i = 0; i < count; ++i) {
            auto bone = std::make_unique<SceneObject>();
            Vector3 axis{unit(rng), unit(rng), unit(rng)};
            if (trial % 11 == 0) axis = Vector3{};  // no rotation at all
            SetNode(*bone, axis, angle(rng), Vector3{unit(rng), unit(rng), unit(rng)} * 20.0f,
                    Vector3{scale(rng), scale(rng), scale(rng)});
            // Any earlier bone (or none) is the skeleton parent: chains, forks and roots.
            int parentIndex = static_cast<int>(rng() % (i + 1)) - 1;
            if (parentIndex >= 0) bone->boneParent = bones[parentIndex].get();
            character.AddChild(bone.get());
            bones.push_back(std::move(bone));
        }
        for (auto& bone : bones) Finish(*bone);
        for (int frame = 0; frame < 2; ++frame) {
            character.Update(kUpdateScene);
            for (auto& bone : bones) {
                ASSERT_LT(MaxDifference(bone->world, bone->nodeTransform), 1e-4f)
                    << "trial " << trial << " frame " << frame;
            }
        }
        character.SetPlayMode(0);
        for (auto& bone : bones) bone->SetPlayMode(0);
        character.Update(kUpdateScene);  // playing: the live path gives the same pose
        for (auto& bone : bones) ASSERT_LT(MaxDifference(bone->world, bone->nodeTransform), 1e-4f);
        character.children.clear();
    }
}

}  // namespace
}  // namespace orix
