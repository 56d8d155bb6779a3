#include "scene/skinned_character.h"

#include <algorithm>

#include "device/engine.h"
#include "device/globals.h"
#include "render/texture.h"
#include "scene/scene.h"

namespace orix {

SkinnedCharacter::SkinnedCharacter(int32_t format)
    : scene(theEngine ? theEngine->GetScene() : nullptr), vertexFormat(format) {
    kind = static_cast<int32_t>(ObjectKind::SkinnedCharacter);
}

SkinnedCharacter::SkinnedCharacter(const SkinnedCharacter& source)
    : SceneObject(source),
      scene(source.scene),
      vertexFormat(source.vertexFormat),
      skinLoaded(false),
      overallSize(source.overallSize),
      mipmapTextures(source.mipmapTextures),
      mipmapLevelCount(source.mipmapLevelCount) {
    // Helpers are cloned first so that every cloned mesh and bone links to cloned bones (a
    // mesh usually comes before its bone in the file); the children keep the source's order.
    std::vector<SceneObject*> copies(source.children.size(), nullptr);
    for (size_t pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < source.children.size(); ++i) {
            const SceneObject* child = source.children[i];
            if (!child) continue;
            if (pass == 0 && child->kind == static_cast<int32_t>(ObjectKind::Helper)) {
                Helper* h = new Helper(*static_cast<const Helper*>(child));
                helpers.push_back(h);
                copies[i] = h;
            } else if (pass == 1 && child->kind == static_cast<int32_t>(ObjectKind::Mesh)) {
                Mesh* m = new Mesh(*static_cast<const Mesh*>(child));
                meshes.push_back(m);
                copies[i] = m;
            }
        }
    }
    helperCount = int32_t(helpers.size());
    meshCount = int32_t(meshes.size());
    for (SceneObject* copy : copies) {
        if (copy) AddChild(copy);
    }
    materialHolders_ = source.materialHolders_;
    materials = source.materials;
    materialCount = source.materialCount;
    // The materials' texture handles must stay valid while the clone draws with them.
    textureHolders_ = source.textureHolders_;
    textures = source.textures;
    textureCount = source.textureCount;
    CloneSkin(source, copies);
}

void SkinnedCharacter::CloneSkin(const SkinnedCharacter& source,
                                 const std::vector<SceneObject*>& copies) {
    if (!source.skinLoaded || !source.skin) return;
    // The bindings move to the copies of the source's bones; a bone or skin mesh that is not
    // one of its children has no copy, and the clone goes unskinned as before.
    auto copyOf = [&](const SceneObject* original) -> SceneObject* {
        for (size_t i = 0; i < source.children.size(); ++i) {
            if (source.children[i] == original) return copies[i];
        }
        return nullptr;
    };
    SceneObject* mesh = copyOf(source.skinMesh);
    if (!mesh || mesh->kind != static_cast<int32_t>(ObjectKind::Mesh)) return;
    std::vector<SkinBinding> bindings = source.skinBindings;
    for (SkinBinding& b : bindings) {
        if (!b.bone) continue;
        b.bone = copyOf(b.bone);
        if (!b.bone) return;
    }
    skinBindings = std::move(bindings);
    skinMesh = static_cast<Mesh*>(mesh);
    skin = source.skin;
    skinPose = source.skinPose;
    deformSkin = source.deformSkin;
    skinLoaded = true;
}

SkinnedCharacter::~SkinnedCharacter() {
    // Only pieces still among the children: a character taken out with RemoveChild has had
    // its children deleted already, and deleting the tables' copies again would free twice.
    auto isChild = [this](const SceneObject* o) {
        return std::find(children.begin(), children.end(), o) != children.end();
    };
    for (int32_t i = 0; i < meshCount; ++i) {
        if (isChild(meshes[i])) delete meshes[i];
    }
    for (int32_t i = 0; i < helperCount; ++i) {
        if (isChild(helpers[i])) delete helpers[i];
    }
    children.clear();
    // Materials and textures go with their last holder, this character or a clone.
}

SceneObject* SkinnedCharacter::Clone() {
    return new SkinnedCharacter(*this);
}

