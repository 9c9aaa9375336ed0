#pragma once

#include <QString>
#include <array>

// Where the endpoints send and listen. The machines' network is the default; the settings file can
// point everything elsewhere (the stand-in machines on loopback, for tests and demonstrations).
namespace kq::link {

struct LinkAddresses {
    QString broadcast = QStringLiteral("255.255.255.255");
    int commandPort = 4800;
    std::array<QString, 11> machine; // 1..10: 192.168.1.201 .. 192.168.1.210
    // The plug-in program runs on this PC, so its listener stays on loopback unless told otherwise.
    QString pluginListenAddress = QStringLiteral("127.0.0.1");
    int pluginListenPort = 4799;
    int pluginSendPort = 4798;

    LinkAddresses();
};

// Settings keys of the addresses.
inline const QString kKeyBroadcast = QStringLiteral("广播地址");
inline const QString kKeyCommandPort = QStringLiteral("命令端口");
inline const QString kKeyMachinePrefix = QStringLiteral("机器地址"); // + two-digit machine number
inline const QString kKeyPluginListenAddress = QStringLiteral("外挂接收地址");
inline const QString kKeyPluginListenPort = QStringLiteral("外挂接收端口");
inline const QString kKeyPluginSendPort = QStringLiteral("外挂发送端口");

// Reads the addresses; a missing value or port keeps its default, and an address that is not an IPv4
// literal is kept as text, which the endpoint refuses when it sends.
LinkAddresses readLinkAddresses(const QString& iniPath);
// Writes a loopback layout: machine k at base + k, the broadcast endpoint at base + 55 and the plug-in
// listener at base - 199; 127.0.1.200 gives machines 127.0.1.201..210, commands to 127.0.1.255 and the
// plug-in listener at 127.0.1.1.
void writeLoopbackAddresses(const QString& iniPath, const QString& base = QStringLiteral("127.0.1.200"),
                            int commandPort = 4800, int pluginListenPort = 4799, int pluginSendPort = 4798);

} // namespace kq::link
