#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orix {

namespace {

int64_t g_writeBudget = -1;

std::string FolderPart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

mode_t NewFileMode() {
    // umask can only be read by setting it; done once, before any thread writes files.
    static const mode_t mask = [] {
        mode_t m = umask(022);
        umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

ssize_t WriteSome(int fd, const char* data, size_t size) {
    if (g_writeBudget >= 0) {
        if (g_writeBudget == 0) {
            errno = ENOSPC;
            return -1;
        }
        size = size_t(std::min<int64_t>(int64_t(size), g_writeBudget));
        g_writeBudget -= int64_t(size);
    }
    return write(fd, data, size);
}

}  // namespace

// A stdio stream whose writes go through WriteRaw, so the seam and errors reach every writer.
ssize_t OutputFile::StreamWrite(void* cookie, const char* data, size_t size) {
    return static_cast<OutputFile*>(cookie)->WriteRaw(data, size) ? ssize_t(size) : -1;
}

int OutputFile::StreamSeek(void* cookie, off64_t* offset, int whence) {
    off64_t at = lseek64(static_cast<OutputFile*>(cookie)->fd_, *offset, whence);
    if (at < 0) return -1;
    *offset = at;
    return 0;
}

bool OutputFile::WriteRaw(const char* bytes, size_t size) {
    if (fd_ < 0 || failed_) return false;
    while (size > 0) {
        ssize_t n = WriteSome(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            writeError_ = n < 0 ? errno : ENOSPC;
            failed_ = true;
            return false;
        }
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

OutputFile::~OutputFile() {
    Abandon();
}

bool OutputFile::Open(const std::string& path, std::string* error) {
    Abandon();
    path_ = path;
    failed_ = false;
    writeError_ = 0;
    struct stat st = {};
    if (path.empty() || path.back() == '/' ||
        (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
        *error = "cannot write " + path + ": it is a folder";
        return false;
    }
    std::string name = FolderPart(path) + ".orix-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    // mkostemp creates exclusively under a random name: nothing planted there is followed.
    int fd = mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    fd_ = fd;
    temporary_ = buffer.data();
    return true;
}

bool OutputFile::Write(const void* data, size_t size) {
    if (fd_ < 0 || failed_) return false;
    // Bytes already buffered in the stream go first.
    if (stream_ && std::fflush(stream_) != 0) failed_ = true;
    return WriteRaw(static_cast<const char*>(data), size);
}

std::FILE* OutputFile::Stream() {
    if (fd_ < 0) return nullptr;
    if (!stream_) {
        cookie_io_functions_t io = {};
        io.write = StreamWrite;
        io.seek = StreamSeek;
        stream_ = fopencookie(this, "w", io);
    }
    return stream_;
}

bool OutputFile::Truncate(uint64_t size) {
    if (fd_ < 0 || failed_) return false;
    if (stream_ && std::fflush(stream_) != 0) failed_ = true;
    if (failed_ || ftruncate(fd_, off_t(size)) != 0 || lseek(fd_, off_t(size), SEEK_SET) < 0) {
        if (!writeError_) writeError_ = errno;
        failed_ = true;
        return false;
    }
    // The stream's own position must follow the descriptor's.
    if (stream_ && std::fseek(stream_, long(size), SEEK_SET) != 0) failed_ = true;
    return !failed_;
}

bool OutputFile::Finish(std::string* error) {
    if (fd_ < 0) {
        *error = "cannot write " + path_;
        return false;
    }
    if (stream_) {
        if (std::fflush(stream_) != 0 || std::ferror(stream_)) failed_ = true;
    }
    if (!failed_ && fdatasync(fd_) != 0 && errno != EINVAL) {
        writeError_ = errno;
        failed_ = true;
    }
    if (!failed_) {
        // A replaced file keeps its mode; a link is replaced by a file of the usual mode.
        struct stat st = {};
        mode_t mode = lstat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_mode & 07777
                                                                            : NewFileMode();
        fchmod(fd_, mode);
    }
    if (failed_) {
        *error = "cannot write " + path_ + ": " + std::strerror(writeError_ ? writeError_ : EIO);
        Abandon();
        return false;
    }
    return true;
}

bool OutputFile::Rename(std::string* error) {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (rename(temporary_.c_str(), path_.c_str()) != 0) {
        *error = "cannot write " + path_ + ": " + std::strerror(errno);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

bool OutputFile::Commit(std::string* error) {
    return Finish(error) && Rename(error);
}

std::FILE* OutputFile::CommitAndWriteOn(std::string* error) {
    if (!Finish(error)) return nullptr;
    // The descriptor outlives the rename; a copy of it goes to the caller.
    const int fd = dup(fd_);
    if (fd < 0) {
        *error = "cannot write " + path_ + ": " + std::strerror(errno);
        Abandon();
        return nullptr;
    }
    std::FILE* stream = Rename(error) ? fdopen(fd, "a") : nullptr;
    if (!stream) {
        if (error->empty()) *error = "cannot write " + path_ + ": " + std::strerror(errno);
        close(fd);
    }
    return stream;
}

void OutputFile::Abandon() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

OutputFile* OutputSet::Add(const std::string& path, std::string* error) {
    auto file = std::make_unique<OutputFile>();
    if (failed_ || !file->Open(path, error)) {
        Fail();
        return nullptr;
    }
    files_.push_back(std::move(file));
    return files_.back().get();
}

bool OutputSet::AddBytes(const std::string& path, const void* data, size_t size,
                         std::string* error) {
    OutputFile* file = Add(path, error);
    if (file && file->Write(data, size)) return true;
    if (file) file->Finish(error);  // says why
    Fail();
    return false;
}

void OutputSet::Fail() {
    failed_ = true;
    files_.clear();
}

bool OutputSet::Commit(std::string* error) {
    if (failed_) {
        if (error->empty()) *error = "cannot write: an earlier file failed";
        return false;
    }
    bool ok = true;
    for (auto& f : files_) ok = ok && f->Finish(error);
    for (auto& f : files_) ok = ok && f->Rename(error);
    files_.clear();  // abandons whatever was not renamed
    return ok;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string* error) {
    OutputFile file;
    if (!file.Open(path, error)) return false;
    file.Write(data, size);
    return file.Commit(error);
}

std::FILE* OpenLogFile(const std::string& path, std::string* error) {
    OutputFile file;
    return file.Open(path, error) ? file.CommitAndWriteOn(error) : nullptr;
}

void SetWriteBudgetForTesting(int64_t bytes) {
    g_writeBudget = bytes;
}

}  // namespace orix
