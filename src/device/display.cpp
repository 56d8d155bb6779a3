#include "device/display.h"

#include "platform/d3d_constants.h"
#include "platform/messages.h"

namespace orix {

Display* theDisplay = nullptr;

Display::Display() = default;

Display::~Display() {
    if (directDraw) directDraw->RestoreDisplayMode();
    delete backBuffer;
    backBuffer = nullptr;
    delete primary;
    primary = nullptr;
    delete zBuffer;
    zBuffer = nullptr;
    clipper = nullptr;
    palette = {};
    directDraw.reset();
}

bool Display::Open(const DriverGuid& driver, std::string* error) {
    DisplayConfig config;
    config.driver = driver;
    config.width = static_cast<uint32_t>(width);
    config.height = static_cast<uint32_t>(height);
    config.bitsPerPixel = static_cast<uint32_t>(bitsPerPixel);
    config.fullScreen = fullScreen != 0;
    config.title = WindowTitle(window).empty() ? "OrixApp" : WindowTitle(window);
    config.nativeWindow = NativeWindow(window);
    // Exclusive full screen where the display has the mode; a window of that size otherwise.
    if (fullScreen && config.nativeWindow) EnterFullScreen(window, width, height);
    std::string reason;
    std::unique_ptr<DisplayContext> opened = OpenDisplay(config, &reason);
    if (!opened) {
        if (error) *error = reason.empty() ? "the display cannot be opened" : reason;
        return false;
    }
    directDraw = std::move(opened);

    primary = new Surface();
    primary->surface = directDraw.get();
    primary->owner = this;
    primary->lockDesc.caps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    backBuffer = new Surface();
    backBuffer->surface = directDraw.get();
    backBuffer->owner = this;
    backBuffer->lockDesc.caps = DDSCAPS_BACKBUFFER | DDSCAPS_3DDEVICE;
    for (Surface* s : {primary, backBuffer}) {
        s->width = static_cast<int32_t>(directDraw->Width());
        s->height = static_cast<int32_t>(directDraw->Height());
        s->sourceRect = Rect{0, 0, s->width, s->height};
        s->destRect = s->sourceRect;
    }
    TraceHook(" sucess : create back buffer \n");
    return true;
}

bool Display::IsHardware() const {
    return directDraw && directDraw->IsHardware();
}

void Display::CreateZBuffer(uint32_t memoryCaps) {
    if (!backBuffer) return;
    delete zBuffer;
    zBuffer = new ZBuffer();
    zBuffer->caps = DDSCAPS_ZBUFFER | memoryCaps;
    zBuffer->width = static_cast<uint32_t>(width);
    zBuffer->height = static_cast<uint32_t>(height);
    zBuffer->depth = 16;
    zBuffer->attached = true;
}

void Display::DetachZBuffer() {
    if (zBuffer && backBuffer) zBuffer->attached = false;
}

void Display::AttachDevice(GraphicsDevice* graphicsDevice) {
    if (primary) primary->device = graphicsDevice;
    if (backBuffer) backBuffer->device = graphicsDevice;
}

int32_t Display::Present() {
    if (!directDraw) return DDERR_NOTINITIALIZED;
    // Full screen flips and a window copies; the display context does whichever it holds.
    if (directDraw->Present()) return DD_OK;
    RestoreSurfaces();
    return DDERR_SURFACELOST;
}

void Display::RestoreSurfaces() {
    if (primary && directDraw && directDraw->IsLost()) directDraw->Restore();
}

}  // namespace orix
