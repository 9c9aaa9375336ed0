// kq510-tour --home DIR [--capture x11|portal]: opens the program's windows one after another on the
// application folder DIR, as a user would reach them, for the README's pictures (scripts/screenshots.sh).
// Before each picture it prints "ready NAME" and waits for a line on standard input; the program's loop
// (the scheduler's tasks and the events) runs all the while, so the live output keeps going.
#include "app/main_window.h"
#include "core/clock.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/language.h"
#include "core/scheduler.h"
#include "core/shared_state.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "model/model_canvas.h"
#include "model/model_data.h"
#include "model/modelling_window.h"
#include "record/platform_capture.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "show/frame_store.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QWheelEvent>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr char kUsage[] = "usage: kq510-tour --home DIR [--capture x11|portal] [--lang zh|en]\n"
                          "Opens the main window on the application folder DIR and goes through the windows\n"
                          "the README shows. Before each picture it prints \"ready NAME\" and waits for a line\n"
                          "on standard input. scripts/screenshots.sh runs it on a private virtual screen.\n";

// A step that cannot go on: the tour ends with exit code 1 and says why.
struct TourError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString& why) {
    throw TourError(why.toStdString());
}

template <typename T> T& child(const QObject& root, const char* name) {
    T* found = root.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        fail(QStringLiteral("%1 has no %2 named %3")
                 .arg(root.objectName(), QString::fromUtf8(T::staticMetaObject.className()), QString::fromUtf8(name)));
    return *found;
}

template <typename T> T& only(const QObject& root) {
    T* found = root.findChild<T*>();
    if (!found)
        fail(QStringLiteral("%1 has no %2").arg(root.objectName(), QString::fromUtf8(T::staticMetaObject.className())));
    return *found;
}

// A window of its own (the machine windows and the version notes have no parent).
QWidget& topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QString::fromUtf8(name)) return *w;
    fail(QStringLiteral("no window named %1 is open").arg(QString::fromUtf8(name)));
}

// The material the editor is zoomed in on: a row in the middle of model 2 (the demo's full installation),
// and the scale the canvas is zoomed to.
constexpr int kZoomMaterial = 1013;
constexpr int kZoomedScale = 7;

class Tour {
public:
    Tour(MainWindow& main, kq::TaskScheduler& scheduler) : main_(main), scheduler_(scheduler) {
        QObject::connect(&input_, &QSocketNotifier::activated, [this] { readInput(); });
    }

    void run();

private:
    // Runs the program's loop as Fun_RunLoop does until done() holds or ms milliseconds have passed;
    // true when done() held.
    template <typename Done> bool runUntil(Done done, uint32_t ms);
    void runFor(uint32_t ms) {
        runUntil([] { return false; }, ms);
    }
    void readInput();
    // Brings the window to the front; one that nothing placed (there is no window manager on the
    // virtual screen) goes to the middle of the screen.
    void front(QWidget& window);
    void maximise(QWidget& window);
    // Lets the windows settle, says "ready NAME" and waits for the line that says the picture is taken.
    void picture(const char* name, uint32_t settleMs);
    QAction& action(const char* name) { return child<QAction>(main_, name); }

    void mainRecording();
    void preview();
    ModellingWindow& editorFitted();
    void editorZoomed(ModellingWindow& editor);
    void machineParameters();
    void chipIds();
    void controllers();
    void versionNotes();

    MainWindow& main_;
    kq::TaskScheduler& scheduler_;
    QSocketNotifier input_{STDIN_FILENO, QSocketNotifier::Read};
    int linesWaiting_ = 0;
    bool inputClosed_ = false;
};

