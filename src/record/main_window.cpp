#include "main_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/udp_host.h"
#include "model/model_file.h"
#include "picture_view.h"
#include "position_window.h"
#include "admin/device_utilities.h"
#include "link/transport.h"
#include "show/firmware_upgrade.h"
#include "show/frame_store.h"
#include "show/playback_file.h"
#include "show/show_download.h"
#include "show/transfer_log.h"
#include "x11_capture.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {
constexpr int kInitDelayMs = 10;
constexpr int kInitialHeightTwips = 6400;
constexpr int kEdgeMarginTwips = 1500;
constexpr int kFallbackTwips = 100;
constexpr int kBackupTickMs = 1000;
constexpr int kBackupPeriods[] = {1, 30, 60, 120, 300, 600, 1800};

const char* const kBackupItems[] = {"不备份", "30秒", "1分钟", "2分钟", "5分钟", "10分钟", "30分钟"};
const char* const kColourItems[] = {"", "1RGB", "2RBG", "3GRB", "4GBR", "5BRG", "6BGR"};
const char* const kPositionModes[] = {"不显示", "显示方式1", "显示方式2", "显示方式3"};

int toPixels(int twips) { return twips / kTwipsPerPixel; }
QString ini(const char* key) { return Fun_ReadIni(g_IniPath, QString::fromUtf8(key)); }
int iniNumber(const char* key, int fallback, int min, int max) {
    return Fun_ReadIniNumber(g_IniPath, QString::fromUtf8(key), fallback, min, max);
}
void writeIni(const QString& key, int value) { Fun_WriteIni(g_IniPath, key, QString::number(value)); }

// Where nothing else is given, the screen is copied from the X server, or through Qt elsewhere.
class QtScreenCapture final : public kq::record::ScreenCapture {
public:
    bool grab(const QRect& wanted, kq::record::CapturedPicture& picture) override {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return false;
        const kq::record::CaptureGeometry g = kq::record::captureGeometry(wanted, screen->size());
        const QImage shot = g.source.isEmpty() ? QImage()
                                               : screen->grabWindow(0, g.source.x(), g.source.y(), g.source.width(),
                                                                    g.source.height())
                                                     .toImage()
                                                     .convertToFormat(QImage::Format_RGB32);
        // A desktop that lets no program copy the screen (a Wayland session) gives no picture at all.
        if (!g.source.isEmpty() && shot.isNull()) return false;
        kq::record::placeIntoPicture(picture, wanted.size(), g, shot.isNull() ? nullptr : shot.constBits(),
                                     shot.bytesPerLine());
        return true;
    }
    QString name() const override { return QStringLiteral("Qt screen grab"); }
};

std::unique_ptr<kq::record::ScreenCapture> platformCapture() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<kq::record::X11Capture>();
        if (x11->available()) return x11;
    }
    return std::make_unique<QtScreenCapture>();
}

QComboBox* pickList(QWidget* parent, const QString& name, QObject* keyFilter) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->installEventFilter(keyFilter);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

MainWindow::MainWindow(kq::record::ScreenCapture* capture, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form_主界面"));
    if (!capture) {
        ownCapture_ = platformCapture();
        capture = ownCapture_.get();
    }
    live_ = std::make_unique<kq::record::LiveOutput>(*capture, *this);
    live_->hooks.showMaterialInfo = [this] { Fun_录制显示素材信息(); };
    live_->hooks.startRecording = [this] { Fun_开始录制初始化(); };
    live_->hooks.stopRecording = [this] { Fun_停止录制(); };
    live_->hooks.recordFrame = [this](const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture) {
        return recordFrame(plan, picture);
    };
    live_->hooks.afterOutput = [this] {
        Text当前帧->setText(QString::number(recorder_.frameCounter));
        if (recorder_.advance(Check单步录制->isChecked(), g_StepFlag, live_->fadeLevel)) live_->stopRequest = true;
    };

    auto* background = new QFrame(this);
    background->setObjectName(QStringLiteral("Picture背景"));
    background->setAutoFillBackground(true);
    setCentralWidget(background);
    Frame遮挡 = new QFrame(background);
    Frame遮挡->setObjectName(QStringLiteral("Frame遮挡"));
    Frame遮挡->setGeometry(0, 0, 0, 0);

    buildMenus();
    auto* layout = new QHBoxLayout(background);
    auto* left = new QVBoxLayout;
    left->addWidget(buildStatePanel());
    for (QGroupBox* panel : {buildRecordingPanel(), buildMaterialPanel(), buildDmxPanel(), buildLedTestPanel(),
                             buildDownloadPanel(), buildFilePanel()})
        left->addWidget(panel);
    left->addStretch(1);
    layout->addLayout(left, 0);
    Picture_显示 = new PictureView(background);
    layout->addWidget(Picture_显示, 1, Qt::AlignTop | Qt::AlignLeft);
    showPanels();

    Timer主界面初始化 = new QTimer(this);
    Timer主界面初始化->setObjectName(QStringLiteral("Timer主界面初始化"));
    Timer主界面初始化->setSingleShot(true);
    Timer主界面初始化->setTimerType(Qt::PreciseTimer);
    connect(Timer主界面初始化, &QTimer::timeout, this, [this] { Fun主界面初始化(); });
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, [this] { onBackupTick(); });

    resize(760, toPixels(kInitialHeightTwips));
}

MainWindow::~MainWindow() { delete positionWindow_; }

void MainWindow::buildMenus() {
    CD_选择模型 = menuBar()->addMenu(QStringLiteral("【模型1】"));
    CD_选择模型->setObjectName(QStringLiteral("CD_选择模型"));
    for (int i = 1; i <= kModelCount; ++i) {
        CD_模型[size_t(i)] = CD_选择模型->addAction(QStringLiteral("模型%1").arg(i));
        CD_模型[size_t(i)]->setObjectName(QStringLiteral("CD_模型%1").arg(i));
        connect(CD_模型[size_t(i)], &QAction::triggered, this, [this, i] { CD_模型_Click(i); });
    }
    QMenu* files = menuBar()->addMenu(QStringLiteral("模型文件"));
    CD打开模型 = files->addAction(QStringLiteral("打开模型"));
    CD打开模型->setObjectName(QStringLiteral("CD打开模型"));
    CD保存模型 = files->addAction(QStringLiteral("保存模型"));
    CD保存模型->setObjectName(QStringLiteral("CD保存模型"));
    connect(CD打开模型, &QAction::triggered, this, [this] {
        Fun_OpenModel(QString());
        Fun_模型菜单显示();
    });
    connect(CD保存模型, &QAction::triggered, this, [] { Fun_SaveModelAs(); });
    CD颜色调整 = menuBar()->addMenu(QStringLiteral("颜色"));
    CD颜色调整->setObjectName(QStringLiteral("CD颜色调整"));
    for (int i = 1; i <= 6; ++i) {
        CD_颜色选择[size_t(i)] = CD颜色调整->addAction(QString::fromUtf8(kColourItems[i]));
        CD_颜色选择[size_t(i)]->setObjectName(QStringLiteral("CD_颜色选择%1").arg(i));
        connect(CD_颜色选择[size_t(i)], &QAction::triggered, this, [this, i] {
            g_ColourOrder = i;
            Fun_y颜色选择菜单显示();
            writeIni(QStringLiteral("颜色选择"), i);
        });
    }
}

