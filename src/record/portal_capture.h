#pragma once

#include "screen_capture.h"

#include <QString>
#include <functional>
#include <memory>

// The screen of a Wayland desktop, shared through the desktop's screen-cast portal and received over
// PipeWire. The desktop asks the user once which screen to share; the answer is remembered through a
// restore token that the program keeps in its settings.

namespace kq::record {

// The object path of a portal request made by the connection uniqueName (":1.42") with token.
QString portalRequestPath(const QString& uniqueName, const QString& token);

class PortalCapture final : public ScreenCapture {
public:
    // restoreToken: the token of the last share, so that the desktop need not ask again; may be empty.
    explicit PortalCapture(QString restoreToken);
    ~PortalCapture() override;
    PortalCapture(const PortalCapture&) = delete;
    PortalCapture& operator=(const PortalCapture&) = delete;

    // The first grab asks the desktop for the screen and returns false (waiting) until frames come;
    // from then on each grab cuts the area from the newest frame.
    bool grab(const QRect& wanted, CapturedPicture& picture) override;
    bool waiting() const override;
    QString name() const override;
    QString advice() const override;
    void retry() override;

    enum class State { Idle, Asking, Streaming, Failed };
    State state() const;
    // The shared screen's place and size on the desktop, once streaming.
    QRect screen() const;
    quint64 frames() const;

    // Called with every new restore token the desktop gives (each share gets a new one).
    std::function<void(const QString&)> restoreTokenChanged;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace kq::record
