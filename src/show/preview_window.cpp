#include "preview_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace kq::show;

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture预览"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

void PreviewCanvas::setShow(const PreviewLayout* layout, const std::vector<QRgb>* colours) {
    layout_ = layout;
    colours_ = colours;
    update();
}

void PreviewCanvas::zoomIn() {
    view_.zoomIn(mouse_.x(), mouse_.y());
    update();
}

void PreviewCanvas::zoomOut() {
    view_.zoomOut(mouse_.x(), mouse_.y());
    update();
}

void PreviewCanvas::fit() {
    if (layout_) view_.fit(size(), layout_->length, layout_->width);
    update();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
    if (picture_.size() != size()) picture_ = QImage(size(), QImage::Format_RGB32);
    if (layout_ && colours_ && colours_->size() == layout_->points.size())
        drawPreview(picture_, view_.scale, view_.ox, view_.oy, *layout_, *colours_, true);
    else
        picture_.fill(Qt::black);
    QPainter(this).drawImage(0, 0, picture_);
}

void PreviewCanvas::mousePressEvent(QMouseEvent* e) {
    mouse_ = e->position().toPoint();
    dragging_ = e->button() == Qt::LeftButton;
    pressAt_ = mouse_;
    pressOffset_ = {view_.ox, view_.oy};
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* e) {
    mouse_ = e->position().toPoint();
    if (!dragging_) return;
    view_.ox = mouse_.x() - pressAt_.x() + pressOffset_.x();
    view_.oy = mouse_.y() - pressAt_.y() + pressOffset_.y();
    update();
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void PreviewCanvas::wheelEvent(QWheelEvent* e) {
    e->accept();
    mouse_ = e->position().toPoint();
    if (e->angleDelta().y() > 0)
        zoomIn();
    else if (e->angleDelta().y() < 0)
        zoomOut();
}

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form预览"));
    setWindowTitle(tr("预览"));
    Combo预览素材 = kq::makePickList(this, QStringLiteral("Combo预览素材"));
    for (int i = 1; i <= kShowMaterials; ++i)
        Combo预览素材->addItem(QString::number(i));
    Combo预览模型 = kq::makePickList(this, QStringLiteral("Combo预览模型"));
    Command预览播放 = kq::makeButton(this, QStringLiteral("Command预览播放"), tr("播放"));
    Command预览适合窗口 = kq::makeButton(this, QStringLiteral("Command预览适合窗口"), tr("适合窗口"));
    Command预览导出 = kq::makeButton(this, QStringLiteral("Command预览导出"), tr("导出动画…"));
    Label预览帧数 = new QLabel(this);
    Label预览帧数->setObjectName(QStringLiteral("Label预览帧数"));
    Label预览信息 = new QLabel(this);
    Label预览信息->setObjectName(QStringLiteral("Label预览信息"));
    HScroll预览帧 = new QScrollBar(Qt::Horizontal, this);
    HScroll预览帧->setObjectName(QStringLiteral("HScroll预览帧"));
    HScroll预览帧->setRange(1, 1);
    HScroll预览帧->setAccessibleName(tr("帧"));
    Picture预览 = new PreviewCanvas(this);
    Picture预览->setFocusPolicy(Qt::StrongFocus);
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);

    auto* top = new QHBoxLayout;
    top->addWidget(kq::makeLabel(Combo预览素材, tr("素材")));
    top->addWidget(Combo预览素材);
    top->addWidget(kq::makeLabel(Combo预览模型, tr("模型")));
    top->addWidget(Combo预览模型, 1);
    top->addWidget(Command预览播放);
    top->addWidget(Command预览适合窗口);
    top->addWidget(Command预览导出);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(HScroll预览帧, 1);
    bottom->addWidget(Label预览帧数);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Picture预览, 1);
    layout->addLayout(bottom);
    layout->addWidget(Label预览信息);
    resize(900, 700);

    connect(Combo预览素材, &QComboBox::activated, this, [this] {
        // The model the material is recorded against comes with it, as in the main window.
        const int material = kq::numberIn(Combo预览素材, kShowMaterials);
        Combo预览模型->setCurrentIndex(Fun_ReadMaterialModel(material) - 1);
        load();
    });
    connect(Combo预览模型, &QComboBox::activated, this, [this] { load(); });
    connect(Command预览播放, &QPushButton::clicked, this, [this] { Command播放_Click(); });
    connect(Command预览适合窗口, &QPushButton::clicked, Picture预览, &PreviewCanvas::fit);
    connect(Command预览导出, &QPushButton::clicked, this, [this] { Command导出_Click(); });
    connect(HScroll预览帧, &QScrollBar::valueChanged, this, [this](int k) { showFrame(k); });
    connect(timer_, &QTimer::timeout, this, [this] { step(); });
    watcher_ = new QFileSystemWatcher(this);
    follow_ = new QTimer(this);
    follow_->setSingleShot(true);
    follow_->setInterval(100);
    connect(follow_, &QTimer::timeout, this, [this] { followShowFiles(); });
    const auto changed = [this] {
        if (isVisible()) follow_->start();
    };
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, changed);
}

