/// \file
/// SkinnedCharacter: the container of an animated model. It owns the model's meshes and helpers
/// (its children), its material sets and its textures, forwards play control to all of them so
/// the model plays as one, and after its children have updated runs the skin deformation
/// through the hook skin/ sets when it binds a skin (the scene stays below the skinning).
/// The character itself draws nothing.
///
/// The tables grow with the model: as many meshes, helpers, materials and textures as its file
/// holds (the file's size bounds them). A clone copies the meshes and helpers and shares the
/// materials and textures, which live while any holder does; a skinned source's clone is skinned
/// by its own bones and shares the skin's rest data and poses (a crowd of clones deforms each
/// distinct pose once).
/// Depends on: scene/mesh.h, scene/helper.h, render/texture.h, the engine's scene root; the skin
/// and VUE loading and the deformation live in skin/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/helper.h"
#include "scene/mesh.h"

namespace orix {

class Scene;
struct Texture;

/// One bone's share of the skin, in file order: the skin reader fills bone, count and indices,
/// SkinBind the vertices the deformation carries.
struct SkinBinding {
    SceneObject* bone = nullptr;
    int32_t count = 0;              ///< as the file declared it
    std::vector<int32_t> indices;   ///< 1-based, as read: never more than count, fewer if the file
                                    /// gave fewer
    std::vector<uint32_t> targets;  ///< the vertex each valid index carries (SkinBind)
};

/// A skin vertex's rest position (in its bone's space when bound) and its binding, or -1.
struct SkinRestPoint {
    float x = 0, y = 0, z = 0;
    int32_t binding = -1;
};

/// What SkinBind derives for the per-frame deformation, sized once so a frame allocates nothing.
struct SkinPlan {
    std::vector<int32_t> bindingOfVertex;  ///< per skin vertex: its binding, or -1
    /// Per skin vertex, what a frame reads: half the bytes of the rest copy's records.
    std::vector<SkinRestPoint> restPoints;
    std::vector<Matrix> matrices;  ///< per binding: this frame's bone matrix
    std::vector<uint32_t> copies;  ///< (representative, other vertex) pairs
    bool layered = false;          ///< a vertex listed under several bones
};

/// The skin's vertices in one pose. key holds the local transforms of the skin mesh and of each
/// bound bone that produced it (empty when the pose cannot be told by them); a character whose
/// nodes stand exactly so draws these vertices instead of deforming its own.
struct SkinPose {
    uint64_t hash = 0;
    std::vector<Matrix> key;
    std::shared_ptr<MeshGeometry> geometry;
};

/// What binding a skin makes once and a character shares with its clones: the rest copy, the
/// plan, and the poses the crowd stands in. A pose's geometry is rewritten only when no skin
/// mesh but the deforming one draws it, so the table never holds more poses than the crowd has
/// characters at once.
struct SkinShare {
    std::vector<Vertex> unlitRestCopy;
    std::vector<LVertex> litRestCopy;
    SkinPlan plan;
    std::vector<SkinPose> poses;
    /// By hash, each pose named in one of two slots: 1 + its index, 0 for none (a power of two
    /// in size, at least four times the poses, so a crowd finds its pose without a search).
    std::vector<uint32_t> slots;
    size_t nextFree = 0;  ///< where the search for a pose nobody draws starts
};

class SkinnedCharacter : public SceneObject {
public:
    /// vertexFormat is the format of the meshes this character creates.
    explicit SkinnedCharacter(int32_t vertexFormat);
    /// Copies the meshes and helpers, shares the materials, textures and skin.
    SkinnedCharacter(const SkinnedCharacter& source);
    ~SkinnedCharacter() override;

