#include "platform/window.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <vector>

namespace orix {
namespace {

std::vector<WindowMessage>& Received() {
    static std::vector<WindowMessage> received;
    return received;
}

intptr_t RecordingProc(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) {
    Received().push_back(WindowMessage{w, msg, wp, lp});
    if (msg == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProc(w, msg, wp, lp);
}

// Each test gets a stand-in window (headless) and an empty queue.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORIX_OFFSCREEN", "1", 1);
        WindowClass cls;
        cls.className = "Test Window";
        cls.procedure = RecordingProc;
        RegisterWindowClass(cls);  // already there after the first test
        Drain();
        Received().clear();
        window_ = CreateWindow("Test Window", "OrixApp", 640, 480);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(window_)) DestroyWindow(window_);
        Drain();
    }
    static void Drain() {
        WindowMessage m;
        while (PeekMessage(&m, PM_REMOVE)) {
        }
    }
    // Runs the loop the program runs until the queue is empty or WM_QUIT was taken.
    static int Pump(int* quitCode) {
        WindowMessage m;
        int taken = 0;
        while (PeekMessage(&m, PM_REMOVE)) {
            ++taken;
            if (m.message == WM_QUIT) {
                *quitCode = static_cast<int>(m.wParam);
                return taken;
            }
            TranslateMessage(m);
            DispatchMessage(m);
        }
        return taken;
    }
    static std::vector<uint32_t> Kinds() {
        std::vector<uint32_t> kinds;
        for (auto& m : Received()) kinds.push_back(m.message);
        return kinds;
    }

    WindowHandle window_ = nullptr;
};

TEST_F(WindowTest, WindowSystemEventsBecomeTheExpectedMessages) {
    SimulateWindowEvent(window_, WindowEvent::FocusLost);
    SimulateWindowEvent(window_, WindowEvent::Minimized);
    SimulateWindowEvent(window_, WindowEvent::Restored);
    SimulateWindowEvent(window_, WindowEvent::FocusGained);
    int code = 0;
    Pump(&code);
    ASSERT_EQ(Kinds(), (std::vector<uint32_t>{WM_ACTIVATE, WM_ACTIVATEAPP, WM_SIZE, WM_SIZE,
                                              WM_ACTIVATEAPP, WM_ACTIVATE}));
    EXPECT_EQ(Received()[0].wParam, WA_INACTIVE);
    EXPECT_EQ(Received()[1].wParam, 0u);
    EXPECT_EQ(Received()[2].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(Received()[3].wParam, SIZE_RESTORED);
    EXPECT_EQ(Received()[4].wParam, 1u);
    EXPECT_EQ(Received()[5].wParam, WA_ACTIVE);

    // The pointer's WM_SETCURSOR is sent, not queued; default processing shows the arrow again.
    Received().clear();
    SetCursorVisible(false);
    SimulateWindowEvent(window_, WindowEvent::PointerMove);
    ASSERT_EQ(Kinds(), (std::vector<uint32_t>{WM_SETCURSOR}));
    EXPECT_EQ(Received()[0].lParam & 0xFFFF, HTCLIENT);
    EXPECT_TRUE(CursorVisible());

    Received().clear();
    SimulateWindowEvent(window_, WindowEvent::CloseButton);
    Pump(&code);
    EXPECT_EQ(Kinds(), (std::vector<uint32_t>{WM_CLOSE, WM_DESTROY}));
}

TEST_F(WindowTest, KeysTranslateAndAltF4Closes) {
    PostMessage(window_, WM_KEYDOWN, 'Q', 0);
    PostMessage(window_, WM_KEYDOWN, VK_LEFT, 0);
    int code = 0;
    Pump(&code);
    EXPECT_EQ(Kinds(), (std::vector<uint32_t>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR}));
    EXPECT_EQ(Received()[2].wParam, static_cast<uintptr_t>('q'));

    Received().clear();
    PostMessage(window_, WM_SYSKEYDOWN, VK_F4, intptr_t{1} << 29);
    Pump(&code);
    EXPECT_EQ(Kinds(), (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(window_));
}

// In a child process: SIGTERM closes the window; a program that then hangs (a modal box, a stuck
// driver) is ended by the signal once the grace period is over.
TEST_F(WindowTest, TerminationClosesTheWindowAndAHungProgramStillEnds) {
    int closed[2];
    ASSERT_EQ(pipe(closed), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::raise(SIGTERM);
        WindowMessage m;
        if (!PeekMessage(&m, PM_REMOVE) || m.message != WM_CLOSE || m.window != window_) _exit(2);
        if (write(closed[1], "c", 1) != 1) _exit(3);
        for (;;) pause();
    }
    close(closed[1]);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(child, &status, WNOHANG) == 0; ++i) usleep(100 * 1000);
    if (kill(child, SIGKILL) == 0) {
        waitpid(child, &status, 0);
        FAIL() << "the child outlived the grace period";
    }
    char said = 0;
    EXPECT_EQ(read(closed[0], &said, 1), 1) << "no WM_CLOSE before the end";
    close(closed[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

}  // namespace
}  // namespace orix
