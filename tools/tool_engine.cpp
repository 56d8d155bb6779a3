#include "tool_engine.h"

#include <cstdio>
#include <vector>

#include "command_line.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/globals.h"
#include "device/offscreen_engine.h"
#include "device/stored_device.h"
#include "platform/display_system.h"
#include "platform/messages.h"

namespace orix::tool {

ToolEngine::ToolEngine() {
    SetMessageBoxHook(MessageToStderr);
    // Only a device for the pictures a load makes: the smallest display will do.
    engine_ = std::make_unique<OffscreenEngine>(clock_, 64, 64, 32);
    if (!engine_->Ok())
        std::fprintf(stderr, "orix: no offscreen device (%s); pictures will not load\n",
                     engine_->Error().c_str());
}

ToolEngine::~ToolEngine() = default;

namespace {

// The driver setup names; false when the list has no such entry.
bool ChosenDriver(long index, DriverGuid* driver) {
    if (index < 0) {
        if (!ReadStoredDeviceGuid(driver)) *driver = DriverGuid();
        return true;
    }
    // The list always starts with the primary display (all zero), so naming it needs no list:
    // making one probes every EGL device, a second driver start-up before the first frame.
    if (index == 0) {
        *driver = DriverGuid();
        return true;
    }
    std::vector<DisplayDriverInfo> drivers = EnumerateDisplayDrivers();
    if (static_cast<size_t>(index) >= drivers.size()) return false;
    *driver = drivers[static_cast<size_t>(index)].guid;
    return true;
}

}  // namespace

bool OpenEngine(const EngineSetup& setup, Clock& clock, std::string* error) {
    theDisplay = new Display();
    theEngine = new Engine(clock);
    if (setup.window) theEngine->fullScreen = false;
    DriverGuid driver;
    if (!ChosenDriver(setup.driver, &driver)) {
        *error = "no driver " + std::to_string(setup.driver) + " (see `orix device list`)";
        return false;
    }
    theEngine->SetupWithDriver(theDisplay, setup.window, setup.width, setup.height,
                               setup.bitsPerPixel, driver);
    if (theEngine->device) return true;
    *error = "no device could be made";
    return false;
}

void CloseEngine() {
    delete theEngine;
    theEngine = nullptr;
    delete theDisplay;
    theDisplay = nullptr;
}

}  // namespace orix::tool
