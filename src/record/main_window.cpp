#include "main_window.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/udp_host.h"

#include <QCloseEvent>
#include <QFrame>
#include <QTimer>

#include <cstdint>

namespace {
constexpr int kInitDelayMs = 10;
constexpr int kInitialHeightTwips = 6400;
constexpr int kEdgeMarginTwips = 1500;
constexpr int kFallbackTwips = 100;

int toPixels(int twips) { return twips / kTwipsPerPixel; }
} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form_主界面"));

    auto* background = new QFrame(this);
    background->setObjectName(QStringLiteral("Picture背景"));
    background->setAutoFillBackground(true);
    setCentralWidget(background);

    Frame遮挡 = new QFrame(background);
    Frame遮挡->setObjectName(QStringLiteral("Frame遮挡"));

    Timer主界面初始化 = new QTimer(this);
    Timer主界面初始化->setObjectName(QStringLiteral("Timer主界面初始化"));
    Timer主界面初始化->setSingleShot(true);
    Timer主界面初始化->setTimerType(Qt::PreciseTimer);
    connect(Timer主界面初始化, &QTimer::timeout, this, [this] { Fun主界面初始化(); });

    resize(720, toPixels(kInitialHeightTwips));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loaded_) onLoad();
}

void MainWindow::onLoad() {
    loaded_ = true;
    setWindowTitle(g_AppTitle);
    Timer主界面初始化->start(kInitDelayMs);
}

void MainWindow::Fun主界面初始化() {
    if (initialised_) return;
    initialised_ = true;
    Frame遮挡->move(Frame遮挡->x(), 0);
    resize(width(), toPixels(kInitialHeightTwips));
    g_SlotSize = 13500;
    Form_UDP();
    QPalette pal = centralWidget()->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xFF));
    centralWidget()->setPalette(pal);
}

void MainWindow::Fun_主界面位置() {
    int topTwips = y() * kTwipsPerPixel;
    int leftTwips = x() * kTwipsPerPixel;
    const int savedTop = Fun_ReadIniNumber(g_IniPath, QStringLiteral("主窗体top"), 0, INT32_MIN, INT32_MAX);
    const int savedLeft = Fun_ReadIniNumber(g_IniPath, QStringLiteral("主窗体left"), 0, INT32_MIN, INT32_MAX);
    if (savedTop > 0) topTwips = savedTop;
    if (savedLeft > 0) leftTwips = savedLeft;
    if (topTwips > Fun_ScreenSize(4) - kEdgeMarginTwips || leftTwips > Fun_ScreenSize(3) - kEdgeMarginTwips) {
        topTwips = kFallbackTwips;
        leftTwips = kFallbackTwips;
    }
    move(toPixels(leftTwips), toPixels(topTwips));
    g_MainWinSavedTop = topTwips;
    g_MainWinSavedLeft = leftTwips;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    g_MainClosing = true;
    g_ExitRequested = true;
    event->accept();
}
