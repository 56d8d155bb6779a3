/// \file
/// OrixFileBne: the BNE scene file's writer and reader, one class with two halves.
///
/// The reader replays a file into one target: a mesh (every geometry object goes into it) or a
/// skinned character (one child mesh per geometry object, one helper per helper object, its
/// materials and textures), under the model-building rules: node transforms, parent bones,
/// static keys for nodes that lack them, collision meshes handed to their bones as volumes. It
/// never trusts the file: every record is decoded through the bounds-checked format table, a
/// file that ends early finishes as if it had ended properly, indices out of range are dropped,
/// and the character's tables grow with the file.
/// Textures that cannot be loaded end the program (status -1) unless the loader is told to go on
/// without them (tools, fuzzers).
///
/// The writer serialises one record per call, in the order its caller (the ASE reader) meets
/// them; it converts nothing, every value arrives in engine space. Field widths come from the
/// format table (bne_format.h). A name longer than 255 bytes cannot be read back, so the writer
/// refuses the file: it reports it, deletes what it had written and writes nothing more. Messages
/// go through ShowMessageBox with the caption "OrixFileBne".
///
/// Depends on: modelfile/bne_format.h, math/matrix.h, platform/messages.h; the reader on the
/// scene objects, textures and the engine's device.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "files/output_file.h"
#include "math/matrix.h"
#include "modelfile/bne_format.h"
#include "modelfile/model_builder.h"

namespace orix {

class Mesh;
class SceneObject;
class SkinnedCharacter;
struct Material;
struct MaterialSet;
struct Texture;

/// Bits of the load flags.
enum BneLoadFlags : uint32_t {
    kBneFinishNodes = 1,         ///< keyframed nodes with frame range and static keys
    kBneBakePoses = 2,           ///< bake the poses of animated nodes
    kBneBlackIsTransparent = 8,  ///< textures get black as their colour key
};

/// The picture names of a mipmapped texture: "\<name up to its first '.'>\<level\>.\<lower-case
/// extension>" for levels 0 to levelCount - 1, each cut to 255 bytes ("skin.BMP", 3: skin0.bmp,
/// skin1.bmp, skin2.bmp).
std::vector<std::string> MipmapLevelNames(const std::string& pictureName, int32_t levelCount);

class OrixFileBne {
public:
    static constexpr const char* kCaption = "OrixFileBne";
    static constexpr int32_t kMaxMipmapLevels = 9;

    /// Without a target: the writer's constructor.
    OrixFileBne();
    /// Reader constructors, one per target.
    explicit OrixFileBne(Mesh* target);
    explicit OrixFileBne(SkinnedCharacter* target);
    /// Closes a file still open, without writing the end record.
    ~OrixFileBne();
    OrixFileBne(const OrixFileBne&) = delete;
    OrixFileBne& operator=(const OrixFileBne&) = delete;

    /// --- reading -----------------------------------------------------------------------------
    /// Textures load as mipmap chains of levelCount pictures (1 to 9) named after the material's.
    void SetMipmapMode(bool on, int32_t levelCount) { builder_.SetMipmapMode(on, levelCount); }
    /// When false, a texture that cannot be loaded is reported and the model goes on untextured
    /// instead of ending the program (tools and fuzzers). True by default.
    void SetTextureFailureFatal(bool fatal) { builder_.SetTextureFailureFatal(fatal); }
    /// Pictures are looked for beside the model too (FindPicture); see ModelBuilder.
    void SetPictureFolder(const std::string& modelFolder) {
        builder_.SetPictureFolder(modelFolder);
    }
    /// Reads fileName into the target. False when the file cannot be opened, is not a BNE file,
    /// or a texture failed fatally; objects already built stay with the target.
    bool Load(const std::string& fileName, uint32_t flags);
    /// The same from bytes in memory; name is used in messages.
    bool LoadBytes(const uint8_t* data, size_t size, const std::string& name, uint32_t flags);
    /// What the last load built, for tools: pictures named and each material's picture.
    const ModelBuilder& Builder() const { return builder_; }

    /// --- writing -----------------------------------------------------------------------------
    /// Drops any unfinished file, resets the writer and starts fileName for binary writing:
    /// written under a temporary name and put in place by WriteFileEnd, so an unfinished or failed
    /// file never replaces what was there. On failure shows "Can't Create \%s" and returns false,
    /// leaving no file open.
    bool Create(const std::string& fileName);
    /// True while a created file is open for writing.
    bool IsWriting() const { return out_ != nullptr; }
    /// True once a record was refused or a write failed; the file was then deleted.
    bool WriteFailed() const { return writeFailed_; }
    /// Refuses the file being written for a reason of the caller's: the message, then the
    /// file deleted and nothing more written.
    void RefuseFile(const std::string& message);
    /// The same without a message.
    void Abandon();
    /// Bytes written so far; -1 without an open file.
    long Tell();
    /// Cuts the file back to its first size bytes (a record group its caller takes back);
    /// false, with the file refused, when that fails.
    bool Truncate(long size);

