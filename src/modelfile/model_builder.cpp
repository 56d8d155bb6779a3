#include "modelfile/model_builder.h"

#include <algorithm>
#include <climits>

#include "device/engine.h"
#include "device/globals.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "render/texture.h"
#include "scene/collision_volume.h"
#include "scene/helper.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "scene/static_keys.h"

namespace orix {

namespace {

// Baked poses one load may make, all nodes together (3 MB): 64 bones of 1,000 frames, 30 of
// 2,000. Beyond it nodes sample live, which looks the same; without it a 10 KB file of 256
// bones over 65,536 frames kept the loader busy for many seconds, and a bigger budget still let
// a few hostile kilobytes cost a tenth of a second each. A single range over
// SceneObject::kMaxBakedFrames is never baked.
constexpr int64_t kMaxBakedPosesPerLoad = int64_t{1} << 16;

}  // namespace

ModelBuilder::ModelBuilder(const char* caption) : caption_(caption) {
    Begin("", 0);
}

void ModelBuilder::SetTarget(Mesh* mesh) {
    mesh_ = mesh;
    character_ = nullptr;
}

void ModelBuilder::SetTarget(SkinnedCharacter* character) {
    character_ = character;
    mesh_ = nullptr;
}

void ModelBuilder::SetMipmapMode(bool on, int32_t levelCount) {
    mipmap_ = on;
    mipmapLevels_ = levelCount;
}

bool ModelBuilder::Begin(const std::string& sourceName, uint32_t flags) {
    sourceName_ = sourceName;
    geometry_ = nullptr;
    helper_ = nullptr;
    currentSet_ = nullptr;
    material_ = nullptr;
    savedParent_ = nullptr;
    nodeKind_ = NodeKind::Geometry;
    geometryCount_ = materialCount_ = textureCount_ = 0;
    firstFrame_ = lastFrame_ = 0;
    ticksPerFrame_ = 160;
    collisionMeshNames_.clear();
    finishNodes_ = (flags & kBneFinishNodes) != 0;
    bakePoses_ = (flags & kBneBakePoses) != 0;
    blackIsTransparent_ = (flags & kBneBlackIsTransparent) != 0;
    collision_ = false;
    subMaterialListOpen_ = false;
    firstSampleRotation_ = firstTcbRotation_ = false;
    boxMin_ = {100000.0f, 100000.0f, 100000.0f};
    boxMax_ = {-100000.0f, -100000.0f, -100000.0f};
    anyVertex_ = false;
    bakedPoseCount_ = 0;
    pendingParents_.clear();
    pendingKeys_.clear();
    pendingCollision_.clear();
    mirrored_.clear();
    pictures_.clear();
    warnings_.clear();
    missingPictures_.clear();
    framesPerSecond_ = 0.0;
    materials_.Clear();
    loadedTextures_.clear();
    if (mipmap_ && (mipmapLevels_ < 1 || mipmapLevels_ > OrixFileBne::kMaxMipmapLevels)) {
        return Refuse("Mipmap level count " + std::to_string(mipmapLevels_) +
                      " is outside 1 to 9: " + sourceName);
    }
    return true;
}

bool ModelBuilder::Refuse(const std::string& message) {
    ShowMessageBox(message, caption_);
    return false;
}

void ModelBuilder::Finish() {
    // Parents named before they existed: the whole file is known now.
    if (character_) {
        for (const PendingParent& p : pendingParents_) {
            SetParent(p.node, character_->FindChild(p.name));
            if (IsMirrored(p.node->boneParent) && p.node->hasPositionKeys) {
                Warn("node \"" + p.node->name + "\" comes before its mirrored parent \"" + p.name +
                     "\": its position keys are not mirrored");
            }
        }
    }
    pendingParents_.clear();
    for (SceneObject* node : pendingKeys_) FinishKeys(node);
    pendingKeys_.clear();
    for (Mesh* mesh : pendingCollision_) HandOverCollisionMesh(mesh);
    pendingCollision_.clear();
    FinishCurrentGeometry();
    if (character_) OrderChildrenAfterTheirBones();
    if (character_ && anyVertex_) {
        Vector3 extent = boxMax_ - boxMin_;
        character_->overallSize = std::max(extent.x, std::max(extent.y, extent.z));
    }
}

void ModelBuilder::OrderChildrenAfterTheirBones() {
    // Children update in list order and a node reads its bone's pose of this frame, so a node
    // listed before its bone (exports list objects in any order) must move after it.
    std::vector<SceneObject*>& children = character_->children;
    bool inOrder = true;
    for (size_t i = 0; i < children.size() && inOrder; ++i) {
        const SceneObject* bone = children[i]->boneParent;
        for (size_t j = i + 1; j < children.size(); ++j) {
            if (children[j] == bone) inOrder = false;
        }
    }
    if (inOrder) return;
    std::vector<SceneObject*> ordered;
    ordered.reserve(children.size());
    std::vector<const SceneObject*> placed;
    auto isChild = [&](const SceneObject* o) {
        return std::find(children.begin(), children.end(), o) != children.end();
    };
    auto isPlaced = [&](const SceneObject* o) {
        return std::find(placed.begin(), placed.end(), o) != placed.end();
    };
    for (SceneObject* child : children) {
        // The chain of bones not yet placed, outermost first; parent links hold no cycles.
        std::vector<SceneObject*> chain;
        for (SceneObject* o = child; o && isChild(o) && !isPlaced(o); o = o->boneParent) {
            chain.push_back(o);
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            ordered.push_back(*it);
            placed.push_back(*it);
        }
    }
    children.swap(ordered);
}

// --- scene ------------------------------------------------------------------------------------

void ModelBuilder::SetSceneInfo(int32_t firstFrame, int32_t lastFrame, int32_t ticksPerFrame) {
    // Frame numbers stay far inside the signed frame range (2^24 frames are six days at 30 a
    // second); a zero time base would divide by zero.
    constexpr int32_t kMaxFrame = 1 << 24;
    firstFrame_ = std::clamp(firstFrame, -kMaxFrame, kMaxFrame);
    lastFrame_ = std::clamp(lastFrame, -kMaxFrame, kMaxFrame);
    if (lastFrame_ < firstFrame_) lastFrame_ = firstFrame_;
    ticksPerFrame_ = ticksPerFrame > 0 ? ticksPerFrame : 160;
}

void ModelBuilder::SetFrameSpeed(double framesPerSecond) {
    // A speed that is no positive number says nothing; the ticks then tell it.
    framesPerSecond_ = framesPerSecond > 0.0 && framesPerSecond < 1e6 ? framesPerSecond : 0.0;
}

double ModelBuilder::FramesPerSecond() const {
    return framesPerSecond_ > 0.0 ? framesPerSecond_ : 4800.0 / ticksPerFrame_;
}

float ModelBuilder::FrameOfTicks(uint32_t ticks) const {
    return float(ticks / uint32_t(ticksPerFrame_));
}

float ModelBuilder::FrameOfSignedTicks(int32_t ticks) const {
    return float(ticks / ticksPerFrame_);
}

// --- materials ----------------------------------------------------------------------------------

bool ModelBuilder::BeginMaterial(const std::string& name) {
    if (mesh_) {
        if (materialCount_ == 0) mesh_->CreateMaterialSet();
        currentSet_ = mesh_->materials;
        material_ = currentSet_ ? &currentSet_->main : nullptr;
    } else if (character_) {
        currentSet_ = character_->NewMaterial();
        material_ = &currentSet_->main;
        material_->collision = collision_;
    }
    if (currentSet_ && (character_ || materialCount_ == 0))
        materials_.names.push_back({currentSet_, name});
    ++materialCount_;
    return true;
}

bool ModelBuilder::MaterialHeader(const std::string& name) {
    collision_ = name == "Collision";
    if (subMaterialListOpen_) {
        if (collision_) MarkCurrentCollision();
        return true;
    }
    return BeginMaterial(name);
}

void ModelBuilder::MarkCurrentCollision() {
    if (material_) material_->collision = true;
}

void ModelBuilder::SetAmbient(float r, float g, float b) {
    if (material_) material_->record.ambient = {r, g, b, material_->record.ambient.a};
}

void ModelBuilder::SetDiffuse(float r, float g, float b) {
    if (material_) material_->record.diffuse = {r, g, b, material_->record.diffuse.a};
}

void ModelBuilder::SetSpecular(float r, float g, float b) {
    if (material_) material_->record.specular = {r, g, b, material_->record.specular.a};
}

void ModelBuilder::SetTransparency(float alpha) {
    if (!material_) return;
    material_->record.ambient.a = alpha;
    material_->record.diffuse.a = alpha;
    material_->record.specular.a = alpha;
}

bool ModelBuilder::MapDiffuse(const std::string& pictureName) {
    Texture* texture = nullptr;
    if (mesh_) {
        if (textureCount_ > 0) return true;
        texture = mesh_->CreateTexture();
    } else if (!character_) {
        return true;
    }
    pictures_.push_back(pictureName);
    if (material_) materials_.pictures.push_back({material_, pictureName});
    uint32_t colorKey = blackIsTransparent_ ? 0u : 0xFFFFFFFFu;
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    std::vector<std::string> names = {pictureName};
    if (mipmap_) names = MipmapLevelNames(pictureName, mipmapLevels_);
    bool found = true;
    if (searchPictures_) {
        for (std::string& name : names) {
            std::string path = FindPicture(name, pictureFolder_);
            if (path.empty()) {
                found = false;
                NotePictureMissing(name);
            }
            name = path;
        }
    }
    std::string key;
    if (found && character_) {
        for (const std::string& name : names) key += name + '\n';
        key += std::to_string(colorKey);
        auto shared = loadedTextures_.find(key);
        if (shared != loadedTextures_.end()) {
            if (material_ && !material_->collision)
                material_->record.texture = shared->second->handle;
            return true;
        }
    }
    if (!texture) texture = character_->NewTexture();
    bool loaded = false;
    if (found && !mipmap_) {
        loaded = texture->Load(device, names[0], colorKey);
    } else if (found) {
        loaded = texture->LoadMipmaps(device, names, uint32_t(mipmapLevels_), colorKey);
    }
    if (found && !loaded) {
        std::string failure =
            (mipmap_ ? "Can't Load Mipmap texture. : " : "Can't Load texture. : ") + pictureName;
        if (textureFailureFatal_) {
            ShowMessageBox(failure, caption_);
            ExitProgram(-1);
            return false;  // only reached when the exit hook returns
        }
        Warn(failure);
    }
    ++textureCount_;
    if (loaded && !key.empty()) loadedTextures_[key] = texture;
    if (loaded && material_ && !material_->collision) material_->record.texture = texture->handle;
    return true;
}

void ModelBuilder::NotePictureMissing(const std::string& name) {
    if (std::find(missingPictures_.begin(), missingPictures_.end(), name) != missingPictures_.end())
        return;
    missingPictures_.push_back(name);
    std::string where = pictureFolder_.empty() ? std::string(".") : pictureFolder_;
    Warn("picture \"" + name + "\" not found (as named, nor in " + where + ")");
}

void ModelBuilder::SubMaterialList() {
    if (currentSet_) currentSet_->hasSubMaterials = true;
    subMaterialListOpen_ = true;
}

bool ModelBuilder::SubMaterialHeader() {
    if (!currentSet_) return true;
    savedParent_ = &currentSet_->main;
    material_ = currentSet_->AddSubMaterial();
    return true;
}

void ModelBuilder::EndMaterial() {
    if (!subMaterialListOpen_) return;
    material_ = savedParent_;
    subMaterialListOpen_ = false;
}

// --- nodes
// ----------------------------------------------------------------------------------------

SceneObject* ModelBuilder::CurrentNode() const {
    switch (nodeKind_) {
        case NodeKind::Helper:
            return helper_;
        case NodeKind::Geometry:
            return geometry_;
        case NodeKind::Camera:
            return nullptr;  // neither target makes cameras
    }
    return nullptr;
}

bool ModelBuilder::BeginGeometry(const std::string& name) {
    nodeKind_ = NodeKind::Geometry;
    if (mesh_) {
        if (geometryCount_ == 0) mesh_->name = name;
        geometry_ = mesh_;
    } else if (character_) {
        FinishCurrentGeometry();
        SaveBoxForDrop();
        geometry_ = character_->NewMesh();
        geometry_->name = name;
    }
    ++geometryCount_;
    return true;
}

bool ModelBuilder::BeginHelper(const std::string& name) {
    nodeKind_ = NodeKind::Helper;
    if (character_) {
        SaveBoxForDrop();
        helper_ = character_->NewHelper();
        helper_->name = name;
    }
    return true;
}

void ModelBuilder::BeginCamera() {
    nodeKind_ = NodeKind::Camera;
}

Matrix ModelBuilder::NodeTransform(const Matrix& m) {
    SceneObject* node = CurrentNode();
    if (!node) return m;
    double det =
        double(m.m[0][0]) * (double(m.m[1][1]) * m.m[2][2] - double(m.m[1][2]) * m.m[2][1]) -
        double(m.m[0][1]) * (double(m.m[1][0]) * m.m[2][2] - double(m.m[1][2]) * m.m[2][0]) +
        double(m.m[0][2]) * (double(m.m[1][0]) * m.m[2][1] - double(m.m[1][1]) * m.m[2][0]);
    Matrix kept = m;
    ForgetNode(node);
    if (det < 0.0) {
        // The exporter's node rotation is that of the negated rows: what remains is the point
        // reflection, which the node-space vertices take (they are carried by the kept matrix).
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) kept.m[r][c] = -m.m[r][c];
        mirrored_.insert(node);
        Warn("node \"" + node->name +
             "\" is mirrored; the mirror was carried to the vertices at and below it");
    }
    node->nodeTransform = kept;
    node->world = kept;
    return kept;
}

