// The processes a program forks end with it, however it ends, and a modal call's child ends on
// request. Each case forks a stand-in program (so that this test process ties nothing of its
// own), which forks a child that would wait forever; this process becomes the children's
// subreaper to see how the orphaned child ended.
#include "platform/child_processes.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// The ...AtOnce endings may come before the child has tied or recorded itself.
enum class Ending { Exit, Killed, ModalChildEnded, ExitAtOnce, ModalChildEndedAtOnce };

// Waits up to 3 seconds for pid to end; its wait status, or -1.
int Reap(pid_t pid) {
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

[[noreturn]] void RunProgram(Ending ending, int report) {
    orix::TieChildrenToProcess();
    bool atOnce = ending == Ending::ExitAtOnce || ending == Ending::ModalChildEndedAtOnce;
    bool modalEnding = ending == Ending::ModalChildEnded || ending == Ending::ModalChildEndedAtOnce;
    auto* modal = modalEnding ? new orix::ModalChildScope : nullptr;
    int ready[2];
    if (pipe(ready) != 0) _exit(100);
    pid_t child = fork();
    if (child == 0) {
        char started = 1;
        if (write(ready[1], &started, 1) != 1) _exit(100);
        for (;;) pause();
    }
    if (write(report, &child, sizeof child) != sizeof child) _exit(100);
    char started = 0;
    if (!atOnce && read(ready[0], &started, 1) != 1) _exit(100);
    if (ending == Ending::Exit || ending == Ending::ExitAtOnce) _exit(0);
    if (ending == Ending::Killed) kill(getpid(), SIGKILL);
    orix::EndModalChild();
    int status = Reap(child);
    delete modal;
    _exit(status == -1 ? 102 : WIFSIGNALED(status) ? WTERMSIG(status) : 101);
}

TEST(ChildProcesses, ForkedChildrenEndWithTheProgramOrOnRequest) {
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    for (Ending ending : {Ending::Exit, Ending::Killed, Ending::ModalChildEnded, Ending::ExitAtOnce,
                          Ending::ModalChildEndedAtOnce}) {
        SCOPED_TRACE(static_cast<int>(ending));
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        pid_t program = fork();
        ASSERT_GE(program, 0);
        if (program == 0) RunProgram(ending, pipeFds[1]);
        close(pipeFds[1]);
        pid_t child = 0;
        EXPECT_EQ(read(pipeFds[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
        close(pipeFds[0]);
        int programStatus = Reap(program);
        bool atOnce = ending == Ending::ExitAtOnce || ending == Ending::ModalChildEndedAtOnce;
        if (ending == Ending::ModalChildEnded || ending == Ending::ModalChildEndedAtOnce) {
            // The program reaped its child and reports the signal that ended it.
            EXPECT_TRUE(WIFEXITED(programStatus) && WEXITSTATUS(programStatus) == SIGKILL)
                << programStatus;
            continue;
        }
        ASSERT_GT(child, 0);
        int childStatus = Reap(child);
        if (childStatus == -1) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        bool killed = WIFSIGNALED(childStatus) && WTERMSIG(childStatus) == SIGKILL;
        EXPECT_TRUE(childStatus != -1 && (killed || atOnce)) << childStatus;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
