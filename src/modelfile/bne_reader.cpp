// The reading half of OrixFileBne: replays BNE records into a mesh or a character.
#include <cstdio>
#include <cstring>
#include <vector>

#include "device/engine.h"
#include "device/globals.h"
#include "effects/collision_volume.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "render/texture.h"
#include "scene/helper.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "scene/static_keys.h"

namespace orix {

namespace {

constexpr uint32_t kMaxFrame = 1u << 24;
// Baked poses one load may make, all nodes together (12 MB): 256 bones of 1,000 frames. Beyond
// it nodes sample live, which looks the same; without it a 10 KB file of 256 bones over 65,536
// frames kept the loader busy for many seconds.
constexpr int64_t kMaxBakedPosesPerLoad = int64_t{1} << 18;

bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>* bytes) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) return false;
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + n);
    std::fclose(f);
    return true;
}

}  // namespace

void OrixFileBne::ResetReader() {
    geometry_ = nullptr;
    helper_ = nullptr;
    camera_ = nullptr;
    currentSet_ = nullptr;
    material_ = nullptr;
    texture_ = nullptr;
    nodeKind_ = NodeKind::Geometry;
    geometryCount_ = helperCount_ = cameraCount_ = materialCount_ = textureCount_ = 0;
    firstFrame_ = 0;
    lastFrame_ = 0;
    ticksPerFrame_ = 160;
    finishNodes_ = bakePoses_ = blackIsTransparent_ = false;
    collision_ = false;
    subMaterialListOpen_ = false;
    savedParent_ = nullptr;
    firstSampleRotation_ = firstTcbRotation_ = false;
    boxMin_ = {100000.0f, 100000.0f, 100000.0f};
    boxMax_ = {-100000.0f, -100000.0f, -100000.0f};
    anyVertex_ = false;
    bakedPoseCount_ = 0;
}

void OrixFileBne::SetMipmapMode(bool on, int32_t levelCount) {
    mipmap_ = on;
    mipmapLevels_ = levelCount;
}

std::vector<std::string> MipmapLevelNames(const std::string& pictureName, int32_t levelCount) {
    std::string base = pictureName.substr(0, pictureName.find('.'));
    std::string extension = FileExtension(pictureName);
    std::vector<std::string> names;
    for (int32_t i = 0; i < levelCount; ++i) {
        char level[256];
        std::snprintf(level, sizeof level, "%s%d.%s", base.c_str(), int(i), extension.c_str());
        names.push_back(level);
    }
    return names;
}

bool OrixFileBne::Load(const std::string& fileName, uint32_t flags) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, &bytes)) {
        ShowMessageBox("Can't Open " + fileName, kCaption);
        return false;
    }
    return LoadBytes(bytes.data(), bytes.size(), fileName, flags);
}

bool OrixFileBne::Refuse(const std::string& message) {
    ShowMessageBox(message, kCaption);
    return false;
}

bool OrixFileBne::LoadBytes(const uint8_t* data, size_t size, const std::string& name,
                            uint32_t flags) {
    ResetReader();
    sourceName_ = name;
    finishNodes_ = (flags & kBneFinishNodes) != 0;
    bakePoses_ = (flags & kBneBakePoses) != 0;
    blackIsTransparent_ = (flags & kBneBlackIsTransparent) != 0;

    ByteCursor cursor(data, size);
    std::string magic;
    if (!cursor.ReadString(&magic, kBneMaxStringLength) || magic != "BNE" || cursor.Offset() != 4) {
        // Reading on would build objects out of whatever the bytes happen to say.
        return Refuse(name + " is not BNE file.");
    }
    if (mipmap_ && (mipmapLevels_ < 1 || mipmapLevels_ > kMaxMipmapLevels)) {
        return Refuse("Mipmap level count " + std::to_string(mipmapLevels_) +
                      " is outside 1 to 9: " + name);
    }

    BneRecord record;
    bool ok = true;
    while (ok && !cursor.AtEnd()) {
        uint8_t tag = 0;
        cursor.ReadU8(&tag);
        if (!FindBneRecordFormat(tag)) continue;
        record.tag = tag;
        // A record cut short by the end of the data ends the file like tag 40.
        if (DecodeBnePayload(&cursor, &record) != BneDecodeResult::Ok) break;
        if (tag == kBneFileEnd) break;
        ok = HandleRecord(record);
    }
    if (!ok) return false;

    FinishCurrentGeometry();
    if (target_ == Target::Character && anyVertex_) {
        Vector3 extent = boxMax_ - boxMin_;
        float largest = extent.x;
        if (extent.y > largest) largest = extent.y;
        if (extent.z > largest) largest = extent.z;
        targetCharacter_->overallSize = largest;
    }
    return true;
}

