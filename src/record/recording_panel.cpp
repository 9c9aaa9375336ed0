#include "recording_panel.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "link/udp_host.h"
#include "model/model_menus.h"
#include "picture_view.h"
#include "platform_capture.h"
#include "position_window.h"
#include "show/frame_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace {
const char* const kPositionModes[] = {QT_TRANSLATE_NOOP("kq", "不显示"), QT_TRANSLATE_NOOP("kq", "显示方式1"),
                                      QT_TRANSLATE_NOOP("kq", "显示方式2"), QT_TRANSLATE_NOOP("kq", "显示方式3")};

void writeIni(const QString& key, int value) {
    Fun_WriteIni(g_IniPath, key, QString::number(value));
}
// A check box's stored state: "0" or "1"; anything else leaves the box as it is.
void restoreCheck(QCheckBox* box, const QString& key) {
    if (const QString v = Fun_ReadIni(g_IniPath, key); v == QLatin1String("0") || v == QLatin1String("1"))
        box->setChecked(v == QLatin1String("1"));
}
} // namespace

RecordingPanel::RecordingPanel(ModelMenus& menus, kq::record::ScreenCapture* capture, QWidget* parent)
    : kq::StatePanel(tr("素材录制"), parent), menus_(menus) {
    setObjectName(QStringLiteral("Frame素材录制"));
    if (!capture) {
        ownCapture_ = kq::record::platformCapture();
        capture = ownCapture_.get();
    }
    live_ = std::make_unique<kq::record::LiveOutput>(*capture, *this);
    live_->hooks.showMaterialInfo = [this] { Fun_录制显示素材信息(); };
    live_->hooks.startRecording = [this] { Fun_开始录制初始化(); };
    live_->hooks.stopRecording = [this] { Fun_停止录制(); };
    live_->hooks.recordFrame = [this](const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture) {
        return recordFrame(plan, picture);
    };
    // Without a picture no tick reaches the fade-out's end: a stop behind a fade-out is served at once.
    live_->hooks.captureLost = [this] {
        if (recorder_.fadeOutRequest) {
            recorder_.fadeOutRequest = false;
            live_->stopRequest = true;
        }
    };
    live_->hooks.afterOutput = [this] {
        Text当前帧->setText(QString::number(recorder_.frameCounter));
        if (recorder_.advance(Check单步录制->isChecked(), g_StepFlag, live_->fadeLevel)) live_->stopRequest = true;
    };
    // After each output frame the plug-in program is asked for its next picture.
    live_->hooks.notifyPlugin = [] {
        Form_UDP().Fun_外挂_send_udp(kq::link::encodeMessage(kq::link::msg::NextPicture) + '\0');
    };
    Picture_显示 = new PictureView;
    buildControls();
    connect(&menus_, &ModelMenus::modelsChanged, this, [this] {
        Fun_素材对应模型combox显示();
        live_->outputResetRequest = true;
    });
}

RecordingPanel::~RecordingPanel() {
    // The picture lives in the main window's layout once placed there; unplaced, it is ours.
    if (Picture_显示 && !Picture_显示->parent()) delete Picture_显示;
}

QWidget* RecordingPanel::pictureWidget() const {
    return Picture_显示;
}

