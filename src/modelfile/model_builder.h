/// \file
/// ModelBuilder: the engine's model-building rules, shared by the BNE reader and the ASE reader.
/// Each step is one thing a model file says (a node begins, a vertex, a material reference...)
/// and builds it into a mesh or a skinned character: node transforms, parent bones, static keys
/// for nodes that lack them, materials with sub-materials, textures, collision meshes handed to
/// their bones as volumes, the overall size.
///
/// Parent bones are resolved whatever the order of the file: a parent named before it exists is
/// looked up again at Finish, and the static keys and collision volumes that need it wait until
/// then. The character's tables grow with the file.
///
/// Mirrored nodes: the engine's keys only turn, so a node transform with a negative determinant
/// is kept without its mirror (its 3 x 3 part negated: the exporter's rotation is that of the
/// negated rows) and the mirror goes to what it carries: its vertices, which then stand mirrored
/// in node space, and the position keys of its children (conjugating a key by the point
/// reflection leaves rotations as they are and negates positions). Every vertex then stands
/// where the file's transforms put it, at every frame; nested mirrors compose, skins and
/// collision volumes follow (they bind through the same node transforms), and a BNE copy that
/// takes the kept matrices and keys reads back the same in any reader. The exporter already
/// orders a mirrored object's corners for its world-space vertices, so faces keep their order.
///
/// What the engine cannot show as the file has it is kept as warnings, one line each, for the
/// tools to report: mirrored nodes, pictures not found or not loaded (when texture failures are
/// not fatal) and whatever the reader adds (unclosed blocks, tracks not played, cameras, lights).
/// Depends on: the scene objects, textures, the engine's device, platform/messages.h.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "math/matrix.h"
#include "math/vector3.h"
#include "modelfile/material_notes.h"

namespace orix {

class Mesh;
class SceneObject;
struct FaceInput;
struct TexCoord;
class SkinnedCharacter;
struct Material;
struct MaterialSet;
struct Texture;

class ModelBuilder {
public:
    /// caption titles the builder's messages ("OrixFileBne", "OrixFileAse").
    explicit ModelBuilder(const char* caption);
    ModelBuilder(const ModelBuilder&) = delete;
    ModelBuilder& operator=(const ModelBuilder&) = delete;

    void SetTarget(Mesh* mesh);
    void SetTarget(SkinnedCharacter* character);
    bool HasTarget() const { return mesh_ || character_; }
    /// The name the load was begun with, for messages.
    const std::string& SourceName() const { return sourceName_; }
    void SetMipmapMode(bool on, int32_t levelCount);
    /// When false, a picture that cannot be loaded becomes a warning and the model loads
    /// untextured; when true it is a message box and the end of the program.
    void SetTextureFailureFatal(bool fatal) { textureFailureFatal_ = fatal; }
    /// Pictures are looked for with FindPicture beside the model in modelFolder; one that is
    /// nowhere is a warning, once per name and load, and is not handed to the texture loader.
    void SetPictureFolder(const std::string& modelFolder) {
        searchPictures_ = true;
        pictureFolder_ = modelFolder;
    }

    /// Resets the per-load state; flags are the load flags (bits 0, 1, 3 used here). False (with
    /// a message) when the mipmap level count is outside 1 to 9.
    bool Begin(const std::string& sourceName, uint32_t flags);
    /// Resolves late parents, finishes what waits on them and the current geometry object, and
    /// stores the overall size of a character.
    void Finish();

    /// --- scene ---------------------------------------------------------------------------------
    void SetSceneInfo(int32_t firstFrame, int32_t lastFrame, int32_t ticksPerFrame);
    /// The export's frames a second; without it the speed is derived from the ticks per frame.
    void SetFrameSpeed(double framesPerSecond);
    /// Frame of a key time: unsigned division (BNE) or signed, truncated toward zero (ASE).
    float FrameOfTicks(uint32_t ticks) const;
    float FrameOfSignedTicks(int32_t ticks) const;

