#include "admin/tool_windows.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/qt_dialogs.h"
#include "core/scheduler.h"
#include "core/shared_state.h"
#include "link/send_cli.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "show/show_cli.h"
#include "record/main_window.h"
#include "record/position_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>

#include <cstdio>
#include <cstring>

namespace {

// The application folder: --home DIR, else the executable's folder.
QString applicationFolder(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--home") && i + 1 < args.size()) return QDir(args[i + 1]).absolutePath();
        if (args[i].startsWith(QLatin1String("--home="))) return QDir(args[i].mid(7)).absolutePath();
    }
    return QCoreApplication::applicationDirPath();
}

bool useFolder(const QString& home) {
    if (!QFileInfo(home).isDir() && !QDir().mkpath(home)) {
        std::fprintf(stderr, "kq510: cannot use the folder %s\n", qPrintable(home));
        return false;
    }
    Fun_SetAppFolder(home);
    return true;
}

// Technicians' commands, without windows.
int runTool(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("KQ-510"));
    const QStringList args = QCoreApplication::arguments();
    if (!useFolder(applicationFolder(args))) return 2;
    kq::ConsoleDialogs console;
    kq::setDialogs(&console);
    const QString command = args.value(1);
    int status = 2;
    if (command == QLatin1String("send"))
        status = kq::link::runSendCommand(args.mid(2));
    else if (command == QLatin1String("build"))
        status = kq::show::runBuild(args.mid(2));
    else if (command == QLatin1String("inspect"))
        status = kq::show::runInspect(args.mid(2));
    else if (command == QLatin1String("download"))
        status = kq::show::runDownload(args.mid(2));
    else if (command == QLatin1String("upgrade"))
        status = kq::show::runUpgrade(args.mid(2));
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return status;
}

} // namespace

// The two stand-alone tool windows: kq510 --factory-test, kq510 --r770-switch.
template <typename Window>
int runToolWindow() {
    kq::QtDialogs qtDialogs;
    kq::setDialogs(&qtDialogs);
    Window window;
    window.show();
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return 0;
}

int main(int argc, char** argv) {
    for (const char* tool : {"send", "build", "inspect", "download", "upgrade"})
        if (argc > 1 && std::strcmp(argv[1], tool) == 0) return runTool(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    g_AppTitle = QStringLiteral("KQ-510 V1.8");
    if (!useFolder(applicationFolder(QCoreApplication::arguments()))) return 2;
    if (QCoreApplication::arguments().contains(QStringLiteral("--factory-test"))) return runToolWindow<FactoryTestWindow>();
    if (QCoreApplication::arguments().contains(QStringLiteral("--r770-switch"))) return runToolWindow<R770SwitchWindow>();

    kq::QtDialogs qtDialogs;
    kq::setDialogs(&qtDialogs);

    MainWindow mainWindow;
    mainWindow.Frame遮挡->move(mainWindow.Frame遮挡->x(), 0);
    mainWindow.show();
    mainWindow.Fun_主界面位置();
    kq::appPump().pumpPending();

    g_FramePeriodMs = Fun_ReadFramePeriod();
    Fun_Delay(100);

    kq::SchedulerHooks& hooks = kq::schedulerHooks();
    hooks.frameCapture = [&mainWindow] { mainWindow.Fun_Timer截屏时间(); };
    hooks.stateCycle = [&mainWindow] { mainWindow.Fun_连接状态时间循环(); };
    hooks.placementSave = [&mainWindow] {
        if (PositionWindow* p = mainWindow.positionWindow()) p->Fun_Form位置示意_保存(&mainWindow);
    };
    hooks.sendExitCommand = Fun_SendExitCommand;
    kq::TaskScheduler scheduler(g_FramePeriodMs);
    kq::Fun_RunLoop(scheduler);
    hooks = {};
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return 0;
}
