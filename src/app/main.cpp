#include "admin/tool_windows.h"
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/language.h"
#include "core/qt_dialogs.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
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
#include <QLocale>
#include <cstdio>
#include <cstring>
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

bool useFolder(const QString& home) {
    if (Fun_UseAppFolder(home)) return true;
    std::fprintf(stderr, "kq510: cannot use the folder %s\n", qPrintable(home));
    return false;
}

// Technicians' commands, without windows.
struct Subcommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& args);
};
const Subcommand kSubcommands[] = {
    {"send", kq::link::kSendUsage, kq::link::runSendCommand},
    {"build", kq::show::kBuildUsage, kq::show::runBuild},
    {"inspect", kq::show::kInspectUsage, kq::show::runInspect},
    {"preview", kq::show::kPreviewUsage, kq::show::runPreview},
    {"download", kq::show::kDownloadUsage, kq::show::runDownload},
    {"upgrade", kq::show::kUpgradeUsage, kq::show::runUpgrade},
};

constexpr char kUsage[] =
    "usage: kq510 [--home DIR] [--capture x11|portal] [--lang zh|en]   the main window\n"
    "       kq510 --factory-test [--home DIR]           the factory test window\n"
    "       kq510 --r770-switch [--home DIR]            the R-770 detection switch\n"
    "       kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]\n"
    "       kq510 build [--material N] [--home DIR]\n"
    "       kq510 inspect FILE\n"
    "       kq510 preview --material N --out FILE.gif|FILE.webp|DIR/ [--model M] [--scale S] [--frames A-B]\n"
    "       kq510 download (--machine N | --all) [--home DIR]\n"
    "       kq510 upgrade --machine N FILE.bin [--home DIR]\n"
    "       kq510 --help | --version\n"
    "The application folder (settings, models, shows) is the program's own folder unless --home names\n"
    "another. The screen is copied from the X server, or in a Wayland session shared through the\n"
    "desktop's portal; --capture (or the setting 截屏方式) picks one. 'kq510 COMMAND --help' describes a\n"
    "command. The windows speak the language of --lang, else of the setting 界面语言 (zh or en), else\n"
    "of the locale: Chinese for zh_*, English for any other.\n";

bool isHelp(const char* a) {
    return std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0;
}

int runTool(const Subcommand& tool, int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (isHelp(argv[i])) {
            std::fputs(tool.usage, stdout);
            return 0;
        }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("KQ-510"));
    const QStringList args = QCoreApplication::arguments();
    if (!useFolder(applicationFolder(args))) return 2;
    kq::ConsoleDialogs console;
    kq::setDialogs(&console);
    const int status = tool.run(args.mid(2));
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return status;
}

enum class Window { Main, FactoryTest, R770Switch };

bool takeCapture(const char* name) {
    if (!kq::record::isCaptureName(QString::fromUtf8(name))) {
        std::fprintf(stderr, "kq510: --capture takes x11 or portal, not '%s'\n", name);
        return false;
    }
    kq::record::setCaptureOption(QString::fromUtf8(name));
    return true;
}

// The window options; anything else is refused before a window (or the display) is touched.
std::optional<Window> windowOptions(int argc, char** argv) {
    Window window = Window::Main;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--factory-test") == 0) {
            window = Window::FactoryTest;
        } else if (std::strcmp(a, "--r770-switch") == 0) {
            window = Window::R770Switch;
        } else if (std::strcmp(a, "--capture") == 0 && i + 1 < argc) {
            if (!takeCapture(argv[++i])) return std::nullopt;
        } else if (std::strncmp(a, "--capture=", 10) == 0) {
            if (!takeCapture(a + 10)) return std::nullopt;
        } else if ((std::strcmp(a, "--lang") == 0 && i + 1 < argc) || std::strncmp(a, "--lang=", 7) == 0) {
            const char* name = a[6] == '=' ? a + 7 : argv[++i];
            if (!kq::languageNamed(QString::fromUtf8(name))) {
                std::fprintf(stderr, "kq510: --lang takes zh or en, not '%s'\n", name);
                return std::nullopt;
            }
        } else if (std::strncmp(a, "--home=", 7) == 0 && a[7] != '\0') {
        } else if ((std::strcmp(a, "--home") == 0 || std::strcmp(a, "-platform") == 0 ||
                    std::strcmp(a, "-display") == 0) &&
                   i + 1 < argc) {
            ++i; // Qt's own -platform and -display pass through to it
        } else {
            std::fprintf(stderr, "kq510: unknown %s '%s'\n%s", a[0] == '-' ? "option" : "command", a, kUsage);
            return std::nullopt;
        }
    }
    return window;
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
    if (argc > 1 && isHelp(argv[1])) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kq510 %s (KQ-510 V1.8)\n", KQ510_VERSION);
        return 0;
    }
    for (const Subcommand& tool : kSubcommands)
        if (argc > 1 && std::strcmp(argv[1], tool.name) == 0) return runTool(tool, argc, argv);
    const std::optional<Window> window = windowOptions(argc, argv);
    if (!window) return 2;

    // The position window needs screen coordinates, which only X11 gives: in a Wayland session that
    // also offers X11 (XWayland), the windows run there; the screen itself is shared by the desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        else
            std::fprintf(stderr, "kq510: this Wayland session offers no X11 (XWayland): the position window "
                                 "cannot tell where it lies, and the area may be sampled elsewhere\n");
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!useFolder(applicationFolder(QCoreApplication::arguments()))) return 2;
    const kq::Language language = kq::chooseLanguage(
        QCoreApplication::arguments(), Fun_ReadIni(g_IniPath, kq::key::InterfaceLanguage), QLocale::system().name());
    if (!kq::useLanguage(language))
        std::fputs("kq510: the English texts cannot be loaded; the interface is Chinese\n", stderr);
    if (*window == Window::FactoryTest) return runToolWindow<FactoryTestWindow>();
    if (*window == Window::R770Switch) return runToolWindow<R770SwitchWindow>();

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
