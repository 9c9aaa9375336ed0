#include "chip_id_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/transport.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr qsizetype kChipReplyBytes = 64 * 1024;
} // namespace

ChipIdWindow::ChipIdWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form芯片序列设置ID"));
    setWindowTitle(tr("通过芯片序列号设置ID"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("机器列表"), this), 0, 0, 1, 3);
    List列表 = new QListWidget(this);
    List列表->setObjectName(QStringLiteral("List列表"));
    List列表->setMinimumWidth(460);
    List列表->setAccessibleName(tr("机器列表"));
    grid->addWidget(List列表, 1, 0, 1, 3);
    Label跳过 = new QLabel(this);
    Label跳过->setObjectName(QStringLiteral("Label跳过"));
    grid->addWidget(Label跳过, 2, 0, 1, 3);
    grid->addWidget(new QLabel(tr("序列号"), this), 3, 0);
    Label序列号 = new QLabel(this);
    Label序列号->setObjectName(QStringLiteral("Label序列号"));
    grid->addWidget(Label序列号, 3, 1, 1, 2);
    boxes_.build(this, grid, 4, QStringLiteral("ComboID"));
    connect(List列表, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List列表_Click(List列表->row(item)); });
    connect(boxes_.set, &QPushButton::clicked, this, [this] { Command设置_Click(); });
}

void ChipIdWindow::Fun_Form芯片序列设置ID_show() {
    show();
    raise();
    Fun_读取数据();
}

void ChipIdWindow::Fun_控件enable(bool enabled) {
    boxes_.setEnabled(enabled);
    if (!enabled) {
        Label序列号->clear();
        boxes_.clear();
    }
}

void ChipIdWindow::setWaiting(bool waiting) {
    List列表->setEnabled(!waiting);
    if (waiting) boxes_.setEnabled(false);
}

void ChipIdWindow::Fun_读取数据() {
    // Room for far more machines than the list holds: every record up to 31 is kept, the rest counted.
    kq::link::ReplyQuery replies(kChipReplyBytes);
    if (!kq::link::claimedOrSaid(replies)) return;
    Fun_控件enable(false);
    List列表->clear();
    Label跳过->clear();
    chips_ = {};
    selected_ = -1;
    setWaiting(true);
    Fun_SendFrame(0, kq::link::code::ListChips, {}, true);
    Fun_Delay(500);
    setWaiting(false);
    if (replies.replies().isEmpty() && replies.bytesLeftOut() == 0) return;
    // Records without their marker or cut short are left out and counted; so are the machines past the
    // 31 the window holds.
    for (const QByteArray& datagram : replies.datagrams())
        kq::admin::parseChipRecords(datagram, chips_);
    chips_.beyond += int((replies.bytesLeftOut() + kq::admin::kChipRecordBytes - 1) / kq::admin::kChipRecordBytes);
    for (const kq::admin::ChipRecord& c : chips_.chips)
        List列表->addItem(kq::admin::chipListLine(c));
    QString note;
    if (chips_.skipped > 0) note = tr("%1条无效记录已跳过").arg(chips_.skipped);
    if (chips_.beyond > 0) {
        const QString beyond = tr("另有%1台机器超出%2台，未列出").arg(chips_.beyond).arg(kq::admin::kMaxChips);
        note = note.isEmpty() ? beyond : tr("%1；%2").arg(note, beyond);
    }
    Label跳过->setText(note);
}

void ChipIdWindow::List列表_Click(int row) {
    if (row < 0 || row >= int(chips_.chips.size())) return;
    // The chosen machine is told twice; meanwhile no other row can be chosen, and its answers are
    // nobody else's replies.
    const kq::link::ReplyQuery replies;
    if (!replies.claimed()) {
        List列表->setCurrentRow(selected_);
        Fun_MsgBox(kq::link::busyText());
        return;
    }
    selected_ = row;
    const kq::admin::ChipRecord& c = chips_.chips[size_t(row)];
    Fun_控件enable(true);
    Label序列号->setText(c.serialText());
    boxes_.show(kq::admin::readFields(c.parameters.data()));
    const QByteArray payload = kq::admin::selectChipPayload(boxes_.id->currentText().toInt(), c.serial);
    setWaiting(true);
    Fun_SendFrame(0, kq::link::code::SelectChip, payload, true);
    Fun_Delay(100);
    Fun_SendFrame(0, kq::link::code::SelectChip, payload, true);
    setWaiting(false);
    boxes_.setEnabled(true);
}

void ChipIdWindow::Command设置_Click() {
    if (selected_ < 0 || selected_ >= int(chips_.chips.size())) return;
    kq::admin::ChipRecord& c = chips_.chips[size_t(selected_)];
    if (!boxes_.store(c.parameters.data())) return; // refused: nothing is sent
    {
        const kq::link::ReplyQuery replies;
        if (!kq::link::claimedOrSaid(replies)) return;
        setWaiting(true);
        Fun_SendFrame(0, kq::link::code::SetByChip,
                      kq::admin::setByChipPayload(boxes_.id->currentText().toInt(), c.serial, c.parameters.data()),
                      true);
        Fun_Delay(200);
        setWaiting(false);
    }
    Fun_读取数据();
}