void RecordingPanel::buildControls() {
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    Combo素材 = kq::makePickList(this, QStringLiteral("Combo素材"));
    for (int i = 1; i <= kShowMaterials; ++i)
        Combo素材->addItem(QString::number(i));
    Combo素材对应模型 = kq::makePickList(this, QStringLiteral("Combo素材对应模型"));
    Text当前帧 = new QLineEdit(this);
    Text当前帧->setObjectName(QStringLiteral("Text当前帧"));
    Text当前帧->setReadOnly(true);
    Combo显示位置窗口 = kq::makePickList(this, QStringLiteral("Combo显示位置窗口"));
    for (const char* item : kPositionModes)
        Combo显示位置窗口->addItem(QCoreApplication::translate("kq", item));
    Label计数 = new QLabel(QStringLiteral("0"), this);
    Label计数->setObjectName(QStringLiteral("Label计数"));
    form->addRow(tr("素材"), Combo素材);
    form->addRow(tr("对应模型"), Combo素材对应模型);
    form->addRow(tr("当前帧"), Text当前帧);
    form->addRow(tr("位置窗口"), Combo显示位置窗口);
    form->addRow(tr("帧间隔(毫秒)"), Label计数);
    v->addLayout(form);
    auto* checks = new QGridLayout;
    Check重新录制 = kq::makeCheckBox(this, QStringLiteral("Check重新录制"), tr("重新录制"));
    Check自动查找相似帧 = kq::makeCheckBox(this, QStringLiteral("Check自动查找相似帧"), tr("自动查找相似帧"));
    Check淡入淡出 = kq::makeCheckBox(this, QStringLiteral("Check淡入淡出"), tr("淡入淡出"));
    Check单步录制 = kq::makeCheckBox(this, QStringLiteral("Check单步录制"), tr("单步录制"));
    Check线条显示 = kq::makeCheckBox(this, QStringLiteral("Check线条显示"), tr("线条显示"));
    int cell = 0;
    for (QCheckBox* c : {Check重新录制, Check自动查找相似帧, Check淡入淡出, Check单步录制, Check线条显示}) {
        checks->addWidget(c, cell / 2, cell % 2);
        ++cell;
    }
    v->addLayout(checks);
    auto* buttons = new QHBoxLayout;
    const char* const captions[] = {QT_TRANSLATE_NOOP("kq", "RGB录制"), QT_TRANSLATE_NOOP("kq", "R录制"),
                                    QT_TRANSLATE_NOOP("kq", "G录制"), QT_TRANSLATE_NOOP("kq", "B录制")};
    for (int i = 0; i < 4; ++i) {
        Command录制方式[size_t(i)] = kq::makeButton(this, QStringLiteral("Command录制方式%1").arg(i),
                                                    QCoreApplication::translate("kq", captions[i]));
        buttons->addWidget(Command录制方式[size_t(i)]);
        connect(Command录制方式[size_t(i)], &QPushButton::clicked, this, [this, i] { Command录制方式_Click(i); });
    }
    Command停止录制 = kq::makeButton(this, QStringLiteral("Command停止录制"), tr("停止\n录制"));
    Command停止录制->setEnabled(false);
    buttons->addWidget(Command停止录制);
    v->addLayout(buttons);
    connect(Command停止录制, &QPushButton::clicked, this, [this] { Command停止录制_Click(); });
    Label外挂画面 = new QLabel(this);
    Label外挂画面->setObjectName(QStringLiteral("Label外挂画面"));
    Label外挂画面->hide();
    v->addWidget(Label外挂画面);
    Check单步录制->setToolTip(tr("在位置显示界面按确认键到下一步"));
    connect(Check重新录制, &QCheckBox::toggled, this,
            [](bool on) { writeIni(kq::key::ContinueRecording, on ? 1 : 0); });
    connect(Check自动查找相似帧, &QCheckBox::toggled, this, [this](bool on) {
        writeIni(kq::key::FindSimilar, on ? 1 : 0);
        if (on && Check淡入淡出->isChecked()) Check淡入淡出->setChecked(false);
    });
    connect(Check淡入淡出, &QCheckBox::toggled, this, [this](bool on) {
        if (on && Check自动查找相似帧->isChecked()) Check自动查找相似帧->setChecked(false);
    });
    connect(Combo素材, &QComboBox::activated, this, [this] { Combo素材_Click(); });
    connect(Combo素材对应模型, &QComboBox::activated, this, [this](int index) {
        if (associationLoading_) return;
        const int model = index + 1;
        menus_.setMaterialModel(currentMaterial_, model);
        menus_.CD_模型_Click(model);
        Fun_录制显示素材信息();
    });
    connect(Combo显示位置窗口, &QComboBox::activated, this, [this](int index) {
        writeIni(kq::key::PositionWindowMode, index);
        g_PosWinMode = uint8_t(index);
        if (positionWindow_) positionWindow_->Fun_改变位置窗显示方式();
        Fun_位置窗体显示判断();
    });
}

void RecordingPanel::restoreCurrentMaterial() {
    if (const int m = Fun_ReadIniNumber(g_IniPath, kq::key::CurrentMaterial, 0, 1, kShowMaterials))
        Combo素材->setCurrentIndex(m - 1);
    currentMaterial_ = kq::numberIn(Combo素材, kShowMaterials);
}

void RecordingPanel::restoreRecordingOptions() {
    restoreCheck(Check重新录制, kq::key::ContinueRecording);
    restoreCheck(Check自动查找相似帧, kq::key::FindSimilar);
    similarityThreshold_ = Fun_ReadIniNumber(g_IniPath, kq::key::SimilarityThreshold, 97, 0, 100);
    similarityMinFrames_ = Fun_ReadIniNumber(g_IniPath, kq::key::SimilarityMinFrames, 6, 0, 100);
}

