#include "main_window.h"

#include "admin/chip_id_window.h"
#include "admin/dmx_panel.h"
#include "admin/led_test_panel.h"
#include "admin/machine_parameters_window.h"
#include "admin/network_menu.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/language.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "core/window_place.h"
#include "link/controllers_window.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "model/model_file.h"
#include "model/model_menus.h"
#include "model/modelling_window.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "show/download_panel.h"
#include "show/file_panel.h"
#include "show/preview_window.h"
#include "show/review_panel.h"
#include "show/version_notes.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kInitDelayMs = 10;
} // namespace

MainWindow::MainWindow(kq::record::ScreenCapture* capture, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form_主界面"));
    // The position window marks the sampled area where it is; the main window places itself beside it.
    qApp->installEventFilter(
        new kq::WindowsOnScreen({QStringLiteral("Form位置示意"), QStringLiteral("Form_主界面")}, this));
    auto* background = new QFrame(this);
    background->setObjectName(QStringLiteral("Picture背景"));
    background->setAutoFillBackground(true);
    setCentralWidget(background);
    Frame遮挡 = new QFrame(background);
    Frame遮挡->setObjectName(QStringLiteral("Frame遮挡"));
    Frame遮挡->setGeometry(0, 0, 0, 0);

    menus_ = new ModelMenus(menuBar(), this);
    QAction* CD建模 = menuBar()->addAction(tr("建模"));
    CD建模->setObjectName(QStringLiteral("CD建模"));
    connect(CD建模, &QAction::triggered, this, [this] { CD建模_Click(); });
    auto* network = new NetworkMenu(menuBar(), this);
    connect(network, &NetworkMenu::controllersRequested, this, &MainWindow::showControllers);
    QAction* CD版本说明 = menuBar()->addAction(tr("版本说明"));
    CD版本说明->setObjectName(QStringLiteral("CD版本说明"));
    // The language chosen here takes effect at the next start: every window is made in it.
    QMenu* CD语言 = menuBar()->addMenu(tr("语言"));
    CD语言->setObjectName(QStringLiteral("CD语言"));
    auto* languages = new QActionGroup(CD语言);
    for (const kq::Language l : {kq::Language::Chinese, kq::Language::English}) {
        // Each language is named in itself, so that either can be found whatever the interface speaks.
        QAction* a = CD语言->addAction(l == kq::Language::Chinese ? QStringLiteral("中文") : QStringLiteral("English"));
        a->setObjectName(QStringLiteral("CD语言") + kq::languageName(l));
        a->setCheckable(true);
        a->setChecked(l == kq::currentLanguage());
        languages->addAction(a);
        connect(a, &QAction::triggered, this, [l] {
            Fun_WriteIni(g_IniPath, kq::key::InterfaceLanguage, kq::languageName(l));
            if (l != kq::currentLanguage()) Fun_MsgBox(tr("界面语言已保存，下次启动程序时生效。"));
        });
    }
    connect(CD版本说明, &QAction::triggered, this, [this] {
        if (!versionNotes_) versionNotes_ = new VersionNotesDialog;
        versionNotes_->show();
        versionNotes_->raise();
    });
    recording_ = new RecordingPanel(*menus_, capture);
    review_ = new ReviewPanel;
    dmx_ = new DmxPanel;
    ledTest_ = new LedTestPanel;
    download_ = new DownloadPanel;
    files_ = new FilePanel([this] { return review_->selectedMaterial(); });

    auto* layout = new QHBoxLayout(background);
    auto* left = new QVBoxLayout;
    QWidget* selector = buildStateSelector();
    const std::initializer_list<QWidget*> panels{recording_, review_, dmx_, ledTest_, download_, files_};
    left->addWidget(selector);
    for (QWidget* panel : panels)
        left->addWidget(panel);
    left->addStretch(1);
    layout->addLayout(left);
    layout->addWidget(recording_->pictureWidget(), 0, Qt::AlignTop | Qt::AlignLeft);
    layout->addStretch(1);
    // The left column is as wide as its widest panel in every state: a column that followed the panel
    // shown would move the selector's buttons and the picture with every change of state.
    // (A group box's title counts in its minimum size only.)
    const auto widthNeeded = [](const QWidget* w) { return w->sizeHint().expandedTo(w->minimumSizeHint()).width(); };
    int columnWidth = widthNeeded(selector);
    for (QWidget* panel : panels)
        columnWidth = std::max(columnWidth, widthNeeded(panel));
    selector->setFixedWidth(columnWidth);
    for (QWidget* panel : panels)
        panel->setFixedWidth(columnWidth);
    showPanels();

    // The show material is one for recording and review; its note follows it.
    connect(recording_, &RecordingPanel::materialChosen, review_, &ReviewPanel::Fun_素材说明调入);
    connect(review_, &ReviewPanel::materialChosen, recording_, &RecordingPanel::setCurrentMaterial);
    connect(download_, &DownloadPanel::transferRunning, files_,
            [this](bool running) { files_->setBuildEnabled(!running); });
    connect(files_, &FilePanel::buildRunning, this, [this](bool running) { Fun_EnableEditControls(!running); });
    connect(files_, &FilePanel::modelsLoaded, menus_, &ModelMenus::Fun_模型菜单显示);
    connect(review_, &ReviewPanel::previewRequested, this, &MainWindow::showPreview);
    connect(files_, &FilePanel::previewRequested, this, &MainWindow::showPreview);
    // The machine administration windows: created on first use, not modal.
    connect(download_, &DownloadPanel::machineSetupRequested, this, [this] {
        if (!machineParameters_) machineParameters_ = new MachineParametersWindow;
        machineParameters_->open();
    });
    connect(download_, &DownloadPanel::controllersRequested, this, &MainWindow::showControllers);
    connect(download_, &DownloadPanel::chipSetupRequested, this, [this] {
        if (!chipIds_) chipIds_ = new ChipIdWindow;
        chipIds_->Fun_Form芯片序列设置ID_show();
    });

    kq::link::pluginMessageHandler() = [this](const QByteArray& message) { recording_->pluginMessage(message); };
    recording_->liveOutput().hooks.recordingScreenSelected = [this] { return Fun_录制界面判断(); };

    Timer主界面初始化 = new QTimer(this);
    Timer主界面初始化->setObjectName(QStringLiteral("Timer主界面初始化"));
    Timer主界面初始化->setSingleShot(true);
    Timer主界面初始化->setTimerType(Qt::PreciseTimer);
    connect(Timer主界面初始化, &QTimer::timeout, this, [this] { Fun主界面初始化(); });
    fitToPanel();
}

