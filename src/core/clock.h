#pragma once

#include <cstdint>

namespace kq {

// The program's 32-bit millisecond clock. It wraps after 2^32 ms; every user takes differences modulo 2^32.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t nowMs() = 0;
};

// Milliseconds of the system's monotonic clock.
class MonotonicClock final : public Clock {
public:
    uint32_t nowMs() override;
    static int64_t nowNs();
    // The monotonic instant (ns) at which nowMs() first reads ms, taking the reading nearest to now.
    static int64_t instantOfMs(uint32_t ms);
};

// The clock the scheduler and Fun_Delay read. Tests install their own; nullptr restores the real one.
Clock& appClock();
void setAppClock(Clock* clock);

// Milliseconds from `from` to `to` on the wrapping clock; negative when `to` lies behind.
inline int32_t msBetween(uint32_t from, uint32_t to) {
    return int32_t(to - from);
}

} // namespace kq