void PreviewWindow::watchShowFiles() {
    // The frame files are written aside and renamed into place, which their folders see; the folders
    // above see the show folder and a machine's folder made by the first recording.
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    QStringList folders{g_AppFolder, frameFolder(g_AppFolder, 1).section(QLatin1Char('/'), 0, -2)};
    for (int m = 1; m <= kMaxMachine; ++m)
        folders << frameFolder(g_AppFolder, m);
    for (const QString& folder : folders)
        if (QFileInfo(folder).isDir()) watcher_->addPath(folder);
}

bool PreviewWindow::followShowFiles() {
    if (exporting_ || !reader_.filesChanged()) return false;
    load(frame(), true);
    return true;
}

void PreviewWindow::followModel() {
    const int model = std::clamp(Combo预览模型->currentIndex() + 1, 1, kModelCount);
    PreviewLayout now = previewLayout(g_Materials[model], g_ModelLength[model], g_ModelWidth[model]);
    if (now == layout_) return;
    layout_ = std::move(now);
    showFrame(frame());
}

void PreviewWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // Coming back from another window (the editor, the review panel): the model and the show as they
    // are now.
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && isVisible() && !exporting_) {
        if (!followShowFiles()) followModel();
    }
}

void PreviewWindow::openMaterial(int material) {
    if (exporting_) {
        // The window goes on showing the show it exports; the one asked for opens when it is over.
        pendingMaterial_ = std::clamp(material, 1, kShowMaterials);
        Label预览信息->setText(tr("导出结束后打开素材%1").arg(pendingMaterial_));
        raise();
        return;
    }
    Combo预览模型->clear();
    for (int i = 1; i <= kModelCount; ++i)
        Combo预览模型->addItem(QStringLiteral("%1 %2").arg(i).arg(g_ModelNote[i]));
    material = std::clamp(material, 1, kShowMaterials);
    Combo预览素材->setCurrentIndex(material - 1);
    Combo预览模型->setCurrentIndex(Fun_ReadMaterialModel(material) - 1);
    load();
    show();
    raise();
    activateWindow();
    Picture预览->fit();
    Picture预览->setFocus();
}

void PreviewWindow::load(int shownFrame, bool keepPlaying) {
    const bool wasPlaying = timer_->isActive();
    timer_->stop();
    Command预览播放->setText(tr("播放"));
    watchShowFiles();
    const int material = kq::numberIn(Combo预览素材, kShowMaterials);
    const int model = std::clamp(Combo预览模型->currentIndex() + 1, 1, kModelCount);
    layout_ = previewLayout(g_Materials[model], g_ModelLength[model], g_ModelWidth[model]);
    QString error;
    loaded_ = reader_.open(g_AppFolder, material, &error);
    QStringList machines;
    for (int m = 1; m <= kMaxMachine; ++m)
        if (reader_.machineFrames(m) > 0) machines << QString::number(m);
    if (!loaded_)
        Label预览信息->setText(tr("素材%1不能预览：%2").arg(material).arg(error));
    else
        Label预览信息->setText(tr("素材%1，模型%2，%3个像素；有帧文件的机器：%4")
                                   .arg(material)
                                   .arg(model)
                                   .arg(layout_.points.size())
                                   .arg(machines.join(tr("、"))));
    Command预览播放->setEnabled(loaded_);
    Command预览导出->setEnabled(loaded_);
    const int frames = std::max(1, reader_.frameCount());
    HScroll预览帧->blockSignals(true);
    HScroll预览帧->setRange(1, frames);
    HScroll预览帧->setValue(std::clamp(shownFrame, 1, frames));
    HScroll预览帧->blockSignals(false);
    showFrame(HScroll预览帧->value());
    if (keepPlaying && wasPlaying && loaded_) Command播放_Click();
}

void PreviewWindow::showFrame(int k) {
    k = std::clamp(k, 1, std::max(1, reader_.frameCount()));
    if (HScroll预览帧->value() != k) {
        HScroll预览帧->setValue(k); // comes back here through valueChanged
        return;
    }
    if (loaded_) {
        reader_.read(k, frame_);
    } else {
        for (auto& f : frame_)
            f.present = false;
    }
    mapBack(layout_, frame_, colours_);
    Label预览帧数->setText(tr("第%1帧/共%2帧").arg(loaded_ ? k : 0).arg(reader_.frameCount()));
    Picture预览->setShow(&layout_, &colours_);
}

