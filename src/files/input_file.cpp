#include "files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orix {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

}  // namespace

InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

bool InputFile::Open(const std::string& path, std::string* error) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    path_ = path;
    buffered_.clear();
    ended_ = false;
    // Non-blocking only for the open itself: a FIFO with no writer would otherwise wait forever.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + Reason(errno);
        return false;
    }
    struct stat st = {};
    if (fstat(fd, &st) != 0) {
        *error = "cannot open " + path + ": " + Reason(errno);
        close(fd);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        *error = path + " is a folder";
        close(fd);
        return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    id_ = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    regular_ = S_ISREG(st.st_mode);
    size_ = regular_ ? uint64_t(st.st_size) : 0;
    return true;
}

bool InputFile::Fill(uint64_t want, std::string* error) {
    if (fd_ < 0) {
        *error = "cannot read " + path_ + ": not open";
        return false;
    }
    char chunk[1 << 16];
    while (!ended_ && buffered_.size() < want) {
        size_t ask = size_t(std::min<uint64_t>(sizeof chunk, want - buffered_.size()));
        ssize_t n = read(fd_, chunk, ask);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // A non-blocking device or socket: wait for it as a blocking read would.
            int flags = fcntl(fd_, F_GETFL);
            if (flags >= 0 && fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0) continue;
        }
        if (n < 0) {
            *error = "cannot read " + path_ + ": " + Reason(errno);
            return false;
        }
        if (n == 0) ended_ = true;
        buffered_.insert(buffered_.end(), chunk, chunk + n);
    }
    return true;
}

bool InputFile::Head(size_t count, std::vector<char>* head, std::string* error) {
    if (!Fill(count, error)) return false;
    head->assign(buffered_.begin(),
                 buffered_.begin() + long(std::min<size_t>(count, buffered_.size())));
    return true;
}

bool InputFile::ReadAll(std::vector<char>* bytes, std::string* error, uint64_t limit) {
    auto tooLarge = [&] {
        *error = path_ + " is too large (more than " +
                 (limit == kMaxInputBytes ? std::string(kMaxInputText)
                                          : std::to_string(limit) + " bytes") +
                 ")";
        return false;
    };
    if (regular_ && size_ > limit) return tooLarge();
    if (regular_) buffered_.reserve(size_t(size_));
    // One byte past the limit tells a file of exactly the limit from a larger one.
    if (!Fill(limit + 1, error)) return false;
    if (buffered_.size() > limit) return tooLarge();
    *bytes = std::move(buffered_);
    buffered_.clear();
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<char>* bytes, std::string* error,
                   uint64_t limit) {
    InputFile file;
    return file.Open(path, error) && file.ReadAll(bytes, error, limit);
}

}  // namespace orix
