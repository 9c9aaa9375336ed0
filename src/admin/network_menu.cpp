#include "network_menu.h"

#include "core/dialogs.h"
#include "pc_network.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

NetworkMenu::NetworkMenu(QMenuBar* bar, QObject* parent) : QObject(parent) {
    menu_ = bar->addMenu(QStringLiteral("网络"));
    menu_->setObjectName(QStringLiteral("CD网络"));
    adapters_ = menu_->addMenu(QStringLiteral("网卡"));
    adapters_->setObjectName(QStringLiteral("CD网卡"));
    group_ = new QActionGroup(this);
    QAction* connectAction = menu_->addAction(QStringLiteral("连接机器网络"));
    connectAction->setObjectName(QStringLiteral("CD连接"));
    QAction* disconnectAction = menu_->addAction(QStringLiteral("断开机器网络"));
    disconnectAction->setObjectName(QStringLiteral("CD断开"));
    connect(connectAction, &QAction::triggered, this, [this] { connectMachinesNetwork(); });
    connect(disconnectAction, &QAction::triggered, this, [this] { disconnectMachinesNetwork(); });
    connect(menu_, &QMenu::aboutToShow, this, [this] { refreshAdapters(); });
}

void NetworkMenu::refreshAdapters() {
    adapters_->clear();
    QString why;
    const auto list = kq::admin::managedAdapters(&why);
    if (!list || list->isEmpty()) {
        adapters_->addAction(list ? QStringLiteral("没有可用的网卡") : why)->setEnabled(false);
        adapter_.clear();
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
    if (connected_) {
        Fun_MsgBox(QStringLiteral("已连接"));
        return;
    }
    if (adapter_.isEmpty()) refreshAdapters();
    if (adapter_.isEmpty()) {
        Fun_MsgBox(QStringLiteral("请先在“网卡”中选择要设置的网卡"));
        return;
    }
    const QString status = kq::admin::ChangeIP(adapter_, QStringLiteral("192.168.1.18"),
                                               QStringLiteral("255.255.255.0"), QString(), QString(), QString());
    // Only a change that took counts: after a failure the next click tries again.
    connected_ = status == QStringLiteral("设置成功");
    Fun_MsgBox(status);
}

void NetworkMenu::disconnectMachinesNetwork() {
    if (adapter_.isEmpty()) refreshAdapters();
    if (!adapter_.isEmpty()) {
        if (const QString status = kq::admin::SetAutoIPadd(adapter_); !status.isEmpty()) Fun_MsgBox(status);
    }
    connected_ = false;
    Fun_MsgBox(QStringLiteral("已断开"));
}