template <typename Done> bool Tour::runUntil(Done done, uint32_t ms) {
    kq::Clock& clock = kq::appClock();
    kq::EventPump& pump = kq::appPump();
    const uint32_t deadline = clock.nowMs() + ms;
    for (;;) {
        pump.pumpPending();
        if (!g_PauseTasks) scheduler_.runDue(clock.nowMs());
        pump.pumpPending();
        if (done()) return true;
        const uint32_t now = clock.nowMs();
        if (kq::msBetween(now, deadline) <= 0) return false;
        uint32_t until = deadline;
        if (!g_PauseTasks) {
            const uint32_t due = scheduler_.nextDue(now);
            if (kq::msBetween(due, deadline) > 0) until = due;
        }
        pump.waitForEvents(until);
    }
}

void Tour::readInput() {
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        inputClosed_ = true;
        input_.setEnabled(false);
        return;
    }
    for (ssize_t i = 0; i < n; ++i)
        if (buffer[i] == '\n') ++linesWaiting_;
}

void Tour::front(QWidget& window) {
    window.show();
    runFor(100);
    if (!window.testAttribute(Qt::WA_Moved) && window.screen()) {
        // The screen's bottom left corner, below the pattern.
        QRect place = window.frameGeometry();
        place.moveBottomLeft(window.screen()->availableGeometry().bottomLeft() + QPoint(8, -8));
        window.move(place.topLeft());
    }
    window.raise();
    window.activateWindow();
}

void Tour::maximise(QWidget& window) {
    window.showMaximized();
    runFor(300);
    // Without a window manager nobody honours the request: the window takes the screen's free area itself.
    if (QScreen* screen = window.screen(); screen && window.width() < screen->availableGeometry().width() * 9 / 10)
        window.setGeometry(screen->availableGeometry());
    runFor(300);
}

void Tour::picture(const char* name, uint32_t settleMs) {
    runFor(settleMs);
    std::printf("ready %s\n", name);
    std::fflush(stdout);
    if (!runUntil([this] { return linesWaiting_ > 0 || inputClosed_; }, 120000))
        fail(QStringLiteral("nobody took the picture %1 within two minutes").arg(QString::fromUtf8(name)));
    if (linesWaiting_ == 0)
        fail(QStringLiteral("standard input closed before the picture %1 was taken").arg(QString::fromUtf8(name)));
    --linesWaiting_;
}

// The main window as it starts, in state "录制": the position window over the moving pattern and its
// picture on the right of the main window.
void Tour::mainRecording() {
    if (!runUntil([this] { return main_.initialised(); }, 5000)) fail(QStringLiteral("the main window did not start"));
    if (!main_.Fun_录制界面判断()) fail(QStringLiteral("the main window did not start in state 录制"));
    front(main_);
    PositionWindow* position = main_.positionWindow();
    if (!position) fail(QStringLiteral("the main window has no position window"));
    runFor(500);
    if (!position->isVisible()) fail(QStringLiteral("the position window is not shown in state 录制"));
    position->raise();
    picture("main-recording", 2000);
}

// A few seconds of the moving pattern recorded as show material 1 ("RGB录制", then "停止录制"), and the
// preview window playing it on the model, opened from "素材编辑".
void Tour::preview() {
    auto& record = child<QPushButton>(main_, "Command录制方式0");
    auto& stop = child<QPushButton>(main_, "Command停止录制");
    record.click();
    if (!runUntil([&stop] { return stop.isEnabled(); }, 3000))
        fail(QStringLiteral("RGB录制 did not start a recording"));
    runFor(3000);
    stop.click();
    const auto recorded = [] {
        for (int m = 1; m <= kMaxMachine; ++m)
            for (int k = 1; k <= kShowMaterials; ++k)
                if (Fun_ReadFrameCount(kq::show::frameFilePath(g_AppFolder, m, k)) > 0) return true;
        return false;
    };
    const kq::record::LiveOutput& live = only<RecordingPanel>(main_).liveOutput();
    if (!runUntil([&] { return recorded() && !live.recording && !live.stopRequest; }, 5000))
        fail(QStringLiteral("the recording left no frame files in %1/Q_glow").arg(g_AppFolder));
    child<QRadioButton>(main_, "Option连接状态2").click();
    child<QPushButton>(main_, "Command素材预览").click();
    QWidget& window = topLevel("Form预览");
    front(window);
    child<QPushButton>(window, "Command预览播放").click();
    runFor(1000);
    picture("preview", 500);
    window.close();
    child<QRadioButton>(main_, "Option连接状态1").click();
}