bool ModelBuilder::SetParent(SceneObject* node, SceneObject* parent) {
    // A node cannot be its own bone, nor the bone of one of its bones.
    for (SceneObject* p = parent; p; p = p->boneParent) {
        if (p == node) return false;
    }
    node->boneParent = parent;
    return parent != nullptr;
}

void ModelBuilder::NodeParent(const std::string& name) {
    SceneObject* node = CurrentNode();
    if (!node || !character_) return;
    if (!SetParent(node, character_->FindChild(name))) {
        node->boneParent = nullptr;
        pendingParents_.push_back({node, name});
    }
}

bool ModelBuilder::IsMirrored(const SceneObject* node) const {
    return node && mirrored_.count(node) != 0;
}

void ModelBuilder::ForgetNode(const SceneObject* node) {
    // A node made later may take the address of a deleted one.
    mirrored_.erase(node);
}

bool ModelBuilder::ParentPending(const SceneObject* node) const {
    for (const PendingParent& p : pendingParents_) {
        if (p.node == node) return true;
    }
    return false;
}

void ModelBuilder::RotationAxis(float x, float y, float z) {
    if (SceneObject* node = CurrentNode()) node->nodeRotationAxis = {x, y, z};
}

void ModelBuilder::RotationAngle(float angle) {
    if (SceneObject* node = CurrentNode()) node->nodeRotationAngle = angle;
}

