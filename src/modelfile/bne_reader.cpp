// The reading half of OrixFileBne: decodes BNE records and hands each to the model builder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

#include "files/input_file.h"
#include "files/path_text.h"
#include "modelfile/orix_file_bne.h"
#include "platform/messages.h"
#include "render/texture.h"
#include "scene/mesh.h"

namespace orix {

namespace {

int32_t Index(uint32_t v) {
    return v > 0x7FFFFFFFu ? -1 : int32_t(v);
}

uint32_t U32At(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float F32At(const uint8_t* p) {
    uint32_t bits = U32At(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace

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
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(fileName, &bytes, &error)) {
        ShowMessageBox("Can't Open " + fileName, kCaption);
        return false;
    }
    return LoadBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName, flags);
}

bool OrixFileBne::LoadBytes(const uint8_t* data, size_t size, const std::string& name,
                            uint32_t flags) {
    ByteCursor cursor(data, size);
    std::string magic;
    if (!cursor.ReadString(&magic, kBneMaxStringLength) || magic != "BNE" || cursor.Offset() != 4) {
        // Reading on would build objects out of whatever the bytes happen to say.
        ShowMessageBox(name + " is not BNE file.", kCaption);
        return false;
    }
    if (!builder_.Begin(name, flags)) return false;

    BneRecord record;
    bool ok = true;
    while (ok && !cursor.AtEnd()) {
        uint8_t tag = 0;
        cursor.ReadU8(&tag);
        if (tag == 0 || tag >= kBneTagCount) continue;
        if (ReadGeometryFast(tag, &cursor)) continue;
        record.tag = tag;
        // A record cut short by the end of the data ends the file like tag 40.
        if (DecodeBnePayload(&cursor, &record) != BneDecodeResult::Ok) break;
        if (tag == kBneFileEnd) break;
        bytesLeft_ = cursor.Remaining();
        ok = HandleRecord(record);
    }
    if (!ok) return false;
    builder_.Finish();
    return true;
}

bool OrixFileBne::HandleRecord(const BneRecord& r) {
    ModelBuilder& b = builder_;
    switch (r.tag) {
        case kBneSceneInfo: {
            // Frames are whole numbers as the ASE export gives them, negative ones included (the
            // copy stores their two's complement); the builder clamps them to a sane range.
            auto ticks = r.u[2] > 0x7FFFFFFFu ? 0 : int32_t(r.u[2]);
            b.SetSceneInfo(int32_t(r.u[0]), int32_t(r.u[1]), ticks);
            return true;
        }
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
            return b.BeginGeometry(r.text);
        case kBneHelperHeader:
            return b.BeginHelper(r.text);
        case kBneCameraReference:
            b.BeginCamera();
            b.Warn("camera \"" + r.text + "\" skipped; a model holds no cameras");
            return true;
        case kBneNodeTransform: {
            Matrix m;
            for (int row = 0; row < 4; ++row) {
                for (int col = 0; col < 3; ++col) m.m[row][col] = r.f[row * 3 + col];
            }
            b.NodeTransform(m);
            return true;
        }
        case kBneNodeParent:
            b.NodeParent(r.text);
            return true;
        case kBneRotationAxis:
            b.RotationAxis(r.f[0], r.f[1], r.f[2]);
            return true;
        case kBneRotationAngle:
            b.RotationAngle(r.f[0]);
            return true;
        case kBneScale:
            b.Scale(r.f[0], r.f[1], r.f[2]);
            return true;
        case kBneEndNodeTransform:
            b.EndNodeTransform();
            return true;
        // The counts only make room ahead, never more than the rest of the file could fill.
        case kBneMeshHeader:
            b.ExpectGeometry(Announced(r.u[0], 13), Announced(r.u[1], 14));
            return true;
        case kBneTextureVertexList:
            b.ExpectTexCoords(Announced(r.u[0], 9), 0);
            return true;
        case kBneTextureFaceList:
            b.ExpectTexCoords(0, Announced(r.u[0], 13));
            b.TextureFaceListHeader();
            return true;
        case kBneAnimationHeader:
            b.AnimationHeader();
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
            return b.MaterialReference(int32_t(r.u[0]));
        case kBneEndGeometry:
            b.EndGeometry();
            return true;
        case kBneEndHelper:
            b.EndHelper();
            return true;
        case kBneEndCamera:
            b.EndCamera();
            return true;
        default:  // list headers whose counts are not needed; geometry records (ReadGeometryFast)
            return true;
    }
}

bool OrixFileBne::HandleMaterial(const BneRecord& r) {
    ModelBuilder& b = builder_;
    switch (r.tag) {
        case kBneMaterialHeader:
            return b.MaterialHeader(r.text);
        case kBneAmbient:
            b.SetAmbient(r.f[0], r.f[1], r.f[2]);
            return true;
        case kBneDiffuse:
            b.SetDiffuse(r.f[0], r.f[1], r.f[2]);
            return true;
        case kBneSpecular:
            b.SetSpecular(r.f[0], r.f[1], r.f[2]);
            return true;
        case kBneTransparency:
            b.SetTransparency(r.f[0]);
            return true;
        case kBneMapDiffuse:
            return b.MapDiffuse(r.text);
        case kBneSubMaterialList:
            b.SubMaterialList();
            return true;
        case kBneSubMaterialHeader:
            return b.SubMaterialHeader();
        case kBneEndMaterial:
            b.EndMaterial();
            return true;
    }
    return true;
}

bool OrixFileBne::ReadGeometryFast(uint8_t tag, ByteCursor* cursor) {
    // Vertices, faces and their texture and normal records are nearly all of a model's bytes:
    // they are read straight from the buffer, not through the general record, and a run of
    // records of one tag in one loop, handed on in batches. A record cut short is left to the
    // general decoder, which ends the file there.
    ModelBuilder& b = builder_;
    // Each record of the run decoded into a batch, which goes to `flush` when full and at the
    // end.
    auto run = [cursor, tag](size_t bytes, auto&& decode, auto&& flush) {
        using Item = std::decay_t<decltype(decode(nullptr))>;
        const uint8_t* p = cursor->Peek(bytes);
        if (!p) return false;
        // This record, then each next one that has this tag and is whole.
        const size_t stride = bytes + 1, left = cursor->Remaining();
        size_t count = 1;
        while (left >= count * stride + bytes && p[count * stride - 1] == tag) ++count;
        constexpr size_t kBatch = 256;
        Item batch[kBatch];
        for (size_t done = 0; done < count; done += kBatch) {
            const size_t n = std::min(kBatch, count - done);
            for (size_t i = 0; i < n; ++i) batch[i] = decode(p + (done + i) * stride);
            flush(batch, n);
        }
        cursor->Skip(count * stride - 1);
        return true;
    };
    auto face = [](const uint8_t* p) {
        return FaceInput{Index(U32At(p)), Index(U32At(p + 4)), Index(U32At(p + 8)), p[12]};
    };
    auto texFace = [](const uint8_t* p) {
        return FaceInput{Index(U32At(p)), Index(U32At(p + 4)), Index(U32At(p + 8)), 0};
    };
    struct NormalInput {
        int32_t face;
        float x, y, z;
    };
    switch (tag) {
        case kBneVertex:
            return run(
                12,
                [](const uint8_t* p) {
                    return Vector3{F32At(p), F32At(p + 4), F32At(p + 8)};
                },
                [&b](const Vector3* v, size_t n) { b.AddVertices(v, n); });
        case kBneFace:
            return run(13, face, [&b](const FaceInput* f, size_t n) { b.AddFaces(f, n); });
        case kBneTextureVertex:
            return run(
                8,
                [](const uint8_t* p) {
                    return TexCoord{F32At(p), F32At(p + 4)};
                },
                [&b](const TexCoord* t, size_t n) { b.AddTexVertices(t, n); });
        case kBneTextureFace:
            return run(12, texFace, [&b](const FaceInput* f, size_t n) { b.AddTexFaces(f, n); });
        case kBneFaceNormal:
            return run(
                16,
                [](const uint8_t* p) {
                    return NormalInput{Index(U32At(p)), F32At(p + 4), F32At(p + 8), F32At(p + 12)};
                },
                [&b](const NormalInput* f, size_t n) {
                    for (size_t i = 0; i < n; ++i) b.FaceNormal(f[i].face, f[i].x, f[i].y, f[i].z);
                });
    }
    return false;
}

uint32_t OrixFileBne::Announced(uint32_t count, size_t recordBytes) const {
    return uint32_t(std::min<size_t>(count, bytesLeft_ / recordBytes));
}

void OrixFileBne::HandleKey(const BneRecord& r) {
    ModelBuilder& b = builder_;
    float frame = b.FrameOfTicks(r.u[0]);
    switch (r.tag) {
        case kBneBezierPosition:
        case kBneSamplePosition:
            b.PositionKey(frame, r.f[1], r.f[2], r.f[3]);
            break;
        case kBneBezierRotation:
            b.RotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4]);
            break;
        case kBneSampleRotation:
            b.SampleRotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4]);
            break;
        case kBneTcbRotation:
            b.TcbRotationKey(frame, r.f[1], r.f[2], r.f[3], r.f[4]);
            break;
        case kBneBezierScale:
            b.ScaleKey(frame, r.f[1], r.f[2], r.f[3]);
            break;
    }
}

}  // namespace orix
