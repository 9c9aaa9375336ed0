#pragma once

#include <cstdint>
#include <optional>

namespace kq {

// The user-interface event pump of the single program thread.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles the events that are waiting, without blocking.
    virtual void pumpPending() = 0;
    // Handles waiting events; when there are none, sleeps until one arrives or the program clock reads
    // untilMs (never, when absent). Returns after one batch of events or at the deadline.
    virtual void waitForEvents(std::optional<uint32_t> untilMs) = 0;
};

// The pump of the Qt event loop. Deadlines wake it through a timer file descriptor armed at the exact
// instant the millisecond clock reaches them, so a wait ends within a fraction of a millisecond of its
// deadline without spinning.
EventPump& qtEventPump();

// The pump the scheduler and Fun_Delay use. Tests install their own; nullptr restores the Qt one.
EventPump& appPump();
void setAppPump(EventPump* pump);

} // namespace kq
