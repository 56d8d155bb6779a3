#include "platform/clock.h"

#include <chrono>

namespace orix {

uint32_t SystemClock::Milliseconds() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

}  // namespace orix
