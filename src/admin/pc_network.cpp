#include "pc_network.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <bit>

namespace kq::admin {
namespace {

// What nmcli said, quoted inside the sentence that shows it.
QString quoted(const QString& words) {
    return QStringLiteral("“%1”").arg(words.trimmed());
}

// Runs the client; nullopt when it cannot be run or may not be run here. *why gets the reason, or on a
// failed run what the client said.
std::optional<QString> nmcli(const QStringList& args, bool* ok, QString* why = nullptr) {
    *ok = false;
    QString program = qEnvironmentVariable("KQ510_NMCLI");
    if (program.isEmpty()) {
        if (qEnvironmentVariable("KQ510_LOOPBACK_ONLY") == QLatin1String("1")) {
            if (why) *why = QStringLiteral("测试模式（KQ510_LOOPBACK_ONLY=1）下不会更改电脑的网卡");
            return std::nullopt;
        }
        program = QStringLiteral("nmcli");
    }
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000) || !p.waitForFinished(30000)) {
        if (why) *why = QStringLiteral("无法运行 nmcli：") + quoted(p.errorString());
        p.kill();
        return std::nullopt;
    }
    *ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok && why) *why = quoted(QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool run(const QStringList& args) {
    bool ok = false;
    nmcli(args, &ok);
    return ok;
}

// The connection profile the device uses.
QString connectionOf(const QString& device) {
    bool ok = false;
    const auto out = nmcli({QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("GENERAL.CONNECTION"),
                            QStringLiteral("device"), QStringLiteral("show"), device},
                           &ok);
    return ok && out ? *out : QString();
}

} // namespace

std::optional<QList<Adapter>> managedAdapters(QString* why) {
    bool ok = false;
    const auto out = nmcli(
        {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("DEVICE,TYPE,STATE"), QStringLiteral("device")},
        &ok, why);
    if (!out) return std::nullopt;
    if (!ok) {
        if (why) *why = QStringLiteral("无法读取网卡列表：") + *why;
        return std::nullopt;
    }
    QList<Adapter> adapters;
    for (const QString& line : out->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char(':'));
        if (f.size() < 3 || f[2] == QLatin1String("unmanaged")) continue;
        if (f[1] != QLatin1String("ethernet") && f[1] != QLatin1String("wifi")) continue;
        adapters.push_back({f[0], f[1], f[2]});
    }
    return adapters;
}

QString defaultAdapter(const QList<Adapter>& adapters) {
    QString wired;
    int count = 0;
    for (const Adapter& a : adapters)
        if (a.type == QLatin1String("ethernet")) {
            wired = a.device;
            ++count;
        }
    return count == 1 ? wired : QString();
}

std::optional<int> prefixLength(const QString& mask) {
    QHostAddress a;
    if (!a.setAddress(mask) || a.protocol() != QAbstractSocket::IPv4Protocol) return std::nullopt;
    const uint32_t m = a.toIPv4Address();
    const int ones = std::popcount(m);
    if (ones > 0 && m != ~uint32_t(0) << (32 - ones)) return std::nullopt; // the ones must lead
    return ones;
}

QString ChangeIP(const QString& device, const QString& ip, const QString& mask, const QString& gateway,
                 const QString& dns1, const QString& dns2) {
    const QString connection = connectionOf(device);
    const auto prefix = prefixLength(mask);
    const QStringList modify{QStringLiteral("connection"), QStringLiteral("modify"), connection};
    const bool address =
        !connection.isEmpty() && prefix &&
        run(modify + QStringList{QStringLiteral("ipv4.method"), QStringLiteral("manual"),
                                 QStringLiteral("ipv4.addresses"), QStringLiteral("%1/%2").arg(ip).arg(*prefix)});
    const bool gatewaySet = !connection.isEmpty() && run(modify + QStringList{QStringLiteral("ipv4.gateway"), gateway});
    const QString dns =
        QStringList{dns1, dns2}.filter(QRegularExpression(QStringLiteral("\\S"))).join(QLatin1Char(' '));
    const bool dnsSet = !connection.isEmpty() && run(modify + QStringList{QStringLiteral("ipv4.dns"), dns});
    if (address || gatewaySet || dnsSet) run({QStringLiteral("connection"), QStringLiteral("up"), connection});
    if (address && gatewaySet && dnsSet) return QStringLiteral("设置成功");
    return QString(address ? QStringLiteral("IP地址和子网掩码设置成功, ")
                           : QStringLiteral("IP地址或子网掩码设置失败, ")) +
           (gatewaySet ? QStringLiteral("默认网关设置成功, ") : QStringLiteral("默认网关设置失败, ")) +
           (dnsSet ? QStringLiteral("DNS设置成功") : QStringLiteral("DNS设置失败"));
}

QString SetAutoIPadd(const QString& device) {
    const QString connection = connectionOf(device);
    if (connection.isEmpty()) return QStringLiteral("自动获取IP设置失败");
    bool ok = false;
    const auto method = nmcli({QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("ipv4.method"),
                               QStringLiteral("connection"), QStringLiteral("show"), connection},
                              &ok);
    if (ok && method && *method == QLatin1String("auto")) return QStringLiteral("DHCP已经开启");
    const bool set = run({QStringLiteral("connection"), QStringLiteral("modify"), connection,
                          QStringLiteral("ipv4.method"), QStringLiteral("auto"), QStringLiteral("ipv4.addresses"),
                          QString(), QStringLiteral("ipv4.gateway"), QString(), QStringLiteral("ipv4.dns"), QString()});
    // Taking the connection up again releases the fixed address and asks for a new lease.
    return set && run({QStringLiteral("connection"), QStringLiteral("up"), connection})
               ? QString()
               : QStringLiteral("自动获取IP设置失败");
}

int dnsServers(QString& first, QStringList& all, const QString& resolvConf) {
    all.clear();
    first.clear();
    QFile f(resolvConf);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() >= 2 && words[0] == "nameserver") all << QString::fromLatin1(words[1]);
    }
    if (!all.isEmpty()) first = all.first();
    return int(all.size());
}

} // namespace kq::admin