    /// --- materials ------------------------------------------------------------------------------
    /// The name test of the file: the collision flag for the next material.
    void SetCollisionFlag(bool on) { collision_ = on; }
    /// A new top-level material (a mesh target keeps its first), marked collision by the flag.
    bool BeginMaterial(const std::string& name);
    /// BNE record 3: the flag from the exact name; a sub-material is marked, else BeginMaterial.
    bool MaterialHeader(const std::string& name);
    /// Marks the current material as a collision material (a sub-material named so).
    void MarkCurrentCollision();
    void SetAmbient(float r, float g, float b);
    void SetDiffuse(float r, float g, float b);
    void SetSpecular(float r, float g, float b);
    void SetTransparency(float alpha);
    /// Loads the picture for the current material; false only when a fatal failure returns.
    bool MapDiffuse(const std::string& pictureName);
    /// The current material has sub-materials; the list opens.
    void SubMaterialList();
    /// A new sub-material of the current material becomes current.
    bool SubMaterialHeader();
    /// With the list open, the parent is current again and the list closes.
    void EndMaterial();

    /// --- nodes
    /// -----------------------------------------------------------------------------------
    bool BeginGeometry(const std::string& name);
    bool BeginHelper(const std::string& name);
    void BeginCamera();
    /// The node transform as the model keeps it (without a mirror), for a copy to write.
    Matrix NodeTransform(const Matrix& m);
    void NodeParent(const std::string& name);
    void RotationAxis(float x, float y, float z);
    void RotationAngle(float angle);
    void Scale(float x, float y, float z);
    void EndNodeTransform();
    void EndGeometry();
    void EndHelper();
    void EndCamera();
    /// Deletes the node being read (a block the file never closed) and forgets it, giving its
    /// name; false when there is none to delete (a mesh target keeps what it read).
    bool DropCurrentNode(std::string* name);

    /// --- geometry
    /// -------------------------------------------------------------------------------- Counts
    /// announced by list headers, already bounded by what the file can hold: room is made for them
    /// ahead (no other effect).
    void ExpectGeometry(uint32_t vertices, uint32_t faces);
    void ExpectTexCoords(uint32_t coords, uint32_t texFaces);
    void AddVertex(float x, float y, float z);
    void AddFace(int32_t a, int32_t b, int32_t c, int32_t materialId);
    void AddTexVertex(float u, float v);
    /// The same for a run of records (the binary reader's).
    void AddVertices(const Vector3* points, size_t count);
    void AddFaces(const FaceInput* faces, size_t count);
    void AddTexVertices(const TexCoord* coords, size_t count);
    void AddTexFaces(const FaceInput* faces, size_t count);
    /// The one-to-one test's answer: vertex i takes texture vertex i when true.
    void SetTexCoordsOneToOne(bool oneToOne);
    /// The BNE test: as many texture vertices as vertices.
    void TextureFaceListHeader();
    void AddTexFace(int32_t a, int32_t b, int32_t c);
    void FaceNormal(int32_t face, float x, float y, float z);
    /// The texture-coordinate step, then the material (collision meshes leave the model).
    bool MaterialReference(int32_t index);

    /// --- keys ----------------------------------------------------------------------------------
    void AnimationHeader();
    /// The position as the model keeps it (negated under a mirrored parent), for a copy to write.
    Vector3 PositionKey(float frame, float x, float y, float z);
    void RotationKey(float frame, float x, float y, float z, float angle);
    void RelativeRotationKey(float frame, float x, float y, float z, float angle, bool isFirst);
    /// BNE records 30 and 31: isFirst from the flag that record 26 set.
    void SampleRotationKey(float frame, float x, float y, float z, float angle);
    void TcbRotationKey(float frame, float x, float y, float z, float angle);
    void ScaleKey(float frame, float x, float y, float z);

