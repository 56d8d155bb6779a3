/// \file
/// Reading the files a user hands in: models, skins, animations, pictures, profiles.
///
/// A file is opened once and read through its descriptor, so the bytes read are those of the
/// file that was looked at. Work and memory are bounded whatever the file claims: nothing larger
/// than a limit (kMaxInputBytes unless a caller asks for less) is read, pipes and devices
/// included, and a caller can look at the first bytes (to tell a file's type) before deciding to
/// read the rest. Opening never waits on a pipe with no writer. Errors are messages naming the
/// path. Depends on POSIX only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orix {

/// Far above any real model or picture; anything larger is refused unread.
constexpr uint64_t kMaxInputBytes = uint64_t{1} << 30;
/// Said in messages about that limit.
constexpr const char* kMaxInputText = "1 GiB";

/// Which file a path names: its device and inode.
struct FileId {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileId& o) const { return device == o.device && inode == o.inode; }
};

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Opens path for reading; false, with *error ("cannot open PATH: reason", "PATH is a folder"),
    /// otherwise.
    bool Open(const std::string& path, std::string* error);
    /// The first bytes of the file, at most count (fewer when the file is shorter); false with
    /// *error on a read failure. Reading the rest later starts over from them.
    bool Head(size_t count, std::vector<char>* head, std::string* error);
    /// The whole file, at most limit bytes: "PATH is too large (more than ...)" otherwise.
    bool ReadAll(std::vector<char>* bytes, std::string* error, uint64_t limit = kMaxInputBytes);
    FileId Id() const { return id_; }
    const std::string& Path() const { return path_; }

private:
    /// Reads until buffered_ holds want bytes or the file ends.
    bool Fill(uint64_t want, std::string* error);

    int fd_ = -1;
    std::string path_;
    FileId id_;
    bool regular_ = false;
    uint64_t size_ = 0;  ///< of a regular file when opened
    bool ended_ = false;
    std::vector<char> buffered_;
};

/// Reads all of path (at most limit bytes); false with *error otherwise.
bool ReadWholeFile(const std::string& path, std::vector<char>* bytes, std::string* error,
                   uint64_t limit = kMaxInputBytes);

}  // namespace orix
