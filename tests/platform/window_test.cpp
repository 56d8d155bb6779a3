#include "platform/window.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <utility>
#include <vector>

namespace orix {
namespace {

std::vector<WindowMessage> received;

intptr_t RecordingProc(WindowHandle w, uint32_t msg, uintptr_t wp, intptr_t lp) {
    received.push_back(WindowMessage{w, msg, wp, lp});
    if (msg == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProc(w, msg, wp, lp);
}

// Each test gets a stand-in window (headless) and an empty queue, emptied again after it.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORIX_OFFSCREEN", "1", 1);
        WindowClass cls;
        cls.className = "Test Window";
        cls.procedure = RecordingProc;
        RegisterWindowClass(cls);  // already there after the first test
        Pump();
        window_ = CreateWindow("Test Window", "OrixApp", 640, 480);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(window_)) DestroyWindow(window_);
        Pump();
    }
    // Runs the loop the program runs until the queue is empty or WM_QUIT was taken, and gives
    // what the window received: (message, wParam) pairs.
    using Sent = std::vector<std::pair<uint32_t, uintptr_t>>;
    static Sent Pump() {
        WindowMessage m;
        while (PeekMessage(&m, PM_REMOVE) && m.message != WM_QUIT) {
            TranslateMessage(m);
            DispatchMessage(m);
        }
        Sent sent;
        for (auto& r : received) sent.push_back({r.message, r.wParam});
        received.clear();
        return sent;
    }

    WindowHandle window_ = nullptr;
};

TEST_F(WindowTest, WindowSystemEventsAndKeysBecomeTheExpectedMessages) {
    for (WindowEvent e : {WindowEvent::FocusLost, WindowEvent::Minimized, WindowEvent::Restored,
                          WindowEvent::FocusGained})
        SimulateWindowEvent(window_, e);
    EXPECT_EQ(Pump(), (Sent{{WM_ACTIVATE, WA_INACTIVE},
                            {WM_ACTIVATEAPP, 0},
                            {WM_SIZE, SIZE_MINIMIZED},
                            {WM_SIZE, SIZE_RESTORED},
                            {WM_ACTIVATEAPP, 1},
                            {WM_ACTIVATE, WA_ACTIVE}}));

    // The pointer's WM_SETCURSOR is sent, not queued; default processing shows the arrow again.
    SetCursorVisible(false);
    SimulateWindowEvent(window_, WindowEvent::PointerMove);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, WM_SETCURSOR);
    EXPECT_EQ(received[0].lParam & 0xFFFF, HTCLIENT);
    EXPECT_TRUE(CursorVisible());
    received.clear();

    PostMessage(window_, WM_KEYDOWN, 'Q', 0);
    PostMessage(window_, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(Pump(), (Sent{{WM_KEYDOWN, 'Q'}, {WM_KEYDOWN, VK_LEFT}, {WM_CHAR, 'q'}}));
    PostMessage(window_, WM_SYSKEYDOWN, VK_F4, intptr_t{1} << 29);
    EXPECT_EQ(Pump(), (Sent{{WM_SYSKEYDOWN, VK_F4}, {WM_CLOSE, 0}, {WM_DESTROY, 0}}));
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(WindowTest, TheCloseButtonClosesTheWindow) {
    SimulateWindowEvent(window_, WindowEvent::CloseButton);
    EXPECT_EQ(Pump(), (Sent{{WM_CLOSE, 0}, {WM_DESTROY, 0}}));
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
