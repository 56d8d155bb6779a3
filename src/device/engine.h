/// \file
/// Engine: the one object through which every drawable reaches the graphics device, the owner of
/// the frame clock, and the render pass that runs once per frame.
///
/// Depends on the platform's GraphicsDevice and Clock; reaches the scene root and the overlay
/// list through FrameNode. The set-up that fills the device, viewport and material fields, and
/// the teardown that releases them, live with the display set-up, not here. The Direct3D object
/// and the retained-mode interfaces of the original have no field of their own: lights and
/// materials come from `device`, and keyframe interpolators are plain objects.
/// Single-threaded.
#pragma once

#include <cstdint>
#include <memory>

#include "device/frame_node.h"
#include "platform/clock.h"
#include "platform/d3d_constants.h"
#include "platform/device_types.h"
#include "platform/graphics_device.h"
#include "platform/window.h"

namespace orix {

class Display;
class Scene;
struct Material;

class Engine {
public:
    /// Links, clock fields and counters zero, hardware true, z-buffer in system memory,
    /// accumulatedMs 1. The clock is read once per frame; the device may come later.
    explicit Engine(Clock& clock, GraphicsDevice* device = nullptr);
    /// Teardown (engine_setup.cpp): materials, then the device the set-up made; detaches the
    /// z-buffer from the display's back buffer.
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    /// The set-up (engine_setup.cpp): the stored driver or the device dialog, the display opened
    /// on it, a hardware device or else a software one, then CreateDeviceObjects. False for a
    /// null display; ends the program with -1 when the dialog is cancelled or no device at all
    /// can be made (after saying so).
    bool Setup(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
               int32_t bitsPerPixel);
    /// Setup without the stored driver or the dialog: the display and device on driver (all
    /// zero: the primary display). For headless tools, which must not ask.
    bool SetupWithDriver(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
                         int32_t bitsPerPixel, const DriverGuid& driver);
    /// The viewport (clip y = height / width, clip height twice that), the initial render
    /// states and the drawing and background materials with the default record.
    void CreateDeviceObjects();
    /// Reads the stored driver into deviceGuid; false, deviceGuid kept, when none is stored.
    bool ReadStoredDevice();

    /// Gives the engine a ready device (tests and headless tools; the set-up does the same).
    void AttachDevice(GraphicsDevice* graphicsDevice);
    /// Makes the scene root the one drawn each frame; called by the scene root's constructor.
    void LinkScene(Scene* root, FrameNode* node);
    /// Makes the overlay list the one drawn after the scene; null unlinks.
    void LinkOverlays(FrameNode* list) { overlays = list; }

    /// Reads the clock and sets lastDeltaMs, the global frameStep and fps.
    void UpdateTiming();
    /// One frame: timing, clear, begin scene, scene root (flags 15), overlays (255), end scene.
    /// Always false, as nobody reads it.
    bool Render();
    /// The linked scene root, or null.
    Scene* GetScene() const { return scene; }

    GraphicsDevice* device = nullptr;
    bool hardware = true;
    Display* display = nullptr;
    ViewportRecord viewport;
    int32_t width = 0;
    int32_t height = 0;
    Scene* scene = nullptr;
    FrameNode* sceneRoot = nullptr;  ///< the same object as scene, as the render pass sees it
    FrameNode* overlays = nullptr;
    uint32_t zBufferMemory = DDSCAPS_SYSTEMMEMORY;
    Rect clearRect;
    int32_t depth = 0;
    uint32_t previousTick = 0;
    uint32_t currentTick = 0;
    uint32_t accumulatedMs = 1;
    uint32_t frameCount = 0;
    uint32_t lastDeltaMs = 0;
    uint32_t fps = 0;
    DriverGuid deviceGuid;
    /// Whether the set-up asks the display for full screen; a tool's window keeps its size.
    bool fullScreen = true;
    float scaleX = 0.0f;
    float scaleY = 0.0f;
    MaterialHandle drawingMaterial;
    MaterialHandle drawingMaterialHandle;
    MaterialHandle backgroundMaterial;
    MaterialHandle backgroundMaterialHandle;
    const Material* currentMaterial = nullptr;
    /// The device the set-up made (device points at it); empty for an attached device.
    std::unique_ptr<GraphicsDevice> ownedDevice;

private:
    /// Records the display and the size on both; false for a null display.
    bool TakeDisplay(Display* displayToUse, WindowHandle window, int32_t w, int32_t h,
                     int32_t bitsPerPixel);
    /// Opens the display on deviceGuid (the primary display when that one is gone) and creates
    /// the device and its objects; ends the program with -1 when nothing can be opened.
    bool OpenChosenDriver();

    Clock& clock_;
};

/// The default material record: diffuse and ambient white with alpha 0, the rest zero, ramp 16.
MaterialRecord DefaultMaterialRecord();

}  // namespace orix
