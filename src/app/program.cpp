#include "app/program.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/application.h"
#include "app/resource_folder.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"

namespace orix {

Application* theApplication = nullptr;
bool settingUp = true;
bool appActive = false;
bool appReady = false;

intptr_t WindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_DESTROY:
            if (theApplication) {
                delete theApplication;
                theApplication = nullptr;
            }
            PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SETCURSOR:
            if (appActive && appReady && !settingUp) {
                SetCursorVisible(false);
                return 1;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

WindowHandle StartProgram(Clock& clock) {
    WindowClass windowClass;
    windowClass.className = "Render Window";
    windowClass.procedure = WindowProc;
    windowClass.arrowCursor = true;
    RegisterWindowClass(windowClass);
    WindowHandle window = CreateWindow("Render Window", "OrixApp", 640, 480);
    theMainWindow = window;
    ShowWindow(window);

    theDisplay = new Display();
    theEngine = new Engine(clock);
    theEngine->Setup(theDisplay, window, 640, 480, 16);
    settingUp = false;

    // Every file named without a path resolves inside "res" from here on.
    std::error_code ec;
    std::filesystem::path res = FindResourceFolder(std::filesystem::current_path(ec));
    std::filesystem::current_path(res, ec);
    if (ec) {
        std::fprintf(stderr, "OrixApp: no resource folder %s: %s\n", res.c_str(),
                     ec.message().c_str());
    }

    theApplication = new Application();
    theApplication->BuildScene();
    return window;
}

int RunMainLoop(uint64_t* frames) {
    WindowMessage message;
    PeekMessage(&message, PM_NOREMOVE);
    appActive = true;
    appReady = true;
    uint64_t drawn = 0;
    if (message.message != WM_QUIT) {
        for (;;) {
            if (PeekMessage(&message, PM_REMOVE)) {
                TranslateMessage(message);
                DispatchMessage(message);
            } else if (appActive && appReady && theApplication) {
                theApplication->Frame();
                ++drawn;
            }
            if (message.message == WM_QUIT) break;
        }
    }
    if (frames) *frames = drawn;
    return static_cast<int>(message.wParam);
}

int ProgramMain() {
    SystemClock clock;
    StartProgram(clock);
    return RunMainLoop();
}

}  // namespace orix