void RecordingPanel::createPositionWindow() {
    g_PosWinMode = uint8_t(Fun_ReadIniNumber(g_IniPath, kq::key::PositionWindowMode, 1, 0, 3));
    Combo显示位置窗口->setCurrentIndex(g_PosWinMode);
    if (!positionWindow_) positionWindow_ = std::make_unique<PositionWindow>();
    positionWindow_->Fun_改变位置窗显示方式();
    Fun_位置窗体显示判断();
}

void RecordingPanel::restoreSimilarityMargin() {
    similarityMargin_ = Fun_ReadIniNumber(g_IniPath, kq::key::SimilarityMargin, 10, 1, 100);
}

void RecordingPanel::showCurrentMaterial() {
    Combo素材->setCurrentIndex(currentMaterial_ - 1);
}

void RecordingPanel::Fun_素材对应模型combox显示() {
    associationLoading_ = true;
    Combo素材对应模型->clear();
    for (int i = 1; i <= kModelCount; ++i)
        Combo素材对应模型->addItem(QStringLiteral("%1 %2").arg(i).arg(g_ModelNote[i]));
    Combo素材对应模型->setCurrentIndex(std::max(0, menus_.materialModel(currentMaterial_) - 1));
    associationLoading_ = false;
}

void RecordingPanel::Fun_位置窗体显示判断() {
    if (positionWindow_) positionWindow_->setVisible(Combo显示位置窗口->currentIndex() != 0);
}

void RecordingPanel::Fun_录制显示素材信息() {
    const QString caption = menus_.modelCaption(g_CurModel) + tr("素材录制   ");
    if (title() != caption) setTitle(caption);
}

void RecordingPanel::Combo素材_Click() {
    currentMaterial_ = kq::numberIn(Combo素材, kShowMaterials);
    writeIni(kq::key::CurrentMaterial, currentMaterial_);
    Text当前帧->setText(QString::number(Fun_ReadFrameCount(kq::show::frameFilePath(g_AppFolder, 1, currentMaterial_))));
    const int model = std::clamp(menus_.materialModel(currentMaterial_), 1, kModelCount);
    associationLoading_ = true;
    Combo素材对应模型->setCurrentIndex(model - 1);
    associationLoading_ = false;
    if (model != g_CurModel) menus_.CD_模型_Click(model);
    emit materialChosen(currentMaterial_);
    Fun_录制显示素材信息();
}

void RecordingPanel::Fun_EnableRecordControls(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Check线条显示, Combo显示位置窗口, Check淡入淡出, Check自动查找相似帧,
                                         Check单步录制, Check重新录制, Combo素材, Command停止录制})
        w->setEnabled(enabled);
    for (QPushButton* b : Command录制方式)
        b->setEnabled(enabled);
}

void RecordingPanel::Command录制方式_Click(int index) {
    Fun_EnableRecordControls(false);
    Command停止录制->setEnabled(true);
    live_->startRequest = true;
    recordingMode_ = index;
}

void RecordingPanel::Command停止录制_Click() {
    if (!live_->recording) {
        // Stopped before the next tick served the start (or with nothing recording): nothing was
        // recorded, so a pending start is called off and the controls come back at once.
        live_->startRequest = false;
        restoreRecordControls();
        return;
    }
    Command停止录制->setEnabled(false);
    Command停止录制->setText(tr("正在生成文件！"));
    if (Check淡入淡出->isChecked())
        recorder_.fadeOutRequest = true;
    else
        live_->stopRequest = true;
}

