// Shared pieces of the skin suites: text files in a temporary folder, a capture of the log
// stream, and a small character with a skin mesh and two bones built in memory.
#pragma once

#include <cstdio>
#include <string>

#include "scene/skinned_character.h"
#include "support/picture_files.h"

namespace orix::test {

// Writes text to path; false when it cannot.
bool WriteText(const std::string& path, const std::string& text);

// Points logFile at a temporary stream for its lifetime; Text() is what was written so far.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::string Text();

private:
    std::FILE* file_ = nullptr;
    std::FILE* previous_ = nullptr;
};

// A character (vertex format `format`) with a skin mesh "Skin" of `vertices` vertices at
// (i, 0, 0) with the unit normals (0.6, 0.8, 0), and the bones "Bip01 Pelvis" (node at (0, 0, 0))
// and "Bip01 L Arm" (node at (2, 0, 0)) whose world matrices equal their node transforms.
void BuildSkinCharacter(SkinnedCharacter& c, uint32_t vertices);

}  // namespace orix::test
