#include "core/scheduler.h"
#include "core/shared_state.h"
#include "support/fakes.h"

#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records the task calls in order, with simulated time.
class SchedulerTest : public testing::Test {
protected:
    void SetUp() override {
        auto& h = kq::schedulerHooks();
        h.pluginStep = [this] { calls.push_back("10"); };
        h.frameCapture = [this] { calls.push_back("frame"); };
        h.stateCycle = [this] { calls.push_back("state"); };
        h.modellingTest = [this] { calls.push_back("100"); };
        h.placementSave = [this] { calls.push_back("50"); };
        h.sendExitCommand = [this] { calls.push_back("805E@" + std::to_string(time.clock.now)); };
    }
    void TearDown() override { kq::schedulerHooks() = {}; }

    std::vector<std::string> take() { return std::exchange(calls, {}); }
    int count(const std::vector<std::string>& v, const std::string& s) {
        return int(std::count(v.begin(), v.end(), s));
    }

    kq::test::TempHome home;
    kq::test::SimulatedTime time;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST_F(SchedulerTest, FirstPassRunsEveryTaskInFixedOrder) {
    kq::TaskScheduler s(36);
    s.runDue(0);
    EXPECT_EQ(take(), (Calls{"10", "frame", "state", "100", "50"}));
}

TEST_F(SchedulerTest, TasksFallDueByTheirOwnPeriods) {
    kq::TaskScheduler s(36);
    s.runDue(1000);
    take();
    struct Step {
        uint32_t now;
        Calls expected;
    };
    const Step steps[] = {
        {1009, {}},
        {1010, {"10"}},
        {1035, {"10"}},
        {1036, {"frame", "state"}},
        {1050, {"10", "50"}},
        {1072, {"10", "frame", "state"}},
        {1100, {"10", "100", "50"}},
    };
    for (const auto& st : steps) {
        s.runDue(st.now);
        EXPECT_EQ(take(), st.expected) << st.now;
    }
}

TEST_F(SchedulerTest, ALatePassRunsEachTaskOnceAndRestartsItsPeriod) {
    kq::TaskScheduler s(36);
    s.runDue(0);
    take();
    s.runDue(500); // ten frame periods late
    EXPECT_EQ(take(), (Calls{"10", "frame", "state", "100", "50"}));
    s.runDue(535);
    EXPECT_EQ(take(), (Calls{"10"}));
    s.runDue(536);
    EXPECT_EQ(take(), (Calls{"frame", "state"}));
    EXPECT_EQ(s.nextDue(536), 545u); // the plug-in step ran at 535
}

TEST_F(SchedulerTest, KeepsRunningAcrossTheClockWrap) {
    kq::TaskScheduler s(36);
    const uint32_t start = 0xFFFFFFFFu - 20;
    s.runDue(start);
    take();
    s.runDue(start + 10);
    EXPECT_EQ(take(), (Calls{"10"}));
    EXPECT_EQ(s.nextDue(start + 10), start + 20);
    s.runDue(start + 36); // 15 after the wrap
    EXPECT_EQ(take(), (Calls{"10", "frame", "state"}));
    s.runDue(start + 50);
    EXPECT_EQ(take(), (Calls{"10", "50"}));
    EXPECT_EQ(s.nextDue(start + 50), start + 60);
}

TEST_F(SchedulerTest, LoopSleepsUntilTheNextTaskAndEndsOnTheExitRequest) {
    time.clock.now = 5000;
    time.pump.onPump = [this] {
        if (time.clock.now >= 5000 + 1000) g_ExitRequested = true;
    };
    kq::TaskScheduler s(36);
    kq::Fun_RunLoop(s);
    const Calls c = take();
    // The pass that sees the exit request still runs its tasks: 5000, 5036, ..., 5972 are 28 frames;
    // 5000..6000 are 101 plug-in steps, 21 saves and 11 modelling test frames.
    EXPECT_EQ(count(c, "frame"), 28);
    EXPECT_EQ(count(c, "10"), 101);
    EXPECT_EQ(count(c, "50"), 21);
    EXPECT_EQ(count(c, "100"), 11);
    // It waited for due times instead of spinning: one wait per distinct due instant.
    EXPECT_LE(time.pump.waits.size(), 130u);
    for (const auto& w : time.pump.waits)
        EXPECT_TRUE(w.has_value());
    // 805E is sent when the exit is seen, then the program waits more than 10 ms and ends.
    ASSERT_EQ(c.back(), "805E@6000");
    EXPECT_GE(time.clock.now, 6011u);
}

TEST_F(SchedulerTest, PausedLoopRunsNoTaskButStillPumpsAndExits) {
    g_PauseTasks = true;
    int pumps = 0;
    time.pump.onPump = [&] {
        if (++pumps == 300) g_ExitRequested = true;
    };
    kq::TaskScheduler s(36);
    kq::Fun_RunLoop(s);
    EXPECT_EQ(take(), (Calls{"805E@" + std::to_string(time.clock.now - 11)}));
}

TEST_F(SchedulerTest, TasksResumeWhenThePauseEnds) {
    time.clock.now = 100;
    time.pump.onPump = [this] {
        if (time.clock.now == 100) g_PauseTasks = true;
        if (time.clock.now == 200) g_PauseTasks = false;
        if (time.clock.now >= 205) g_ExitRequested = true;
    };
    kq::TaskScheduler s(36);
    kq::Fun_RunLoop(s);
    const Calls c = take();
    // Paused before the first pass ran anything; the first pass after the pause runs everything once.
    EXPECT_EQ(count(c, "frame"), 1);
    EXPECT_EQ(count(c, "100"), 1);
    EXPECT_EQ(c.front(), "10");
}

} // namespace
