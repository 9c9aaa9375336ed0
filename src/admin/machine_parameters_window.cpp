#include "machine_parameters_window.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/transport.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

MachineParametersWindow::MachineParametersWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form设置机器"));
    setWindowTitle(tr("设置机器"));
    auto* layout = new QVBoxLayout(this);
    auto* machines = new QGroupBox(tr("机器"), this);
    auto* machineGrid = new QGridLayout(machines);
    for (int k = 1; k <= kMaxMachine; ++k) {
        Option机器[size_t(k)] = new QRadioButton(QString::number(k), machines);
        Option机器[size_t(k)]->setObjectName(QStringLiteral("Option机器%1").arg(k));
        machineGrid->addWidget(Option机器[size_t(k)], (k - 1) / 5, (k - 1) % 5);
        connect(Option机器[size_t(k)], &QRadioButton::clicked, this, [this, k] { readMachine(k); });
    }
    layout->addWidget(machines);
    auto* params = new QGroupBox(tr("机器参数"), this);
    auto* grid = new QGridLayout(params);
    boxes_.build(params, grid, 0, QStringLiteral("TextID"));
    layout->addWidget(params);
    connect(boxes_.set, &QPushButton::clicked, this, [this] { Command设置_Click(); });
}

void MachineParametersWindow::open() {
    show();
    raise();
    Fun_空间enable(false);
    Option机器[1]->setChecked(true);
    readMachine(1);
}

void MachineParametersWindow::Fun_空间enable(bool enabled) {
    boxes_.setEnabled(enabled);
}

void MachineParametersWindow::setWaiting(bool waiting) {
    for (int k = 1; k <= kMaxMachine; ++k)
        Option机器[size_t(k)]->setEnabled(!waiting);
}

void MachineParametersWindow::readMachine(int machine) {
    kq::link::ReplyQuery replies;
    if (!replies.claimed()) {
        // Another window waits for the machines: the choice goes back to the machine shown.
        if (machine_ >= 1 && machine_ <= kMaxMachine) Option机器[size_t(machine_)]->setChecked(true);
        Fun_MsgBox(kq::link::busyText());
        return;
    }
    machine_ = machine;
    Option机器[size_t(machine)]->setChecked(true);
    // Until this machine's block is here, nothing can be changed or written.
    blockMachine_ = 0;
    Fun_空间enable(false);
    setWaiting(true);
    Fun_SendFrame(machine, kq::link::code::ReadParameters, {}, true);
    Fun_Delay(200);
    setWaiting(false);
    // The block is one machine's answer: two answers (two machines with this ID, or a late one) could be
    // either's, and a short one would write back bytes the machine never gave. The previous values stay
    // visible, disabled.
    if (replies.datagrams().size() > 1) {
        Fun_MsgBox(tr("收到%1个回复，无法确定是哪台机器的参数。ID相同的机器请用“通过序列号设置ID”分开设置。")
                       .arg(replies.datagrams().size()));
        return;
    }
    if (replies.datagrams().isEmpty() || replies.datagrams().front().size() < kq::admin::kParameterSentBytes) return;
    // A reply longer than the block keeps only what the block holds.
    const QByteArray& reply = replies.datagrams().front();
    g_MachineParams.fill(0);
    std::memcpy(g_MachineParams.data(), reply.constData(),
                size_t(std::min<qsizetype>(reply.size(), kq::admin::kParameterBlockBytes)));
    boxes_.show(kq::admin::readFields(g_MachineParams.data()));
    blockMachine_ = machine;
    Fun_空间enable(true);
}

void MachineParametersWindow::Command设置_Click() {
    if (blockMachine_ < 1) return;
    if (!boxes_.store(g_MachineParams.data())) return; // refused: nothing is sent
    const int target = blockMachine_;
    {
        // The write's answer is nobody else's reply either.
        const kq::link::ReplyQuery replies;
        if (!kq::link::claimedOrSaid(replies)) return;
        Fun_空间enable(false);
        setWaiting(true);
        Fun_SendFrame(
            target, kq::link::code::WriteParameters,
            QByteArrayView(reinterpret_cast<const char*>(g_MachineParams.data()), kq::admin::kParameterSentBytes),
            true);
        Fun_Delay(200);
        setWaiting(false);
    }
    readMachine(target);
}
