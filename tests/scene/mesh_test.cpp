// Meshes and the skinned character that holds them, drawn through the fake device.
#include <gtest/gtest.h>

#include <vector>

#include "scene/helper.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "support/engine_fixture.h"

namespace orix {
namespace {

using MeshTest = testing::DrawFixture;

TEST_F(MeshTest, BuildsAndDrawsOneIndexedListWithoutAMaterialSet) {
    auto* m = new Mesh(1);  // a quad
    for (int i = 0; i < 4; ++i) m->AddVertex(float(i % 3 != 0), float(i / 2), 0);
    m->AddFace(0, 1, 2, 0);
    m->AddFace(0, 2, 3, 0);
    m->Update(kUpdateDraw);  // never updated with Animate: draws nothing yet
    EXPECT_TRUE(device.draws.empty());
    m->Update(kUpdateScene);
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_EQ(device.draws[0].vertexType, VT_LVERTEX);
    EXPECT_EQ(device.draws[0].vertexCount, 4u);
    EXPECT_EQ(device.draws[0].indexCount, 6u);

    // 16-bit indices reach 65536 vertices and no further.
    Mesh big(0);
    for (uint32_t i = 0; i < Mesh::kMaxVertices; ++i) ASSERT_TRUE(big.AddVertex(float(i), 0, 0));
    EXPECT_FALSE(big.AddVertex(0, 0, 0));
    EXPECT_EQ(big.vertexCount, Mesh::kMaxVertices);
    big.AddFace(0, 65534, 65535, 0);
    EXPECT_EQ(big.geometry->indices[2], 65535);
    delete m;
}

TEST_F(MeshTest, SubMaterialsDrawOncePerMaterialWithTheirOwnMaterial) {
    Mesh* m = new Mesh(1);
    for (int i = 0; i < 9; ++i) m->AddVertex(float(i), float(i % 2), 0);
    m->AddFace(0, 1, 2, 0);
    m->AddFace(3, 4, 5, 1);
    m->AddFace(6, 7, 8, 299);
    m->AddFace(2, 1, 0, 0);
    MaterialSet* set = m->CreateMaterialSet();
    for (int i = 0; i < 3; ++i) {
        Material* sub = set->AddSubMaterial();
        ASSERT_NE(sub, nullptr);
        sub->record.diffuse = {0.1f * float(i + 1), 0.5f, 0.25f, 0.0f};
        sub->record.texture = TextureHandle(100 + i);
    }
    // Of a large set, only the sub-materials the faces select get a sub-mesh.
    for (int i = 3; i < 300; ++i) ASSERT_NE(set->AddSubMaterial(), nullptr);
    set->subMaterials[299].record = set->subMaterials[2].record;
    m->BuildMaterialSubMeshes();
    EXPECT_EQ(m->subMeshCount, 3);
    EXPECT_EQ(m->geometry->subMeshes[2].materialId, 299);
    const SubMesh& first = m->geometry->subMeshes[0];
    EXPECT_EQ(first.faceCount, 2u);
    // Vertices shared by its two faces are taken once, where a reader asks for its own list.
    std::vector<uint16_t> used, local;
    GatherVertices(first.sharedIndices.data(), first.sharedIndices.size(), m->vertexCount, &used,
                   &local);
    EXPECT_EQ(used, (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(local, (std::vector<uint16_t>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(first.color, PackColor({0.1f, 0.5f, 0.25f, 1.0f}));

    m->Update(kUpdateScene);
    ASSERT_EQ(device.draws.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(device.draws[i].textureHandle, uint32_t(100 + i));
        EXPECT_FLOAT_EQ(device.draws[i].material.diffuse.r, 0.1f * float(i + 1));
    }
    EXPECT_EQ(device.draws[0].indexCount, 6u);
    EXPECT_EQ(device.draws[1].positions[0].x, 3.0f);

    // The next frame: materials already current are not loaded again only when consecutive;
    // a collision sub-material is never applied.
    set->subMaterials[1].collision = true;
    device.draws.clear();
    uint32_t loads = device.materialLoads;
    m->Update(kUpdateScene);
    ASSERT_EQ(device.draws.size(), 3u);
    EXPECT_EQ(device.draws[1].textureHandle, 100u);  // sub-material 0 stayed current
    EXPECT_EQ(device.materialLoads, loads + 2);
    delete m;
}

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
TEST_F(MeshTest, CharacterRemovedFromItsParentItsPiecesGoOnce) {
    SceneObject parent;
    auto* c = new SkinnedCharacter(1);
    Populate(*c);
    parent.AddChild(c);
    parent.RemoveChild(c);
    EXPECT_TRUE(parent.children.empty());

    // Deleted directly, the character still deletes every piece it holds; one deleted before
    // leaves its table once, and a stranger is refused.
    auto* d = new SkinnedCharacter(1);
    Populate(*d);
    Helper* spare = d->NewHelper();
    Helper stranger;
    EXPECT_FALSE(d->DeleteHelper(&stranger));
    EXPECT_TRUE(d->DeleteHelper(spare));
    EXPECT_EQ(d->helperCount, 1);
    EXPECT_EQ(d->helpers.size(), 1u);
    delete d;
}

TEST_F(MeshTest, CharacterClonesCopyPiecesAndShareMaterials) {
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
    clone->SetSpeed(0.25f);
    EXPECT_EQ(clone->meshes[0]->speed, 0.25f);
    EXPECT_EQ(clone->helpers[0]->speed, 0.25f);
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

// A batch of positions lands in the one array of the mesh's format, up to the vertex limit.
TEST(MeshVertices, ABatchFillsItsFormatsArrayAloneUpToTheLimit) {
    const Vector3 points[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (int32_t format : {0, 1, 2}) {
        Mesh m(format);
        EXPECT_EQ(m.AddVertices(points, 3), 3u);
        ASSERT_EQ(m.vertexCount, 3u);
        for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(m.VertexPosition(i).y, points[i].y);
        const MeshGeometry& g = *m.geometry;
        EXPECT_EQ(g.unlitVertices.size() + g.litVertices.size() + g.transformedVertices.size(), 3u)
            << "format " << format;
    }
    Mesh full(1);
    std::vector<Vector3> many(Mesh::kMaxVertices - 1);
    EXPECT_EQ(full.AddVertices(many.data(), many.size()), many.size());
    EXPECT_EQ(full.AddVertices(points, 3), 1u);
    EXPECT_EQ(full.vertexCount, Mesh::kMaxVertices);
}

}  // namespace
}  // namespace orix
