#pragma once

#include <QObject>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace kq::admin {
class AdapterChange;
}

// The main window's menu "网络": the adapter to change (those NetworkManager manages; the only wired one
// first), "连接机器网络" (192.168.1.18 / 255.255.255.0) and "断开机器网络" (automatic addressing again).
// A change runs in the background; meanwhile the menu's entries are disabled and its title says so.
class NetworkMenu : public QObject {
    Q_OBJECT
public:
    explicit NetworkMenu(QMenuBar* bar, QObject* parent = nullptr);

    void connectMachinesNetwork();    // the connect wrapper
    void disconnectMachinesNetwork(); // the disconnect wrapper
    bool connected() const { return connected_; }
    bool busy() const { return change_ != nullptr; }
    QString adapter() const { return adapter_; }
    // Reads the adapters again (when the menu opens).
    void refreshAdapters();

signals:
    // "控制器设置": what each machine number drives.
    void controllersRequested();

private:
    // Waits for the change; `done` gets its result once the menu is usable again.
    void await(kq::admin::AdapterChange* change, std::function<void(bool, const QString&)> done);
    void showBusy(bool busy);
    QString noAdapterText() const;

    QMenu* menu_ = nullptr;
    QMenu* adapters_ = nullptr;
    QActionGroup* group_ = nullptr;
    QAction* connectAction_ = nullptr;
    QAction* disconnectAction_ = nullptr;
    kq::admin::AdapterChange* change_ = nullptr; // the change under way, owned by this menu
    QString adapter_;
    QString listingProblem_; // why the last listing of the adapters failed, or empty
    bool connected_ = false;
};
