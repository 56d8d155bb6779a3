// Until the platform layer's display code is part of this branch, messages.cpp needs this
// symbol; weak, so the real definition wins as soon as it is linked.
#include "platform/display_system.h"

namespace orix {
__attribute__((weak)) bool RunningHeadless() {
    return true;
}
}  // namespace orix
