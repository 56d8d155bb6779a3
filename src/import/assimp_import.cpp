#include "import/assimp_import.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "files/input_file.h"
#include "import/assimp_worker.h"
#include "modelfile/model_text.h"

namespace orix {

namespace {

using Clock = std::chrono::steady_clock;
namespace worker = assimp_worker;

// More than any honest report needs; a child sending more is cut short.
constexpr uint64_t kMaxTextBytes = 64 * 1024;
constexpr size_t kMaxWarnings = 1000;

// The child's records as they arrive, checked before anything is kept.
class RecordReader {
public:
    RecordReader(std::vector<char>* glb, std::vector<std::string>* warnings)
        : glb_(glb), warnings_(warnings) {}

    // False, with *problem, when the stream breaks the record rules or the limits.
    bool Feed(const char* data, size_t size, std::string* problem) {
        while (size > 0) {
            if (have_ < worker::kHeaderBytes) {
                size_t take = std::min(size, size_t(worker::kHeaderBytes) - have_);
                std::memcpy(header_ + have_, data, take);
                have_ += take;
                data += take;
                size -= take;
                if (have_ == worker::kHeaderBytes && !StartRecord(problem)) return false;
                continue;
            }
            size_t take = size_t(std::min<uint64_t>(size, length_ - received_));
            if (header_[0] == worker::kGlb)
                glb_->insert(glb_->end(), data, data + take);
            else
                text_.append(data, take);
            received_ += take;
            data += take;
            size -= take;
            if (received_ == length_) EndRecord();
        }
        return true;
    }
    // True when the stream ended between records.
    bool Whole() const { return have_ == 0; }
    bool GotGlb() const { return gotGlb_; }
    const std::string& Error() const { return error_; }

private:
    bool StartRecord(std::string* problem) {
        length_ = 0;
        for (int i = 0; i < 8; ++i) length_ |= uint64_t(uint8_t(header_[1 + i])) << (8 * i);
        received_ = 0;
        text_.clear();
        char kind = header_[0];
        if (kind == worker::kGlb) {
            if (length_ > kMaxInputBytes || gotGlb_) {
                *problem = std::string("the model as glTF is larger than ") + kMaxInputText;
                return false;
            }
            glb_->reserve(size_t(length_));
        } else if ((kind != worker::kWarning && kind != worker::kError) ||
                   length_ > kMaxTextBytes) {
            *problem = "the importer sent a malformed reply";
            return false;
        }
        if (length_ == 0) EndRecord();
        return true;
    }
    void EndRecord() {
        char kind = header_[0];
        if (kind == worker::kGlb) gotGlb_ = true;
        if (kind == worker::kError) error_ = text_;
        if (kind == worker::kWarning && warnings_->size() < kMaxWarnings)
            warnings_->push_back(text_);
        have_ = 0;
    }

