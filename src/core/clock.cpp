#include "clock.h"

#include <ctime>

namespace kq {

int64_t MonotonicClock::nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

uint32_t MonotonicClock::nowMs() {
    return uint32_t(nowNs() / 1'000'000);
}

int64_t MonotonicClock::instantOfMs(uint32_t ms) {
    const int64_t nowMs64 = nowNs() / 1'000'000;
    const int64_t targetMs64 = nowMs64 + msBetween(uint32_t(nowMs64), ms);
    return targetMs64 * 1'000'000;
}

namespace {
MonotonicClock g_realClock;
Clock* g_clock = &g_realClock;
} // namespace

Clock& appClock() {
    return *g_clock;
}
void setAppClock(Clock* clock) {
    g_clock = clock ? clock : &g_realClock;
}

} // namespace kq