QWidget* MainWindow::buildStatePanel() {
    auto* box = new QGroupBox(QStringLiteral("操作状态"));
    box->setObjectName(QStringLiteral("Frame操作状态"));
    auto* grid = new QGridLayout(box);
    const char* const captions[] = {"断开", "录制", "素材编辑", "DMX512模拟", "测试灯带", "下载文件", "文件操作"};
    for (int k = 0; k < 7; ++k) {
        Option连接状态[size_t(k)] = new QRadioButton(QString::fromUtf8(captions[k]), box);
        Option连接状态[size_t(k)]->setObjectName(QStringLiteral("Option连接状态%1").arg(k));
        grid->addWidget(Option连接状态[size_t(k)], k / 4, k % 4);
        connect(Option连接状态[size_t(k)], &QRadioButton::clicked, this, [this, k] { Option连接状态_Click(k); });
    }
    Option连接状态[1]->setChecked(true);
    return box;
}

QGroupBox* MainWindow::buildRecordingPanel() {
    Frame素材录制 = new QGroupBox(QStringLiteral("素材录制"));
    Frame素材录制->setObjectName(QStringLiteral("Frame素材录制"));
    auto* v = new QVBoxLayout(Frame素材录制);
    auto* form = new QFormLayout;
    Combo素材 = pickList(Frame素材录制, QStringLiteral("Combo素材"), this);
    for (int i = 1; i <= kShowMaterials; ++i) Combo素材->addItem(QString::number(i));
    Combo素材对应模型 = pickList(Frame素材录制, QStringLiteral("Combo素材对应模型"), this);
    Text当前帧 = new QLineEdit(Frame素材录制);
    Text当前帧->setObjectName(QStringLiteral("Text当前帧"));
    Text当前帧->setReadOnly(true);
    Combo显示位置窗口 = pickList(Frame素材录制, QStringLiteral("Combo显示位置窗口"), this);
    for (const char* item : kPositionModes) Combo显示位置窗口->addItem(QString::fromUtf8(item));
    Label计数 = new QLabel(QStringLiteral("0"), Frame素材录制);
    Label计数->setObjectName(QStringLiteral("Label计数"));
    form->addRow(QStringLiteral("素材"), Combo素材);
    form->addRow(QStringLiteral("对应模型"), Combo素材对应模型);
    form->addRow(QStringLiteral("当前帧"), Text当前帧);
    form->addRow(QStringLiteral("位置窗口"), Combo显示位置窗口);
    form->addRow(QStringLiteral("帧间隔(ms)"), Label计数);
    v->addLayout(form);
    auto* checks = new QGridLayout;
    Check重新录制 = checkBox(Frame素材录制, QStringLiteral("Check重新录制"), QStringLiteral("重新录制"));
    Check自动查找相似帧 = checkBox(Frame素材录制, QStringLiteral("Check自动查找相似帧"), QStringLiteral("自动查找相似帧"));
    Check淡入淡出 = checkBox(Frame素材录制, QStringLiteral("Check淡入淡出"), QStringLiteral("淡入淡出"));
    Check单步录制 = checkBox(Frame素材录制, QStringLiteral("Check单步录制"), QStringLiteral("单步录制"));
    Check线条显示 = checkBox(Frame素材录制, QStringLiteral("Check线条显示"), QStringLiteral("线条显示"));
    int cell = 0;
    for (QCheckBox* c : {Check重新录制, Check自动查找相似帧, Check淡入淡出, Check单步录制, Check线条显示}) {
        checks->addWidget(c, cell / 2, cell % 2);
        ++cell;
    }
    v->addLayout(checks);
    auto* buttons = new QHBoxLayout;
    const char* const captions[] = {"RGB录制", "R录制", "G录制", "B录制"};
    for (int i = 0; i < 4; ++i) {
        Command录制方式[size_t(i)] = new QPushButton(QString::fromUtf8(captions[i]), Frame素材录制);
        Command录制方式[size_t(i)]->setObjectName(QStringLiteral("Command录制方式%1").arg(i));
        buttons->addWidget(Command录制方式[size_t(i)]);
        connect(Command录制方式[size_t(i)], &QPushButton::clicked, this, [this, i] { Command录制方式_Click(i); });
    }
    Command停止录制 = new QPushButton(QStringLiteral("停止\n录制"), Frame素材录制);
    Command停止录制->setObjectName(QStringLiteral("Command停止录制"));
    Command停止录制->setEnabled(false);
    buttons->addWidget(Command停止录制);
    v->addLayout(buttons);
    connect(Command停止录制, &QPushButton::clicked, this, [this] { Command停止录制_Click(); });
    Check单步录制->setToolTip(QStringLiteral("在位置显示界面按确认键到下一步"));
    connect(Check重新录制, &QCheckBox::toggled, this, [](bool on) { writeIni(QStringLiteral("继续上次录制"), on ? 1 : 0); });
    connect(Check自动查找相似帧, &QCheckBox::toggled, this, [this](bool on) {
        writeIni(QStringLiteral("自动查找相似帧"), on ? 1 : 0);
        if (on && Check淡入淡出->isChecked()) Check淡入淡出->setChecked(false);
    });
    connect(Check淡入淡出, &QCheckBox::toggled, this, [this](bool on) {
        if (on && Check自动查找相似帧->isChecked()) Check自动查找相似帧->setChecked(false);
    });
    connect(Combo素材, &QComboBox::activated, this, [this] { Combo素材_Click(); });
    connect(Combo素材对应模型, &QComboBox::activated, this, [this](int index) {
        if (associationLoading_) return;
        const int model = index + 1;
        materialModel_[size_t(currentMaterial_)] = uint8_t(model);
        CD_模型_Click(model);
        writeIni(QStringLiteral("素材对应模型") + Fun_Pad2(currentMaterial_), model);
        Fun_录制显示素材信息();
    });
    connect(Combo显示位置窗口, &QComboBox::activated, this, [this](int index) {
        writeIni(QStringLiteral("位置窗体显示方式"), index);
        g_PosWinMode = uint8_t(index);
        if (positionWindow_) positionWindow_->Fun_改变位置窗显示方式();
        Fun_位置窗体显示判断();
    });
    return Frame素材录制;
}

