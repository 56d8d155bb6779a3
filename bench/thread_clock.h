// This thread's CPU seconds: unlike the wall clock, time given to other processes on a busy
// machine does not count.
#pragma once

#include <time.h>

namespace orix::bench {

inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

}  // namespace orix::bench
