#include "picture/held_pictures.h"

#include <map>

#include "files/input_file.h"

namespace orix {

namespace {

std::map<std::string, std::vector<char>>& Held() {
    static std::map<std::string, std::vector<char>> held;
    return held;
}

}  // namespace

void HoldPicture(const std::string& name, std::vector<char> bytes) {
    Held()[name] = std::move(bytes);
}

bool IsHeldPicture(const std::string& name) {
    return Held().count(name) > 0;
}

void ReleaseHeldPictures() {
    Held().clear();
}

bool ReadPictureBytes(const std::string& name, std::vector<char>* out, std::string* error,
                      uint64_t limit) {
    auto held = Held().find(name);
    if (held == Held().end()) return ReadWholeFile(name, out, error, limit);
    if (held->second.size() > limit) {
        *error = name + ": larger than a picture may be";
        return false;
    }
    *out = held->second;
    return true;
}

}  // namespace orix