    std::vector<char>* glb_;
    std::vector<std::string>* warnings_;
    char header_[worker::kHeaderBytes] = {};
    size_t have_ = 0;
    uint64_t length_ = 0;
    uint64_t received_ = 0;
    std::string text_;
    std::string error_;
    bool gotGlb_ = false;
};

// What the process maps now; the child's limit is set on top of it, since a forked child starts
// with all of it.
uint64_t AddressSpaceInUse() {
    std::vector<char> statm;
    std::string error;
    if (!ReadWholeFile("/proc/self/statm", &statm, &error, 4096)) return 0;
    statm.push_back('\0');
    return std::strtoull(statm.data(), nullptr, 10) * uint64_t(sysconf(_SC_PAGESIZE));
}

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : int(std::min<int64_t>(left.count(), 1000));
}

// Reads the pipe to its end, or until the deadline or a broken record. Empty when it ended.
std::string ReadReplies(int fd, Clock::time_point deadline, RecordReader* reader, bool* late) {
    std::vector<char> chunk(1 << 16);
    for (;;) {
        if (Clock::now() >= deadline) {
            *late = true;
            return "late";
        }
        pollfd p = {fd, POLLIN, 0};
        int ready = poll(&p, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return std::string("cannot read the importer's reply: ") + strerror(errno);
        if (ready == 0) continue;
        ssize_t n = read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::string("cannot read the importer's reply: ") + strerror(errno);
        if (n == 0) return "";
        std::string problem;
        if (!reader->Feed(chunk.data(), size_t(n), &problem)) return problem;
    }
}

// Waits for the child until the deadline, then kills it; always reaps it. False when the
// status could not be had (SIGCHLD ignored, say).
bool Reap(pid_t pid, Clock::time_point deadline, bool* late, int* status, rusage* usage) {
    for (;;) {
        pid_t done = wait4(pid, status, WNOHANG, usage);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) return false;
        if (Clock::now() >= deadline) {
            *late = true;
            kill(pid, SIGKILL);
            while ((done = wait4(pid, status, 0, usage)) < 0 && errno == EINTR) {
            }
            return done == pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

double CpuSeconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

bool ImportWithAssimp(const std::string& path, const ImportLimits& limits, std::vector<char>* glb,
                      std::vector<std::string>* warnings, std::string* error) {
    glb->clear();
    std::vector<char> head;
    {
        InputFile in;
        if (!in.Open(path, error) || !in.Head(kModelTypeProbeBytes, &head, error)) return false;
    }
    if (head.empty()) {
        *error = path + " is empty";
        return false;
    }
    worker::Job job;
    job.path = path;
    job.format = AssimpFormatOf(path, head.data(), head.size());
    if (job.format.empty()) {
        *error = path + ": not a model format read through assimp";
        return false;
    }
    job.addressSpaceLimit = AddressSpaceInUse() + limits.memoryBytes;
    job.cpuSeconds = limits.cpuSeconds > 0 ? limits.cpuSeconds : 1;
    int wallSeconds = limits.wallSeconds > 0 ? limits.wallSeconds : 1;

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = path + ": cannot start the importer: " + strerror(errno);
        return false;
    }
    job.pipeFd = fds[1];
    auto deadline = Clock::now() + std::chrono::seconds(wallSeconds);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        worker::Run(job);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        *error = path + ": cannot start the importer: " + strerror(errno);
        return false;
    }

    RecordReader reader(glb, warnings);
    bool late = false;
    std::string problem = ReadReplies(fds[0], deadline, &reader, &late);
    close(fds[0]);
    // A broken or oversized reply: the child has nothing more worth waiting for.
    if (!problem.empty()) kill(pid, SIGKILL);
    int status = 0;
    rusage usage = {};
    bool reaped = Reap(pid, deadline, &late, &status, &usage);

    auto fail = [&](const std::string& why) {
        glb->clear();
        *error = path + ": " + why;
        return false;
    };
    bool overCpu = reaped && WIFSIGNALED(status) && CpuSeconds(usage) >= job.cpuSeconds;
    if (late || (reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU) || overCpu) {
        int seconds = late ? wallSeconds : job.cpuSeconds;
        return fail("the importer took longer than " + std::to_string(seconds) + " s");
    }
    if (!problem.empty()) return fail(problem);
    if (reaped && WIFEXITED(status) && WEXITSTATUS(status) == worker::kOutOfMemoryExit)
        return fail("the importer ran out of memory (more than " +
                    std::to_string(limits.memoryBytes >> 20) + " MiB)");
    if (reaped && WIFSIGNALED(status))
        return fail(std::string("the importer crashed (") + strsignal(WTERMSIG(status)) + ")");
    if (!reader.Error().empty()) return fail(reader.Error());
    bool exitedWell = !reaped || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (!exitedWell || !reader.GotGlb() || !reader.Whole())
        return fail("the importer stopped without a model");
    return true;
}

}  // namespace orix