QGroupBox* MainWindow::buildMaterialPanel() {
    Frame素材编辑 = new QGroupBox(QStringLiteral("素材编辑"));
    Frame素材编辑->setObjectName(QStringLiteral("Frame素材编辑"));
    auto* form = new QFormLayout(Frame素材编辑);
    Combo素材编辑 = pickList(Frame素材编辑, QStringLiteral("Combo素材编辑"), this);
    for (int i = 1; i <= kShowMaterials; ++i) Combo素材编辑->addItem(QString::number(i));
    HScroll帧数 = new QScrollBar(Qt::Horizontal, Frame素材编辑);
    HScroll帧数->setObjectName(QStringLiteral("HScroll帧数"));
    HScroll帧数->setRange(1, 1);
    Label总帧数 = new QLabel(Frame素材编辑);
    Label总帧数->setObjectName(QStringLiteral("Label总帧数"));
    Text当前帧数编辑 = new QLineEdit(Frame素材编辑);
    Text当前帧数编辑->setObjectName(QStringLiteral("Text当前帧数编辑"));
    Text当前帧数编辑->setReadOnly(true);
    Command播放 = new QPushButton(QStringLiteral("播放"), Frame素材编辑);
    Command播放->setObjectName(QStringLiteral("Command播放"));
    Command删除帧 = new QPushButton(QStringLiteral("删除帧"), Frame素材编辑);
    Command删除帧->setObjectName(QStringLiteral("Command删除帧"));
    Text素材说明 = new QLineEdit(Frame素材编辑);
    Text素材说明->setObjectName(QStringLiteral("Text素材说明"));
    auto* play = new QHBoxLayout;
    play->addWidget(Command播放);
    play->addWidget(Command删除帧);
    form->addRow(QStringLiteral("素材"), Combo素材编辑);
    form->addRow(QStringLiteral("帧"), HScroll帧数);
    form->addRow(Label总帧数, Text当前帧数编辑);
    form->addRow(play);
    form->addRow(QStringLiteral("素材说明"), Text素材说明);
    connect(Combo素材编辑, &QComboBox::activated, this, [this] {
        currentMaterial_ = numberIn(Combo素材编辑);
        HScroll帧数->setValue(1);
        Fun_素材说明调入(currentMaterial_);
    });
    connect(HScroll帧数, &QScrollBar::actionTriggered, this, [this] {
        if (!playing_) QTimer::singleShot(0, this, [this] { Fun_素材编辑(); });
    });
    connect(Command播放, &QPushButton::clicked, this, [this] { Command播放_Click(); });
    connect(Command删除帧, &QPushButton::clicked, this, [this] { deleteRequest_ = true; });
    connect(Text素材说明, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!noteLoading_) Fun_素材说明(currentMaterial_, text);
    });
    return Frame素材编辑;
}

QGroupBox* MainWindow::buildDmxPanel() {
    Frame机器上运行 = new QGroupBox(QStringLiteral("Dmx512通道模拟"));
    Frame机器上运行->setObjectName(QStringLiteral("Frame机器上运行"));
    auto* grid = new QGridLayout(Frame机器上运行);
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        auto* bar = new QScrollBar(Qt::Vertical, Frame机器上运行);
        bar->setObjectName(QStringLiteral("VScrollDMX通道%1").arg(i));
        bar->setRange(0, 255);
        bar->setMinimumHeight(80);
        auto* text = new QLineEdit(QStringLiteral("255"), Frame机器上运行);
        text->setObjectName(QStringLiteral("Text通道%1").arg(i));
        text->setReadOnly(true);
        text->setMaximumWidth(34);
        text->installEventFilter(this);
        bar->installEventFilter(this);
        VScrollDMX通道[size_t(i)] = bar;
        Text通道[size_t(i)] = text;
        grid->addWidget(new QLabel(QString::number(i), Frame机器上运行), 0, i - 1, Qt::AlignHCenter);
        grid->addWidget(bar, 1, i - 1, Qt::AlignHCenter);
        grid->addWidget(text, 2, i - 1);
        connect(bar, &QScrollBar::valueChanged, this, [this, i](int value) {
            Text通道[size_t(i)]->setText(QString::number(255 - value));
            Fun_DMX512模拟();
        });
    }
    return Frame机器上运行;
}

QGroupBox* MainWindow::buildLedTestPanel() {
    Frame测试灯带 = new QGroupBox(QStringLiteral("测试灯带"));
    Frame测试灯带->setObjectName(QStringLiteral("Frame测试灯带"));
    auto* grid = new QGridLayout(Frame测试灯带);
    const auto row = [&](int r, const QString& title, const QString& name, auto& options, const QStringList& captions) {
        auto* group = new QButtonGroup(Frame测试灯带);
        grid->addWidget(new QLabel(title, Frame测试灯带), r, 0);
        for (int i = 0; i < int(options.size()); ++i) {
            options[size_t(i)] = new QRadioButton(captions[i], Frame测试灯带);
            options[size_t(i)]->setObjectName(name + QString::number(i));
            group->addButton(options[size_t(i)], i);
            grid->addWidget(options[size_t(i)], r, i + 1);
        }
        options[0]->setChecked(true);
    };
    QStringList machines{QStringLiteral("All")}, ports{QStringLiteral("ALL")};
    for (int i = 1; i <= 10; ++i) machines << QString::number(i);
    for (int i = 1; i <= 8; ++i) ports << QString::number(i);
    row(0, QStringLiteral("机器"), QStringLiteral("Option机器"), Option机器, machines);
    row(1, QStringLiteral("端口"), QStringLiteral("Option端口"), Option端口, ports);
    row(2, QStringLiteral("颜色"), QStringLiteral("Option颜色选择"), Option颜色选择,
        {QStringLiteral("灭"), QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"), QStringLiteral("W")});
    Check灯带测试跑马_慢 = checkBox(Frame测试灯带, QStringLiteral("Check灯带测试跑马_慢"), QStringLiteral("跑马慢速"));
    Check灯带测试跑马_快 = checkBox(Frame测试灯带, QStringLiteral("Check灯带测试跑马_快"), QStringLiteral("跑马快速"));
    grid->addWidget(Check灯带测试跑马_慢, 3, 1, 1, 3);
    grid->addWidget(Check灯带测试跑马_快, 3, 4, 1, 3);
    // Each chase box clears the other; clearing one does not bounce back.
    connect(Check灯带测试跑马_慢, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check灯带测试跑马_快->setChecked(false);
    });
    connect(Check灯带测试跑马_快, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Check灯带测试跑马_慢->setChecked(false);
    });
    return Frame测试灯带;
}

