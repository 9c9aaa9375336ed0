#include "file_panel.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "frame_store.h"
#include "fseq_show.h"
#include "link/controller_settings.h"
#include "model/model_file.h"
#include "playback_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int kBackupTickMs = 1000;
constexpr int kBackupPeriods[] = {1, 30, 60, 120, 300, 600, 1800};
const char* const kBackupItems[] = {QT_TRANSLATE_NOOP("kq", "不备份"), QT_TRANSLATE_NOOP("kq", "30秒"),
                                    QT_TRANSLATE_NOOP("kq", "1分钟"),  QT_TRANSLATE_NOOP("kq", "2分钟"),
                                    QT_TRANSLATE_NOOP("kq", "5分钟"),  QT_TRANSLATE_NOOP("kq", "10分钟"),
                                    QT_TRANSLATE_NOOP("kq", "30分钟")};
} // namespace

FilePanel::FilePanel(std::function<int()> reviewedMaterial, QWidget* parent)
    : kq::StatePanel(tr("文件操作"), parent), reviewedMaterial_(std::move(reviewedMaterial)) {
    setObjectName(QStringLiteral("Frame文件操作"));
    auto* form = new QFormLayout(this);
    Command生成SD卡文件 = kq::makeButton(this, QStringLiteral("Command生成SD卡文件"), tr("生成播放文件"));
    Check只限当前素材 = kq::makeCheckBox(this, QStringLiteral("Check只限当前素材"), tr("只限当前素材"));
    Combo_文件备份 = kq::makePickList(this, QStringLiteral("Combo_文件备份"));
    for (const char* item : kBackupItems)
        Combo_文件备份->addItem(QCoreApplication::translate("kq", item));
    Command_读取文件 = kq::makeButton(this, QStringLiteral("Command_读取文件"), tr("读取文件"));
    Command_保存文件 = kq::makeButton(this, QStringLiteral("Command_保存文件"), tr("保存文件"));
    auto* build = new QHBoxLayout;
    build->addWidget(Command生成SD卡文件);
    build->addWidget(Check只限当前素材);
    Command预览 = kq::makeButton(this, QStringLiteral("Command文件预览"), tr("预览"));
    auto* files = new QHBoxLayout;
    files->addWidget(Command_读取文件);
    files->addWidget(Command_保存文件);
    files->addWidget(Command预览);
    Command导出FSEQ = kq::makeButton(this, QStringLiteral("Command导出FSEQ"), tr("导出FSEQ…"));
    Command导入FSEQ = kq::makeButton(this, QStringLiteral("Command导入FSEQ"), tr("导入FSEQ…"));
    auto* sequences = new QHBoxLayout;
    sequences->addWidget(Command导出FSEQ);
    sequences->addWidget(Command导入FSEQ);
    form->addRow(build);
    form->addRow(files);
    form->addRow(sequences);
    form->addRow(tr("自动备份"), Combo_文件备份);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, [this] { onBackupTick(); });
    connect(Command生成SD卡文件, &QPushButton::clicked, this, [this] { Command生成SD卡文件_Click(); });
    connect(Command预览, &QPushButton::clicked, this, [this] { emit previewRequested(reviewedMaterial_()); });
    connect(Command导出FSEQ, &QPushButton::clicked, this, [this] { Command导出FSEQ_Click(); });
    connect(Command导入FSEQ, &QPushButton::clicked, this, [this] { Command导入FSEQ_Click(); });
    connect(Command_读取文件, &QPushButton::clicked, this, [this] {
        Fun_OpenModel(QString());
        emit modelsLoaded();
    });
    connect(Command_保存文件, &QPushButton::clicked, this, [] { Fun_SaveModelAs(); });
    connect(Combo_文件备份, &QComboBox::activated, this, [this](int index) {
        Fun_WriteIni(g_IniPath, kq::key::BackupInterval, QString::number(index));
        setBackupIndex(index);
    });
}

namespace {

// Progress on the button while the events keep coming: the window stays alive.
std::function<bool(int, int)> onButton(QPushButton* button, const QString& doing) {
    return [button, doing](int done, int total) {
        button->setText(doing + QStringLiteral(" %1/%2").arg(done).arg(total));
        kq::appPump().pumpPending();
        return true;
    };
}

} // namespace

void FilePanel::sequenceRunning(bool running) {
    // Meanwhile the frames stay as they are: no build, no deletion, no second export or import.
    if (running) emit buildRunning(true);
    Command导出FSEQ->setEnabled(!running);
    Command导入FSEQ->setEnabled(!running);
    if (!running) emit buildRunning(false);
}

void FilePanel::Command导出FSEQ_Click() {
    const int material = reviewedMaterial_();
    QString path = kq::dialogs().saveFileName({tr("导出FSEQ"), tr("序列文件 (*.fseq)"), g_AppFolder, false}).trimmed();
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".fseq"), Qt::CaseInsensitive)) path += QStringLiteral(".fseq");
    kq::show::FseqExportOptions o;
    o.material = material;
    o.out = path;
    o.periodMs = g_FramePeriodMs;
    const QString caption = Command导出FSEQ->text();
    sequenceRunning(true);
    QString error;
    const bool ok = kq::show::exportFseq(g_AppFolder, g_Materials[Fun_ReadMaterialModel(material)],
                                         kq::link::readControllers(g_IniPath), o,
                                         onButton(Command导出FSEQ, tr("正在导出")), &error);
    Command导出FSEQ->setText(caption);
    sequenceRunning(false);
    Fun_MsgBox(ok ? tr("导出完成！\r\n%1").arg(path) : tr("导出失败：%1").arg(error));
}

