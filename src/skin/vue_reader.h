/// \file
/// VueReader: reads the modelling tool's VUE animation dump into a character's meshes, one
/// matrix key per "transform" line for the mesh of that exact name (MatrixTrack playback). The
/// file is text read word by word: "frame" counts a frame block, "transform" carries a quoted
/// name and 12 numbers (X, Y, Z axes and position in the tool's Z-up frame; Y and Z are exchanged
/// within and between rows), "camera", "light", "spotlight" and any other word skip their line.
/// The first frame block also sets each named mesh's nodeTransform and position. Accepted
/// transforms and the end of the file are logged to logFile when it is open.
///
/// Limits: words and quoted names hold at most 63 characters; a longer one, or a file that ends
/// inside or before a quoted name, stops the read as malformed (keys read so far stay; the
/// character's LoadVue undoes them). Depends on: scene/skinned_character.h, stdio, the log stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orix {

class SkinnedCharacter;

class VueReader {
public:
    static constexpr size_t kMaxWord = 63;

    explicit VueReader(SkinnedCharacter* target);
    ~VueReader();
    VueReader(const VueReader&) = delete;
    VueReader& operator=(const VueReader&) = delete;

    /// Reads the file to its end: false when it cannot be opened or is malformed (error() says
    /// why).
    bool Read(const std::string& fileName);
    /// The same from an open stream, which stays open (tests, fuzzing).
    bool ReadStream(std::FILE* stream);
    /// The next double-quoted name: everything through the first quote is skipped, the name runs
    /// to the next quote. Empty, with the read marked malformed, when it is too long or the file
    /// ends first.
    std::string ReadQuotedName();
    /// Discards the rest of the current line (one read of up to 255 bytes).
    void SkipLine();

    /// Why the last read failed; empty after a good one.
    const std::string& error() const { return error_; }
    /// Frame lines met by the last read.
    int32_t frameCount() const { return frame_; }

private:
    /// The next whitespace-separated word into word; false at the end of the input or (malformed)
    /// when it is too long.
    bool ReadWord(std::string& word);
    void ReadTransform();
    void Fail(const std::string& why);

    SkinnedCharacter* target_;
    int32_t frame_ = 0;
    std::FILE* file_ = nullptr;
    std::string error_;
};

}  // namespace orix
