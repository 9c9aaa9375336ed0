#pragma once

#include "core/panel_widgets.h"

#include <QDateTime>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTimer;

// "Frame文件操作": builds the playback files, opens and saves model files, and keeps the automatic
// backup of the models ("Timer1", "Combo_文件备份").
class FilePanel : public kq::StatePanel {
    Q_OBJECT
public:
    // reviewedMaterial: the show material "只限当前素材" limits a build to.
    explicit FilePanel(std::function<int()> reviewedMaterial, QWidget* parent = nullptr);

    void Command生成SD卡文件_Click();
    // "导出FSEQ…" / "导入FSEQ…": the reviewed show material to and from a sequence file of the open
    // players.
    void Command导出FSEQ_Click();
    void Command导入FSEQ_Click();
    void setBuildEnabled(bool enabled);
    // The build's part of the frame-editing controls.
    void setBuildControlsEnabled(bool enabled);

    // "参数文件自动备份": read at load; the one-second timer starts then.
    void startBackup();
    // Writes a backup of the 20 models named after `now`; returns its path (empty when it failed).
    QString Fun_自动备份(const QDateTime& now);
    static QString backupPath(const QString& appFolder, const QDateTime& now);
    int backupPeriodTicks() const { return backupPeriod_; }

signals:
    // A build runs: the frame-editing controls are off meanwhile.
    void buildRunning(bool running);
    // A model file was opened: the model menus follow.
    void modelsLoaded();
    // "预览": the show material on its model's layout.
    void previewRequested(int material);

private:
    void setBackupIndex(int index);
    void sequenceRunning(bool running);
    void onBackupTick();

    std::function<int()> reviewedMaterial_;
    QPushButton* Command生成SD卡文件 = nullptr;
    QCheckBox* Check只限当前素材 = nullptr;
    QComboBox* Combo_文件备份 = nullptr;
    QPushButton* Command_读取文件 = nullptr;
    QPushButton* Command_保存文件 = nullptr;
    QPushButton* Command预览 = nullptr;
    QPushButton* Command导出FSEQ = nullptr;
    QPushButton* Command导入FSEQ = nullptr;
    QTimer* Timer1 = nullptr;
    int backupPeriod_ = 0; // 0 until read at load
    int backupTicks_ = 0;
};
