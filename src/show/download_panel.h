#pragma once

#include "core/panel_widgets.h"

#include <array>
#include <memory>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TransferLog;

// "FrameSD卡文件": downloads playback files to one machine or all, upgrades a machine's firmware,
// asks the machines for their versions and restarts them, with the log of it all.
class DownloadPanel : public kq::StatePanel {
    Q_OBJECT
public:
    explicit DownloadPanel(QWidget* parent = nullptr);
    ~DownloadPanel() override;

    void CommandSD卡文件_Click();
    void Command下载所有灯光文件_Click();
    void Command升级程序_Click(const QString& path = QString());
    void Command获取版本号_Click();
    void Command重启_Click();
    // "Option机器下载选择": the machine one download or upgrade goes to; 1 after start-up.
    void selectDownloadMachine(int machine);

signals:
    // A transfer began or ended: other work with the machines waits for it.
    void transferRunning(bool running);
    // "设置 (通过ID)" and "通过序列号设置ID": the machine administration windows.
    void machineSetupRequested();
    void chipSetupRequested();
    void controllersRequested(); // "控制器设置"

private:
    class TransferGuard;
    void setTransferButtonsEnabled(bool enabled);

    std::array<QRadioButton*, 11> Option机器下载选择{};
    QPushButton* CommandSD卡文件 = nullptr;
    QPushButton* Command下载所有灯光文件 = nullptr;
    QPushButton* Command升级程序 = nullptr;
    QPushButton* Command控制器设置 = nullptr;
    QPushButton* Command获取版本号 = nullptr;
    QPushButton* Command重启 = nullptr;
    QPushButton* Command设置机器 = nullptr;
    QPushButton* Command通过机器序列号设置ID = nullptr;
    QPlainTextEdit* Text下载SD卡文件信息 = nullptr;
    QProgressBar* transferProgress = nullptr;
    std::unique_ptr<TransferLog> transferLog_;
    bool transferRunning_ = false;
    int downloadMachine_ = 1;
};
