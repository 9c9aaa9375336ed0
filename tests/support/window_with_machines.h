#pragma once

#include "app/main_window.h"
#include "model/model_data.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"

#include <gtest/gtest.h>
#include <memory>

namespace kq::test {

// The main window, initialised over a scripted screen, with stand-in machines 1 and 2 on loopback.
class WindowWithMachines : public testing::Test {
protected:
    void SetUp() override {
        Fun_ClearAllModels();
        machines = home.startMachines({1, 2});
        ASSERT_TRUE(machines);
        window = openMainWindow(capture);
    }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
    }
    // How many frames of a code machine m received.
    int received(int machine, uint16_t code) { return machines->machine(machine)->received.value(code); }

    TempHome home;
    PatternCapture capture;
    std::unique_ptr<standin::StandInMachines> machines;
    std::unique_ptr<MainWindow> window;
};

} // namespace kq::test
