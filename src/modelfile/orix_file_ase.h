/// \file
/// OrixFileAse: the reader of the modelling tool's ASE text exports. It parses the file line by
/// line (block by block, unknown blocks skipped) and hands what it finds to the model builder,
/// which builds a skinned character (or one mesh, for a land) under the same rules as the BNE
/// reader. When asked it writes a BNE copy record by record while reading: that is how BNE files
/// are made.
///
/// Conversions on the way in: Y and Z exchanged, triangles A, C, B, texture v as 1 - v, node
/// angles 2*pi - angle, key angles negated. Sub-materials nest by block structure; the copy
/// writes each sub-material as "list header, sub-material header, its records, end of material"
/// so that the BNE reader nests them the same way. The copy always starts with the BNE magic.
/// Lines over 254 characters are read in pieces. A line that opens a top-level block (object,
/// group, material list, scene) inside any block but a group closes the blocks above it, as
/// their '}' would, with a warning naming the line each end of them. A block left open at the
/// end of the file drops the object it was part of (from the copy too) and is a warning naming
/// its line.
/// A copy refuses what BNE cannot encode: more than 255 materials, or sub-materials in one.
/// Messages: "Can't load \%s" under "Load Ase", texture failures under "OrixFileAse".
/// Depends on: modelfile/model_builder.h, modelfile/orix_file_bne.h (the copy), ase_tokenizer.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "modelfile/model_builder.h"

namespace orix {

class Mesh;
class OrixFileBne;
class SkinnedCharacter;

/// Bits of the ASE load flags.
enum AseLoadFlags : uint32_t {
    kAseFinishNodes = 1,         ///< read animation blocks, finish nodes
    kAseBakePoses = 2,           ///< bake the poses of animated nodes
    kAseSkipMaterials = 4,       ///< no material list, no material references
    kAseBlackIsTransparent = 8,  ///< textures get black as their colour key
    kAseWriteBne = 16,           ///< write a BNE copy
};

class OrixFileAse {
public:
    static constexpr const char* kCaption = "OrixFileAse";
    static constexpr const char* kLoadCaption = "Load Ase";

    explicit OrixFileAse(SkinnedCharacter* target);
    /// A mesh target takes every geometry object, as the land is loaded.
    explicit OrixFileAse(Mesh* target);
    /// Writes the copy's "File End" record and closes it.
    ~OrixFileAse();
    OrixFileAse(const OrixFileAse&) = delete;
    OrixFileAse& operator=(const OrixFileAse&) = delete;

    void SetMipmapMode(bool on, int32_t levelCount) { builder_.SetMipmapMode(on, levelCount); }
    /// When false, a texture that cannot be loaded is reported and the model loads untextured.
    void SetTextureFailureFatal(bool fatal) { builder_.SetTextureFailureFatal(fatal); }
    /// Pictures are looked for beside the model too (FindPicture); see ModelBuilder.
    void SetPictureFolder(const std::string& modelFolder) {
        builder_.SetPictureFolder(modelFolder);
    }
    /// The BNE copy's file name instead of the one made from the text's name.
    void SetCopyName(const std::string& name) { copyName_ = name; }
    /// "\<name up to and including its first '.'>bne" ("a.b.ase": "a.bne"; "noext": "bne").
    static std::string CopyNameFor(const std::string& aseName);

    /// Reads fileName into the target: UTF-8 or UTF-16 text (with its byte-order mark). False
    /// when it cannot be opened ("Can't load \%s"), when it holds no scene block, material list
    /// or object ("\%s is not an ASE export"), or after a fatal texture failure. A copy being
    /// written is then deleted. Blocks left open, tracks not played, cameras and lights are
    /// warnings of the builder.
    bool Load(const std::string& fileName, uint32_t flags);
    /// The same from text in memory; name is used in messages and for the copy's name.
    bool LoadBytes(const char* data, size_t size, const std::string& name, uint32_t flags);
    /// True when a copy was asked for and could not be written whole.
    bool CopyFailed() const;
    /// Completes the copy (its end record, then the file put in place; the destructor does it
    /// otherwise); true when it was written whole.
    bool FinishCopy();
    /// What the last load built, for tools: pictures named and each material's picture.
    const ModelBuilder& Builder() const { return builder_; }

private:
    ModelBuilder builder_{kCaption};
    std::unique_ptr<OrixFileBne> copy_;
    std::string copyName_;
    bool copyFailed_ = false;
};

}  // namespace orix
