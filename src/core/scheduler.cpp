#include "scheduler.h"

#include "clock.h"
#include "common_functions.h"
#include "core/settings_keys.h"
#include "event_pump.h"
#include "settings_file.h"
#include "shared_state.h"

#include <algorithm>
#include <optional>

namespace kq {

SchedulerHooks& schedulerHooks() {
    static SchedulerHooks hooks;
    return hooks;
}

TaskScheduler::TaskScheduler(int32_t framePeriodMs)
    : tasks_{{{10, Fun_Tick10ms}, {framePeriodMs, Fun_TickFrame}, {100, Fun_Tick100ms}, {50, Fun_Tick50ms}}} {}

void TaskScheduler::runDue(uint32_t now) {
    for (Task& t : tasks_) {
        if (t.ran && uint32_t(now - t.stamp) < uint32_t(t.periodMs)) continue;
        t.stamp = now;
        t.ran = true;
        t.run();
    }
}

uint32_t TaskScheduler::nextDue(uint32_t now) const {
    uint32_t wait = UINT32_MAX;
    for (const Task& t : tasks_) {
        if (!t.ran) return now;
        const uint32_t elapsed = now - t.stamp;
        if (elapsed >= uint32_t(t.periodMs)) return now;
        wait = std::min(wait, uint32_t(t.periodMs) - elapsed);
    }
    return now + wait;
}

void Fun_RunLoop(TaskScheduler& scheduler) {
    Clock& clock = appClock();
    EventPump& pump = appPump();
    for (;;) {
        pump.pumpPending();
        const uint32_t now = clock.nowMs();
        pump.pumpPending();
        if (!g_PauseTasks) scheduler.runDue(now);
        pump.pumpPending();
        if (g_ExitRequested) {
            if (const auto& send = schedulerHooks().sendExitCommand) send();
            Fun_Delay(10);
            return;
        }
        // While paused no task can fall due; whatever clears the pause runs from an event.
        if (g_PauseTasks)
            pump.waitForEvents(std::nullopt);
        else
            pump.waitForEvents(scheduler.nextDue(clock.nowMs()));
    }
}

} // namespace kq

namespace {
void callHook(const std::function<void()>& hook) {
    if (hook) hook();
}
} // namespace

void Fun_Tick10ms() {
    callHook(kq::schedulerHooks().pluginStep);
}

void Fun_TickFrame() {
    callHook(kq::schedulerHooks().frameCapture);
    callHook(kq::schedulerHooks().stateCycle);
}

void Fun_Tick100ms() {
    callHook(kq::schedulerHooks().modellingTest);
}
void Fun_Tick50ms() {
    callHook(kq::schedulerHooks().placementSave);
}

int32_t Fun_ReadFramePeriod() {
    return Fun_ReadIniNumber(g_IniPath, kq::key::FramePeriod, 36, 30, 200);
}