    /// Field writers; each does nothing without an open file.
    void WriteU32(uint32_t value);  ///< 4 bytes, little-endian (floats as their IEEE bits)
    void WriteU8(uint8_t value);
    /// The text's bytes and one zero byte; null writes the zero byte alone. Refuses (false, file
    /// deleted) a text longer than 255 bytes.
    bool WriteString(const char* text);
    /// One tag byte; passes the record's name to TraceHook.
    void WriteTag(uint8_t tag);

    /// Record writers: the tag, then the arguments in order with the format's widths. Counts and
    /// indices stored in 8 bits keep their low 8 bits. Those taking a name return false when the
    /// name is refused (longer than 255 bytes or holding a zero byte) or nothing could be written.
    void WriteMagic();
    void WriteSceneInfo(uint32_t firstFrame, uint32_t lastFrame, uint32_t ticksPerFrame);
    void WriteMaterialList(uint32_t count);
    bool WriteMaterialHeader(const std::string& name);
    void WriteAmbient(float r, float g, float b);
    void WriteDiffuse(float r, float g, float b);
    void WriteSpecular(float r, float g, float b);
    void WriteTransparency(float value);
    bool WriteMapDiffuse(const std::string& pictureName);
    void WriteSubMaterialList(uint32_t count);
    void WriteSubMaterialHeader(uint32_t index);
    bool WriteGeometryHeader(const std::string& nodeName);
    bool WriteHelperHeader(const std::string& nodeName);
    bool WriteCameraReference(const std::string& nodeName);
    /// The first three values of each of the matrix's four rows.
    void WriteNodeTransform(const Matrix& m);
    bool WriteNodeParent(const std::string& parentName);
    void WriteRotationAxis(float x, float y, float z);
    void WriteRotationAngle(float angle);
    void WriteScale(float x, float y, float z);
    void WriteMeshHeader(uint32_t vertexCount, uint32_t faceCount);
    void WriteVertex(float x, float y, float z);
    void WriteFace(uint32_t a, uint32_t b, uint32_t c, uint32_t materialId);
    void WriteTextureVertexList(uint32_t count);
    void WriteTextureVertex(float u, float v);
    void WriteTextureFaceList(uint32_t count);
    void WriteTextureFace(uint32_t a, uint32_t b, uint32_t c);
    void WriteFaceNormal(uint32_t face, float x, float y, float z);
    void WriteAnimationHeader();
    void WriteBezierPosition(uint32_t time, float x, float y, float z);
    void WriteSamplePosition(uint32_t time, float x, float y, float z);
    void WriteBezierRotation(uint32_t time, float axisX, float axisY, float axisZ, float angle);
    void WriteSampleRotation(uint32_t time, float axisX, float axisY, float axisZ, float angle);
    void WriteTcbRotation(uint32_t time, float axisX, float axisY, float axisZ, float angle);
    void WriteBezierScale(uint32_t time, float x, float y, float z);
    void WriteMaterialReference(uint32_t index);
    void WriteEndGeometry();
    void WriteEndHelper();
    void WriteEndCamera();
    void WriteEndNodeTransform();
    void WriteEndMaterial();
    /// Tag 40, then the file is closed.
    void WriteFileEnd();

private:
    /// One record; false stops the load (refused file or fatal texture failure).
    bool HandleRecord(const BneRecord& r);
    bool HandleMaterial(const BneRecord& r);
    void HandleKey(const BneRecord& r);
    /// Reads and hands over one vertex, face, texture or normal record whose whole payload is
    /// there; false (nothing read) for other tags and for a record cut short.
    bool ReadGeometryFast(uint8_t tag, ByteCursor* cursor);
    /// A list header's count, bounded by the records of recordBytes (tag included) the rest of
    /// the data could hold.
    uint32_t Announced(uint32_t count, size_t recordBytes) const;

    ModelBuilder builder_{kCaption};
    size_t bytesLeft_ = 0;  ///< after the record being handled

    bool WriteRecord(const BneRecord& record);
    bool WriteNamed(uint8_t tag, const std::string& name);
    void WriteFloats(uint8_t tag, std::initializer_list<float> values);
    void WriteBare(uint8_t tag);
    void WriteBytes(const void* bytes, size_t count);
    void CloseOutput();

    OutputFile output_;
    std::FILE* out_ = nullptr;  ///< output_'s stream while writing
    std::string fileName_;
    bool writeFailed_ = false;
};

}  // namespace orix
