#pragma once

#include "screen_capture.h"

#include <memory>

namespace kq::record {

// The X11 screen: MIT-SHM where the server offers it (one shared segment, no copy through the socket),
// else plain XGetImage. Displays of other depths are converted to 32-bit blue, green, red.
class X11Capture final : public ScreenCapture {
public:
    X11Capture();
    ~X11Capture() override;
    X11Capture(const X11Capture&) = delete;
    X11Capture& operator=(const X11Capture&) = delete;

    bool available() const;
    bool usesSharedMemory() const;
    bool grab(const QRect& wanted, CapturedPicture& picture) override;
    QString name() const override;

private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace kq::record