SceneObject* OrixFileBne::CurrentNode() const {
    switch (nodeKind_) {
        case NodeKind::Helper:
            return helper_;
        case NodeKind::Geometry:
            return geometry_;
        case NodeKind::Camera:
            return camera_;
    }
    return nullptr;
}

float OrixFileBne::KeyFrame(uint32_t ticks) const {
    return float(ticks / ticksPerFrame_);
}

void OrixFileBne::FinishCurrentGeometry() {
    if (geometry_) geometry_->FinishGeometry(false);
}

void OrixFileBne::FinishNode(SceneObject* node, Mesh* geometry) {
    node->motionMode = MotionMode::Keyframed;
    node->SetFrameRange(int32_t(firstFrame_), int32_t(lastFrame_));
    // A keyframed node draws with its node transform as its world matrix, so its world-space
    // vertices move into node space.
    if (geometry) geometry->FinishGeometry(true);
    AddMissingStaticKeys(*node);
    int64_t range = int64_t{lastFrame_} - firstFrame_ + 1;
    if (bakePoses_ && (node->hasPositionKeys || node->hasRotationKeys) &&
        bakedPoseCount_ + range <= kMaxBakedPosesPerLoad) {
        node->BakePoses();
        if (node->ownsBakedPoses) bakedPoseCount_ += range;
    }
}

bool OrixFileBne::HandleRecord(const BneRecord& r) {
    switch (r.tag) {
        case kBneSceneInfo:
            // Frame numbers stay far inside the signed frame range (2^24 frames are six days
            // at 30 a second); a zero time base would divide by zero.
            firstFrame_ = r.u[0] > kMaxFrame ? kMaxFrame : r.u[0];
            lastFrame_ = r.u[1] > kMaxFrame ? kMaxFrame : r.u[1];
            if (lastFrame_ < firstFrame_) lastFrame_ = firstFrame_;
            ticksPerFrame_ = r.u[2] ? r.u[2] : 160;
            return true;
        case kBneMaterialList:
        case kBneMeshHeader:
        case kBneTextureVertexList:
            return true;
        case kBneMaterialHeader:
        case kBneAmbient:
        case kBneDiffuse:
        case kBneSpecular:
        case kBneTransparency:
        case kBneMapDiffuse:
        case kBneSubMaterialList:
        case kBneSubMaterialHeader:
        case kBneEndMaterial:
            return HandleMaterial(r);
        case kBneGeometryHeader:
        case kBneHelperHeader:
        case kBneCameraReference:
            return HandleObjectHeader(r);
        case kBneNodeTransform:
        case kBneNodeParent:
        case kBneRotationAxis:
        case kBneRotationAngle:
        case kBneScale:
        case kBneEndNodeTransform:
            HandleNodeRecord(r);
            return true;
        case kBneVertex:
        case kBneFace:
        case kBneTextureVertex:
        case kBneTextureFaceList:
        case kBneTextureFace:
        case kBneFaceNormal:
            HandleGeometryRecord(r);
            return true;
        case kBneAnimationHeader:
            firstSampleRotation_ = firstTcbRotation_ = true;
            return true;
        case kBneBezierPosition:
        case kBneSamplePosition:
        case kBneBezierRotation:
        case kBneSampleRotation:
        case kBneTcbRotation:
        case kBneBezierScale:
            HandleKey(r);
            return true;
        case kBneMaterialReference:
            return HandleMaterialReference(r);
        case kBneEndGeometry:
            if (finishNodes_ && geometry_) FinishNode(geometry_, geometry_);
            return true;
        case kBneEndHelper:
            if (finishNodes_ && helper_) FinishNode(helper_, nullptr);
            return true;
        case kBneEndCamera:
            if (finishNodes_ && camera_) FinishNode(camera_, nullptr);
            return true;
        default:
            return true;
    }
}