void ModelBuilder::Scale(float x, float y, float z) {
    if (SceneObject* node = CurrentNode()) node->nodeScale = {x, y, z};
}

void ModelBuilder::EndNodeTransform() {
    SceneObject* node = CurrentNode();
    if (!node) return;
    node->nodePosition = node->nodeTransform.GetTranslation();
    if (node == helper_) node->position = node->nodePosition;
    node->RemoveNodeScale();
}

void ModelBuilder::FinishCurrentGeometry() {
    if (geometry_) geometry_->FinishGeometry(false);
}

void ModelBuilder::FinishNode(SceneObject* node, Mesh* geometry) {
    node->motionMode = MotionMode::Keyframed;
    node->SetFrameRange(firstFrame_, lastFrame_);
    // A keyframed node draws with its node transform as its world matrix, so its world-space
    // vertices move into node space.
    if (geometry) geometry->FinishGeometry(true);
    // The static keys are relative to the bone parent, which may come later in the file.
    if (ParentPending(node)) {
        pendingKeys_.push_back(node);
    } else {
        FinishKeys(node);
    }
}

void ModelBuilder::FinishKeys(SceneObject* node) {
    AddMissingStaticKeys(*node);
    int64_t range = int64_t{lastFrame_} - firstFrame_ + 1;
    if (bakePoses_ && (node->hasPositionKeys || node->hasRotationKeys) &&
        bakedPoseCount_ + range <= kMaxBakedPosesPerLoad) {
        node->BakePoses();
        if (node->ownsBakedPoses) bakedPoseCount_ += range;
    }
}