QGroupBox* MainWindow::buildDownloadPanel() {
    FrameSD卡文件 = new QGroupBox(QStringLiteral("下载文件"));
    FrameSD卡文件->setObjectName(QStringLiteral("FrameSD卡文件"));
    auto* v = new QVBoxLayout(FrameSD卡文件);
    auto* machines = new QHBoxLayout;
    auto* group = new QButtonGroup(FrameSD卡文件);
    for (int i = 1; i <= 10; ++i) {
        Option机器下载选择[size_t(i)] = new QRadioButton(QString::number(i), FrameSD卡文件);
        Option机器下载选择[size_t(i)]->setObjectName(QStringLiteral("Option机器下载选择%1").arg(i));
        group->addButton(Option机器下载选择[size_t(i)], i);
        machines->addWidget(Option机器下载选择[size_t(i)]);
        connect(Option机器下载选择[size_t(i)], &QRadioButton::clicked, this, [this, i] { downloadMachine = i; });
    }
    Option机器下载选择[1]->setChecked(true);
    v->addLayout(machines);
    auto* buttons = new QGridLayout;
    const auto button = [&](QPushButton*& b, const QString& name, const QString& caption, int r, int c) {
        b = new QPushButton(caption, FrameSD卡文件);
        b->setObjectName(name);
        buttons->addWidget(b, r, c);
    };
    button(CommandSD卡文件, QStringLiteral("CommandSD卡文件"), QStringLiteral("下载到选中机器"), 0, 0);
    button(Command下载所有灯光文件, QStringLiteral("Command下载所有灯光文件"), QStringLiteral("下载所有灯光文件"), 0, 1);
    button(Command升级程序, QStringLiteral("Command升级程序"), QStringLiteral("升级程序"), 0, 2);
    button(Command获取版本号, QStringLiteral("Command获取版本号"), QStringLiteral("查看版本号"), 1, 0);
    button(Command重启, QStringLiteral("Command重启"), QStringLiteral("重启所有机器"), 1, 1);
    v->addLayout(buttons);
    Text下载SD卡文件信息 = new QPlainTextEdit(FrameSD卡文件);
    Text下载SD卡文件信息->setObjectName(QStringLiteral("Text下载SD卡文件信息"));
    Text下载SD卡文件信息->setReadOnly(true);
    Text下载SD卡文件信息->setMinimumHeight(140);
    transferProgress = new QProgressBar(FrameSD卡文件);
    transferProgress->setObjectName(QStringLiteral("transferProgress"));
    transferProgress->setVisible(false);
    v->addWidget(Text下载SD卡文件信息);
    v->addWidget(transferProgress);
    connect(CommandSD卡文件, &QPushButton::clicked, this, [this] { CommandSD卡文件_Click(); });
    connect(Command下载所有灯光文件, &QPushButton::clicked, this, [this] { Command下载所有灯光文件_Click(); });
    connect(Command升级程序, &QPushButton::clicked, this, [this] { Command升级程序_Click(); });
    connect(Command获取版本号, &QPushButton::clicked, this, [this] { Command获取版本号_Click(); });
    connect(Command重启, &QPushButton::clicked, this, [this] { Command重启_Click(); });
    return FrameSD卡文件;
}

QGroupBox* MainWindow::buildFilePanel() {
    Frame文件操作 = new QGroupBox(QStringLiteral("文件操作"));
    Frame文件操作->setObjectName(QStringLiteral("Frame文件操作"));
    auto* form = new QFormLayout(Frame文件操作);
    Command生成SD卡文件 = new QPushButton(QStringLiteral("生成播放文件"), Frame文件操作);
    Command生成SD卡文件->setObjectName(QStringLiteral("Command生成SD卡文件"));
    Check只限当前素材 = checkBox(Frame文件操作, QStringLiteral("Check只限当前素材"), QStringLiteral("只限当前素材"));
    Combo_文件备份 = pickList(Frame文件操作, QStringLiteral("Combo_文件备份"), this);
    for (const char* item : kBackupItems) Combo_文件备份->addItem(QString::fromUtf8(item));
    Command_读取文件 = new QPushButton(QStringLiteral("读取文件"), Frame文件操作);
    Command_读取文件->setObjectName(QStringLiteral("Command_读取文件"));
    Command_保存文件 = new QPushButton(QStringLiteral("保存文件"), Frame文件操作);
    Command_保存文件->setObjectName(QStringLiteral("Command_保存文件"));
    auto* build = new QHBoxLayout;
    build->addWidget(Command生成SD卡文件);
    build->addWidget(Check只限当前素材);
    auto* files = new QHBoxLayout;
    files->addWidget(Command_读取文件);
    files->addWidget(Command_保存文件);
    form->addRow(build);
    form->addRow(files);
    form->addRow(QStringLiteral("自动备份"), Combo_文件备份);
    connect(Command生成SD卡文件, &QPushButton::clicked, this, [this] { Command生成SD卡文件_Click(); });
    connect(Command_读取文件, &QPushButton::clicked, this, [this] {
        Fun_OpenModel(QString());
        Fun_模型菜单显示();
    });
    connect(Command_保存文件, &QPushButton::clicked, this, [] { Fun_SaveModelAs(); });
    connect(Combo_文件备份, &QComboBox::activated, this, [this](int index) {
        writeIni(QStringLiteral("参数文件自动备份"), index);
        setBackupIndex(index);
    });
    return Frame文件操作;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The pick lists and the DMX channel boxes take no typing.
    if (event->type() == QEvent::KeyPress && (qobject_cast<QComboBox*>(watched) || qobject_cast<QLineEdit*>(watched)))
        return true;
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        if (watched != VScrollDMX通道[size_t(i)] && watched != Text通道[size_t(i)]) continue;
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::Enter) wheelTarget_ = i + 10;
        if (event->type() == QEvent::Wheel) {
            wheelTarget_ = i + 10;
            // A sideways turn (or a touchpad's horizontal swipe) moves no level.
            if (const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y(); dy != 0)
                Fun_dmx模拟鼠标滚轮(dy > 0 ? 1 : 0);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {
// The transfers' log in "Text下载SD卡文件信息", with the progress bar beside it.
class WindowTransferLog final : public TransferLog {
public:
    WindowTransferLog(QPlainTextEdit* text, QProgressBar* bar) : text_(text), bar_(bar) {}
    void progress(qint64 done, qint64 total) override {
        bar_->setVisible(true);
        bar_->setRange(0, 1000);
        bar_->setValue(total > 0 ? int(1000 * std::min(done, total) / total) : 0);
    }
    void caretToEnd() override { text_->moveCursor(QTextCursor::End); }

protected:
    void changed() override { text_->setPlainText(QString(text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))); }

private:
    QPlainTextEdit* text_;
    QProgressBar* bar_;
};
} // namespace

