// Interim definitions for the display-system operations this branch uses before the OpenGL
// display lands. They are weak, so the real ones win the link; this file goes when they land.
#include <cstdlib>
#include <cstring>

#include "platform/display_system.h"

namespace orix {

__attribute__((weak)) bool DriverGuid::IsZero() const {
    return *this == DriverGuid();
}

__attribute__((weak)) bool DriverGuid::operator==(const DriverGuid& o) const {
    return data1 == o.data1 && data2 == o.data2 && data3 == o.data3 &&
           std::memcmp(data4, o.data4, sizeof data4) == 0;
}

__attribute__((weak)) bool RunningHeadless() {
    const char* off = std::getenv("ORIX_OFFSCREEN");
    if (off && std::strcmp(off, "1") == 0) return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}

__attribute__((weak)) std::vector<DisplayDriverInfo> EnumerateDisplayDrivers() {
    DisplayDriverInfo primary;
    primary.description = "Primary Display Driver";
    primary.driverName = "display";
    return {primary};
}

}  // namespace orix
