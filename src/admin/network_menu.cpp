#include "network_menu.h"

#include "core/dialogs.h"
#include "pc_network.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

NetworkMenu::NetworkMenu(QMenuBar* bar, QObject* parent) : QObject(parent) {
    menu_ = bar->addMenu(tr("网络"));
    menu_->setObjectName(QStringLiteral("CD网络"));
    adapters_ = menu_->addMenu(tr("网卡"));
    adapters_->setObjectName(QStringLiteral("CD网卡"));
    group_ = new QActionGroup(this);
    connectAction_ = menu_->addAction(tr("连接机器网络"));
    connectAction_->setObjectName(QStringLiteral("CD连接"));
    disconnectAction_ = menu_->addAction(tr("断开机器网络"));
    disconnectAction_->setObjectName(QStringLiteral("CD断开"));
    connect(connectAction_, &QAction::triggered, this, [this] { connectMachinesNetwork(); });
    connect(disconnectAction_, &QAction::triggered, this, [this] { disconnectMachinesNetwork(); });
    connect(menu_, &QMenu::aboutToShow, this, [this] { refreshAdapters(); });
    menu_->addSeparator();
    QAction* controllers = menu_->addAction(tr("控制器设置"));
    controllers->setObjectName(QStringLiteral("CD控制器设置"));
    connect(controllers, &QAction::triggered, this, &NetworkMenu::controllersRequested);
}

void NetworkMenu::refreshAdapters() {
    if (busy()) return; // the adapter being changed stays the picked one
    adapters_->clear();
    QString why;
    const auto list = kq::admin::managedAdapters(&why);
    listingProblem_ = list ? QString() : why;
    if (!list || list->isEmpty()) {
        adapters_->addAction(list ? tr("没有可用的网卡") : why)->setEnabled(false);
        // A listing that failed says nothing about the adapter picked before: it is kept.
        if (list) adapter_.clear();
        return;
    }
    bool kept = false;
    for (const kq::admin::Adapter& a : *list)
        kept = kept || a.device == adapter_;
    if (!kept) adapter_ = kq::admin::defaultAdapter(*list);
    for (const kq::admin::Adapter& a : *list) {
        QAction* action = adapters_->addAction(QStringLiteral("%1 (%2, %3)").arg(a.device, a.type, a.state));
        action->setObjectName(QStringLiteral("CD网卡_") + a.device);
        action->setCheckable(true);
        action->setChecked(a.device == adapter_);
        group_->addAction(action);
        connect(action, &QAction::triggered, this, [this, device = a.device] { adapter_ = device; });
    }
}

void NetworkMenu::connectMachinesNetwork() {
    if (busy()) {
        Fun_MsgBox(tr("正在设置网卡，请稍候"));
        return;
    }
    if (connected_) {
        Fun_MsgBox(tr("已连接"));
        return;
    }
    if (adapter_.isEmpty()) refreshAdapters();
    if (adapter_.isEmpty()) {
        Fun_MsgBox(noAdapterText());
        return;
    }
    await(kq::admin::ChangeIP(adapter_, QStringLiteral("192.168.1.18"), QStringLiteral("255.255.255.0"), QString(),
                              QString(), QString(), this),
          [this](bool succeeded, const QString& status) {
              // Only a change that took counts: after a failure the next click tries again.
              connected_ = succeeded;
              Fun_MsgBox(status);
          });
}

void NetworkMenu::disconnectMachinesNetwork() {
    if (busy()) {
        Fun_MsgBox(tr("正在设置网卡，请稍候"));
        return;
    }
    if (adapter_.isEmpty()) refreshAdapters();
    if (adapter_.isEmpty()) {
        // Nothing was changed, so nothing is said to be disconnected.
        Fun_MsgBox(noAdapterText());
        return;
    }
    await(kq::admin::SetAutoIPadd(adapter_, this), [this](bool succeeded, const QString& status) {
        // Even a failed return to automatic addressing may have undone the fixed address: the next connect
        // sets it again rather than answering 已连接.
        connected_ = false;
        if (!status.isEmpty()) Fun_MsgBox(status);
        if (succeeded) Fun_MsgBox(tr("已断开"));
    });
}

QString NetworkMenu::noAdapterText() const {
    return listingProblem_.isEmpty() ? tr("请先在“网卡”中选择要设置的网卡") : listingProblem_;
}

void NetworkMenu::await(kq::admin::AdapterChange* change, std::function<void(bool, const QString&)> done) {
    change_ = change;
    showBusy(true);
    connect(change, &kq::admin::AdapterChange::finished, this,
            [this, change, done = std::move(done)](bool succeeded, const QString& status) {
                change_ = nullptr;
                change->deleteLater();
                showBusy(false);
                done(succeeded, status);
            });
}

void NetworkMenu::showBusy(bool busy) {
    menu_->setTitle(busy ? tr("网络（正在设置网卡…）") : tr("网络"));
    for (QAction* action : {connectAction_, disconnectAction_, adapters_->menuAction()})
        action->setEnabled(!busy);
}