// One transfer at a time: the buttons stay disabled while one runs, and a click that still gets through
// (the event pumps of the acknowledgement waits deliver clicks) is ignored.
class MainWindow::TransferGuard {
public:
    explicit TransferGuard(MainWindow* w) : w_(w), active_(!w->transferRunning_) {
        if (!active_) return;
        w_->transferRunning_ = true;
        w_->setTransferButtonsEnabled(false);
        if (!w_->transferLog_)
            w_->transferLog_ = std::make_unique<WindowTransferLog>(w_->Text下载SD卡文件信息, w_->transferProgress);
    }
    ~TransferGuard() {
        if (!active_) return;
        w_->transferRunning_ = false;
        w_->setTransferButtonsEnabled(true);
        w_->transferProgress->setVisible(false);
    }
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;
    bool active() const { return active_; }

private:
    MainWindow* w_;
    bool active_;
};

void MainWindow::setTransferButtonsEnabled(bool enabled) {
    for (QPushButton* b : {CommandSD卡文件, Command下载所有灯光文件, Command升级程序, Command获取版本号, Command生成SD卡文件})
        b->setEnabled(enabled);
}

void MainWindow::showPanels() {
    const int s = operationState_;
    Frame素材录制->setVisible(s == 1);
    Picture_显示->setVisible(s == 1);
    Frame素材编辑->setVisible(s == 2);
    Frame机器上运行->setVisible(s == 3);
    Frame测试灯带->setVisible(s == 4);
    FrameSD卡文件->setVisible(s == 5);
    Frame文件操作->setVisible(s == 6);
}

void MainWindow::Option连接状态_Click(int state) {
    if (state != operationState_) {
        operationState_ = state;
        live_->captureSwitch = state;
        if (state == 1) Combo素材->setCurrentIndex(currentMaterial_ - 1);
        if (state == 2) Combo素材编辑->setCurrentIndex(currentMaterial_ - 1);
    }
    Option连接状态[size_t(state)]->setChecked(true);
    showPanels();
    Fun_位置窗体显示判断();
    Combo素材_Click();
}

void MainWindow::Fun_连接状态时间循环() {
    if (g_ModellingOpen) return;
    switch (operationState_) {
    case 0: Fun_SendCommand(0, QStringLiteral("805E"), QString()); break;
    case 2:
        if (deleteRequest_)
            Fun_删除一帧();
        else
            Fun_素材编辑();
        break;
    case 3: Fun_DMX512模拟(); break;
    case 4: Fun_测试LED灯带(); break;
    default: break;
    }
    showPanels();
}

void MainWindow::Fun_DMX512模拟() {
    if (dmxSending_) return; // a scroll during the send comes back here through the event pump
    dmxSending_ = true;
    std::array<int, kq::admin::kDmxChannels + 1> levels{};
    for (int i = 1; i <= kq::admin::kDmxChannels; ++i) {
        levels[size_t(i)] = 255 - VScrollDMX通道[size_t(i)]->value();
        Text通道[size_t(i)]->setText(QString::number(levels[size_t(i)]));
    }
    Fun_SendCommand(0, QStringLiteral("805F"), kq::admin::dmxPayload(levels, g_ColourOrder));
    dmxSending_ = false;
}

void MainWindow::Fun_dmx模拟鼠标滚轮(int direction) {
    if (wheelTurning_) return;
    wheelTurning_ = true;
    const int channel = wheelTarget_ - 10;
    if (channel >= 1 && channel <= kq::admin::kDmxChannels) {
        QScrollBar* bar = VScrollDMX通道[size_t(channel)];
        if (direction == 1) {
            if (bar->value() > 0) bar->setValue(bar->value() - 1);
        } else if (bar->value() < 255) {
            bar->setValue(bar->value() + 1);
        }
    }
    wheelTurning_ = false;
}

void MainWindow::Fun_测试LED灯带() {
    const auto selected = [](const auto& options) {
        for (int i = 0; i < int(options.size()); ++i)
            if (options[size_t(i)]->isChecked()) return i;
        return 0;
    };
    Fun_SendCommand(0, QStringLiteral("805D"),
                    kq::admin::ledTestPayload(selected(Option机器), selected(Option端口), selected(Option颜色选择),
                                              Check灯带测试跑马_慢->isChecked(), Check灯带测试跑马_快->isChecked(),
                                              g_ColourOrder));
}

void MainWindow::Command获取版本号_Click() {
    TransferGuard guard(this);
    if (!guard.active()) return;
    Text下载SD卡文件信息->setPlainText(QStringLiteral("获取版本号->\n"));
    for (int k = 1; k <= kMaxMachine; ++k) {
        g_ReplyLen = 0;
        Fun_SendCommand(k, QStringLiteral("8010"), QString());
        Fun_Delay(400);
        const QString line = g_ReplyLen < 1
                                 ? QStringLiteral("获取失败")
                                 : kq::admin::versionText(QByteArrayView(reinterpret_cast<const char*>(g_ReplyBuf), g_ReplyLen));
        Text下载SD卡文件信息->setPlainText(Text下载SD卡文件信息->toPlainText() + line + QLatin1Char('\n'));
        if (g_ExitRequested) return;
    }
}