void ModelBuilder::EndGeometry() {
    if (finishNodes_ && geometry_) FinishNode(geometry_, geometry_);
}

void ModelBuilder::EndHelper() {
    if (finishNodes_ && helper_) FinishNode(helper_, nullptr);
}

void ModelBuilder::EndCamera() {}

void ModelBuilder::SaveBoxForDrop() {
    boxAtNodeStart_[0] = boxMin_;
    boxAtNodeStart_[1] = boxMax_;
    anyVertexAtNodeStart_ = anyVertex_;
}

bool ModelBuilder::DropCurrentNode(std::string* name) {
    SceneObject* node = CurrentNode();
    if (!node || !character_) return false;
    *name = node->name;
    // Its vertices no longer count toward the model's size.
    boxMin_ = boxAtNodeStart_[0];
    boxMax_ = boxAtNodeStart_[1];
    anyVertex_ = anyVertexAtNodeStart_;
    auto forget = [node](std::vector<SceneObject*>& list) {
        list.erase(std::remove(list.begin(), list.end(), node), list.end());
    };
    forget(pendingKeys_);
    pendingParents_.erase(std::remove_if(pendingParents_.begin(), pendingParents_.end(),
                                         [node](const PendingParent& p) { return p.node == node; }),
                          pendingParents_.end());
    for (SceneObject* child : character_->children) {
        if (child->boneParent == node) child->boneParent = nullptr;
    }
    ForgetNode(node);
    if (node == geometry_) {
        geometry_ = nullptr;
        character_->DeleteMesh(static_cast<Mesh*>(node));
    } else {
        helper_ = nullptr;
        character_->DeleteHelper(static_cast<Helper*>(node));
    }
    return true;
}

