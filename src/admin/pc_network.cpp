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
    if (!*ok && why) {
        const QString said = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        if (!said.isEmpty())
            *why = quoted(said);
        else if (p.exitStatus() != QProcess::NormalExit)
            *why = QStringLiteral("nmcli 异常退出");
        else
            *why = QStringLiteral("nmcli 退出码 %1").arg(p.exitCode());
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// One nmcli call: whether it succeeded and, if not, why.
struct Step {
    bool ok = false;
    QString problem;
};

Step run(const QStringList& args, QString* out = nullptr) {
    Step step;
    const auto text = nmcli(args, &step.ok, &step.problem);
    if (step.ok) step.problem.clear();
    if (out) *out = text.value_or(QString());
    return step;
}

// "what：problem", or just what when there is no problem to name.
QString sentence(const QString& what, const QString& problem) {
    return problem.isEmpty() ? what : what + QStringLiteral("：") + problem;
}

// The connection profile the device uses, or the failed step.
Step connectionOf(const QString& device, QString* connection) {
    Step step = run({QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("GENERAL.CONNECTION"),
                     QStringLiteral("device"), QStringLiteral("show"), device},
                    connection);
    if (step.ok && connection->isEmpty()) step = {false, QStringLiteral("网卡 %1 没有连接配置").arg(device)};
    return step;
}

// What a fixed-address change tells the user. The address is there only when the profile was activated
// again; a failed activation leaves nothing of the change in effect.
QString fixedAddressStatus(const Step& address, const Step& gateway, const Step& dns, const Step& up) {
    if (!up.ok) return sentence(QStringLiteral("设置失败"), up.problem);
    if (address.ok && gateway.ok && dns.ok) return QStringLiteral("设置成功");
    QString problem;
    for (const Step* s : {&address, &gateway, &dns})
        if (problem.isEmpty() && !s->ok) problem = s->problem;
    return sentence(QString(address.ok ? QStringLiteral("IP地址和子网掩码设置成功, ")
                                       : QStringLiteral("IP地址或子网掩码设置失败, ")) +
                        (gateway.ok ? QStringLiteral("默认网关设置成功, ") : QStringLiteral("默认网关设置失败, ")) +
                        (dns.ok ? QStringLiteral("DNS设置成功") : QStringLiteral("DNS设置失败")),
                    problem);
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
    QString connection;
    const Step found = connectionOf(device, &connection);
    if (!found.ok) return sentence(QStringLiteral("设置失败"), found.problem);
    const QStringList modify{QStringLiteral("connection"), QStringLiteral("modify"), connection};
    Step address{false, QStringLiteral("子网掩码“%1”无效").arg(mask)};
    if (const auto prefix = prefixLength(mask))
        address =
            run(modify + QStringList{QStringLiteral("ipv4.method"), QStringLiteral("manual"),
                                     QStringLiteral("ipv4.addresses"), QStringLiteral("%1/%2").arg(ip).arg(*prefix)});
    const Step gatewaySet = run(modify + QStringList{QStringLiteral("ipv4.gateway"), gateway});
    const QString dns =
        QStringList{dns1, dns2}.filter(QRegularExpression(QStringLiteral("\\S"))).join(QLatin1Char(' '));
    const Step dnsSet = run(modify + QStringList{QStringLiteral("ipv4.dns"), dns});
    // The profile holds the change; activating it again puts the change on the adapter.
    Step up{true, QString()};
    if (address.ok || gatewaySet.ok || dnsSet.ok)
        up = run({QStringLiteral("connection"), QStringLiteral("up"), connection});
    return fixedAddressStatus(address, gatewaySet, dnsSet, up);
}

QString SetAutoIPadd(const QString& device) {
    const QString failed = QStringLiteral("自动获取IP设置失败");
    QString connection;
    const Step found = connectionOf(device, &connection);
    if (!found.ok) return sentence(failed, found.problem);
    QString method;
    const Step asked = run({QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("ipv4.method"),
                            QStringLiteral("connection"), QStringLiteral("show"), connection},
                           &method);
    if (!asked.ok) return sentence(failed, asked.problem);
    if (method == QLatin1String("auto")) return QStringLiteral("DHCP已经开启");
    const Step set = run({QStringLiteral("connection"), QStringLiteral("modify"), connection,
                          QStringLiteral("ipv4.method"), QStringLiteral("auto"), QStringLiteral("ipv4.addresses"),
                          QString(), QStringLiteral("ipv4.gateway"), QString(), QStringLiteral("ipv4.dns"), QString()});
    if (!set.ok) return sentence(failed, set.problem);
    // Taking the connection up again releases the fixed address and asks for a new lease.
    const Step up = run({QStringLiteral("connection"), QStringLiteral("up"), connection});
    return up.ok ? QString() : sentence(failed, up.problem);
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
