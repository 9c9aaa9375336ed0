#pragma once

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "standin/open_receivers.h"

#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace standin {
class StandInMachines;
}

namespace kq::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(uint32_t start = 0) : now(start) {}
    uint32_t nowMs() override { return now; }
    uint32_t now;
};

// A pump that handles no real events: each pump calls onPump, and a wait moves the fake clock to its
// deadline (or 1 ms on, with none), so that the loop under test runs in simulated time.
class FakePump final : public EventPump {
public:
    explicit FakePump(FakeClock& clock) : clock_(clock) {}
    void pumpPending() override {
        ++pumps;
        if (onPump) onPump();
    }
    void waitForEvents(std::optional<uint32_t> untilMs) override {
        waits.push_back(untilMs);
        if (untilMs && msBetween(clock_.now, *untilMs) > 0)
            clock_.now = *untilMs;
        else if (!untilMs)
            clock_.now += 1;
        pumpPending();
    }

    std::function<void()> onPump;
    int pumps = 0;
    std::vector<std::optional<uint32_t>> waits;

private:
    FakeClock& clock_;
};

// Installs the fake clock and pump for the life of a test.
class SimulatedTime {
public:
    explicit SimulatedTime(uint32_t start = 0) : clock(start), pump(clock) {
        setAppClock(&clock);
        setAppPump(&pump);
    }
    ~SimulatedTime() {
        setAppClock(nullptr);
        setAppPump(nullptr);
    }
    SimulatedTime(const SimulatedTime&) = delete;
    SimulatedTime& operator=(const SimulatedTime&) = delete;

    FakeClock clock;
    FakePump pump;
};

// A fresh application folder with reset shared state and scripted dialogs.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path(const QString& name) const { return dir.filePath(name); }

    // Points the link at loopback addresses of this test process's own (machines at base + k), so that
    // test programs running side by side never meet, and returns the base.
    QString useLoopbackMachines();
    // Only the plug-in listener on an address of this test process's own (its port is fixed, so that
    // the plug-in finds it): for windows that talk to no machine.
    static void usePrivatePluginListener();
    // Starts stand-in machines at those addresses, keeping their files under "machines"; null (with a
    // test failure) when they cannot listen.
    // Numbers in `controllers` are played as open-protocol controllers as well.
    std::unique_ptr<standin::StandInMachines> startMachines(QList<int> numbers,
                                                            std::map<uint16_t, QList<int>> drops = {},
                                                            std::map<int, standin::OpenLayout> controllers = {});

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

// Takes away the right to read a file for the life of the guard. The tests run as root, who may read
// anything, so the guard also drops the file-system privileges of this thread (its file-system user
// becomes "nobody"); the file's folder is opened to everyone meanwhile, as a user's own folder is
// writable by its user.
class NoReadAccess {
public:
    NoReadAccess(const QString& folder, const QString& file);
    ~NoReadAccess();
    NoReadAccess(const NoReadAccess&) = delete;
    NoReadAccess& operator=(const NoReadAccess&) = delete;

private:
    QString folder_, file_;
    bool root_;
};

} // namespace kq::test
