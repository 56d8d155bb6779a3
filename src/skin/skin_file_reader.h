/// \file
/// SkinFileReader: reads a skin file ("MESH_SKIN_FILE") into a character: which mesh is the
/// skin, and which of its vertices (or shared positions) each bone carries. The file is text,
/// read in lines of at most 254 characters (a longer line reads as several). Line 1 is the header
/// and the quoted skin mesh name; then bone lines (a quoted bone name and the count of indices
/// that follow) and index lines (1-based indices, under the last bone line); anything else is
/// ignored. Tokens are split by Tokenize with kSkinSeparators.
///
/// Bones that are not among the character's children are skipped with their index lines; a
/// bone's indices are kept up to the count its line declared. Whether an index fits the mesh is
/// SkinBind's business. Depends on: scene/skinned_character.h, skin/tokenize.h, stdio.
#pragma once

#include <cstdio>
#include <string>

namespace orix {

class SkinnedCharacter;

class SkinFileReader {
public:
    explicit SkinFileReader(SkinnedCharacter* character);
    ~SkinFileReader();
    SkinFileReader(const SkinFileReader&) = delete;
    SkinFileReader& operator=(const SkinFileReader&) = delete;

    /// Parses the whole file: true when the header was valid and the skin mesh was found (the
    /// character's skinMesh is then set and its bindings appended to); false leaves the character
    /// as it was.
    bool Read(const std::string& fileName);
    /// The same from an open stream, which stays open (tests, fuzzing).
    bool ReadStream(std::FILE* stream);

private:
    SkinnedCharacter* character_;
    std::FILE* file_ = nullptr;
};

}  // namespace orix