void FilePanel::Command导入FSEQ_Click() {
    const int material = reviewedMaterial_();
    const QString path =
        kq::dialogs().openFileName({tr("导入FSEQ"), tr("序列文件 (*.fseq)"), g_AppFolder, true}).trimmed();
    if (path.isEmpty()) return;
    kq::show::FseqImportOptions o;
    o.in = path;
    o.material = material;
    // A step time the machines cannot play is resampled to the frame period, when the user says so.
    if (const std::optional<QByteArray> bytes = kq::readWholeFile(path)) {
        kq::show::FseqReader header;
        if (header.open(QByteArrayView(*bytes)) && (header.info().stepMs < 30 || header.info().stepMs > 200)) {
            if (!Fun_AskYesNo(
                    tr("序列文件的步长是%1毫秒，机器只能播放30到200毫秒的帧时间。\r\n按帧时间%2毫秒重新取样吗？")
                        .arg(header.info().stepMs)
                        .arg(g_FramePeriodMs)))
                return;
            o.periodMs = g_FramePeriodMs;
        }
    }
    bool recorded = false;
    for (int m = 1; m <= kMaxMachine; ++m)
        recorded = recorded || QFileInfo::exists(kq::show::frameFilePath(g_AppFolder, m, material));
    if (recorded && !Fun_AskYesNo(tr("素材%1已经有录制的帧。要用这个序列文件替换它们吗？").arg(material))) return;
    o.replace = true;
    const QString caption = Command导入FSEQ->text();
    sequenceRunning(true);
    QString error;
    const std::optional<kq::show::FseqImportResult> r = kq::show::importFseq(
        g_AppFolder, g_Materials[Fun_ReadMaterialModel(material)], kq::link::readControllers(g_IniPath), o,
        onButton(Command导入FSEQ, tr("正在导入")), &error);
    Command导入FSEQ->setText(caption);
    sequenceRunning(false);
    if (!r) {
        Fun_MsgBox(tr("导入失败：%1").arg(error));
        return;
    }
    QString said = tr("导入完成！素材%1：%2帧，帧时间%3毫秒").arg(material).arg(r->frames).arg(r->periodMs);
    if (r->unmappedChannels > 0) said += tr("\r\n有%1个通道不属于任何机器，没有导入").arg(r->unmappedChannels);
    Fun_MsgBox(said);
}

void FilePanel::setBuildEnabled(bool enabled) {
    Command生成SD卡文件->setEnabled(enabled);
}

void FilePanel::setBuildControlsEnabled(bool enabled) {
    Check只限当前素材->setEnabled(enabled);
    Command生成SD卡文件->setEnabled(enabled);
}

void FilePanel::Command生成SD卡文件_Click() {
    emit buildRunning(true);
    Command生成SD卡文件->setText(tr("正在生成文件"));
    const int filter = Check只限当前素材->isChecked() ? reviewedMaterial_() : 0;
    bool ok = true;
    QStringList damaged;
    for (int m = 1; m <= kMaxMachine; ++m)
        ok = Fun_BuildPlaybackFile(m, filter, &damaged) && ok;
    QString text = ok ? tr("已经生成文件 !") : tr("文件保存失败！");
    if (!damaged.isEmpty())
        text += tr("\r\n以下素材文件已损坏，没有加入播放文件：\r\n") + damaged.join(QStringLiteral("\r\n"));
    Fun_MsgBox(text);
    Command生成SD卡文件->setText(tr("生成播放文件"));
    emit buildRunning(false);
}

void FilePanel::startBackup() {
    if (backupPeriod_ == 0) {
        const int index = Fun_ReadIniNumber(g_IniPath, kq::key::BackupInterval, 0, 0, 6);
        Combo_文件备份->setCurrentIndex(index);
        setBackupIndex(index);
    }
    Timer1->start(kBackupTickMs);
}

QString FilePanel::backupPath(const QString& appFolder, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QStringLiteral("%1/自动备份/%2年%3月%4日/%5点%6分%7秒模型.mx20")
        .arg(appFolder)
        .arg(d.year())
        .arg(Fun_Pad2(d.month()), Fun_Pad2(d.day()), Fun_Pad2(t.hour()), Fun_Pad2(t.minute()), Fun_Pad2(t.second()));
}

QString FilePanel::Fun_自动备份(const QDateTime& now) {
    // A backup is a copy: the model file in use and the one the next start opens stay what they are.
    const QString path = backupPath(g_AppFolder, now);
    QDir().mkpath(QFileInfo(path).path());
    return Fun_WriteModelFile(path) ? path : QString();
}

void FilePanel::setBackupIndex(int index) {
    backupPeriod_ = kBackupPeriods[std::clamp(index, 0, 6)];
}

void FilePanel::onBackupTick() {
    if (backupPeriod_ <= 1) return;
    if (++backupTicks_ > backupPeriod_) {
        backupTicks_ = 0;
        Fun_自动备份(QDateTime::currentDateTime());
    }
}
