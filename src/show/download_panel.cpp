#include "download_panel.h"

#include "admin/device_utilities.h"
#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/shared_state.h"
#include "firmware_upgrade.h"
#include "link/reply_query.h"
#include "link/transport.h"
#include "show_download.h"
#include "transfer_log.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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
    void changed() override {
        text_->setPlainText(QString(text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

private:
    QPlainTextEdit* text_;
    QProgressBar* bar_;
};
} // namespace

// One transfer at a time: the buttons stay disabled while one runs, and a click that still gets through
// (the event pumps of the acknowledgement waits deliver clicks) is ignored.
class DownloadPanel::TransferGuard {
public:
    explicit TransferGuard(DownloadPanel* p) : p_(p), active_(!p->transferRunning_) {
        if (!active_) return;
        p_->transferRunning_ = true;
        p_->setTransferButtonsEnabled(false);
        emit p_->transferRunning(true);
    }
    ~TransferGuard() {
        if (!active_) return;
        p_->transferRunning_ = false;
        p_->setTransferButtonsEnabled(true);
        p_->transferProgress->setVisible(false);
        emit p_->transferRunning(false);
    }
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;
    bool active() const { return active_; }

private:
    DownloadPanel* p_;
    bool active_;
};

DownloadPanel::DownloadPanel(QWidget* parent) : kq::StatePanel(tr("下载文件"), parent) {
    setObjectName(QStringLiteral("FrameSD卡文件"));
    auto* v = new QVBoxLayout(this);
    auto* machines = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    for (int i = 1; i <= kMaxMachine; ++i) {
        Option机器下载选择[size_t(i)] = new QRadioButton(QString::number(i), this);
        Option机器下载选择[size_t(i)]->setObjectName(QStringLiteral("Option机器下载选择%1").arg(i));
        group->addButton(Option机器下载选择[size_t(i)], i);
        machines->addWidget(Option机器下载选择[size_t(i)]);
        connect(Option机器下载选择[size_t(i)], &QRadioButton::clicked, this, [this, i] { downloadMachine_ = i; });
    }
    Option机器下载选择[1]->setChecked(true);
    v->addLayout(machines);
    auto* buttons = new QGridLayout;
    const auto button = [&](QPushButton*& b, const QString& name, const QString& caption, int r, int c) {
        b = kq::makeButton(this, name, caption);
        buttons->addWidget(b, r, c);
    };
    button(CommandSD卡文件, QStringLiteral("CommandSD卡文件"), tr("下载到选中机器"), 0, 0);
    button(Command下载所有灯光文件, QStringLiteral("Command下载所有灯光文件"), tr("下载所有灯光文件"), 0, 1);
    button(Command升级程序, QStringLiteral("Command升级程序"), tr("升级程序"), 0, 2);
    button(Command控制器设置, QStringLiteral("Command控制器设置"), tr("控制器设置"), 0, 3);
    button(Command获取版本号, QStringLiteral("Command获取版本号"), tr("查看版本号"), 1, 0);
    button(Command重启, QStringLiteral("Command重启"), tr("重启所有机器"), 1, 1);
    button(Command设置机器, QStringLiteral("Command设置机器"), tr("设置\n(通过ID)"), 1, 2);
    button(Command通过机器序列号设置ID, QStringLiteral("Command通过机器序列号设置ID"), tr("通过序列号\n设置ID"), 1, 3);
    v->addLayout(buttons);
    Text下载SD卡文件信息 = new QPlainTextEdit(this);
    Text下载SD卡文件信息->setObjectName(QStringLiteral("Text下载SD卡文件信息"));
    Text下载SD卡文件信息->setReadOnly(true);
    Text下载SD卡文件信息->setAccessibleName(tr("传输记录"));
    Text下载SD卡文件信息->setMinimumHeight(140);
    transferProgress = new QProgressBar(this);
    transferProgress->setObjectName(QStringLiteral("transferProgress"));
    transferProgress->setVisible(false);
    v->addWidget(Text下载SD卡文件信息);
    v->addWidget(transferProgress);
    transferLog_ = std::make_unique<WindowTransferLog>(Text下载SD卡文件信息, transferProgress);
    connect(CommandSD卡文件, &QPushButton::clicked, this, [this] { CommandSD卡文件_Click(); });
    connect(Command下载所有灯光文件, &QPushButton::clicked, this, [this] { Command下载所有灯光文件_Click(); });
    connect(Command升级程序, &QPushButton::clicked, this, [this] { Command升级程序_Click(); });
    connect(Command获取版本号, &QPushButton::clicked, this, [this] { Command获取版本号_Click(); });
    connect(Command重启, &QPushButton::clicked, this, [this] { Command重启_Click(); });
    connect(Command设置机器, &QPushButton::clicked, this, &DownloadPanel::machineSetupRequested);
    connect(Command控制器设置, &QPushButton::clicked, this, &DownloadPanel::controllersRequested);
    connect(Command通过机器序列号设置ID, &QPushButton::clicked, this, &DownloadPanel::chipSetupRequested);
}

DownloadPanel::~DownloadPanel() = default;

void DownloadPanel::selectDownloadMachine(int machine) {
    downloadMachine_ = machine;
    Option机器下载选择[size_t(machine)]->setChecked(true);
}

void DownloadPanel::setTransferButtonsEnabled(bool enabled) {
    for (QPushButton* b : {CommandSD卡文件, Command下载所有灯光文件, Command升级程序, Command获取版本号})
        b->setEnabled(enabled);
}

void DownloadPanel::CommandSD卡文件_Click() {
    TransferGuard guard(this);
    if (guard.active()) Fun_DownloadToMachine(downloadMachine_, *transferLog_);
}

void DownloadPanel::Command下载所有灯光文件_Click() {
    TransferGuard guard(this);
    if (guard.active()) Fun_DownloadToAllMachines(*transferLog_);
}

void DownloadPanel::Command升级程序_Click(const QString& path) {
    TransferGuard guard(this);
    if (guard.active()) Fun_UpgradeMachine(downloadMachine_, *transferLog_, path);
}

void DownloadPanel::Command获取版本号_Click() {
    TransferGuard guard(this);
    if (!guard.active()) return;
    kq::link::ReplyQuery replies;
    if (!kq::link::claimedOrSaid(replies)) return;
    Text下载SD卡文件信息->setPlainText(tr("获取版本号->\n"));
    for (int k = 1; k <= kMaxMachine; ++k) {
        replies.reset();
        Fun_SendFrame(k, kq::link::code::VersionQuery, {}, true);
        Fun_Delay(400);
        const QString line = replies.replies().isEmpty() ? tr("获取失败") : kq::admin::versionText(replies.replies());
        Text下载SD卡文件信息->setPlainText(Text下载SD卡文件信息->toPlainText() + line + QLatin1Char('\n'));
        if (g_ExitRequested) return;
    }
}

void DownloadPanel::Command重启_Click() {
    Fun_SendFrame(0, kq::link::code::Restart, {}, true);
}