    Mesh* CurrentGeometry() const { return geometry_; }
    int32_t FirstFrame() const { return firstFrame_; }
    int32_t LastFrame() const { return lastFrame_; }
    int32_t TicksPerFrame() const { return ticksPerFrame_; }
    /// The modelling tool counts 4,800 ticks a second: 160 ticks a frame are 30 frames a second.
    double FramesPerSecond() const;
    bool FrameSpeedDerived() const { return framesPerSecond_ <= 0.0; }
    void Warn(const std::string& text) { warnings_.push_back(text); }
    const std::vector<std::string>& Warnings() const { return warnings_; }
    /// Collision meshes taken out of the model, by name, in file order.
    const std::vector<std::string>& CollisionMeshNames() const { return collisionMeshNames_; }
    /// Pictures named by the file, in order, and the one each material was given.
    const std::vector<std::string>& PictureNames() const { return pictures_; }
    std::string PictureOf(const Material* material) const { return materials_.PictureOf(material); }
    /// The picture each material was given and the name each top-level material was made with.
    const MaterialNotes& Materials() const { return materials_; }
    const Vector3& BoxMin() const { return boxMin_; }
    const Vector3& BoxMax() const { return boxMax_; }
    /// A vertex was read, so the box holds something.
    bool AnyVertex() const { return anyVertex_; }

private:
    enum class NodeKind { Helper, Geometry, Camera };
    struct PendingParent {
        SceneObject* node;
        std::string name;
    };

    SceneObject* CurrentNode() const;
    void NotePictureMissing(const std::string& name);
    void SaveBoxForDrop();
    bool Refuse(const std::string& message);
    void FinishCurrentGeometry();
    void FinishNode(SceneObject* node, Mesh* geometry);
    void FinishKeys(SceneObject* node);
    bool ParentPending(const SceneObject* node) const;
    bool IsMirrored(const SceneObject* node) const;
    void ForgetNode(const SceneObject* node);
    bool SetParent(SceneObject* node, SceneObject* parent);
    void HandOverCollisionMesh(Mesh* mesh);
    void OrderChildrenAfterTheirBones();

    const char* caption_;
    Mesh* mesh_ = nullptr;
    SkinnedCharacter* character_ = nullptr;
    std::string sourceName_;
    Mesh* geometry_ = nullptr;
    SceneObject* helper_ = nullptr;
    MaterialSet* currentSet_ = nullptr;
    Material* material_ = nullptr;
    Material* savedParent_ = nullptr;
    NodeKind nodeKind_ = NodeKind::Geometry;
    int32_t geometryCount_ = 0;
    int32_t materialCount_ = 0;
    int32_t textureCount_ = 0;
    /// A character's pictures loaded in this load, by file and colour key: materials naming the
    /// same picture share one texture instead of decoding it again.
    std::unordered_map<std::string, Texture*> loadedTextures_;
    int32_t firstFrame_ = 0;
    int32_t lastFrame_ = 0;
    int32_t ticksPerFrame_ = 160;
    bool finishNodes_ = false;
    bool bakePoses_ = false;
    bool blackIsTransparent_ = false;
    bool collision_ = false;
    bool subMaterialListOpen_ = false;
    bool firstSampleRotation_ = false;
    bool firstTcbRotation_ = false;
    bool mipmap_ = false;
    int32_t mipmapLevels_ = 0;
    bool textureFailureFatal_ = true;
    bool searchPictures_ = false;
    std::string pictureFolder_;
    double framesPerSecond_ = 0.0;  ///< 0: not given by the file
    std::vector<std::string> warnings_;
    std::vector<std::string> missingPictures_;
    Vector3 boxMin_;
    Vector3 boxMax_;
    bool anyVertex_ = false;
    Vector3 boxAtNodeStart_[2];  ///< the box before the newest node, for DropCurrentNode
    bool anyVertexAtNodeStart_ = false;
    int64_t bakedPoseCount_ = 0;  ///< poses baked so far in this load, nodes together
    std::vector<std::string> pictures_;
    MaterialNotes materials_;
    std::vector<std::string> collisionMeshNames_;
    std::vector<PendingParent> pendingParents_;
    std::vector<SceneObject*> pendingKeys_;  ///< finished nodes whose parent was not yet known
    std::vector<Mesh*> pendingCollision_;    ///< collision meshes whose bone was not yet known
    /// Nodes whose transform lost its mirror; asked once per position key.
    std::unordered_set<const SceneObject*> mirrored_;
};

}  // namespace orix
