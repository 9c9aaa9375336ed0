#pragma once

#include <array>
#include <cstdint>
#include <functional>

// The cooperative loop that drives all periodic work on the one program thread.

namespace kq {

// What the periodic tasks call. The subsystems fill these in as they are created; an empty hook is
// skipped.
struct SchedulerHooks {
    std::function<void()> pluginStep;      // every 10 ms: the plug-in countdown step
    std::function<void()> frameCapture;    // every frame period: capture, live output, recording
    std::function<void()> stateCycle;      // every frame period, after the capture: operation-state cycle
    std::function<void()> modellingTest;   // every 100 ms: modelling test output
    std::function<void()> placementSave;   // every 50 ms: save window placement when changed
    std::function<void()> sendExitCommand; // once, when the program ends: "805E" to every machine
};
SchedulerHooks& schedulerHooks();

class TaskScheduler {
public:
    explicit TaskScheduler(int32_t framePeriodMs);

    // Runs, in their fixed order, the tasks whose period has passed since they last ran, and every task
    // on the first call. A task's stamp becomes `now`, so a late pass never queues up missed runs.
    void runDue(uint32_t now);
    // Clock reading at which the next task falls due (now, when one is due already).
    uint32_t nextDue(uint32_t now) const;

private:
    struct Task {
        int32_t periodMs;
        void (*run)();
        uint32_t stamp = 0;
        bool ran = false;
    };
    std::array<Task, 4> tasks_;
};

// Runs the loop on appClock() and appPump() until g_ExitRequested is seen; then sends the exit command,
// waits 10 ms and returns. Between passes it sleeps until the next task is due or an event arrives.
void Fun_RunLoop(TaskScheduler& scheduler);

} // namespace kq

void Fun_Tick10ms();
void Fun_TickFrame();
void Fun_Tick100ms();
void Fun_Tick50ms();

// The frame period from "帧时间": 30..200 ms, else 36.
int32_t Fun_ReadFramePeriod();