void MainWindow::Command重启_Click() { Fun_SendCommand(0, QStringLiteral("80A4"), QString()); }

void MainWindow::Fun_素材编辑() {
    if (reviewing_) return; // a scroll handled inside the 1 ms waits below comes back here
    reviewing_ = true;
    Label总帧数->clear();
    std::memset(g_LivePlanes, 0, sizeof g_LivePlanes);
    std::memset(g_PortHasData, 0, sizeof g_PortHasData);
    const int material = numberIn(Combo素材编辑);
    const int frame = HScroll帧数->value();
    for (int m = 1; m <= kMaxMachine; ++m) {
        const std::optional<int> count = Fun_LoadMaterialFrame(m, material, frame);
        if (!count) continue;
        if (HScroll帧数->maximum() != std::max(1, *count)) HScroll帧数->setMaximum(std::max(1, *count));
        Label总帧数->setText(QStringLiteral("共%1帧").arg(*count));
        Text当前帧数编辑->setText(QString::number(frame));
    }
    reviewHalf_ = !reviewHalf_;
    for (int j = 1; j <= kq::record::kOutputPorts; ++j) {
        bool sent = false;
        for (int m = 1; m <= kMaxMachine; ++m) {
            if (g_PortHasData[j][m] != 1) continue;
            Fun_SendHalfBlock(m, j, reviewHalf_ ? 0 : kq::link::kHalfBlockBytes, g_LivePlanes);
            sent = true;
        }
        if (sent) Fun_Delay(1);
    }
    Fun_SendCommand(0, QStringLiteral("8055"), QString());
    if (playing_) HScroll帧数->setValue(HScroll帧数->value() < HScroll帧数->maximum() ? HScroll帧数->value() + 1 : 1);
    reviewing_ = false;
}

void MainWindow::Fun_删除一帧() {
    const int material = numberIn(Combo素材编辑);
    for (int m = 1; m <= kMaxMachine; ++m) Fun_DeleteMaterialFrame(m, material, HScroll帧数->value());
    deleteRequest_ = false;
}

void MainWindow::Command播放_Click() {
    playing_ = !playing_;
    Command播放->setText(playing_ ? QStringLiteral("暂停") : QStringLiteral("播放"));
    Command删除帧->setEnabled(!playing_);
}

void MainWindow::Fun_EnableEditControls(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{Check只限当前素材, Command生成SD卡文件, Command删除帧, Text当前帧数编辑,
                                                     Command播放, Combo素材编辑})
        w->setEnabled(enabled);
}

void MainWindow::Command生成SD卡文件_Click() {
    Fun_EnableEditControls(false);
    Command生成SD卡文件->setText(QStringLiteral("正在生成文件"));
    const int filter = Check只限当前素材->isChecked() ? numberIn(Combo素材编辑) : 0;
    bool ok = true;
    QStringList damaged;
    for (int m = 1; m <= kMaxMachine; ++m) ok = Fun_BuildPlaybackFile(m, filter, &damaged) && ok;
    QString text = ok ? QStringLiteral("已经生成文件 !") : QStringLiteral("文件保存失败！");
    if (!damaged.isEmpty())
        text += QStringLiteral("\r\n以下素材文件已损坏，没有加入播放文件：\r\n") + damaged.join(QStringLiteral("\r\n"));
    Fun_MsgBox(text);
    Command生成SD卡文件->setText(QStringLiteral("生成播放文件"));
    Fun_EnableEditControls(true);
}

void MainWindow::CommandSD卡文件_Click() {
    TransferGuard guard(this);
    if (!guard.active()) return;
    Fun_DownloadToMachine(downloadMachine, *transferLog_);
}

void MainWindow::Command下载所有灯光文件_Click() {
    TransferGuard guard(this);
    if (!guard.active()) return;
    Fun_DownloadToAllMachines(*transferLog_);
}

void MainWindow::Command升级程序_Click(const QString& path) {
    TransferGuard guard(this);
    if (!guard.active()) return;
    Fun_UpgradeMachine(downloadMachine, *transferLog_, path);
}

int MainWindow::numberIn(const QComboBox* box) const { return std::clamp(box->currentText().toInt(), 1, kShowMaterials); }

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loaded_) onLoad();
}

void MainWindow::onLoad() {
    loaded_ = true;
    setWindowTitle(g_AppTitle);
    Timer主界面初始化->start(kInitDelayMs);
    if (backupPeriod_ == 0) {
        const int index = iniNumber("参数文件自动备份", 0, 0, 6);
        Combo_文件备份->setCurrentIndex(index);
        setBackupIndex(index);
    }
    Timer1->start(kBackupTickMs);
}

void MainWindow::Fun主界面初始化() {
    if (initialised_) return;
    initialised_ = true;
    // 1, 2
    Frame遮挡->move(Frame遮挡->x(), 0);
    resize(width(), toPixels(kInitialHeightTwips));
    g_SlotSize = 13500;
    Form_UDP();
    QPalette pal = centralWidget()->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xFF));
    centralWidget()->setPalette(pal);
    // 3
    if (const int m = iniNumber("当前素材", 0, 1, kShowMaterials)) Combo素材->setCurrentIndex(m - 1);
    currentMaterial_ = numberIn(Combo素材);
    // 4, 5: a model number past 20 has no tables behind it and is taken as 1.
    g_ColourOrder = iniNumber("颜色选择", 3, 1, 6);
    g_CurModel = iniNumber("当前模型", 1, 1, kModelCount);
    Fun_模型菜单显示();
    // 6, 7
    if (const QString v = ini("继续上次录制"); v == QLatin1String("0") || v == QLatin1String("1"))
        Check重新录制->setChecked(v == QLatin1String("1"));
    if (const QString v = ini("自动查找相似帧"); v == QLatin1String("0") || v == QLatin1String("1"))
        Check自动查找相似帧->setChecked(v == QLatin1String("1"));
    similarityThreshold = iniNumber("相似度阈值", 97, 0, 100);
    similarityMinFrames = iniNumber("相似度最少帧", 6, 0, 100);
    // 8, 9
    g_PosWinMode = uint8_t(iniNumber("位置窗体显示方式", 1, 0, 3));
    Combo显示位置窗口->setCurrentIndex(g_PosWinMode);
    if (!positionWindow_) positionWindow_ = new PositionWindow;
    positionWindow_->Fun_改变位置窗显示方式();
    Fun_位置窗体显示判断();
    // 10, 11
    Fun_素材对应模型读取初始化();
    similarityMargin = iniNumber("相似度正负", 10, 1, 100);
    g_UsePlugin = uint8_t(iniNumber("使用外挂程序", 0, 0, 255));
    // 12
    g_ModelLength[g_CurModel] = 100;
    g_ModelWidth[g_CurModel] = 100;
    Fun_模型菜单显示();
    Fun_y颜色选择菜单显示();
    // 13, 14: the LED test starts on red
    Option颜色选择[1]->setChecked(true);
    live_->captureSwitch = 1;
    menuBar()->setStyleSheet(QStringLiteral("QMenuBar { background-color: rgb(0, 255, 255); }"));
    // 15
    g_ModelFilePath = g_AppFolder + QStringLiteral("/模型.mx20");
    if (QFile::exists(g_ModelFilePath)) {
        Fun_OpenModel(g_ModelFilePath);
        Fun_模型菜单显示();
    } else {
        Fun_MsgBox(QStringLiteral("模型不存在"));
    }
    // 17
    downloadMachine = 1;
    Combo素材_Click();
}

