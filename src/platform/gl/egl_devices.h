/// \file
/// The EGL devices of this machine (EGL_EXT_device_enumeration) as display drivers, each with an
/// identifier derived from what names the device (its DRM node, or the software renderer), so it
/// stays the same from run to run. Internal to src/platform.
#pragma once

#include <vector>

#include "platform/display_system.h"

namespace orix {

struct EglDeviceEntry {
    DisplayDriverInfo info;
    void* device = nullptr;  ///< EGLDeviceEXT
};

/// Every EGL device in the driver's order; empty when the extension is missing.
std::vector<EglDeviceEntry> ListEglDevices();

}  // namespace orix
