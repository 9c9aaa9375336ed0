#include "link_settings.h"

#include "core/common_functions.h"
#include "core/settings_file.h"

#include <QHostAddress>

namespace kq::link {

LinkAddresses::LinkAddresses() {
    for (int k = 1; k <= 10; ++k)
        machine[size_t(k)] = QStringLiteral("192.168.1.%1").arg(200 + k);
}

namespace {

// A value that is not an IPv4 address is kept as it stands rather than replaced by the default: the
// endpoint then refuses it with a clear error, instead of quietly sending to the machines' network.
void readAddress(const QString& setting, QString& value) {
    const QString text = setting.trimmed();
    if (text.isEmpty()) return;
    QHostAddress a;
    value = a.setAddress(text) && a.protocol() == QAbstractSocket::IPv4Protocol ? a.toString() : text;
}

void readPort(const QString& setting, int& value) {
    value = kq::ini::parseWholeNumber(setting, 1, 65535).value_or(value);
}

QString offsetAddress(const QHostAddress& base, int offset) {
    return QHostAddress(base.toIPv4Address() + quint32(offset)).toString();
}

} // namespace

LinkAddresses readLinkAddresses(const QString& iniPath) {
    LinkAddresses a;
    const QByteArray file = kq::readWholeFile(iniPath).value_or(QByteArray()); // read once for all keys
    const auto setting = [&](const QString& key) { return kq::ini::lookup(file, key).value_or(QString()); };
    readAddress(setting(kKeyBroadcast), a.broadcast);
    readPort(setting(kKeyCommandPort), a.commandPort);
    for (int k = 1; k <= 10; ++k)
        readAddress(setting(kKeyMachinePrefix + Fun_Pad2(k)), a.machine[size_t(k)]);
    readAddress(setting(kKeyPluginListenAddress), a.pluginListenAddress);
    readPort(setting(kKeyPluginListenPort), a.pluginListenPort);
    readPort(setting(kKeyPluginSendPort), a.pluginSendPort);
    return a;
}

void writeLoopbackAddresses(const QString& iniPath, const QString& base, int commandPort, int pluginListenPort,
                            int pluginSendPort) {
    const QHostAddress b(base);
    Fun_WriteIni(iniPath, kKeyBroadcast, offsetAddress(b, 55));
    Fun_WriteIni(iniPath, kKeyCommandPort, QString::number(commandPort));
    for (int k = 1; k <= 10; ++k)
        Fun_WriteIni(iniPath, kKeyMachinePrefix + Fun_Pad2(k), offsetAddress(b, k));
    Fun_WriteIni(iniPath, kKeyPluginListenAddress, offsetAddress(b, -199));
    Fun_WriteIni(iniPath, kKeyPluginListenPort, QString::number(pluginListenPort));
    Fun_WriteIni(iniPath, kKeyPluginSendPort, QString::number(pluginSendPort));
}

} // namespace kq::link