int PreviewWindow::frame() const {
    return HScroll预览帧->value();
}

bool PreviewWindow::playing() const {
    return timer_->isActive();
}

void PreviewWindow::step() {
    showFrame(frame() < reader_.frameCount() ? frame() + 1 : 1);
}

void PreviewWindow::Command播放_Click() {
    if (exporting_) return;
    if (timer_->isActive()) {
        timer_->stop();
        Command预览播放->setText(tr("播放"));
    } else if (loaded_) {
        timer_->start(std::max(1, g_FramePeriodMs));
        Command预览播放->setText(tr("暂停"));
    }
}

void PreviewWindow::Command导出_Click() {
    if (!loaded_ || exporting_) return;
    // A GIF unless the name asks for a WebP animation or a folder of PNG files.
    QString path =
        kq::dialogs().saveFileName({tr("导出动画"), tr("动画 (*.gif *.webp)"), g_AppFolder, false}).trimmed();
    if (path.isEmpty()) return;
    if (!exportFormatOf(path)) path += QStringLiteral(".gif");
    // The show files and the model as they are now: what was read before may be out of date.
    const bool wasPlaying = timer_->isActive();
    if (!followShowFiles()) followModel();
    timer_->stop();
    if (!loaded_) {
        Fun_MsgBox(tr("导出失败：%1").arg(Label预览信息->text()));
        return;
    }
    // A model too large for a picture at 1:1 is exported at the largest scale that fits, and said.
    const double scale = largestExportScale(layout_.length, layout_.width, 1);
    const QSize size = exportSize(layout_.length, layout_.width, scale);
    const QString scaled = scale < 1 ? tr("模型%1 × %2像素太大，按比例%3导出为%4 × %5像素的画面。")
                                           .arg(layout_.length)
                                           .arg(layout_.width)
                                           .arg(scale)
                                           .arg(size.width())
                                           .arg(size.height())
                                     : QString();
    exporting_ = true;
    // Meanwhile the show, the model and playing stay as they are; the frames can still be looked at.
    const auto enableChoices = [this](bool enabled) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{Combo预览素材, Combo预览模型, Command预览播放, Command预览导出})
            w->setEnabled(enabled);
    };
    enableChoices(false);
    ExportOptions options;
    options.firstFrame = 1;
    options.lastFrame = reader_.frameCount();
    options.periodMs = g_FramePeriodMs;
    options.scale = scale;
    options.out = path;
    QString error;
    // The window's own reader serves: a read takes no position from the one before, and the show and
    // model stay as they are until the export is over.
    const bool ok = exportPreview(
        reader_, layout_, options,
        [this](int done, int total) {
            Label预览信息->setText(
                tr("正在导出：%1/%2帧").arg(done).arg(total) +
                (pendingMaterial_ ? tr("（导出结束后打开素材%1）").arg(pendingMaterial_) : QString()));
            kq::appPump().pumpPending();
            return isVisible();
        },
        &error);
    exporting_ = false;
    enableChoices(true);
    const QString said = ok ? tr("已导出：%1").arg(path) : tr("导出失败：%1").arg(error);
    Label预览信息->setText(scaled.isEmpty() ? said : said + QLatin1Char(' ') + scaled);
    Fun_MsgBox(ok ? tr("导出完成！\r\n%1").arg(path) + (scaled.isEmpty() ? QString() : QStringLiteral("\r\n") + scaled)
                  : tr("导出失败：%1").arg(error));
    if (const int pending = std::exchange(pendingMaterial_, 0)) {
        openMaterial(pending);
        return;
    }
    followShowFiles(); // what changed while the export ran
    if (wasPlaying) Command播放_Click();
}

void PreviewWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        showFrame(frame() > 1 ? frame() - 1 : reader_.frameCount());
        break;
    case Qt::Key_Right:
        step();
        break;
    case Qt::Key_Home:
        showFrame(1);
        break;
    case Qt::Key_End:
        showFrame(reader_.frameCount());
        break;
    case Qt::Key_Space:
        Command播放_Click();
        break;
    case Qt::Key_F:
        Picture预览->fit();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Picture预览->zoomIn();
        break;
    case Qt::Key_Minus:
        Picture预览->zoomOut();
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void PreviewWindow::closeEvent(QCloseEvent* e) {
    timer_->stop();
    Command预览播放->setText(tr("播放"));
    QWidget::closeEvent(e);
}