void MainWindow::Fun_主界面位置() {
    int topTwips = y() * kTwipsPerPixel;
    int leftTwips = x() * kTwipsPerPixel;
    const int savedTop = iniNumber("主窗体top", 0, INT32_MIN, INT32_MAX);
    const int savedLeft = iniNumber("主窗体left", 0, INT32_MIN, INT32_MAX);
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

void MainWindow::Fun_模型菜单显示() {
    for (int i = 1; i <= kModelCount; ++i) CD_模型[size_t(i)]->setText(QStringLiteral("模型%1 %2").arg(i).arg(g_ModelNote[i]));
    const int n = g_CurModel;
    if (n >= 1 && n <= kModelCount) {
        CD_模型[size_t(n)]->setText(QStringLiteral("【模型%1】(%2,%3) %4").arg(n).arg(g_ModelLength[n]).arg(g_ModelWidth[n]).arg(g_ModelNote[n]));
        CD_选择模型->setTitle(QStringLiteral("【模型%1】").arg(n));
    }
    Fun_素材对应模型combox显示();
    live_->outputResetRequest = true;
}

void MainWindow::CD_模型_Click(int index) {
    g_CurModel = index;
    Fun_模型菜单显示();
    writeIni(QStringLiteral("当前模型"), index);
}

void MainWindow::Fun_y颜色选择菜单显示() {
    for (int i = 1; i <= 6; ++i) CD_颜色选择[size_t(i)]->setText(QString::fromUtf8(kColourItems[i]));
    if (g_ColourOrder >= 1 && g_ColourOrder <= 6) {
        const QString current = QStringLiteral("【%1】").arg(QString::fromUtf8(kColourItems[g_ColourOrder]));
        CD_颜色选择[size_t(g_ColourOrder)]->setText(current);
        CD颜色调整->setTitle(current);
    }
}

void MainWindow::Fun_素材对应模型读取初始化() {
    for (int n = 1; n <= kShowMaterials; ++n)
        materialModel_[size_t(n)] = uint8_t(Fun_ReadIniNumber(g_IniPath, QStringLiteral("素材对应模型") + Fun_Pad2(n), 1, 1, kModelCount));
}

void MainWindow::Fun_素材对应模型combox显示() {
    associationLoading_ = true;
    Combo素材对应模型->clear();
    for (int i = 1; i <= kModelCount; ++i) Combo素材对应模型->addItem(QStringLiteral("%1 %2").arg(i).arg(g_ModelNote[i]));
    Combo素材对应模型->setCurrentIndex(std::max(0, materialModel_[size_t(currentMaterial_)] - 1));
    associationLoading_ = false;
}

namespace {
QString notePrefix(int n) { return QStringLiteral("[%1-%2] ").arg(5 * n).arg(5 * n + 4); }
QString notesPath() { return g_AppFolder + QStringLiteral("/素材说明.txt"); }
} // namespace

void MainWindow::Fun_素材说明(int material, const QString& text) {
    Fun_WriteIni(notesPath(), QStringLiteral("素材") + Fun_Pad2(material), notePrefix(material) + text);
}

void MainWindow::Fun_素材说明调入(int material) {
    noteLoading_ = true;
    QString note = Fun_ReadIni(notesPath(), QStringLiteral("素材") + Fun_Pad2(material));
    note.remove(notePrefix(material));
    Text素材说明->setText(note);
    noteLoading_ = false;
}

void MainWindow::Fun_位置窗体显示判断() {
    if (!positionWindow_) return;
    positionWindow_->setVisible(Combo显示位置窗口->currentIndex() != 0);
}

void MainWindow::Fun_录制显示素材信息() {
    const int n = std::clamp(g_CurModel, 1, kModelCount);
    const QString caption = CD_模型[size_t(n)]->text() + QStringLiteral("素材录制   ");
    if (Frame素材录制->title() != caption) Frame素材录制->setTitle(caption);
}

void MainWindow::Combo素材_Click() {
    currentMaterial_ = numberIn(Combo素材);
    writeIni(QStringLiteral("当前素材"), currentMaterial_);
    Text当前帧->setText(QString::number(Fun_ReadFrameCount(kq::show::frameFilePath(g_AppFolder, 1, currentMaterial_))));
    const int model = std::clamp(int(materialModel_[size_t(currentMaterial_)]), 1, kModelCount);
    associationLoading_ = true;
    Combo素材对应模型->setCurrentIndex(model - 1);
    associationLoading_ = false;
    if (model != g_CurModel) CD_模型_Click(model);
    Fun_素材说明调入(currentMaterial_);
    Fun_录制显示素材信息();
}

QString MainWindow::backupPath(const QString& appFolder, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QStringLiteral("%1/自动备份/%2年%3月%4日/%5点%6分%7秒模型.mx20")
        .arg(appFolder)
        .arg(d.year())
        .arg(Fun_Pad2(d.month()), Fun_Pad2(d.day()), Fun_Pad2(t.hour()), Fun_Pad2(t.minute()), Fun_Pad2(t.second()));
}

QString MainWindow::Fun_自动备份(const QDateTime& now) {
    const QString path = backupPath(g_AppFolder, now);
    // A backup is a copy: the model file in use and the one the next start opens stay what they are.
    QDir().mkpath(QFileInfo(path).path());
    return Fun_WriteModelFile(path) ? path : QString();
}

void MainWindow::setBackupIndex(int index) { backupPeriod_ = kBackupPeriods[std::clamp(index, 0, 6)]; }

void MainWindow::onBackupTick() {
    if (backupPeriod_ <= 1) return;
    if (++backupTicks_ > backupPeriod_) {
        backupTicks_ = 0;
        Fun_自动备份(QDateTime::currentDateTime());
    }
}

void MainWindow::Fun_EnableRecordControls(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{Check线条显示, Combo显示位置窗口, Check淡入淡出, Check自动查找相似帧,
                                                     Check单步录制, Check重新录制, Combo素材, Command停止录制})
        w->setEnabled(enabled);
    for (QPushButton* b : Command录制方式) b->setEnabled(enabled);
}

