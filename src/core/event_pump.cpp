#include "event_pump.h"

#include "clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <sys/timerfd.h>
#include <unistd.h>

namespace kq {
namespace {

class QtEventPump final : public EventPump {
public:
    void pumpPending() override {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // The program never enters QEventLoop::exec(), so deferred deletions are sent here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void waitForEvents(std::optional<uint32_t> untilMs) override {
        ensureTimer();
        if (untilMs) {
            const int64_t ns = MonotonicClock::instantOfMs(*untilMs);
            itimerspec timerSpec{};
            timerSpec.it_value.tv_sec = time_t(ns / 1'000'000'000);
            timerSpec.it_value.tv_nsec = long(ns % 1'000'000'000);
            if (timerSpec.it_value.tv_sec == 0 && timerSpec.it_value.tv_nsec == 0) timerSpec.it_value.tv_nsec = 1;
            timerfd_settime(fd_, TFD_TIMER_ABSTIME, &timerSpec, nullptr);
        } else {
            disarm();
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ~QtEventPump() override {
        delete notifier_.data();
        if (fd_ >= 0) close(fd_);
    }

private:
    void ensureTimer() {
        if (notifier_) return;
        if (fd_ < 0) fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        // Owned by the application object, so that it goes with it.
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier_.data(), &QSocketNotifier::activated, [fd = fd_] {
            uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = read(fd, &expirations, sizeof expirations);
        });
    }

    void disarm() {
        itimerspec timerSpec{};
        timerfd_settime(fd_, 0, &timerSpec, nullptr);
    }

    int fd_ = -1;
    QPointer<QSocketNotifier> notifier_;
};

EventPump* g_pump = nullptr;

} // namespace

EventPump& qtEventPump() {
    static QtEventPump pump;
    return pump;
}

EventPump& appPump() {
    return g_pump ? *g_pump : qtEventPump();
}
void setAppPump(EventPump* pump) {
    g_pump = pump;
}

} // namespace kq