MainWindow::~MainWindow() {
    kq::link::pluginMessageHandler() = nullptr;
    delete modelling_;
}

void MainWindow::showControllers() {
    if (!controllers_) {
        controllers_ = new ControllersWindow(this);
        // The output takes the saved table from the next tick on.
        connect(controllers_, &ControllersWindow::saved, this, [] { Form_UDP().reloadControllers(); });
    }
    controllers_->open();
}

void MainWindow::showPreview(int material) {
    if (!preview_) preview_ = new PreviewWindow(this);
    preview_->openMaterial(material);
}

void MainWindow::CD建模_Click() {
    // The editor stops the frame step: a recording would lose its frames, or record the editor.
    const kq::record::LiveOutput& live = recording_->liveOutput();
    if (live.recording || live.startRequest || live.stopRequest) {
        Fun_MsgBox(tr("正在录制，请先停止录制再建模。"));
        return;
    }
    if (!modelling_) {
        modelling_ = new ModellingWindow;
        modelling_->liveTestStep = [this] { recording_->Fun_截屏操作(QStringLiteral("建模测试")); };
        connect(modelling_, &ModellingWindow::testToggled, this, [this](bool on) {
            if (PositionWindow* p = positionWindow()) p->setVisible(on);
        });
        connect(modelling_, &ModellingWindow::closed, this, [this] {
            show();
            recording_->Fun_位置窗体显示判断();
            menus_->Fun_模型菜单显示();
            menus_->Fun_y颜色选择菜单显示();
        });
    }
    g_ModellingOpen = 1;
    hide();
    if (PositionWindow* p = positionWindow()) p->hide();
    modelling_->open();
}

void MainWindow::pluginStep() {
    recording_->pluginTick(Fun_录制界面判断());
}

void MainWindow::modellingTestStep() {
    if (modelling_) modelling_->Fun_发送建模测试数据();
}