void RecordingPanel::Fun_开始录制初始化() {
    const kq::record::RecordingOptions options{Check重新录制->isChecked(), Check自动查找相似帧->isChecked(),
                                               Check淡入淡出->isChecked(), Check单步录制->isChecked()};
    recorder_.similarityThreshold = similarityThreshold_;
    recorder_.similarityMinFrames = similarityMinFrames_;
    recorder_.similarityTolerance = similarityMargin_;
    std::array<bool, kMaxMachine + 1> driven{};
    const int model = currentModel();
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

void RecordingPanel::Fun_停止录制() {
    const QStringList failed = recorder_.finish(g_AppFolder);
    if (!failed.isEmpty())
        Fun_MsgBox(tr("文件保存失败！") + QStringLiteral("\r\n") + failed.join(QStringLiteral("\r\n")));
    live_->recording = false;
    Text当前帧->setStyleSheet(QString());
    Check自动查找相似帧->setText(tr("自动查找相似帧"));
    live_->stopRequest = false;
    restoreRecordControls();
}

void RecordingPanel::restoreRecordControls() {
    Command停止录制->setText(tr("停止录制"));
    Fun_EnableRecordControls(true);
    Command停止录制->setEnabled(true);
}

void RecordingPanel::finishBeforeClosing() {
    // A start not served yet had recorded nothing.
    live_->startRequest = false;
    if (live_->recording) Fun_停止录制();
    if (positionWindow_) positionWindow_->hide();
}

bool RecordingPanel::recordFrame(const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture) {
    const auto machineUsed = [&plan](int m) {
        for (int j = 1; j <= kq::record::kOutputPorts; ++j)
            if (plan.usedPorts[j][m]) return true;
        return false;
    };
    bool any = false;
    for (int m = 1; m <= kMaxMachine && !any; ++m)
        any = machineUsed(m);
    const bool found = any && recorder_.similarFrameFound(picture.bits);
    if (recorder_.lastPercent >= 0)
        Check自动查找相似帧->setText(QStringLiteral("%1%").arg(recorder_.lastPercent, 2, 10, QLatin1Char('0')));
    if (found) {
        Command停止录制_Click();
        return true;
    }
    for (int m = 1; m <= kMaxMachine; ++m)
        if (machineUsed(m)) recorder_.recordMachine(m);
    return false;
}

QPoint RecordingPanel::positionWindowTopLeft() const {
    return positionWindow_ ? positionWindow_->areaTopLeft() : QPoint();
}

void RecordingPanel::resizePositionWindow(const QSize& canvas) {
    if (!positionWindow_ || positionWindow_->canvasSize() == canvas) return;
    positionWindow_->setCanvasSize(canvas);
    // The screen is copied through another connection to the window system: make sure the new size
    // has been applied before that copy.
    QGuiApplication::sync();
}

void RecordingPanel::transparentForCapture(bool capturing) {
    if (positionWindow_) positionWindow_->Fun_截图的时候透明化(capturing);
}

void RecordingPanel::showPicture(const kq::record::CapturedPicture& picture) {
    // The picture is for the eye: refreshing it eight times a second is plenty, and drawing a large
    // area on every tick would cost more than sampling it.
    constexpr qint64 kRefreshMs = 125;
    if (pictureShown_.isValid() && pictureShown_.elapsed() < kRefreshMs) return;
    pictureShown_.start();
    if (!Picture_显示) return;
    // The capture's own memory, shrunk into the box at once: no copy of the whole area is made.
    const QImage image(picture.data(), picture.width, picture.height, int(picture.bytesPerRow()), QImage::Format_RGB32);
    Picture_显示->setPicture(image);
}

void RecordingPanel::showCaptureInterval(uint32_t ms) {
    Label计数->setText(QString::number(ms));
}

bool RecordingPanel::linesShown() const {
    return Check线条显示->isEnabled() && Check线条显示->isChecked();
}

void RecordingPanel::drawMaterialLine(const QPoint& from, const QPoint& to) {
    Picture_显示->addLine(QLine(from, to));
}

void RecordingPanel::hidePositionWindow() {
    if (positionWindow_) positionWindow_->hide();
}

void RecordingPanel::captureFailed(const QString& captureName, const QString& advice) {
    std::fprintf(stderr, "kq510: the screen cannot be copied (%s); nothing new is sent\n", qPrintable(captureName));
    QString text = tr("无法截取屏幕（%1），没有新的画面发送到机器。").arg(captureName);
    if (!advice.isEmpty()) text += QStringLiteral("\r\n") + advice;
    Fun_MsgBox(text);
}

const kq::record::CapturedPicture* RecordingPanel::pluginPicture() {
    return plugin_.hasPicture() ? &pluginPicture_ : nullptr;
}

void RecordingPanel::pluginMessage(const QByteArray& message) {
    using Event = kq::link::PluginPictures::Event;
    const Event event = plugin_.receive(message);
    // Not at every chunk: a large picture comes in hundreds of them.
    if (event == Event::Picture || event == Event::Incomplete || event == Event::Dropped) showPluginCounts();
    if (event != Event::Picture || !plugin_.hasPicture()) return;
    pluginPicture_.bits = plugin_.pixels().toByteArray();
    pluginPicture_.width = plugin_.width();
    pluginPicture_.height = plugin_.height();
    pictureShown_.invalidate(); // every plug-in picture is shown
    showPicture(pluginPicture_);
}

void RecordingPanel::showPluginCounts() {
    Label外挂画面->setText(tr("外挂画面：已收到 %1，已丢弃 %2，无效消息 %3")
                               .arg(plugin_.received())
                               .arg(plugin_.droppedPictures())
                               .arg(plugin_.dropped()));
    Label外挂画面->show();
}

void RecordingPanel::pluginTick(bool recordingSelected) {
    // When the pictures stop coming, the position window comes back.
    if (plugin_.tick() && recordingSelected) Fun_位置窗体显示判断();
}