// Model 2 chosen in the model menu, the editor opened from "建模", maximised and zoomed to show it all.
ModellingWindow& Tour::editorFitted() {
    action("CD_模型2").trigger();
    if (g_CurModel != 2) fail(QStringLiteral("the model menu did not choose model 2"));
    action("CD建模").trigger();
    ModellingWindow* editor = main_.modellingWindow();
    if (!editor || !editor->isVisible()) fail(QStringLiteral("建模 opened no editor"));
    if (!runUntil([editor] { return editor->initialised(); }, 5000))
        fail(QStringLiteral("the editor did not initialise"));
    maximise(*editor);
    if (auto* fit = editor->findChild<QPushButton*>(QStringLiteral("Command适合窗口"))) {
        fit->click();
    } else {
        // The canvas was centred for its size before the window grew: centred again at its first scale.
        std::fputs("kq510-tour: the editor has no button Command适合窗口; the canvas is only centred (原点)\n", stderr);
        child<QPushButton>(*editor, "Command原点").click();
    }
    editor->raise();
    editor->activateWindow();
    picture("editor-model2-fitted", 500);
    return *editor;
}

// A material chosen in the list and the canvas zoomed in on it with the wheel.
void Tour::editorZoomed(ModellingWindow& editor) {
    auto& list = child<QListWidget>(editor, "List素材列表");
    auto& canvas = child<ModelCanvas>(editor, "Picture模型");
    list.setCurrentRow(kZoomMaterial - 1, QItemSelectionModel::ClearAndSelect);
    if (QListWidgetItem* item = list.currentItem()) list.scrollToItem(item, QAbstractItemView::PositionAtCenter);
    if (g_CurMaterial != kZoomMaterial)
        fail(QStringLiteral("choosing row %1 of the material list did not make it current").arg(kZoomMaterial));
    const T_Material& t = g_Materials[currentModel()][kZoomMaterial];
    for (int notch = 0; notch < 40 && canvas.view().scale < kZoomedScale; ++notch) {
        const QPointF at = canvas.view().toCanvas((t.Coord[1] + t.Coord[3]) / 2, (t.Coord[2] + t.Coord[4]) / 2);
        if (!canvas.rect().contains(at.toPoint()))
            fail(QStringLiteral("material %1 lies outside the canvas").arg(kZoomMaterial));
        QWheelEvent wheel(at, canvas.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&canvas, &wheel);
        runFor(30);
    }
    if (canvas.view().scale < kZoomedScale) fail(QStringLiteral("the wheel did not zoom the canvas in"));
    picture("editor-zoomed", 500);
}

// Back in the main window, state "下载文件", "设置 (通过ID)": machine 1's parameters from the stand-ins.
void Tour::machineParameters() {
    if (!runUntil([this] { return main_.isVisible(); }, 2000))
        fail(QStringLiteral("the main window did not come back when the editor closed"));
    // Back to the demo's model 1, so that the position window has its size again.
    action("CD_模型1").trigger();
    child<QRadioButton>(main_, "Option连接状态5").click();
    child<QPushButton>(main_, "Command设置机器").click();
    QWidget& window = topLevel("Form设置机器");
    auto& set = child<QPushButton>(window, "Command设置");
    if (!set.isEnabled()) {
        // The read happens while the button is handled; a second try for a machine that was slow.
        child<QRadioButton>(window, "Option机器1").click();
        if (!runUntil([&set] { return set.isEnabled(); }, 2000))
            fail(QStringLiteral("machine 1 did not send its parameters: are the stand-in machines running?"));
    }
    front(window);
    picture("machine-parameters", 500);
    window.close();
}