// --- geometry
// -------------------------------------------------------------------------------------

void ModelBuilder::ExpectGeometry(uint32_t vertices, uint32_t faces) {
    if (geometry_) geometry_->ReserveGeometry(vertices, faces);
}

void ModelBuilder::ExpectTexCoords(uint32_t coords, uint32_t texFaces) {
    if (geometry_) geometry_->ReserveTexCoords(coords, texFaces);
}

void ModelBuilder::AddVertex(float x, float y, float z) {
    const Vector3 p{x, y, z};
    AddVertices(&p, 1);
}

void ModelBuilder::AddVertices(const Vector3* points, size_t count) {
    if (!geometry_) return;
    count = geometry_->AddVertices(points, count);
    for (size_t k = 0; k < count; ++k) {
        const Vector3& p = points[k];
        for (int i = 0; i < 3; ++i) {
            if (p[i] < boxMin_[i]) boxMin_[i] = p[i];
            if (p[i] > boxMax_[i]) boxMax_[i] = p[i];
        }
    }
    anyVertex_ = anyVertex_ || count > 0;
}

void ModelBuilder::AddFace(int32_t a, int32_t b, int32_t c, int32_t materialId) {
    if (geometry_) geometry_->AddFace(a, b, c, materialId);
}

void ModelBuilder::AddFaces(const FaceInput* faces, size_t count) {
    if (geometry_) geometry_->AddFaces(faces, count);
}

void ModelBuilder::AddTexVertex(float u, float v) {
    if (geometry_) geometry_->AddTexCoord(u, v);
}

void ModelBuilder::AddTexVertices(const TexCoord* coords, size_t count) {
    if (geometry_) geometry_->AddTexCoords(coords, count);
}

void ModelBuilder::SetTexCoordsOneToOne(bool oneToOne) {
    if (!geometry_) return;
    geometry_->texCoordsOneToOne = oneToOne;
    if (oneToOne) geometry_->CopyTexCoordsToVertices();
}

void ModelBuilder::TextureFaceListHeader() {
    if (geometry_) SetTexCoordsOneToOne(geometry_->texCoordCount == geometry_->vertexCount);
}

void ModelBuilder::AddTexFace(int32_t a, int32_t b, int32_t c) {
    if (geometry_) geometry_->AddTexFace(a, b, c);
}