    SceneObject* Clone() override;
    /// Base AddSpeed on the character and every mesh (helpers keep theirs).
    void AddSpeed(float delta) override;
    /// On the character, every mesh, every helper.
    void SetFrameRange(int32_t first, int32_t last) override;
    void SetPlayMode(int32_t mode) override;
    /// Transforms and view test, every child updates, play state mirrored from the first child.
    void Update(uint32_t flags) override;
    /// speed = value on the character, every mesh and every helper.
    virtual void SetSpeed(float value);
    /// Passes value to every mesh's one-byte option.
    virtual void SetMeshOption(int32_t value);
    /// The first mesh named exactly meshName becomes currentMesh and gets a matrix key; null
    /// when none matches.
    virtual Matrix* AddMatrixKeyFor(const std::string& meshName);

    /// Reads a BNE file into this character (mipmap mode passed on when set); false on failure.
    bool LoadBne(const std::string& fileName, int32_t flags);
    /// Reads an ASE text export into this character (flags as the ASE reader's, by default
    /// finishing nodes; mipmap mode passed on when set); false on failure.
    bool LoadAse(const std::string& fileName, int32_t flags = 1);
    /// Reads a skin file and binds the skin (skin/); skinLoaded tells whether it will deform.
    /// False, with the character unchanged, when it already has a skin.
    bool LoadSkin(const std::string& fileName);
    /// The same from a skin file's text in memory (a model import's).
    bool LoadSkinText(const std::string& text);
    /// LoadSkin's work: from text when given, else from the file.
    bool LoadSkinFrom(const std::string& fileName, const std::string* text);
    /// Appends a VUE file's frames to the named meshes and moves every mesh's vertices into its
    /// (possibly new) node space (skin/); false, with the character unchanged, when the file
    /// cannot be opened or is malformed.
    virtual bool LoadVue(const std::string& fileName);

    /// --- building (the readers) ---------------------------------------------------------------
    /// A new child mesh / helper, stored and counted.
    Mesh* NewMesh();
    Helper* NewHelper();
    /// A new empty material set / texture record, stored (not a child).
    MaterialSet* NewMaterial();
    Texture* NewTexture();
    /// Material set index, or null outside the table.
    MaterialSet* MaterialAt(int32_t index);
    /// Removes mesh from the children and the mesh table and deletes it; false for a stranger.
    bool DeleteMesh(Mesh* mesh);
    /// The same for a helper.
    bool DeleteHelper(Helper* helper);

    /// --- fields -------------------------------------------------------------------------------
    int32_t meshCount = 0;
    int32_t helperCount = 0;
    int32_t materialCount = 0;
    int32_t textureCount = 0;
    Mesh* currentMesh = nullptr;
    /// Each table holds exactly its count of entries.
    std::vector<Mesh*> meshes;
    std::vector<Helper*> helpers;
    std::vector<MaterialSet*> materials;
    std::vector<Texture*> textures;
    Scene* scene = nullptr;
    int32_t vertexFormat = 0;
    bool skinLoaded = false;
    /// Set by SkinBind (skin/) to its deformation, run by Update after the bones moved; a hook
    /// so the scene layer does not include the layer above it.
    void (*deformSkin)(SkinnedCharacter&) = nullptr;
    std::vector<SkinBinding> skinBindings;
    Mesh* skinMesh = nullptr;
    /// Null until a skin is bound; a clone shares its source's.
    std::shared_ptr<SkinShare> skin;
    /// The pose among skin->poses that the skin mesh draws, when it draws one (a hint, checked
    /// against the mesh's geometry).
    size_t skinPose = SIZE_MAX;
    float overallSize = 100.0f;
    bool mipmapTextures = false;
    int32_t mipmapLevelCount = 0;

protected:
    /// The clone's part of the source's skin, its bones among copies (parallel to the source's
    /// children).
    void CloneSkin(const SkinnedCharacter& source, const std::vector<SceneObject*>& copies);

    std::vector<std::shared_ptr<MaterialSet>> materialHolders_;
    std::vector<std::shared_ptr<Texture>> textureHolders_;
};

}  // namespace orix