QWidget* MainWindow::buildStateSelector() {
    auto* box = new QGroupBox(tr("操作状态"));
    box->setObjectName(QStringLiteral("Frame操作状态"));
    auto* grid = new QGridLayout(box);
    const char* const captions[] = {QT_TR_NOOP("断开"),       QT_TR_NOOP("录制"),     QT_TR_NOOP("素材编辑"),
                                    QT_TR_NOOP("DMX512模拟"), QT_TR_NOOP("测试灯带"), QT_TR_NOOP("下载文件"),
                                    QT_TR_NOOP("文件操作")};
    for (int k = 0; k < kOperationStates; ++k) {
        Option连接状态[size_t(k)] = new QRadioButton(tr(captions[k]), box);
        Option连接状态[size_t(k)]->setObjectName(QStringLiteral("Option连接状态%1").arg(k));
        grid->addWidget(Option连接状态[size_t(k)], k / 4, k % 4);
        connect(Option连接状态[size_t(k)], &QRadioButton::clicked, this,
                [this, k] { Option连接状态_Click(OperationState(k)); });
    }
    Option连接状态[size_t(state_)]->setChecked(true);
    return box;
}

kq::StatePanel* MainWindow::panelFor(OperationState state) const {
    switch (state) {
    case OperationState::Recording:
        return recording_;
    case OperationState::Review:
        return review_;
    case OperationState::Dmx512:
        return dmx_;
    case OperationState::LedTest:
        return ledTest_;
    case OperationState::Download:
        return download_;
    case OperationState::FileOperations:
        return files_;
    case OperationState::Disconnected:
        break;
    }
    return nullptr;
}

void MainWindow::showPanels() {
    for (int k = 0; k < kOperationStates; ++k)
        if (kq::StatePanel* p = panelFor(OperationState(k))) p->setVisible(OperationState(k) == state_);
    recording_->pictureWidget()->setVisible(state_ == OperationState::Recording);
}

void MainWindow::fitToPanel() {
    // The layouts are brought up to date first: until then the window's minimum size still holds the
    // panel shown before, and a smaller size would not be taken.
    centralWidget()->layout()->invalidate();
    centralWidget()->layout()->activate();
    layout()->invalidate();
    layout()->activate();
    // Not adjustSize(): it would hold the window to two thirds of the screen, below what a panel needs.
    resize(sizeHint());
    placeBesideArea();
}

void MainWindow::placeBesideArea() {
    if (!isVisible()) return;
    const PositionWindow* p = positionWindow();
    const QRect area = p && p->isVisible() ? p->frameGeometry() : QRect();
    const QPoint at = kq::placeBeside(frameGeometry(), kq::availableAreaOf(*this), area);
    if (at != frameGeometry().topLeft()) move(at);
}

void MainWindow::Option连接状态_Click(OperationState state) {
    if (state != state_) {
        state_ = state;
        recording_->liveOutput().captureSwitch = int(state);
        if (state == OperationState::Recording) {
            recording_->showCurrentMaterial();
            recording_->liveOutput().retryCapture();
        }
        if (state == OperationState::Review) review_->showMaterial(recording_->currentMaterial());
    }
    Option连接状态[size_t(state)]->setChecked(true);
    showPanels();
    fitToPanel();
    recording_->Fun_位置窗体显示判断();
    recording_->Combo素材_Click();
}

void MainWindow::Fun_连接状态时间循环() {
    if (g_ModellingOpen) return;
    if (state_ == OperationState::Disconnected)
        Fun_SendExitCommand();
    else if (kq::StatePanel* p = panelFor(state_))
        p->cycle();
}

void MainWindow::Fun_EnableEditControls(bool enabled) {
    files_->setBuildControlsEnabled(enabled);
    review_->setEditControlsEnabled(enabled);
}

void MainWindow::Fun_Timer截屏时间() {
    recording_->Fun_Timer截屏时间();
}

PositionWindow* MainWindow::positionWindow() const {
    return recording_->positionWindow();
}

void MainWindow::coverToTop() {
    Frame遮挡->move(Frame遮挡->x(), 0);
}

void MainWindow::openAtStart() {
    coverToTop();
    show();
    Fun_主界面位置();
    kq::appPump().pumpPending();
    g_FramePeriodMs = Fun_ReadFramePeriod();
    Fun_Delay(100);
}

