// OrixFileBne: the BNE scene file's writer (this header's first half) and reader.
//
// The writer serialises one record per call, in the order its caller (the ASE reader) meets
// them; it converts nothing, every value arrives in engine space. Field widths come from the
// format table (bne_format.h). A name longer than 255 bytes cannot be read back, so the writer
// refuses the file: it reports it, deletes what it had written and writes nothing more. Messages
// go through ShowMessageBox with the caption "OrixFileBne".
//
// Depends on: modelfile/bne_format.h, math/matrix.h, platform/messages.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "math/matrix.h"
#include "modelfile/bne_format.h"

namespace orix {

class OrixFileBne {
public:
    static constexpr const char* kCaption = "OrixFileBne";

    // Without a target: the writer's constructor.
    OrixFileBne();
    // Closes a file still open, without writing the end record.
    ~OrixFileBne();
    OrixFileBne(const OrixFileBne&) = delete;
    OrixFileBne& operator=(const OrixFileBne&) = delete;

    // --- writing -----------------------------------------------------------------------------
    // Closes any open file, resets the writer and creates (or truncates) fileName for binary
    // writing. On failure shows "Can't Create %s" and returns false, leaving no file open.
    bool Create(const std::string& fileName);
    // True while a created file is open for writing.
    bool IsWriting() const { return out_ != nullptr; }
    // True once a record was refused or a write failed; the file was then deleted.
    bool WriteFailed() const { return writeFailed_; }

    // Field writers; each does nothing without an open file.
    void WriteU32(uint32_t value);  // 4 bytes, little-endian (floats as their IEEE bits)
    void WriteU8(uint8_t value);
    // The text's bytes and one zero byte; null writes the zero byte alone. Refuses (false, file
    // deleted) a text longer than 255 bytes.
    bool WriteString(const char* text);
    // One tag byte; passes the record's name to TraceHook.
    void WriteTag(uint8_t tag);

    // Record writers: the tag, then the arguments in order with the format's widths. Counts and
    // indices stored in 8 bits keep their low 8 bits. Those taking a name return false when the
    // name is refused (longer than 255 bytes or holding a zero byte) or nothing could be written.
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
    // The first three values of each of the matrix's four rows.
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
    // Tag 40, then the file is closed.
    void WriteFileEnd();

private:
    bool WriteRecord(const BneRecord& record);
    bool WriteNamed(uint8_t tag, const std::string& name);
    void WriteFloats(uint8_t tag, std::initializer_list<float> values);
    void WriteBare(uint8_t tag);
    void WriteBytes(const void* bytes, size_t count);
    void RefuseFile(const std::string& message);
    void CloseOutput();

    std::FILE* out_ = nullptr;
    std::string fileName_;
    bool writeFailed_ = false;
};

}  // namespace orix
