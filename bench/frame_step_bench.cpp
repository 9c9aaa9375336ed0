// The frame step for a full model (2000 materials on 10 machines x 6 ports x 750 pixels) over a
// 1000 x 1000 area. Needs an X server: run it as  tests/support/with_xvfb.sh build/bench/frame_step_bench
// Usage: frame_step_bench [steps] [loop-seconds]
#include "app/main_window.h"
#include "bench_support.h"
#include "core/clock.h"
#include "core/common_functions.h"
#include "core/scheduler.h"
#include "core/shared_state.h"
#include "link/link_settings.h"
#include "link/udp_host.h"
#include "model/model_data.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "record/x11_capture.h"

#include <QApplication>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <vector>

namespace {

void fullModel() {
    g_CurModel = 1;
    g_ModelLength[1] = 1000;
    g_ModelWidth[1] = 1000;
    int i = 0;
    for (int machine = 1; machine <= 10; ++machine)
        for (int port = 1; port <= 6; ++port)
            for (int k = 0; k < 34 && i < kMaterialCount; ++k) {
                T_Material& t = g_Materials[1][++i];
                const int start = 1 + k * 22;
                const int length = std::min(22, 750 - start + 1);
                const int row = ((machine - 1) * 6 + port - 1) * 16 + k % 16;
                const int x = (k / 16) * 330 + (i % 7) * 3;
                t = {machine,
                     port,
                     start,
                     i % 3,
                     uint8_t(i % 2),
                     {0, x, row, x + length - 1, row + (i % 3 == 2 ? 5 : 0)},
                     {},
                     0,
                     0,
                     {},
                     0};
                if (t.Shape == kShapeVertical) t.Coord[3] = x, t.Coord[4] = row + length - 1;
            }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    const int steps = argc > 1 ? std::max(10, atoi(argv[1])) : 300;
    const int loopSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const bench::LoopbackHome home(QStringLiteral("127.0.4.200"), true);

    MainWindow window;
    window.move(1100, 0);
    window.show();
    for (int k = 0; k < 10; ++k)
        Fun_Delay(20);
    fullModel();
    window.positionWindow()->moveArea(QPoint(0, 0));

    std::vector<double> total, capture, sampling, sending, work;
    for (int s = 0; s < steps; ++s) {
        const int64_t t0 = kq::MonotonicClock::nowNs();
        (*window.findChild<RecordingPanel*>()).Fun_截屏操作(QStringLiteral("0"));
        const double ms = double(kq::MonotonicClock::nowNs() - t0) / 1e6;
        const auto& t = (*window.findChild<RecordingPanel*>()).liveOutput().lastTimings();
        if (s < 3) continue; // the first steps build the plan and warm the caches
        total.push_back(ms);
        capture.push_back(t.captureMs);
        sampling.push_back(t.samplingMs);
        sending.push_back(t.sendingMs - t.spacingMs);
        work.push_back(ms - t.spacingMs);
    }
    std::printf("frame step, 2000 materials on 10 machines x 6 ports x 750 pixels, 1000 x 1000 area, %s\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  step without the 1 ms port spacing  p50 %.3f ms  p99 %.3f ms\n", bench::percentile(work, 0.5),
                bench::percentile(work, 0.99));
    std::printf("    capture    p50 %.3f ms  p99 %.3f ms\n", bench::percentile(capture, 0.5),
                bench::percentile(capture, 0.99));
    std::printf("    sampling   p50 %.3f ms  p99 %.3f ms\n", bench::percentile(sampling, 0.5),
                bench::percentile(sampling, 0.99));
    std::printf("    sending    p50 %.3f ms  p99 %.3f ms\n", bench::percentile(sending, 0.5),
                bench::percentile(sending, 0.99));
    std::printf("  step with the spacing (6 x Fun_Delay(1))  p50 %.3f ms  p99 %.3f ms\n", bench::percentile(total, 0.5),
                bench::percentile(total, 0.99));
    // For scale: the X server's copy of the area alone.
    kq::record::X11Capture x11;
    kq::record::CapturedPicture picture;
    std::vector<double> grabs;
    for (int s = 0; s < steps; ++s) {
        const int64_t t0 = kq::MonotonicClock::nowNs();
        x11.grab(QRect(0, 0, 1000, 1000), picture);
        grabs.push_back(double(kq::MonotonicClock::nowNs() - t0) / 1e6);
    }
    std::printf("  the screen copy alone (%s)  p50 %.3f ms  p99 %.3f ms\n", qPrintable(x11.name()),
                bench::percentile(grabs, 0.5), bench::percentile(grabs, 0.99));

    // The real loop at 36 ms for a while: the process's CPU share.
    kq::schedulerHooks().frameCapture = [&window] { window.Fun_Timer截屏时间(); };
    QTimer::singleShot(loopSeconds * 1000, Qt::PreciseTimer, [] { g_ExitRequested = true; });
    const double cpu0 = bench::cpuSeconds();
    const int64_t wall0 = kq::MonotonicClock::nowNs();
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    const double wall = double(kq::MonotonicClock::nowNs() - wall0) / 1e9;
    std::printf("  running at 36 ms for %d s: %.1f %% of one core\n", loopSeconds,
                (bench::cpuSeconds() - cpu0) / wall * 100);
    kq::schedulerHooks() = {};
    Fun_UnloadFormUdp();
    return 0;
}
