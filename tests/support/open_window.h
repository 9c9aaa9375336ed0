#pragma once

#include "app/main_window.h"
#include "core/common_functions.h"
#include "support/fakes.h"

#include <memory>

namespace kq::test {

// The main window, shown and initialised (its initialisation runs from a 10 ms timer; on a loaded
// machine that can take longer).
inline std::unique_ptr<MainWindow> openMainWindow(kq::record::ScreenCapture& capture) {
    // The plug-in's port is fixed: another test's window must not hold it first.
    TempHome::usePrivatePluginListener();
    auto window = std::make_unique<MainWindow>(&capture);
    window->show();
    for (int i = 0; i < 200 && !window->initialised(); ++i)
        Fun_Delay(10);
    return window;
}

} // namespace kq::test