bool OrixFileBne::HandleMaterial(const BneRecord& r) {
    switch (r.tag) {
        case kBneMaterialHeader:
            collision_ = r.text == "Collision";
            if (subMaterialListOpen_) {
                if (material_ && collision_) material_->collision = true;
                return true;
            }
            if (target_ == Target::Mesh) {
                if (materialCount_ == 0) targetMesh_->CreateMaterialSet();
                currentSet_ = targetMesh_->materials;
                material_ = currentSet_ ? &currentSet_->main : nullptr;
                ++materialCount_;
            } else if (target_ == Target::Character) {
                currentSet_ = targetCharacter_->NewMaterial();
                if (!currentSet_) {
                    return Refuse(sourceName_ + " has more than 16 materials.");
                }
                material_ = &currentSet_->main;
                material_->collision = collision_;
                ++materialCount_;
            }
            return true;
        case kBneAmbient:
            if (material_)
                material_->record.ambient = {r.f[0], r.f[1], r.f[2], material_->record.ambient.a};
            return true;
        case kBneDiffuse:
            if (material_)
                material_->record.diffuse = {r.f[0], r.f[1], r.f[2], material_->record.diffuse.a};
            return true;
        case kBneSpecular:
            if (material_)
                material_->record.specular = {r.f[0], r.f[1], r.f[2], material_->record.specular.a};
            return true;
        case kBneTransparency:
            if (material_) {
                material_->record.ambient.a = r.f[0];
                material_->record.diffuse.a = r.f[0];
                material_->record.specular.a = r.f[0];
            }
            return true;
        case kBneMapDiffuse:
            return LoadTexture(r.text);
        case kBneSubMaterialList:
            if (currentSet_) currentSet_->hasSubMaterials = true;
            subMaterialListOpen_ = true;
            return true;
        case kBneSubMaterialHeader:
            if (!currentSet_) return true;
            savedParent_ = &currentSet_->main;
            material_ = currentSet_->AddSubMaterial();
            if (!material_) {
                return Refuse(sourceName_ + " has more than 10 sub-materials in one material.");
            }
            return true;
        case kBneEndMaterial:
            if (subMaterialListOpen_) {
                material_ = savedParent_;
                subMaterialListOpen_ = false;
            }
            return true;
    }
    return true;
}

bool OrixFileBne::LoadTexture(const std::string& pictureName) {
    Texture* texture = nullptr;
    if (target_ == Target::Mesh) {
        if (textureCount_ > 0) return true;
        texture = targetMesh_->CreateTexture();
    } else if (target_ == Target::Character) {
        texture = targetCharacter_->NewTexture();
        if (!texture) return Refuse(sourceName_ + " has more than 16 textures.");
    } else {
        return true;
    }
    texture_ = texture;
    uint32_t colorKey = blackIsTransparent_ ? 0u : 0xFFFFFFFFu;
    GraphicsDevice* device = theEngine ? theEngine->device : nullptr;
    bool loaded = false;
    std::string failure;
    if (!mipmap_) {
        loaded = texture->Load(device, pictureName, colorKey);
        failure = "Can't Load texture. : " + pictureName;
    } else {
        std::vector<std::string> names = MipmapLevelNames(pictureName, mipmapLevels_);
        loaded = texture->LoadMipmaps(device, names, uint32_t(mipmapLevels_), colorKey);
        failure = "Can't Load Mipmap texture. : " + pictureName;
    }
    if (!loaded) {
        ShowMessageBox(failure, kCaption);
        if (textureFailureFatal_) {
            ExitProgram(-1);
            return false;  // only reached when the exit hook returns
        }
    }
    ++textureCount_;
    if (loaded && material_ && !material_->collision) material_->record.texture = texture->handle;
    return true;
}

bool OrixFileBne::HandleObjectHeader(const BneRecord& r) {
    switch (r.tag) {
        case kBneGeometryHeader:
            nodeKind_ = NodeKind::Geometry;
            if (target_ == Target::Mesh) {
                if (geometryCount_ == 0) targetMesh_->name = r.text;
                geometry_ = targetMesh_;
            } else if (target_ == Target::Character) {
                FinishCurrentGeometry();
                geometry_ = targetCharacter_->NewMesh();
                if (!geometry_) return Refuse(sourceName_ + " has more than 256 geometry objects.");
                geometry_->name = r.text;
            }
            ++geometryCount_;
            return true;
        case kBneHelperHeader:
            nodeKind_ = NodeKind::Helper;
            if (target_ == Target::Character) {
                helper_ = targetCharacter_->NewHelper();
                if (!helper_) return Refuse(sourceName_ + " has more than 256 helper objects.");
                helper_->name = r.text;
            }
            ++helperCount_;
            return true;
        case kBneCameraReference:
            nodeKind_ = NodeKind::Camera;
            ++cameraCount_;
            return true;
    }
    return true;
}

