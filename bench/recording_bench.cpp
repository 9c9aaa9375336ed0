// Records frames of a full model (2000 materials on 10 machines) at the 36 ms period through the real
// loop, then stops. Needs an X server: tests/support/with_xvfb.sh build/bench/recording_bench [frames]
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
#include "show/frame_store.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    const int frames = argc > 1 ? std::max(10, atoi(argv[1])) : 1000;
    const bench::LoopbackHome home(QStringLiteral("127.0.5.200"), true);

    MainWindow window;
    window.move(1100, 0);
    window.show();
    for (int i = 0; i < 200 && !window.initialised(); ++i)
        Fun_Delay(10);
    g_CurModel = 1;
    g_ModelLength[1] = 1000;
    g_ModelWidth[1] = 1000;
    for (int i = 1; i <= kMaterialCount; ++i) {
        const int k = i - 1, machine = 1 + k / 200, port = 1 + (k % 200) / 34, start = 1 + (k % 34) * 22;
        g_Materials[1][i] =
            makeMaterial(machine, port, start, kShapeHorizontal, (k % 7) * 40, k / 2, (k % 7) * 40 + 21, k / 2);
    }
    window.positionWindow()->moveArea(QPoint(0, 0));
    const double rss0 = bench::peakRssMb();

    kq::schedulerHooks().frameCapture = [&window] { window.Fun_Timer截屏时间(); };
    int ticks = 0;
    int64_t stopRequestedNs = 0, filesWrittenNs = 0;
    kq::schedulerHooks().stateCycle = [&] {
        auto& r = (*window.findChild<RecordingPanel*>()).recorder();
        if (r.recording) ++ticks;
        if (r.recording && r.frameCounter > frames && !stopRequestedNs) {
            stopRequestedNs = kq::MonotonicClock::nowNs();
            (*window.findChild<QPushButton*>(QStringLiteral("Command停止录制"))).click();
        }
        if (stopRequestedNs && !r.recording && !filesWrittenNs) {
            filesWrittenNs = kq::MonotonicClock::nowNs();
            g_ExitRequested = true;
        }
    };
    (*window.findChild<QPushButton*>(QStringLiteral("Command录制方式0"))).click();
    const int64_t start = kq::MonotonicClock::nowNs();
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    const double seconds = double(stopRequestedNs - start) / 1e9;
    const int recorded = Fun_ReadFrameCount(kq::show::frameFilePath(g_AppFolder, 1, 1));
    const qint64 fileBytes = QFileInfo(kq::show::frameFilePath(g_AppFolder, 1, 1)).size();
    std::printf("recording %d frames of 2000 materials on 10 machines at 36 ms (%s)\n", frames,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  frames recorded %d in %.1f s: %.0f frame periods elapsed, %d dropped\n", recorded, seconds,
                seconds * 1000 / 36, std::max(0, int(seconds * 1000 / 36 + 0.5) - recorded));
    // The growth beside what the recording has to hold: ten machines' frame files (MB as the RSS: MiB).
    const double heldMb = 10.0 * double(fileBytes) / (1024.0 * 1024.0);
    const double peak = bench::peakRssMb();
    std::printf("  peak memory %.0f MB (%.0f MB before recording); one machine's frame file %.1f MB; growth "
                "%.0f MB = %.2fx the %.0f MB of frame files held (target 1.05x)\n",
                peak, rss0, double(fileBytes) / 1e6, peak - rss0, (peak - rss0) / heldMb, heldMb);
    std::printf("  stop to files on disk: %.0f ms\n", double(filesWrittenNs - stopRequestedNs) / 1e6);
    kq::schedulerHooks() = {};
    Fun_UnloadFormUdp();
    return 0;
}
