#pragma once

#include <QObject>

class QActionGroup;
class QMenu;
class QMenuBar;

// The main window's menu "网络": the adapter to change (those NetworkManager manages; the only wired one
// first), "连接机器网络" (192.168.1.18 / 255.255.255.0) and "断开机器网络" (automatic addressing again).
class NetworkMenu : public QObject {
    Q_OBJECT
public:
    explicit NetworkMenu(QMenuBar* bar, QObject* parent = nullptr);

    void connectMachinesNetwork();    // the connect wrapper
    void disconnectMachinesNetwork(); // the disconnect wrapper
    bool connected() const { return connected_; }
    QString adapter() const { return adapter_; }
    // Reads the adapters again (when the menu opens).
    void refreshAdapters();

private:
    QMenu* menu_ = nullptr;
    QMenu* adapters_ = nullptr;
    QActionGroup* group_ = nullptr;
    QString adapter_;
    bool connected_ = false;
};
