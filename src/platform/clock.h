/// \file
/// Millisecond clocks: the timeGetTime stand-in and a fixed-step clock for tests and headless
/// runs, so that the same input gives the same frames.
#pragma once

#include <cstdint>

namespace orix {

class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since an arbitrary start; wraps after 2^32 ms like timeGetTime.
    virtual uint32_t Milliseconds() = 0;
};

class SystemClock : public Clock {
public:
    uint32_t Milliseconds() override;
};

/// Each read returns the current time and then moves it on by step; Set and Advance move it by
/// hand.
class FixedStepClock : public Clock {
public:
    explicit FixedStepClock(uint32_t start = 1000, uint32_t step = 33) : now_(start), step_(step) {}
    uint32_t Milliseconds() override {
        uint32_t t = now_;
        now_ += step_;
        return t;
    }
    void Set(uint32_t now) { now_ = now; }
    void Advance(uint32_t ms) { now_ += ms; }
    void SetStep(uint32_t step) { step_ = step; }
    uint32_t Peek() const { return now_; }

private:
    uint32_t now_;
    uint32_t step_;
};

}  // namespace orix
