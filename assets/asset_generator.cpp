#include "asset_generator.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "body_mesh.h"
#include "character_export.h"
#include "land.h"
#include "pictures.h"
#include "skeleton.h"

namespace orix_assets {
namespace {

bool WriteFile(const std::filesystem::path& path, const void* data, size_t size,
               std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        *error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    int writeErrno = errno;
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        writeErrno = errno;
    }
    if (!ok) *error = "cannot write " + path.string() + ": " + std::strerror(writeErrno);
    return ok;
}

}  // namespace

bool GenerateAssets(const std::string& outDir, AssetSummary* summary, std::string* error) {
    std::string ignored;
    if (error == nullptr) error = &ignored;
    const std::filesystem::path dir(outDir);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        *error = "cannot make the folder " + outDir + (ec ? ": " + ec.message() : "");
        return false;
    }

    const Skeleton skeleton = BuildSkeleton();
    const TriMesh body = BuildBodyMesh(skeleton);
    const TriMesh collision = BuildHeadCollisionMesh(skeleton);
    const TriMesh land = BuildLandMesh();
    int keys = 0;

    struct Output {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Output> outputs;
    auto text = [&](const char* name, const std::string& s) {
        outputs.push_back({name, std::vector<uint8_t>(s.begin(), s.end())});
    };
    text(kCharacterAseFile, CharacterAse(skeleton, body, collision, &keys));
    text(kSkinFile, SkinFile(skeleton, body));
    text(kLandAseFile, LandAse(land));
    outputs.push_back({kLandTexture, EncodeBmp(DrawLandTexture())});
    const std::pair<const char*, Image> jpegs[] = {{kCharacterTexture, DrawCharacterAtlas()},
                                                   {kSpritePicture, DrawVireo()}};
    for (const auto& [name, image] : jpegs) {
        Output o{name, {}};
        if (!EncodeJpeg(image, 90, &o.bytes, error)) return false;
        outputs.push_back(std::move(o));
    }

    AssetSummary s;
    for (const Output& o : outputs) {
        if (!WriteFile(dir / o.name, o.bytes.data(), o.bytes.size(), error)) return false;
        s.files++;
        s.bytes += o.bytes.size();
    }
    s.bones = skeleton.bones.size();
    s.keys = static_cast<size_t>(keys);
    s.skinVertices = body.positions.size();
    s.skinFaces = body.faces.size();
    s.skinTexVerts = body.texVerts.size();
    s.landVertices = land.positions.size();
    s.landFaces = land.faces.size();
    if (summary != nullptr) *summary = s;
    return true;
}

}  // namespace orix_assets
