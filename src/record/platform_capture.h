#pragma once

#include "screen_capture.h"

#include <memory>

namespace kq::record {

// The screen copy of the platform the program runs on: the X server's where there is one, else Qt's
// own grab (which gets no picture where the desktop allows none).
std::unique_ptr<ScreenCapture> platformCapture();

} // namespace kq::record
