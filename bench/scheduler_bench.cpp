// Runs the real scheduler loop with the main window shown and prints how late the frame task starts
// and how much CPU the process uses. Usage: scheduler_bench [seconds] [period-ms]
#include "app/main_window.h"
#include "bench_support.h"
#include "core/clock.h"
#include "core/scheduler.h"
#include "core/shared_state.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<int64_t> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return double(v[size_t(p * double(v.size() - 1))]) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    g_FramePeriodMs = argc > 2 ? std::clamp(atoi(argv[2]), 30, 200) : 36;

    QTemporaryDir home;
    Fun_SetAppFolder(home.path());
    MainWindow window;
    window.show();

    std::vector<int64_t> lateness;
    int64_t prevStartNs = -1;
    kq::schedulerHooks().frameCapture = [&] {
        const int64_t startNs = kq::MonotonicClock::nowNs();
        if (prevStartNs >= 0) {
            // The task fell due when the millisecond clock reached the previous start's reading + period.
            const int64_t dueNs = (prevStartNs / 1'000'000 + g_FramePeriodMs) * 1'000'000;
            lateness.push_back(startNs - dueNs);
        }
        prevStartNs = startNs;
    };
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, [] { g_ExitRequested = true; });

    const double cpu0 = bench::cpuSeconds();
    const int64_t wall0 = kq::MonotonicClock::nowNs();
    kq::TaskScheduler scheduler(g_FramePeriodMs);
    kq::Fun_RunLoop(scheduler);
    const double wall = double(kq::MonotonicClock::nowNs() - wall0) / 1e9;
    const double cpu = bench::cpuSeconds() - cpu0;

    std::printf("scheduler loop: %d s at %d ms frame period, platform %s\n", seconds, g_FramePeriodMs,
                qPrintable(QGuiApplication::platformName()));
    std::printf("frames          %zu (expected about %.0f)\n", lateness.size() + 1, wall * 1000 / g_FramePeriodMs);
    std::printf("frame lateness  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", percentile(lateness, 0.50),
                percentile(lateness, 0.99), percentile(lateness, 1.0));
    std::printf("cpu             %.1f ms per second (%.2f %% of one core)\n", cpu / wall * 1000, cpu / wall * 100);
    return 0;
}