// "通过序列号设置ID": every stand-in machine listed by its chip serial.
void Tour::chipIds() {
    child<QPushButton>(main_, "Command通过机器序列号设置ID").click();
    QWidget& window = topLevel("Form芯片序列设置ID");
    auto& list = child<QListWidget>(window, "List列表");
    if (!runUntil([&list] { return list.count() > 0; }, 3000))
        fail(QStringLiteral("no machine answered the chip listing: are the stand-in machines running?"));
    front(window);
    picture("chip-ids", 500);
    window.close();
}

// "控制器设置": the demo's machines 3, 4 and 5 as an E1.31, an Art-Net and a DDP controller.
void Tour::controllers() {
    child<QPushButton>(main_, "Command控制器设置").click();
    QWidget& window = topLevel("Form控制器设置");
    front(window);
    picture("controllers", 500);
    window.close();
}

// The menu "版本说明".
void Tour::versionNotes() {
    action("CD版本说明").trigger();
    QWidget& window = topLevel("Form版本说明");
    front(window);
    picture("version-notes", 500);
    window.close();
}

void Tour::run() {
    mainRecording();
    preview();
    ModellingWindow& editor = editorFitted();
    editorZoomed(editor);
    editor.close(); // saves the model file into the application folder
    machineParameters();
    chipIds();
    controllers();
    versionNotes();
}

// The windows the tour opens besides the main window.
const QStringList kToolWindows = {QStringLiteral("Form建模"),           QStringLiteral("Form设置机器"),
                                  QStringLiteral("Form芯片序列设置ID"), QStringLiteral("Form版本说明"),
                                  QStringLiteral("Form控制器设置"),     QStringLiteral("Form预览")};

bool useFolder(const QString& home) {
    if (Fun_UseAppFolder(home)) return true;
    std::fprintf(stderr, "kq510-tour: cannot use the folder %s\n", qPrintable(home));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // A tour never talks to real machines.
    qputenv("KQ510_LOOPBACK_ONLY", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb"); // the position window needs screen coordinates, as in kq510

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQ-510"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments();
    QString home;
    kq::Language language = kq::Language::Chinese;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == QLatin1String("--home") && i + 1 < args.size()) {
            home = QDir(args[++i]).absolutePath();
        } else if (a == QLatin1String("--lang") && i + 1 < args.size() && kq::languageNamed(args[i + 1])) {
            language = *kq::languageNamed(args[++i]);
        } else if (a == QLatin1String("--capture") && i + 1 < args.size() && kq::record::isCaptureName(args[i + 1])) {
            kq::record::setCaptureOption(args[++i]);
        } else {
            std::fprintf(stderr, "kq510-tour: unknown or incomplete option '%s'\n%s", qPrintable(a), kUsage);
            return 2;
        }
    }
    if (home.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!useFolder(home)) return 2;
    if (!kq::useLanguage(language)) {
        std::fputs("kq510-tour: the English texts cannot be loaded\n", stderr);
        return 2;
    }

    // A message box would stop the tour: messages go to standard error, questions are answered No.
    kq::ConsoleDialogs console;
    kq::setDialogs(&console);

    int status = 0;
    {
        MainWindow mainWindow;
        mainWindow.openAtStart();
        kq::SchedulerHooks& hooks = kq::schedulerHooks();
        mainWindow.installSchedulerHooks(hooks);
        kq::TaskScheduler scheduler(g_FramePeriodMs);
        try {
            Tour(mainWindow, scheduler).run();
        } catch (const TourError& e) {
            std::fprintf(stderr, "kq510-tour: %s\n", e.what());
            status = 1;
        }
        // What a failed step left open closes too (the editor saves the model file as it closes).
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && kToolWindows.contains(w->objectName())) w->close();
        mainWindow.close();
        Fun_SendExitCommand();
        Fun_Delay(10);
        hooks = {};
    }
    Fun_UnloadFormUdp();
    kq::setDialogs(nullptr);
    return status;
}
