#include "import/assimp_io.h"

#include <algorithm>
#include <assimp/IOStream.hpp>
#include <cstring>
#include <utility>
#include <vector>

#include "files/input_file.h"

namespace orix {

namespace {

// A whole file read by the file layer, handed to assimp from memory.
class MemoryStream : public Assimp::IOStream {
public:
    explicit MemoryStream(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t size, size_t count) override {
        if (size == 0 || count == 0) return 0;
        size_t whole = std::min(count, (bytes_.size() - at_) / size);
        std::memcpy(buffer, bytes_.data() + at_, whole * size);
        at_ += whole * size;
        return whole;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        size_t base = origin == aiOrigin_CUR ? at_ : origin == aiOrigin_END ? bytes_.size() : 0;
        // Offsets from the end come as unsigned wraps of negative numbers.
        size_t target = base + offset;
        if (target > bytes_.size()) return aiReturn_FAILURE;
        at_ = target;
        return aiReturn_SUCCESS;
    }
    size_t Tell() const override { return at_; }
    size_t FileSize() const override { return bytes_.size(); }
    void Flush() override {}

private:
    std::vector<char> bytes_;
    size_t at_ = 0;
};

std::string LastComponent(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string SideFilePath(const std::string& name, const std::string& modelFolder) {
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    std::string prefix = modelFolder + "/";
    if (rel.compare(0, prefix.size(), prefix) == 0) rel.erase(0, prefix.size());
    while (rel.compare(0, 2, "./") == 0) rel.erase(0, 2);
    bool outside = rel.empty() || rel[0] == '/';
    size_t start = 0;
    while (!outside && start <= rel.size()) {
        size_t end = rel.find('/', start);
        if (end == std::string::npos) end = rel.size();
        std::string part = rel.substr(start, end - start);
        // ".." climbs out; a drive letter ("C:") is another machine's absolute path.
        outside = part == ".." || part.find(':') != std::string::npos;
        start = end + 1;
    }
    if (outside) rel = LastComponent(rel);
    return modelFolder + "/" + rel;
}

FileLayerIOSystem::FileLayerIOSystem(std::string modelName, std::string modelPath)
    : modelName_(std::move(modelName)), modelPath_(std::move(modelPath)) {
    size_t slash = modelPath_.find_last_of('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "" : modelPath_.substr(0, slash);
}

std::string FileLayerIOSystem::Resolve(const std::string& name) const {
    return name == modelName_ ? modelPath_ : SideFilePath(name, folder_);
}

bool FileLayerIOSystem::Exists(const char* file) const {
    InputFile in;
    std::string error;
    return file != nullptr && in.Open(Resolve(file), &error);
}

Assimp::IOStream* FileLayerIOSystem::Open(const char* file, const char* mode) {
    if (file == nullptr || mode == nullptr || std::strpbrk(mode, "wa+") != nullptr) return nullptr;
    std::vector<char> bytes;
    std::string error;
    if (!ReadWholeFile(Resolve(file), &bytes, &error)) return nullptr;
    return new MemoryStream(std::move(bytes));
}

void FileLayerIOSystem::Close(Assimp::IOStream* stream) {
    delete stream;
}

}  // namespace orix
