// The writing half of OrixFileBne.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"

namespace orix {

namespace {

std::string Shortened(const std::string& name) {
    // Keeps a message box readable when the offending name is huge.
    constexpr size_t kShown = 60;
    return name.size() <= kShown ? name : name.substr(0, kShown) + "...";
}

}  // namespace

bool OrixFileBne::Create(const std::string& fileName) {
    CloseOutput();
    writeFailed_ = false;
    fileName_ = fileName;
    std::string error;
    out_ = output_.Open(fileName, &error) ? output_.Stream() : nullptr;
    if (!out_) {
        output_.Abandon();
        ShowMessageBox("Can't Create " + fileName, kCaption);
        return false;
    }
    return true;
}

void OrixFileBne::CloseOutput() {
    // Only WriteFileEnd completes a file; one left open is not kept.
    out_ = nullptr;
    output_.Abandon();
}

void OrixFileBne::RefuseFile(const std::string& message) {
    ShowMessageBox(message, kCaption);
    Abandon();
}

void OrixFileBne::Abandon() {
    writeFailed_ = true;
    // A half-written file would read back as something other than what was meant.
    CloseOutput();
}

long OrixFileBne::Tell() {
    return out_ ? std::ftell(out_) : -1;
}

bool OrixFileBne::Truncate(long size) {
    if (!out_ || size < 0) return false;
    if (!output_.Truncate(uint64_t(size))) {
        RefuseFile("Can't Write " + fileName_);
        return false;
    }
    return true;
}

void OrixFileBne::WriteBytes(const void* bytes, size_t count) {
    if (!out_) return;
    if (std::fwrite(bytes, 1, count, out_) != count) RefuseFile("Can't Write " + fileName_);
}

void OrixFileBne::WriteU32(uint32_t value) {
    uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                        uint8_t(value >> 24)};
    WriteBytes(bytes, 4);
}

void OrixFileBne::WriteU8(uint8_t value) {
    WriteBytes(&value, 1);
}

bool OrixFileBne::WriteString(const char* text) {
    if (!out_) return false;
    size_t length = text ? std::strlen(text) : 0;
    if (length > kBneMaxStringLength) {
        RefuseFile("Name longer than 255 bytes, " + fileName_ + " not written: " + Shortened(text));
        return false;
    }
    WriteBytes(text ? text : "", length + 1);
    return out_ != nullptr;
}

void OrixFileBne::WriteTag(uint8_t tag) {
    if (!out_) return;
    TraceHook((std::string(BneTagName(tag)) + "\n").c_str());
    WriteU8(tag);
}

bool OrixFileBne::WriteRecord(const BneRecord& record) {
    if (!out_) return false;
    std::string bytes;
    if (!EncodeBneRecord(record, &bytes)) {
        RefuseFile("Name longer than 255 bytes or holding a zero byte, " + fileName_ +
                   " not written: " + Shortened(record.text));
        return false;
    }
    TraceHook((std::string(BneTagName(record.tag)) + "\n").c_str());
    WriteBytes(bytes.data(), bytes.size());
    return out_ != nullptr;
}

bool OrixFileBne::WriteNamed(uint8_t tag, const std::string& name) {
    BneRecord r;
    r.tag = tag;
    r.text = name;
    return WriteRecord(r);
}

void OrixFileBne::WriteFloats(uint8_t tag, std::initializer_list<float> values) {
    BneRecord r;
    r.tag = tag;
    size_t i = 0;
    for (float v : values) r.f[i++] = v;
    WriteRecord(r);
}

void OrixFileBne::WriteBare(uint8_t tag) {
    BneRecord r;
    r.tag = tag;
    WriteRecord(r);
}

void OrixFileBne::WriteMagic() {
    WriteString("BNE");
}

void OrixFileBne::WriteSceneInfo(uint32_t firstFrame, uint32_t lastFrame, uint32_t ticksPerFrame) {
    BneRecord r;
    r.tag = kBneSceneInfo;
    r.u[0] = firstFrame;
    r.u[1] = lastFrame;
    r.u[2] = ticksPerFrame;
    WriteRecord(r);
}

void OrixFileBne::WriteMaterialList(uint32_t count) {
    BneRecord r;
    r.tag = kBneMaterialList;
    r.u[0] = count;
    WriteRecord(r);
}

bool OrixFileBne::WriteMaterialHeader(const std::string& name) {
    return WriteNamed(kBneMaterialHeader, name);
}

void OrixFileBne::WriteAmbient(float r, float g, float b) {
    WriteFloats(kBneAmbient, {r, g, b});
}
void OrixFileBne::WriteDiffuse(float r, float g, float b) {
    WriteFloats(kBneDiffuse, {r, g, b});
}
void OrixFileBne::WriteSpecular(float r, float g, float b) {
    WriteFloats(kBneSpecular, {r, g, b});
}
void OrixFileBne::WriteTransparency(float value) {
    WriteFloats(kBneTransparency, {value});
}

bool OrixFileBne::WriteMapDiffuse(const std::string& pictureName) {
    return WriteNamed(kBneMapDiffuse, pictureName);
}

void OrixFileBne::WriteSubMaterialList(uint32_t count) {
    BneRecord r;
    r.tag = kBneSubMaterialList;
    r.u[0] = count;
    WriteRecord(r);
}

void OrixFileBne::WriteSubMaterialHeader(uint32_t index) {
    BneRecord r;
    r.tag = kBneSubMaterialHeader;
    r.u[0] = index;
    WriteRecord(r);
}

bool OrixFileBne::WriteGeometryHeader(const std::string& nodeName) {
    return WriteNamed(kBneGeometryHeader, nodeName);
}

