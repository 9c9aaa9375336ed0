#include "admin/tool_windows.h"
#include "app/main_window.h"
#include "core/command_line.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/qt_dialogs.h"
#include "core/scheduler.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "link/send_cli.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "record/platform_capture.h"
#include "record/position_window.h"
#include "show/show_cli.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <cstdio>
#include <optional>

namespace {

// The application folder: --home DIR, else the executable's folder (the user's data folder for an
// installed program).
QString applicationFolder(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--home") && i + 1 < args.size()) return QDir(args[i + 1]).absolutePath();
        if (args[i].startsWith(QLatin1String("--home="))) return QDir(args[i].mid(7)).absolutePath();
    }
    return kq::defaultApplicationFolder(QCoreApplication::applicationDirPath());
}

void say(const QString& line) {
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

bool useFolder(const QString& home) {
    if (Fun_UseAppFolder(home)) return true;
    say(QCoreApplication::translate("kq", "kq510：无法使用文件夹 %1").arg(home));
    return false;
}

// Technicians' commands, without windows.
struct Subcommand {
    const char* name;
    QString (*usage)();
    int (*run)(const QStringList& args);
};
const Subcommand kSubcommands[] = {
    {"send", kq::link::sendUsage, kq::link::runSendCommand},
    {"build", kq::show::buildUsage, kq::show::runBuild},
    {"inspect", kq::show::inspectUsage, kq::show::runInspect},
    {"preview", kq::show::previewUsage, kq::show::runPreview},
    {"download", kq::show::downloadUsage, kq::show::runDownload},
    {"upgrade", kq::show::upgradeUsage, kq::show::runUpgrade},
    {"fseq", kq::show::fseqUsage, kq::show::runFseq},
    {"from-fseq", kq::show::fromFseqUsage, kq::show::runFromFseq},
};

QString usage() {
    return QCoreApplication::translate(
               "kq",
               "用法：kq510 [--home DIR] [--capture x11|portal] [--lang zh|en]   主窗口\n"
               "      kq510 --factory-test [--home DIR]           工厂测试窗口\n"
               "      kq510 --r770-switch [--home DIR]            R-770检测开关\n"
               "      kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]\n"
               "      kq510 build [--material N] [--home DIR]\n"
               "      kq510 inspect FILE\n"
               "      kq510 preview --material N --out FILE.gif|FILE.webp|DIR/ [--model M] [--scale S] [--frames A-B]\n"
               "      kq510 download (--machine N | --all) [--home DIR]\n"
               "      kq510 upgrade --machine N FILE.bin [--home DIR]\n"
               "      kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none] [--per-controller DIR]\n"
               "      kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force]\n"
               "      kq510 --help | --version\n"
               "应用文件夹（设置、模型、素材）就是程序自己的文件夹，除非 --home 指定另一个。屏幕从X服务器复制，\n"
               "在Wayland会话中则通过桌面的门户（portal）共享；--capture（或设置 %1）选择其中一种。\n"
               "“kq510 命令 --help”说明一个命令。窗口和命令都使用 --lang 指定的语言（每个命令都接受它），\n"
               "否则用设置 %2（zh 或 en），否则按区域设置：zh_* 为中文，其他为英文。\n")
        .arg(kq::key::ScreenCapture, kq::key::InterfaceLanguage);
}

bool isHelp(const QString& a) {
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}

// A subcommand, in the QCoreApplication made for the command line; args are the program's.
int runTool(const Subcommand& tool, const QStringList& programArgs) {
    const QString home = applicationFolder(programArgs);
    if (!kq::useCommandLineLanguage(QStringLiteral("kq510"), programArgs, home)) return 2;
    const QStringList args = kq::withoutLanguageOption(programArgs).mid(2);
    for (const QString& a : args)
        if (isHelp(a)) {
            std::fputs(qPrintable(tool.usage()), stdout);
            return 0;
        }
    if (!useFolder(home)) return 2;
    kq::ConsoleDialogs console;
    kq::setDialogs(&console);
    const int status = tool.run(args);
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return status;
}

enum class Start { Window, FactoryTest, R770Switch, Help, Version };

bool takeCapture(const QString& name) {
    if (!kq::record::isCaptureName(name)) {
        say(QCoreApplication::translate("kq", "kq510：--capture 只能是 x11 或 portal，不能是“%1”").arg(name));
        return false;
    }
    kq::record::setCaptureOption(name);
    return true;
}

// What the window options ask for; anything else is refused before a window (or the display) is
// touched. --lang was checked already.
std::optional<Start> windowOptions(const QStringList& args) {
    Start start = Start::Window;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (isHelp(a)) {
            return Start::Help;
        } else if (a == QLatin1String("--version")) {
            return Start::Version;
        } else if (a == QLatin1String("--factory-test")) {
            start = Start::FactoryTest;
        } else if (a == QLatin1String("--r770-switch")) {
            start = Start::R770Switch;
        } else if (a == QLatin1String("--capture") && hasValue) {
            if (!takeCapture(args[++i])) return std::nullopt;
        } else if (a.startsWith(QLatin1String("--capture="))) {
            if (!takeCapture(a.mid(10))) return std::nullopt;
        } else if ((a == QLatin1String("--lang") && hasValue) || a.startsWith(QLatin1String("--lang="))) {
            if (!a.contains(QLatin1Char('='))) ++i;
        } else if (a.startsWith(QLatin1String("--home=")) && a.size() > 7) {
        } else if ((a == QLatin1String("--home") || a == QLatin1String("-platform") ||
                    a == QLatin1String("-display")) &&
                   hasValue) {
            ++i; // Qt's own -platform and -display pass through to it
        } else {
            say((a.startsWith(QLatin1Char('-')) ? QCoreApplication::translate("kq", "kq510：未知选项“%1”")
                                                : QCoreApplication::translate("kq", "kq510：未知命令“%1”"))
                    .arg(a));
            std::fputs(qPrintable(usage()), stderr);
            return std::nullopt;
        }
    }
    return start;
}

} // namespace