void MainWindow::installSchedulerHooks(kq::SchedulerHooks& hooks) {
    hooks.frameCapture = [this] { Fun_Timer截屏时间(); };
    hooks.stateCycle = [this] { Fun_连接状态时间循环(); };
    hooks.modellingTest = [this] { modellingTestStep(); };
    hooks.pluginStep = [this] { pluginStep(); };
    hooks.placementSave = [this] {
        if (PositionWindow* p = positionWindow()) p->Fun_Form位置示意_保存(this);
    };
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (loaded_) return;
    loaded_ = true;
    setWindowTitle(g_AppTitle);
    Timer主界面初始化->start(kInitDelayMs);
    files_->startBackup();
}

void MainWindow::Fun主界面初始化() {
    if (initialised_) return;
    initialised_ = true;
    // 1, 2 (the size comes at the end, once everything in the window is filled in)
    coverToTop();
    Form_UDP();
    QPalette pal = centralWidget()->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xFF));
    centralWidget()->setPalette(pal);
    // 3
    recording_->restoreCurrentMaterial();
    // 4, 5: a model number past 20 has no tables behind it and is taken as 1.
    g_ColourOrder = Fun_ReadIniNumber(g_IniPath, kq::key::ColourOrder, 3, 1, 6);
    g_CurModel = Fun_ReadIniNumber(g_IniPath, kq::key::CurrentModel, 1, 1, kModelCount);
    menus_->Fun_模型菜单显示();
    // 6, 7
    recording_->restoreRecordingOptions();
    // 8, 9
    recording_->createPositionWindow();
    // 10, 11
    menus_->Fun_素材对应模型读取初始化();
    recording_->restoreSimilarityMargin();
    g_UsePlugin = uint8_t(Fun_ReadIniNumber(g_IniPath, kq::key::UsePlugin, 0, 0, 255));
    // 12
    g_ModelLength[g_CurModel] = 100;
    g_ModelWidth[g_CurModel] = 100;
    menus_->Fun_模型菜单显示();
    menus_->Fun_y颜色选择菜单显示();
    // 13, 14: the LED test starts on red
    ledTest_->selectTestColour(1);
    recording_->liveOutput().captureSwitch = 1;
    menuBar()->setStyleSheet(QStringLiteral("QMenuBar { background-color: rgb(0, 255, 255); }"));
    // 15
    g_ModelFilePath = g_AppFolder + QStringLiteral("/模型.mx20");
    Fun_ForgetModelFile();
    if (QFile::exists(g_ModelFilePath)) {
        Fun_OpenModel(g_ModelFilePath);
        menus_->Fun_模型菜单显示();
    } else {
        Fun_MsgBox(tr("模型不存在"));
    }
    // 17
    download_->selectDownloadMachine(1);
    recording_->Combo素材_Click();
    fitToPanel();
}

void MainWindow::Fun_主界面位置() {
    int topTwips = y() * kTwipsPerPixel;
    int leftTwips = x() * kTwipsPerPixel;
    const int savedTop = Fun_ReadIniNumber(g_IniPath, kq::key::MainWindowTop, 0, INT32_MIN, INT32_MAX);
    const int savedLeft = Fun_ReadIniNumber(g_IniPath, kq::key::MainWindowLeft, 0, INT32_MIN, INT32_MAX);
    if (savedTop > 0) topTwips = savedTop;
    if (savedLeft > 0) leftTwips = savedLeft;
    if (topTwips > Fun_ScreenSize(4) - kEdgeMarginTwips || leftTwips > Fun_ScreenSize(3) - kEdgeMarginTwips) {
        topTwips = kFallbackPlaceTwips;
        leftTwips = kFallbackPlaceTwips;
    }
    move(twipsToPixels(leftTwips), twipsToPixels(topTwips));
    placeBesideArea();
    g_MainWinSavedTop = topTwips;
    g_MainWinSavedLeft = leftTwips;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A recording (or one whose stop is still pending) is finished to its frame files first: closing
    // must not throw away what was recorded.
    recording_->finishBeforeClosing();
    g_MainClosing = true;
    g_ExitRequested = true;
    event->accept();
}
