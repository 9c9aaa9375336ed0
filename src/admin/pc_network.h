#pragma once

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

// The adapters NetworkManager manages (ethernet and wifi), or nullopt with the reason when the
// client cannot be run.
std::optional<QList<Adapter>> managedAdapters(QString* why = nullptr);
// The adapter offered first: the only wired one, else none.
QString defaultAdapter(const QList<Adapter>& adapters);

// "255.255.255.0" -> 24; nullopt for a mask that is not one.
std::optional<int> prefixLength(const QString& mask);

// Gives the adapter a fixed address: "设置成功" once the profile holds it and is active again; else what
// failed (the three-part status when a setting was refused), with nmcli's own words.
QString ChangeIP(const QString& device, const QString& ip, const QString& mask, const QString& gateway,
                 const QString& dns1, const QString& dns2);
// Back to automatic addressing; "DHCP已经开启" when it already was, else empty, or "自动获取IP设置失败：" with
// nmcli's own words.
QString SetAutoIPadd(const QString& device);

// The DNS servers of the resolver configuration ("nameserver" lines); the count, with the first
// server and the list.
int dnsServers(QString& first, QStringList& all, const QString& resolvConf = QStringLiteral("/etc/resolv.conf"));

} // namespace kq::admin
