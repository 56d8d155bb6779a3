#include "skin/vue_reader.h"

#include <cctype>
#include <climits>

#include <vector>

#include "device/globals.h"
#include "files/input_file.h"
#include "scene/mesh.h"
#include "scene/skinned_character.h"

namespace orix {

VueReader::VueReader(SkinnedCharacter* target) : target_(target) {}

VueReader::~VueReader() {
    if (file_) std::fclose(file_);
}

bool VueReader::Read(const std::string& fileName) {
    error_.clear();
    // Read whole and bounded first: a device or a huge file must not feed the line reader forever.
    std::vector<char> bytes;
    std::FILE* f = ReadWholeFile(fileName, &bytes, &error_)
                       ? fmemopen(bytes.data(), bytes.size(), "rb")
                       : nullptr;
    if (!f) {
        if (error_.empty()) error_ = "cannot open " + fileName;
        return false;
    }
    file_ = f;
    bool ok = ReadStream(f);
    std::fclose(f);
    file_ = nullptr;
    return ok;
}

bool VueReader::ReadStream(std::FILE* stream) {
    error_.clear();
    frame_ = 0;
    if (!stream || !target_) {
        error_ = "nothing to read";
        return false;
    }
    std::FILE* outer = file_;
    file_ = stream;
    std::string word;
    while (error_.empty() && ReadWord(word)) {
        if (word == "frame") {
            if (frame_ < INT32_MAX) ++frame_;
            SkipLine();
        } else if (word == "transform") {
            ReadTransform();
        } else if (word == "light" || word == "spotlight") {
            ReadQuotedName();
            if (error_.empty()) SkipLine();
        } else {
            // "camera" and every word this reader does not know.
            SkipLine();
        }
    }
    file_ = outer;
    if (!error_.empty()) {
        if (logFile) std::fprintf(logFile, "VUE Read Failed: %s\n", error_.c_str());
        return false;
    }
    if (logFile) std::fputs("VUE Read Complete.\n", logFile);
    return true;
}

void VueReader::Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
}

bool VueReader::ReadWord(std::string& word) {
    word.clear();
    int c;
    do {
        c = std::fgetc(file_);
    } while (c != EOF && std::isspace(c));
    while (c != EOF && !std::isspace(c)) {
        if (word.size() >= kMaxWord) {
            Fail("a word of more than 63 characters");
            return false;
        }
        word.push_back(char(c));
        c = std::fgetc(file_);
    }
    // The whitespace that ended the word is left for SkipLine, as a formatted read leaves it.
    if (c != EOF) std::ungetc(c, file_);
    return !word.empty();
}

std::string VueReader::ReadQuotedName() {
    std::string name;
    int c;
    do {
        c = std::fgetc(file_);
    } while (c != EOF && c != '"');
    if (c == EOF) {
        Fail("the file ends before a quoted name");
        return {};
    }
    for (c = std::fgetc(file_); c != EOF && c != '"'; c = std::fgetc(file_)) {
        if (name.size() >= kMaxWord) {
            Fail("a name of more than 63 characters");
            return {};
        }
        name.push_back(char(c));
    }
    if (c == EOF) {
        Fail("the file ends inside a quoted name");
        return {};
    }
    return name;
}

void VueReader::SkipLine() {
    char line[255];
    if (!std::fgets(line, sizeof line, file_)) line[0] = '\0';
}

void VueReader::ReadTransform() {
    std::string name = ReadQuotedName();
    if (!error_.empty()) return;
    Matrix* key = target_->AddMatrixKeyFor(name);
    if (!key) {
        SkipLine();
        return;
    }
    Mesh* mesh = target_->currentMesh;
    // A node finished by its model file starts at the frame range's first frame; the track's
    // first key is frame 0.
    if (mesh->MatrixKeyCount() == 1) {
        mesh->firstFrame = 0;
        mesh->time = 0.0f;
    }
    // File order f1..f12 to (row, column), rows and columns with Y and Z exchanged.
    static const int kSlot[12][2] = {{0, 0}, {0, 2}, {0, 1}, {2, 0}, {2, 2}, {2, 1},
                                     {1, 0}, {1, 2}, {1, 1}, {3, 0}, {3, 2}, {3, 1}};
    for (const auto& s : kSlot) {
        float value = 0.0f;
        // A malformed number leaves it and the rest of the matrix as they were.
        if (std::fscanf(file_, "%f", &value) != 1) break;
        key->m[s[0]][s[1]] = value;
    }
    Matrix& m = *key;
    m.m[0][3] = 0.0f, m.m[1][3] = 0.0f, m.m[2][3] = 0.0f, m.m[3][3] = 1.0f;
    if (logFile) {
        std::fprintf(logFile, "FRAME %d : %s - %f %f %f %f %f %f %f %f %f %f %f %f\n", frame_,
                     name.c_str(), m.m[0][0], m.m[0][1], m.m[0][2], m.m[1][0], m.m[1][1], m.m[1][2],
                     m.m[2][0], m.m[2][1], m.m[2][2], m.m[3][0], m.m[3][1], m.m[3][2]);
    }
    if (frame_ == 1) {
        mesh->nodeTransform = m;
        mesh->position = m.GetTranslation();
    }
}

}  // namespace orix