void OrixFileBne::HandleNodeRecord(const BneRecord& r) {
    SceneObject* node = CurrentNode();
    if (!node) return;
    switch (r.tag) {
        case kBneNodeTransform: {
            Matrix m;
            for (int row = 0; row < 4; ++row) {
                for (int col = 0; col < 3; ++col) m.m[row][col] = r.f[row * 3 + col];
            }
            node->nodeTransform = m;
            node->world = m;
            break;
        }
        case kBneNodeParent:
            if (target_ == Target::Character) {
                SceneObject* p = targetCharacter_->FindChild(r.text);
                // A node cannot be its own bone.
                if (p && p != node) node->boneParent = p;
            }
            break;
        case kBneRotationAxis:
            node->nodeRotationAxis = {r.f[0], r.f[1], r.f[2]};
            break;
        case kBneRotationAngle:
            node->nodeRotationAngle = r.f[0];
            break;
        case kBneScale:
            node->nodeScale = {r.f[0], r.f[1], r.f[2]};
            break;
        case kBneEndNodeTransform:
            node->nodePosition = node->nodeTransform.GetTranslation();
            if (node == helper_) node->position = node->nodePosition;
            node->RemoveNodeScale();
            break;
    }
}

void OrixFileBne::HandleGeometryRecord(const BneRecord& r) {
    Mesh* g = geometry_;
    if (!g) return;
    auto index = [](uint32_t v) { return v > 0x7FFFFFFFu ? -1 : int32_t(v); };
    switch (r.tag) {
        case kBneVertex:
            if (g->AddVertex(r.f[0], r.f[1], r.f[2])) {
                Vector3 p{r.f[0], r.f[1], r.f[2]};
                for (int i = 0; i < 3; ++i) {
                    if (p[i] < boxMin_[i]) boxMin_[i] = p[i];
                    if (p[i] > boxMax_[i]) boxMax_[i] = p[i];
                }
                anyVertex_ = true;
            }
            break;
        case kBneFace:
            g->AddFace(index(r.u[0]), index(r.u[1]), index(r.u[2]), int32_t(r.u[3]));
            break;
        case kBneTextureVertex:
            g->AddTexCoord(r.f[0], r.f[1]);
            break;
        case kBneTextureFaceList:
            g->texCoordsOneToOne = g->texCoordCount == g->vertexCount;
            if (g->texCoordsOneToOne) g->CopyTexCoordsToVertices();
            break;
        case kBneTextureFace:
            g->AddTexFace(index(r.u[0]), index(r.u[1]), index(r.u[2]));
            break;
        case kBneFaceNormal: {
            int32_t face = index(r.u[0]);
            if (face < 0 || uint32_t(face) >= g->faceCount) break;
            g->SetFaceNormal(face, r.f[1], r.f[2], r.f[3]);
            const MeshFace& f = g->geometry->faces[face];
            for (uint16_t v : {f.a, f.b, f.c}) g->SetVertexNormal(v, r.f[1], r.f[2], r.f[3]);
            break;
        }
    }
}

void OrixFileBne::HandleKey(const BneRecord& r) {
    SceneObject* node = CurrentNode();
    if (!node) return;
    float frame = KeyFrame(r.u[0]);
    switch (r.tag) {
        case kBneBezierPosition:
        case kBneSamplePosition:
            node->AddPositionKey(frame, r.f[1], r.f[2], r.f[3], false);
            break;
        case kBneBezierRotation:
            node->AddRotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4], false);
            break;
        case kBneSampleRotation:
            node->AddRelativeRotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4],
                                         firstSampleRotation_, false);
            firstSampleRotation_ = false;
            break;
        case kBneTcbRotation:
            node->AddRelativeRotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4], firstTcbRotation_,
                                         false);
            firstTcbRotation_ = false;
            break;
        case kBneBezierScale:
            node->AddScaleKey(frame, r.f[1], r.f[2], r.f[3]);
            break;
    }
}

bool OrixFileBne::HandleMaterialReference(const BneRecord& r) {
    Mesh* g = geometry_;
    if (!g) return true;
    if (!g->texCoordsOneToOne) g->SplitVerticesByTexCoords();
    if (target_ == Target::Mesh) {
        if (g->materials && g->materials->hasSubMaterials) g->BuildMaterialSubMeshes();
        return true;
    }
    if (target_ != Target::Character) return true;
    MaterialSet* m = targetCharacter_->MaterialAt(int32_t(r.u[0]));
    if (!m) return true;
    if (m->main.collision) {
        // The collision mesh becomes a volume of its bone and leaves the model. A fourth volume
        // on one bone, or a mesh without a bone, has nowhere to go: the mesh is still removed.
        if (CollisionVolume* v = AddCollisionVolumeTo(g->boneParent)) v->Build(*g);
        targetCharacter_->DeleteMesh(g);
        geometry_ = nullptr;
        return true;
    }
    g->materials = m;
    if (m->hasSubMaterials) g->BuildMaterialSubMeshes();
    return true;
}

}  // namespace orix
