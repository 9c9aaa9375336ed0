// The frame step for a full model (2000 materials on 10 machines x 6 ports x 750 pixels) over a
// 1000 x 1000 area of moving colour bars, with the screen copy the session picks: the X server's, or in
// a Wayland session the desktop's portal. bench/frame_steps.sh runs it on a private Xvfb and on a
// private headless Wayland desktop, one after the other.
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
#include "record/platform_capture.h"
#include "record/portal_capture.h"
#include "record/position_window.h"
#include "record/recording_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
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

    // Moving bars under the area: a desktop that shares its screen sends frames only when it changes.
    QProcess bars;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) { // a native Wayland window, as most animations are
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        bars.setProcessEnvironment(env);
    }
    bars.start(QStringLiteral(KQ510_PATTERN_PROGRAM), {QStringLiteral("--area"), QStringLiteral("0,0,1000,1000")});
    if (!bars.waitForStarted()) std::fprintf(stderr, "frame_step_bench: no moving bars (%s)\n", KQ510_PATTERN_PROGRAM);
    const auto screen = kq::record::platformCapture();
    auto* portal = dynamic_cast<kq::record::PortalCapture*>(screen.get());
    MainWindow window(screen.get());
    window.move(1100, 0);
    window.show();
    for (int k = 0; k < 10; ++k)
        Fun_Delay(20);
    fullModel();
    window.positionWindow()->moveArea(QPoint(0, 0));
    // The first copies may only start the screen sharing; the steps are measured once pictures come.
    kq::record::CapturedPicture picture;
    QElapsedTimer waited;
    waited.start();
    while (!screen->grab(QRect(0, 0, 1000, 1000), picture) && waited.elapsed() < 30000)
        Fun_Delay(20);
    if (waited.elapsed() >= 30000) {
        std::fprintf(stderr, "frame_step_bench: no picture from %s\n", qPrintable(screen->name()));
        return 1;
    }

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
    std::printf("frame step, 2000 materials on 10 machines x 6 ports x 750 pixels, 1000 x 1000 area, %s on %s\n",
                portal ? "the portal's shared screen" : "the X server's screen",
                qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ? "Wayland (XWayland windows)"
                                                                                     : "X11");
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
    // For scale: the copy of the area alone.
    std::vector<double> grabs;
    for (int s = 0; s < steps; ++s) {
        const int64_t t0 = kq::MonotonicClock::nowNs();
        screen->grab(QRect(0, 0, 1000, 1000), picture);
        grabs.push_back(double(kq::MonotonicClock::nowNs() - t0) / 1e6);
    }
    std::printf("  the screen copy alone (%s)  p50 %.3f ms  p99 %.3f ms\n", qPrintable(screen->name()),
                bench::percentile(grabs, 0.5), bench::percentile(grabs, 0.99));

    // The real loop at 36 ms for a while: the process's CPU share.
    kq::schedulerHooks().frameCapture = [&window] { window.Fun_Timer截屏时间(); };
    QTimer::singleShot(loopSeconds * 1000, Qt::PreciseTimer, [] { g_ExitRequested = true; });
    const double cpu0 = bench::cpuSeconds();
    const double machine0 = bench::machineCpuSeconds();
    const quint64 frames0 = portal ? portal->frames() : 0;
    const int64_t wall0 = kq::MonotonicClock::nowNs();
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    const double wall = double(kq::MonotonicClock::nowNs() - wall0) / 1e9;
    std::printf("  running at 36 ms for %d s: %.1f %% of one core (this process), %.1f %% (the whole machine: "
                "the display server%s and the moving bars included)\n",
                loopSeconds, (bench::cpuSeconds() - cpu0) / wall * 100,
                (bench::machineCpuSeconds() - machine0) / wall * 100, portal ? ", the portal, PipeWire" : "");
    if (portal) std::printf("  frames from the desktop: %.1f a second\n", double(portal->frames() - frames0) / wall);
    bars.kill();
    bars.waitForFinished();
    kq::schedulerHooks() = {};
    Fun_UnloadFormUdp();
    return 0;
}
