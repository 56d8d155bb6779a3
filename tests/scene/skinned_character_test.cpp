#include <gtest/gtest.h>

#include "render/camera.h"
#include "scene/scene.h"
#include "scene/skinned_character.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

using CharacterTest = testing::DrawFixture;

// A bone, and a one-triangle mesh under it drawn with material 0.
void Populate(SkinnedCharacter& c) {
    Mesh* m = c.NewMesh();
    m->name = "Body";
    m->AddVertex(0, 0, 0);
    m->AddVertex(1, 0, 0);
    m->AddVertex(0, 1, 0);
    m->AddFace(0, 1, 2, 0);
    Helper* h = c.NewHelper();
    h->name = "Bip01 Pelvis";
    m->boneParent = h;
    MaterialSet* set = c.NewMaterial();
    set->main.record.diffuse.g = 0.5f;
    m->materials = set;
}

// RemoveChild deletes the child's children and then the child: the character's pieces must go
// once, not again through its own tables.
TEST_F(CharacterTest, RemovedFromItsParentItsPiecesGoOnce) {
    SceneObject parent;
    auto* c = new SkinnedCharacter(1);
    Populate(*c);
    parent.AddChild(c);
    parent.RemoveChild(c);
    EXPECT_TRUE(parent.children.empty());

    // Deleted directly, the character still deletes every piece it holds.
    auto* d = new SkinnedCharacter(1);
    Populate(*d);
    delete d;
}

TEST_F(CharacterTest, OutOfViewUpdatesNothingBelowIt) {
    Scene scene(&engine);
    Camera camera({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    scene.SetCamera(&camera);
    camera.Update(kUpdateScene);
    SkinnedCharacter c(1);
    Populate(c);
    c.scene = &scene;
    c.cullToView = true;
    c.position = {0, 0, 90000};
    c.Update(kUpdateScene);
    EXPECT_FALSE(c.inView);
    EXPECT_EQ(c.meshes[0]->updateCount, 0);
    EXPECT_TRUE(device.draws.empty());
}

TEST_F(CharacterTest, ClonesCopyPiecesAndShareMaterials) {
    auto* source = new SkinnedCharacter(1);
    Populate(*source);
    auto* clone = static_cast<SkinnedCharacter*>(source->Clone());
    ASSERT_EQ(clone->meshCount, 1);
    ASSERT_EQ(clone->helperCount, 1);
    EXPECT_NE(clone->meshes[0], source->meshes[0]);
    EXPECT_EQ(clone->meshes[0]->name, "Body;Clone1");
    // The cloned mesh follows the cloned bone, although the mesh came first.
    EXPECT_EQ(clone->meshes[0]->boneParent, clone->helpers[0]);
    EXPECT_EQ(clone->FindChild("Bip01 Pelvis"), clone->helpers[0]);
    EXPECT_EQ(clone->MaterialAt(0), source->MaterialAt(0));
    EXPECT_EQ(clone->children.front(), clone->meshes[0]);  // source order kept
    delete clone;

    source->Update(kUpdateScene);
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_FLOAT_EQ(device.draws[0].material.diffuse.g, 0.5f);

    clone = static_cast<SkinnedCharacter*>(source->Clone());
    delete source;
    device.draws.clear();
    engine.currentMaterial = nullptr;
    clone->Update(kUpdateScene);
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_FLOAT_EQ(device.draws[0].material.diffuse.g, 0.5f);
    delete clone;
}

}  // namespace
}  // namespace orix
