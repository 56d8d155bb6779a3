#include "platform/child_processes.h"

#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <new>

namespace orix {

namespace {

// Written by the child itself (fork gives the parent no hook that sees the pid), so it lives
// in memory that parent and children share.
struct ModalChild {
    std::atomic<pid_t> pid{0};
    std::atomic<bool> ended{false};
};
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "used in a signal handler");

pid_t g_forkingProcess = 0;
std::atomic<bool> g_modalOpen{false};
ModalChild* g_modalChild = nullptr;

void BeforeFork() {
    g_forkingProcess = getpid();
    if (g_modalOpen.load() && g_modalChild) g_modalChild->pid.store(0);
}

// Runs in the child between fork and whatever the child does: async-signal-safe calls only.
void InChild() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A parent that ended before the line above leaves no one to kill this child.
    if (getppid() != g_forkingProcess) _exit(1);
    if (!g_modalOpen.load() || !g_modalChild) return;
    g_modalChild->pid.store(getpid());
    // Ended before its pid was known, or a fallback of a call already ended: it ends as if it
    // had been killed (an exit status could read as an answer).
    if (g_modalChild->ended.load()) kill(getpid(), SIGKILL);
    g_modalOpen.store(false);  // what this child forks is not the modal call's
}

}  // namespace

void TieChildrenToProcess() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    void* shared = mmap(nullptr, sizeof(ModalChild), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared != MAP_FAILED) g_modalChild = new (shared) ModalChild;
    pthread_atfork(BeforeFork, nullptr, InChild);
}

ModalChildScope::ModalChildScope() {
    TieChildrenToProcess();
    if (g_modalChild) {
        g_modalChild->pid.store(0);
        g_modalChild->ended.store(false);
    }
    g_modalOpen.store(true);
}

ModalChildScope::~ModalChildScope() {
    g_modalOpen.store(false);
    if (g_modalChild) g_modalChild->pid.store(0);
}

void EndModalChild() {
    if (!g_modalOpen.load() || !g_modalChild) return;
    // Set before the pid is read; the child stores its pid before it reads this: one of the two
    // sees the other.
    g_modalChild->ended.store(true);
    pid_t child = g_modalChild->pid.load();
    if (child > 0) kill(child, SIGKILL);
}

}  // namespace orix