void SkinnedCharacter::AddSpeed(float delta) {
    SceneObject::AddSpeed(delta);
    for (int32_t i = 0; i < meshCount; ++i) meshes[i]->AddSpeed(delta);
}

void SkinnedCharacter::SetFrameRange(int32_t first, int32_t last) {
    SceneObject::SetFrameRange(first, last);
    for (int32_t i = 0; i < meshCount; ++i) meshes[i]->SetFrameRange(first, last);
    for (int32_t i = 0; i < helperCount; ++i) helpers[i]->SetFrameRange(first, last);
}

void SkinnedCharacter::SetPlayMode(int32_t mode) {
    SceneObject::SetPlayMode(mode);
    for (int32_t i = 0; i < meshCount; ++i) meshes[i]->SetPlayMode(mode);
    for (int32_t i = 0; i < helperCount; ++i) helpers[i]->SetPlayMode(mode);
}

void SkinnedCharacter::SetSpeed(float value) {
    speed = value;
    for (int32_t i = 0; i < meshCount; ++i) meshes[i]->speed = value;
    for (int32_t i = 0; i < helperCount; ++i) helpers[i]->speed = value;
}

void SkinnedCharacter::SetMeshOption(int32_t value) {
    for (int32_t i = 0; i < meshCount; ++i) meshes[i]->SetOption(value);
}

Matrix* SkinnedCharacter::AddMatrixKeyFor(const std::string& meshName) {
    for (int32_t i = 0; i < meshCount; ++i) {
        if (meshes[i]->name == meshName) {
            currentMesh = meshes[i];
            return currentMesh->AddMatrixKey();
        }
    }
    return nullptr;
}

void SkinnedCharacter::Update(uint32_t flags) {
    if (!enabled) return;
    if (flags & kUpdateAnimate) {
        SceneObject::Update(kUpdateAnimate);
        if (cullToView) {
            inView = scene ? scene->IsVisible(position) : true;
            if (!inView) return;
        }
    }
    UpdateChildren(flags);
    if (skinLoaded && deformSkin) deformSkin(*this);
    if (!children.empty() && children.front()) {
        const SceneObject* first = children.front();
        playMode = first->playMode;
        time = first->time;
        firstFrame = first->firstFrame;
        lastFrame = first->lastFrame;
        loop = first->loop;
    }
}

Mesh* SkinnedCharacter::NewMesh() {
    Mesh* m = new Mesh(vertexFormat);
    meshes.push_back(m);
    ++meshCount;
    AddChild(m);
    return m;
}

Helper* SkinnedCharacter::NewHelper() {
    Helper* h = new Helper();
    helpers.push_back(h);
    ++helperCount;
    AddChild(h);
    return h;
}

MaterialSet* SkinnedCharacter::NewMaterial() {
    materialHolders_.push_back(std::make_shared<MaterialSet>());
    materials.push_back(materialHolders_.back().get());
    ++materialCount;
    return materials.back();
}

Texture* SkinnedCharacter::NewTexture() {
    textureHolders_.push_back(MakeSharedTexture());
    textures.push_back(textureHolders_.back().get());
    ++textureCount;
    return textures.back();
}

MaterialSet* SkinnedCharacter::MaterialAt(int32_t index) {
    if (index < 0 || index >= materialCount) return nullptr;
    return materials[size_t(index)];
}

bool SkinnedCharacter::DeleteMesh(Mesh* mesh) {
    auto at = std::find(meshes.begin(), meshes.end(), mesh);
    if (at == meshes.end()) return false;
    meshes.erase(at);
    meshCount = int32_t(meshes.size());
    if (currentMesh == mesh) currentMesh = nullptr;
    if (skinMesh == mesh) skinMesh = nullptr;
    RemoveChild(mesh);
    return true;
}

bool SkinnedCharacter::DeleteHelper(Helper* helper) {
    auto at = std::find(helpers.begin(), helpers.end(), helper);
    if (at == helpers.end()) return false;
    helpers.erase(at);
    helperCount = int32_t(helpers.size());
    RemoveChild(helper);
    return true;
}

}  // namespace orix