bool OrixFileBne::WriteHelperHeader(const std::string& nodeName) {
    return WriteNamed(kBneHelperHeader, nodeName);
}

bool OrixFileBne::WriteCameraReference(const std::string& nodeName) {
    return WriteNamed(kBneCameraReference, nodeName);
}

void OrixFileBne::WriteNodeTransform(const Matrix& m) {
    BneRecord r;
    r.tag = kBneNodeTransform;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) r.f[row * 3 + col] = m.m[row][col];
    }
    WriteRecord(r);
}

bool OrixFileBne::WriteNodeParent(const std::string& parentName) {
    return WriteNamed(kBneNodeParent, parentName);
}

void OrixFileBne::WriteRotationAxis(float x, float y, float z) {
    WriteFloats(kBneRotationAxis, {x, y, z});
}
void OrixFileBne::WriteRotationAngle(float angle) {
    WriteFloats(kBneRotationAngle, {angle});
}
void OrixFileBne::WriteScale(float x, float y, float z) {
    WriteFloats(kBneScale, {x, y, z});
}

void OrixFileBne::WriteMeshHeader(uint32_t vertexCount, uint32_t faceCount) {
    BneRecord r;
    r.tag = kBneMeshHeader;
    r.u[0] = vertexCount;
    r.u[1] = faceCount;
    WriteRecord(r);
}

void OrixFileBne::WriteVertex(float x, float y, float z) {
    WriteFloats(kBneVertex, {x, y, z});
}

void OrixFileBne::WriteFace(uint32_t a, uint32_t b, uint32_t c, uint32_t materialId) {
    BneRecord r;
    r.tag = kBneFace;
    r.u[0] = a;
    r.u[1] = b;
    r.u[2] = c;
    r.u[3] = materialId;
    WriteRecord(r);
}

void OrixFileBne::WriteTextureVertexList(uint32_t count) {
    BneRecord r;
    r.tag = kBneTextureVertexList;
    r.u[0] = count;
    WriteRecord(r);
}

void OrixFileBne::WriteTextureVertex(float u, float v) {
    WriteFloats(kBneTextureVertex, {u, v});
}

void OrixFileBne::WriteTextureFaceList(uint32_t count) {
    BneRecord r;
    r.tag = kBneTextureFaceList;
    r.u[0] = count;
    WriteRecord(r);
}

void OrixFileBne::WriteTextureFace(uint32_t a, uint32_t b, uint32_t c) {
    BneRecord r;
    r.tag = kBneTextureFace;
    r.u[0] = a;
    r.u[1] = b;
    r.u[2] = c;
    WriteRecord(r);
}

void OrixFileBne::WriteFaceNormal(uint32_t face, float x, float y, float z) {
    BneRecord r;
    r.tag = kBneFaceNormal;
    r.u[0] = face;
    r.f[1] = x;
    r.f[2] = y;
    r.f[3] = z;
    WriteRecord(r);
}

void OrixFileBne::WriteAnimationHeader() {
    WriteBare(kBneAnimationHeader);
}

namespace {

BneRecord TimedRecord(uint8_t tag, uint32_t time, std::initializer_list<float> values) {
    BneRecord r;
    r.tag = tag;
    r.u[0] = time;
    size_t i = 1;
    for (float v : values) r.f[i++] = v;
    return r;
}

}  // namespace

void OrixFileBne::WriteBezierPosition(uint32_t time, float x, float y, float z) {
    WriteRecord(TimedRecord(kBneBezierPosition, time, {x, y, z}));
}
void OrixFileBne::WriteSamplePosition(uint32_t time, float x, float y, float z) {
    WriteRecord(TimedRecord(kBneSamplePosition, time, {x, y, z}));
}
void OrixFileBne::WriteBezierRotation(uint32_t time, float axisX, float axisY, float axisZ,
                                      float angle) {
    WriteRecord(TimedRecord(kBneBezierRotation, time, {axisX, axisY, axisZ, angle}));
}
void OrixFileBne::WriteSampleRotation(uint32_t time, float axisX, float axisY, float axisZ,
                                      float angle) {
    WriteRecord(TimedRecord(kBneSampleRotation, time, {axisX, axisY, axisZ, angle}));
}
void OrixFileBne::WriteTcbRotation(uint32_t time, float axisX, float axisY, float axisZ,
                                   float angle) {
    WriteRecord(TimedRecord(kBneTcbRotation, time, {axisX, axisY, axisZ, angle}));
}
void OrixFileBne::WriteBezierScale(uint32_t time, float x, float y, float z) {
    WriteRecord(TimedRecord(kBneBezierScale, time, {x, y, z}));
}

void OrixFileBne::WriteMaterialReference(uint32_t index) {
    BneRecord r;
    r.tag = kBneMaterialReference;
    r.u[0] = index;
    WriteRecord(r);
}

void OrixFileBne::WriteEndGeometry() {
    WriteBare(kBneEndGeometry);
}
void OrixFileBne::WriteEndHelper() {
    WriteBare(kBneEndHelper);
}
void OrixFileBne::WriteEndCamera() {
    WriteBare(kBneEndCamera);
}
void OrixFileBne::WriteEndNodeTransform() {
    WriteBare(kBneEndNodeTransform);
}
void OrixFileBne::WriteEndMaterial() {
    WriteBare(kBneEndMaterial);
}

void OrixFileBne::WriteFileEnd() {
    WriteBare(kBneFileEnd);
    if (!out_) return;
    // Buffered bytes reach the disk only here; a full disk shows up now or never.
    std::string error;
    out_ = nullptr;
    if (!output_.Commit(&error)) {
        writeFailed_ = true;
        ShowMessageBox("Can't Write " + fileName_, kCaption);
    }
}

}  // namespace orix
