#include "skin/skin_file_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "files/input_file.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"
#include "skin/tokenize.h"

namespace orix {

namespace {

// Each read takes up to this many bytes, terminator included.
constexpr int kLineBytes = 255;
// Declared counts beyond this are not reserved up front: the indices must arrive first.
constexpr int32_t kReserveLimit = 4096;

// The token without its first and last characters (the quotes).
std::string Unquote(const std::string& token) {
    return token.size() >= 2 ? token.substr(1, token.size() - 2) : std::string();
}

// The decimal value of the token's leading digits (0 when it has none), at most INT32_MAX.
int32_t LeadingNumber(const std::string& token, bool allowSign) {
    size_t i = 0;
    bool negative = false;
    if (allowSign && i < token.size() && (token[i] == '-' || token[i] == '+')) {
        negative = token[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (token[i] - '0'), INT32_MAX);
    }
    return int32_t(negative ? -value : value);
}

// One line into buffer; empty at the end of the file. False when nothing more can be read.
bool ReadLine(std::FILE* file, char (&buffer)[kLineBytes]) {
    buffer[0] = '\0';
    return std::fgets(buffer, kLineBytes, file) != nullptr;
}

}  // namespace

SkinFileReader::SkinFileReader(SkinnedCharacter* character) : character_(character) {}

SkinFileReader::~SkinFileReader() {
    if (file_) std::fclose(file_);
}

bool SkinFileReader::Read(const std::string& fileName) {
    // Read whole and bounded first: a device or a huge file must not feed the line reader forever.
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(fileName, &bytes, &error)) return false;
    file_ = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file_) return false;
    bool ok = ReadStream(file_);
    std::fclose(file_);
    file_ = nullptr;
    return ok;
}

bool SkinFileReader::ReadStream(std::FILE* stream) {
    if (!character_ || !stream) return false;
    char line[kLineBytes];
    std::vector<std::string> tokens;
    int32_t count = 0;

    ReadLine(stream, line);
    Tokenize(line, &tokens, &count, kSkinSeparators);
    if (count < 2 || tokens[0] != "MESH_SKIN_FILE") return false;
    SceneObject* found = character_->FindChild(Unquote(tokens[1]));
    // Only a mesh has vertices to bind; a bone of that name is not a skin.
    if (!found || found->kind != static_cast<int32_t>(ObjectKind::Mesh)) return false;
    Mesh* skin = static_cast<Mesh*>(found);
    character_->skinMesh = skin;
    skin->refreshSubMeshPositions = true;

    SkinBinding current;
    bool boneFound = false;
    while (!std::feof(stream)) {
        bool more = ReadLine(stream, line);
        Tokenize(line, &tokens, &count, kSkinSeparators);
        if (count > 0) {
            const std::string& first = tokens[0];
            if (first.find('"') != std::string::npos) {
                if (boneFound) character_->skinBindings.push_back(std::move(current));
                current = SkinBinding();
                current.bone = character_->FindChild(Unquote(first));
                // Without a count there is nothing to read under this bone.
                boneFound = current.bone != nullptr && count >= 2;
                if (boneFound) {
                    current.count = LeadingNumber(tokens[1], true);
                    current.indices.reserve(
                        size_t(std::clamp(current.count, int32_t(0), kReserveLimit)));
                }
            } else if (first[0] >= '0' && first[0] <= '9' && boneFound) {
                for (const std::string& t : tokens) {
                    if (int32_t(current.indices.size()) >= current.count) break;
                    current.indices.push_back(LeadingNumber(t, false));
                }
            }
        }
        // A read error is not the end of the file, but nothing more will come.
        if (!more) break;
    }
    if (boneFound) character_->skinBindings.push_back(std::move(current));
    return true;
}

}  // namespace orix
