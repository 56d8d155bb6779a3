#include "app/application.h"

#include <cstdio>

#include "app/program.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "files/output_file.h"

namespace orix {

Application::Application(bool keepLog) {
    flag = false;
    std::string error;
    logFile = keepLog ? OpenLogFile("debug.txt", &error) : nullptr;
}

Application::~Application() {
    flag = false;
    DestroyDemoScene(*this);
    // The engine and the display go last: the objects above may still release device
    // resources while they are destroyed.
    delete theEngine;
    theEngine = nullptr;
    delete theDisplay;
    theDisplay = nullptr;
}

void Application::BuildScene() {
    if (theEngine) BuildDemoScene(*theEngine, *this);
}

bool Application::Frame() {
    if (!theEngine) return true;
    theEngine->Render();
    char text[64];
    std::snprintf(text, sizeof text, "FPS : %d", static_cast<int>(theEngine->fps));
    if (theDisplay && theDisplay->backBuffer) {
        Surface* back = theDisplay->backBuffer;
        if (back->GetDC()) {
            back->SelectFont();
            back->DrawText(20, theEngine->height - 30, 0x00FF0000, text);
            back->ReleaseDC();
        }
        theDisplay->Present();
    }
    return true;
}

}  // namespace orix