void ModelBuilder::AddTexFaces(const FaceInput* faces, size_t count) {
    if (geometry_) geometry_->AddTexFaces(faces, count);
}

void ModelBuilder::FaceNormal(int32_t face, float x, float y, float z) {
    Mesh* g = geometry_;
    if (!g || face < 0 || uint32_t(face) >= g->faceCount) return;
    g->SetFaceNormal(face, x, y, z);
    const MeshFace& f = g->geometry->faces[face];
    // Only unlit vertices carry normals.
    if (g->vertexFormat == 0) {
        for (uint16_t v : {f.a, f.b, f.c}) g->SetVertexNormal(v, x, y, z);
    }
}

bool ModelBuilder::MaterialReference(int32_t index) {
    Mesh* g = geometry_;
    if (!g) return true;
    if (!g->texCoordsOneToOne) g->SplitVerticesByTexCoords();
    if (mesh_) {
        if (g->materials && g->materials->hasSubMaterials) g->BuildMaterialSubMeshes();
        return true;
    }
    if (!character_) return true;
    MaterialSet* m = character_->MaterialAt(index);
    if (!m) return true;
    if (m->main.collision) {
        // The mesh leaves the model now; its volume goes to its bone once the bone is known.
        geometry_ = nullptr;
        if (ParentPending(g)) {
            pendingCollision_.push_back(g);
        } else {
            HandOverCollisionMesh(g);
        }
        return true;
    }
    g->materials = m;
    if (m->hasSubMaterials) g->BuildMaterialSubMeshes();
    return true;
}

void ModelBuilder::HandOverCollisionMesh(Mesh* mesh) {
    // A fourth volume on one bone, or a mesh without a bone, has nowhere to go: the mesh is
    // still removed.
    collisionMeshNames_.push_back(mesh->name);
    if (CollisionVolume* v = AddCollisionVolumeTo(mesh->boneParent)) v->Build(*mesh);
    // Nodes that named the mesh as their bone would keep a dangling pointer.
    for (int32_t i = 0; i < character_->meshCount; ++i) {
        if (character_->meshes[i]->boneParent == mesh) character_->meshes[i]->boneParent = nullptr;
    }
    for (int32_t i = 0; i < character_->helperCount; ++i) {
        if (character_->helpers[i]->boneParent == mesh)
            character_->helpers[i]->boneParent = nullptr;
    }
    ForgetNode(mesh);
    character_->DeleteMesh(mesh);
}

// --- keys
// -------------------------------------------------------------------------------------------

void ModelBuilder::AnimationHeader() {
    firstSampleRotation_ = firstTcbRotation_ = true;
}

Vector3 ModelBuilder::PositionKey(float frame, float x, float y, float z) {
    SceneObject* node = CurrentNode();
    if (!node) return {x, y, z};
    // The parent's mirror, a point reflection, conjugates the key: rotations stay, positions
    // turn over. A parent named later is not known here (its exporter lists parents first).
    if (IsMirrored(node->boneParent)) x = -x, y = -y, z = -z;
    node->AddPositionKey(frame, x, y, z, false);
    return {x, y, z};
}

void ModelBuilder::RotationKey(float frame, float x, float y, float z, float angle) {
    if (SceneObject* node = CurrentNode()) node->AddRotationKey(frame, x, y, z, angle, false);
}

void ModelBuilder::RelativeRotationKey(float frame, float x, float y, float z, float angle,
                                       bool isFirst) {
    if (SceneObject* node = CurrentNode()) {
        node->AddRelativeRotationKey(frame, x, y, z, angle, isFirst, false);
    }
}

void ModelBuilder::SampleRotationKey(float frame, float x, float y, float z, float angle) {
    RelativeRotationKey(frame, x, y, z, angle, firstSampleRotation_);
    firstSampleRotation_ = false;
}

void ModelBuilder::TcbRotationKey(float frame, float x, float y, float z, float angle) {
    RelativeRotationKey(frame, x, y, z, angle, firstTcbRotation_);
    firstTcbRotation_ = false;
}

void ModelBuilder::ScaleKey(float frame, float x, float y, float z) {
    if (SceneObject* node = CurrentNode()) node->AddScaleKey(frame, x, y, z);
}

}  // namespace orix
