/// \file
/// Writing the files Orix makes: complete or not at all, never through a link, never over what
/// the user did not name.
///
/// An OutputFile writes to a fresh temporary file created exclusively (unguessable name,
/// O_CREAT|O_EXCL) in the target's folder, and Commit flushes it to disk and renames it over
/// the target in one step: before that, whatever the target was stays as it was; after it, the
/// target is the complete new file. A target that is a symbolic link is not followed (the link
/// itself is replaced); a linked folder is used as the folder it leads to. A new file gets the
/// usual mode (0666 less the umask); a replaced file keeps its mode. Anything not committed,
/// on any failure or when the object goes away, is removed.
///
/// OutputSet commits several files as one output (a .gltf with its .bin and pictures): every
/// file is written in full first, then they are renamed in the order they were added, the
/// caller's main file last.
///
/// A failed write is testable without root: with RLIMIT_FSIZE (the tool ignores SIGXFSZ) or the
/// write-failure seam below. Depends on POSIX only.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace orix {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Creates the temporary file for path; false, with *error, when it cannot be made.
    bool Open(const std::string& path, std::string* error);
    /// Appends bytes; false (and every later write and the commit fail) when they could not be
    /// written.
    bool Write(const void* data, size_t size);
    /// The temporary file as a stdio stream, for writers built on one (PNG, BNE). Owned here.
    std::FILE* Stream();
    /// Cuts the file to size bytes and writes on from there (for writers that go back).
    bool Truncate(uint64_t size);
    /// Flushes and renames into place; false, with *error, when anything failed (the temporary is
    /// then removed and the target untouched).
    bool Commit(std::string* error);
    /// Commits what was written so far, then hands the caller a stream that writes on at the end
    /// of the file now in place (closed with fclose), for a file that grows as the program runs;
    /// null, with *error, when the commit fails. The file is then no longer this one's.
    std::FILE* CommitAndWriteOn(std::string* error);
    /// Removes the temporary file; the target stays as it was.
    void Abandon();

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return failed_; }
    const std::string& Path() const { return path_; }

private:
    friend class OutputSet;
    /// Flushes, syncs and sets the mode: everything but the rename.
    bool Finish(std::string* error);
    bool Rename(std::string* error);
    bool WriteRaw(const char* bytes, size_t size);
    static ssize_t StreamWrite(void* cookie, const char* data, size_t size);
    static int StreamSeek(void* cookie, off64_t* offset, int whence);

    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    std::string path_;
    std::string temporary_;
    bool failed_ = false;
    int writeError_ = 0;
};

class OutputSet {
public:
    /// Starts a file of the set, written under a temporary name until Commit; null, with *error,
    /// when it cannot be made. Any failure drops every temporary of the set at once.
    OutputFile* Add(const std::string& path, std::string* error);
    /// Writes path with bytes as one file of the set.
    bool AddBytes(const std::string& path, const void* data, size_t size, std::string* error);
    /// Renames every file into place in the order added; false, with *error, when any file failed
    /// (then nothing that was not yet renamed is renamed, and every temporary is removed).
    bool Commit(std::string* error);

private:
    void Fail();

    std::vector<std::unique_ptr<OutputFile>> files_;
    bool failed_ = false;
};

/// A log written as the program runs (it cannot wait for a commit): a new empty file put in
/// place of path at once, as any output is (a link under the name is replaced, not followed),
/// then written on; null, with *error, when it cannot be.
std::FILE* OpenLogFile(const std::string& path, std::string* error);

/// Writes bytes to path through an OutputFile.
bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string* error);

/// Test seam: every write after the next bytes bytes (counted over all outputs) fails, as on a
/// full disk; a negative count turns it off.
void SetWriteBudgetForTesting(int64_t bytes);

}  // namespace orix
