// The engine's set-up and teardown: the display opened on the chosen driver, the device (a
// hardware one first, then software), the viewport, the initial render states and the two
// materials; released again when the engine goes.
#include <string>

#include "device/device_dialog.h"
#include "device/display.h"
#include "device/engine.h"
#include "device/guid_text.h"
#include "device/stored_device.h"
#include "platform/display_system.h"
#include "platform/messages.h"

namespace orix {

namespace {

const char kCaption[] = "OrixApp";

const char kHowToStore[] =
    "Store one with `orix device list` and `orix device set N`, then start again.";

bool DriverPresent(const DriverGuid& guid) {
    for (const DisplayDriverInfo& d : EnumerateDisplayDrivers()) {
        if (d.guid == guid) return true;
    }
    return false;
}

// Ends the program as a cancelled set-up does; false for when the exit hook returns.
bool Abandon(const std::string& text) {
    if (!text.empty()) ShowMessageBox(text, kCaption);
    ExitProgram(-1);
    return false;
}

}  // namespace

bool Engine::ReadStoredDevice() {
    return ReadStoredDeviceGuid(&deviceGuid);
}

bool Engine::TakeDisplay(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
                         int32_t bitsPerPixel) {
    scaleX = static_cast<float>(w) * 0.0015625f;
    scaleY = static_cast<float>(h) * 0.0020833334f;
    clearRect = Rect{0, 0, w, h};
    display = displayToUse;
    if (!display) return false;
    width = w;
    height = h;
    depth = bitsPerPixel;
    display->width = w;
    display->height = h;
    display->bitsPerPixel = bitsPerPixel;
    display->window = window;
    display->fullScreen = fullScreen ? 1 : 0;
    return true;
}

bool Engine::Setup(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
                   int32_t bitsPerPixel) {
    if (!TakeDisplay(displayToUse, window, w, h, bitsPerPixel)) return false;
    if (!ReadStoredDevice()) {
        if (RunningHeadless()) {
            return Abandon(
                "No display device is stored, and without a display the device "
                "dialog cannot ask for one. " +
                std::string(kHowToStore));
        }
        DriverGuid chosen;
        DeviceChoice choice = ObtainDeviceGuid(window, &chosen);
        if (choice == DeviceChoice::Cancelled) return Abandon("");
        if (choice == DeviceChoice::NoDialog) {
            return Abandon("The device dialog cannot be shown. " + std::string(kHowToStore));
        }
        deviceGuid = chosen;
    }
    return OpenChosenDriver();
}

bool Engine::SetupWithDriver(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
                             int32_t bitsPerPixel, const DriverGuid& driver) {
    if (!TakeDisplay(displayToUse, window, w, h, bitsPerPixel)) return false;
    deviceGuid = driver;
    return OpenChosenDriver();
}

bool Engine::OpenChosenDriver() {
    if (!deviceGuid.IsZero() && !DriverPresent(deviceGuid)) {
        ShowMessageBox("The stored display device " + GuidToText(deviceGuid) +
                           " is not present any more; the primary display is used instead.",
                       kCaption);
        deviceGuid = DriverGuid();
    }
    std::string error;
    if (!display->Open(deviceGuid, &error)) {
        if (deviceGuid.IsZero()) return Abandon("No display can be opened: " + error);
        ShowMessageBox("The stored display device cannot be opened here (" + error +
                           "); the primary display is used instead.",
                       kCaption);
        deviceGuid = DriverGuid();
        if (!display->Open(deviceGuid, &error)) {
            return Abandon("No display can be opened: " + error);
        }
    }

    hardware = display->IsHardware();
    zBufferMemory = hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    display->CreateZBuffer(zBufferMemory);

    // A hardware device first; the software search is the only fallback there is.
    std::string hardwareError, softwareError;
    ownedDevice = CreateGraphicsDevice(*display->directDraw, true, &hardwareError);
    if (!ownedDevice)
        ownedDevice = CreateGraphicsDevice(*display->directDraw, false, &softwareError);
    if (!ownedDevice) {
        return Abandon("No Direct3D device can be created on this display: " + softwareError);
    }
    device = ownedDevice.get();
    display->AttachDevice(device);
    CreateDeviceObjects();
    return true;
}

void Engine::CreateDeviceObjects() {
    if (!device) return;
    viewport = ViewportRecord();
    viewport.x = 0;
    viewport.y = 0;
    viewport.width = static_cast<uint32_t>(width);
    viewport.height = static_cast<uint32_t>(height);
    float aspect = width > 0 ? static_cast<float>(height) / static_cast<float>(width) : 0.75f;
    viewport.clipX = -1.0f;
    viewport.clipWidth = 2.0f;
    viewport.clipHeight = 2.0f * aspect;
    viewport.clipY = aspect;
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    device->SetViewport(viewport);

    device->SetRenderState(RS_ZENABLE, 1);
    device->SetRenderState(RS_ZWRITEENABLE, 1);
    device->SetRenderState(RS_TEXTUREPERSPECTIVE, 1);
    device->SetRenderState(RS_SHADEMODE, SHADE_GOURAUD);
    if (hardware) device->SetRenderState(RS_TEXTUREMAG, FILTER_LINEAR);

    MaterialRecord record = DefaultMaterialRecord();
    drawingMaterial = device->CreateMaterial();
    device->SetMaterial(drawingMaterial, record);
    drawingMaterialHandle = drawingMaterial;
    device->SetLightState(LIGHTSTATE_MATERIAL, drawingMaterialHandle.value);

    backgroundMaterial = device->CreateMaterial();
    device->SetMaterial(backgroundMaterial, record);
    backgroundMaterialHandle = backgroundMaterial;
    device->SetBackground(backgroundMaterialHandle);
}

Engine::~Engine() {
    if (display) {
        display->AttachDevice(nullptr);
        display->DetachZBuffer();
    }
    // Materials are the device's: they go before it.
    if (device) {
        if (drawingMaterial) device->ReleaseMaterial(drawingMaterial);
        if (backgroundMaterial) device->ReleaseMaterial(backgroundMaterial);
    }
    drawingMaterial = drawingMaterialHandle = {};
    backgroundMaterial = backgroundMaterialHandle = {};
    currentMaterial = nullptr;
    if (ownedDevice) {
        device = nullptr;
        ownedDevice.reset();
    }
}

}  // namespace orix