void MainWindow::Command录制方式_Click(int index) {
    Fun_EnableRecordControls(false);
    Command停止录制->setEnabled(true);
    live_->startRequest = true;
    recordingMode_ = index;
}

void MainWindow::Command停止录制_Click() {
    if (live_->startRequest && !live_->recording) {
        // Stopped before the next tick served the start: nothing was recorded, so the start is
        // called off and the controls come back at once.
        live_->startRequest = false;
        restoreRecordControls();
        return;
    }
    Command停止录制->setEnabled(false);
    Command停止录制->setText(QStringLiteral("正在生成文件！"));
    if (Check淡入淡出->isChecked())
        recorder_.fadeOutRequest = true;
    else
        live_->stopRequest = true;
}

void MainWindow::Fun_开始录制初始化() {
    const kq::record::RecordingOptions options{Check重新录制->isChecked(), Check自动查找相似帧->isChecked(),
                                               Check淡入淡出->isChecked(), Check单步录制->isChecked()};
    recorder_.similarityThreshold = similarityThreshold;
    recorder_.similarityMinFrames = similarityMinFrames;
    recorder_.similarityTolerance = similarityMargin;
    std::array<bool, kMaxMachine + 1> driven{};
    const int model = std::clamp(g_CurModel, 1, kModelCount);
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = g_Materials[model][i];
        if (t.used() && t.Machine <= kMaxMachine) driven[size_t(t.Machine)] = true;
    }
    recorder_.start(options, recordingMode_, currentMaterial_, g_AppFolder, live_->fadeLevel, driven);
    if (recorder_.similarState) Check自动查找相似帧->setText(QStringLiteral("0%"));
    Text当前帧->setStyleSheet(QStringLiteral("background-color: rgb(192, 255, 192);"));
    live_->recording = true;
    live_->startRequest = false;
}

void MainWindow::Fun_停止录制() {
    const QStringList failed = recorder_.finish(g_AppFolder);
    if (!failed.isEmpty()) Fun_MsgBox(QStringLiteral("文件保存失败！") + QStringLiteral("\r\n") + failed.join(QStringLiteral("\r\n")));
    live_->recording = false;
    Text当前帧->setStyleSheet(QString());
    Check自动查找相似帧->setText(QStringLiteral("自动查找相似帧"));
    live_->stopRequest = false;
    restoreRecordControls();
}

void MainWindow::restoreRecordControls() {
    Command停止录制->setText(QStringLiteral("停止录制"));
    Fun_EnableRecordControls(true);
    Command停止录制->setEnabled(true);
}

bool MainWindow::recordFrame(const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture) {
    bool any = false;
    for (int m = 1; m <= kMaxMachine && !any; ++m)
        for (int j = 1; j <= kq::record::kOutputPorts; ++j) any = any || plan.usedPorts[j][m];
    const bool found = any && recorder_.similarFrameFound(picture.bits);
    if (recorder_.lastPercent >= 0)
        Check自动查找相似帧->setText(QStringLiteral("%1%").arg(recorder_.lastPercent, 2, 10, QLatin1Char('0')));
    if (found) {
        Command停止录制_Click();
        return true;
    }
    for (int m = 1; m <= kMaxMachine; ++m) {
        bool used = false;
        for (int j = 1; j <= kq::record::kOutputPorts; ++j) used = used || plan.usedPorts[j][m];
        if (used) recorder_.recordMachine(m);
    }
    return false;
}

QPoint MainWindow::positionWindowTopLeft() const { return positionWindow_ ? positionWindow_->areaTopLeft() : QPoint(); }

void MainWindow::resizePositionWindow(const QSize& canvas) {
    if (!positionWindow_ || positionWindow_->canvasSize() == canvas) return;
    positionWindow_->setCanvasSize(canvas);
    // The screen is copied through another connection to the window system: make sure the new size
    // has been applied before that copy.
    QGuiApplication::sync();
}

void MainWindow::transparentForCapture(bool capturing) {
    if (positionWindow_) positionWindow_->Fun_截图的时候透明化(capturing);
}

void MainWindow::showPicture(const kq::record::CapturedPicture& picture) {
    // The picture is for the eye: refreshing it eight times a second is plenty, and drawing a large
    // area on every tick would cost more than sampling it.
    constexpr qint64 kRefreshMs = 125;
    if (pictureShown_.isValid() && pictureShown_.elapsed() < kRefreshMs) return;
    pictureShown_.start();
    const QImage image(picture.data(), picture.width, picture.height, int(picture.bytesPerRow()), QImage::Format_RGB32);
    Picture_显示->setPicture(image.copy());
}

void MainWindow::showCaptureInterval(uint32_t ms) { Label计数->setText(QString::number(ms)); }

bool MainWindow::linesShown() const { return Check线条显示->isEnabled() && Check线条显示->isChecked(); }

void MainWindow::drawMaterialLine(const QPoint& from, const QPoint& to) { Picture_显示->addLine(QLine(from, to)); }

void MainWindow::captureFailed(const QString& captureName) {
    std::fprintf(stderr, "kq510: the screen cannot be copied (%s); nothing new is sent\n", qPrintable(captureName));
    Fun_MsgBox(QStringLiteral("无法截取屏幕（%1），没有新的画面发送到机器。\r\n"
                              "Wayland桌面请在登录时选择X11（Xorg）会话。")
                   .arg(captureName));
}

void MainWindow::hidePositionWindow() {
    if (positionWindow_) positionWindow_->hide();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A recording (or one whose stop is still pending) is finished to its frame files first: closing
    // must not throw away what was recorded. A start not served yet had recorded nothing.
    live_->startRequest = false;
    if (live_->recording) Fun_停止录制();
    g_MainClosing = true;
    g_ExitRequested = true;
    if (positionWindow_) positionWindow_->hide();
    event->accept();
}