// The two stand-alone tool windows: kq510 --factory-test, kq510 --r770-switch.
template <typename Window> int runToolWindow() {
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
    Start start = Start::Window;
    {
        // The command line is read, and help, the version, refusals and the commands speak, in a
        // QCoreApplication of its own: the chosen language's texts without touching the display.
        QCoreApplication console(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("KQ-510"));
        const QStringList args = QCoreApplication::arguments();
        for (const Subcommand& tool : kSubcommands)
            if (args.size() > 1 && args[1] == QLatin1String(tool.name)) return runTool(tool, args);
        if (!kq::useCommandLineLanguage(QStringLiteral("kq510"), args, applicationFolder(args))) return 2;
        const std::optional<Start> asked = windowOptions(args);
        if (!asked) return 2;
        start = *asked;
        if (start == Start::Help) {
            std::fputs(qPrintable(usage()), stdout);
            return 0;
        }
        if (start == Start::Version) {
            std::printf("kq510 %s (KQ-510 V1.8)\n", KQ510_VERSION);
            return 0;
        }

        // The position window needs screen coordinates, which only X11 gives: in a Wayland session that
        // also offers X11 (XWayland), the windows run there; the screen itself is shared by the desktop.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            if (!qEnvironmentVariableIsEmpty("DISPLAY"))
                qputenv("QT_QPA_PLATFORM", "xcb");
            else
                say(QCoreApplication::translate("kq", "kq510：这个Wayland会话没有提供X11（XWayland）：位置窗口无法知道"
                                                      "自己在哪里，采样的区域可能在别处"));
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows' language is the one the command line was read in, put in place for this application.
    const QStringList args = QCoreApplication::arguments();
    const QString home = applicationFolder(args);
    kq::useCommandLineLanguage(QStringLiteral("kq510"), args, home);
    if (!useFolder(home)) return 2;
    if (start == Start::FactoryTest) return runToolWindow<FactoryTestWindow>();
    if (start == Start::R770Switch) return runToolWindow<R770SwitchWindow>();

    kq::QtDialogs qtDialogs;
    kq::setDialogs(&qtDialogs);

    MainWindow mainWindow;
    mainWindow.openAtStart();
    kq::SchedulerHooks& hooks = kq::schedulerHooks();
    mainWindow.installSchedulerHooks(hooks);
    hooks.sendExitCommand = Fun_SendExitCommand;
    kq::TaskScheduler scheduler(g_FramePeriodMs);
    kq::Fun_RunLoop(scheduler);
    hooks = {};
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return 0;
}
