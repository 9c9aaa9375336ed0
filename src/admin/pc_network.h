#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// The PC's own network adapter, set to the machines' network and back to automatic addressing,
// through NetworkManager's command-line client. Only the adapter the user picks is changed.
//
// The client is "nmcli" from PATH, or the program named by KQ510_NMCLI. While KQ510_LOOPBACK_ONLY=1
// (development machines, tests) only KQ510_NMCLI is used: a real adapter is never touched there.
namespace kq::admin {

struct Adapter {
    QString device; // "eth0"
    QString type;   // "ethernet", "wifi"
    QString state;  // "connected", "disconnected", ...
};

// Said after a failed activation: the profile already holds the new settings, and NetworkManager would
// apply them at its next activation (a cable plugged in again, a restart). Untranslated here: it is shown
// through QCoreApplication::translate("kq", kProfileChangedNote).
inline constexpr const char* kProfileChangedNote =
    QT_TRANSLATE_NOOP("kq", "\r\n网卡的配置已经改了，但没有生效；要恢复自动获取IP，请点击“断开机器网络”。");

// The adapters NetworkManager manages (ethernet and wifi), or nullopt with the reason when the
// client cannot be run.
std::optional<QList<Adapter>> managedAdapters(QString* why = nullptr);
// The adapter offered first: the only wired one, else none.
QString defaultAdapter(const QList<Adapter>& adapters);

// "255.255.255.0" -> 24; nullopt for a mask that is not one.
std::optional<int> prefixLength(const QString& mask);

// One adapter change under way. Its nmcli calls run one after another without blocking the thread: an
// activation that waits for an address no DHCP server gives takes half a minute. finished() comes once,
// from the event loop, never from inside the call that started the change.
class AdapterChange : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // Whether the adapter now has what was asked, and what to tell the user.
    void finished(bool succeeded, const QString& status);
};

// Gives the adapter a fixed address: "设置成功" once the profile holds it and is active again; else what
// failed (the three-part status when a setting was refused), with nmcli's own words.
AdapterChange* ChangeIP(const QString& device, const QString& ip, const QString& mask, const QString& gateway,
                        const QString& dns1, const QString& dns2, QObject* parent = nullptr);
// Back to automatic addressing: succeeds with an empty status, or "DHCP已经开启" when it already was; else
// "自动获取IP设置失败：" with nmcli's own words.
AdapterChange* SetAutoIPadd(const QString& device, QObject* parent = nullptr);

// The DNS servers of the resolver configuration ("nameserver" lines); the count, with the first
// server and the list.
int dnsServers(QString& first, QStringList& all, const QString& resolvConf = QStringLiteral("/etc/resolv.conf"));

} // namespace kq::admin
