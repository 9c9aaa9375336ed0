#pragma once

#include "app/main_window.h"
#include "core/common_functions.h"

#include <memory>

namespace kq::test {

// The main window, shown and initialised (its initialisation runs from a 10 ms timer; on a loaded
// machine that can take longer).
inline std::unique_ptr<MainWindow> openMainWindow(kq::record::ScreenCapture& capture) {
    auto window = std::make_unique<MainWindow>(&capture);
    window->show();
    for (int i = 0; i < 200 && !window->initialised(); ++i)
        Fun_Delay(10);
    return window;
}

} // namespace kq::test
