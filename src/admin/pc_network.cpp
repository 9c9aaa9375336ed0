#include "pc_network.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <bit>
#include <functional>

namespace kq::admin {
namespace {

// What nmcli said, quoted inside the sentence that shows it.
QString quoted(const QString& words) {
    return QStringLiteral("“%1”").arg(words.trimmed());
}

// "what：problem", or just what when there is no problem to name.
QString sentence(const QString& what, const QString& problem) {
    return problem.isEmpty() ? what : QCoreApplication::translate("kq", "%1：%2").arg(what, problem);
}

// One nmcli call: whether it ran at all, whether it succeeded, what it printed and, if it failed, why.
struct Outcome {
    bool ran = false;
    bool ok = false;
    QString out;
    QString problem;
};

// The client to run; nullopt with the reason when none may run here.
std::optional<QString> nmcliProgram(QString* why) {
    const QString program = qEnvironmentVariable("KQ510_NMCLI");
    if (!program.isEmpty()) return program;
    if (qEnvironmentVariable("KQ510_LOOPBACK_ONLY") == QLatin1String("1")) {
        *why = QCoreApplication::translate("kq", "测试模式（KQ510_LOOPBACK_ONLY=1）下不会更改电脑的网卡");
        return std::nullopt;
    }
    return QStringLiteral("nmcli");
}

Outcome cannotStart(const QProcess& p) {
    return {false, false, QString(),
            QCoreApplication::translate("kq", "无法运行 nmcli：%1").arg(quoted(p.errorString()))};
}

// The outcome of a call that has ended.
Outcome ended(QProcess& p) {
    Outcome o{true, p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
              QString::fromUtf8(p.readAllStandardOutput()).trimmed(), QString()};
    if (o.ok) return o;
    const QString said = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    if (!said.isEmpty())
        o.problem = quoted(said);
    else if (p.exitStatus() != QProcess::NormalExit)
        o.problem = QCoreApplication::translate("kq", "nmcli 异常退出");
    else
        o.problem = QCoreApplication::translate("kq", "nmcli 退出码 %1").arg(p.exitCode());
    return o;
}

// Runs the client and waits for it: only for the quick listing of the adapters.
Outcome runNow(const QStringList& args) {
    Outcome o;
    const auto program = nmcliProgram(&o.problem);
    if (!program) return o;
    QProcess p;
    p.start(*program, args);
    if (!p.waitForStarted(5000)) return cannotStart(p);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(1000);
        return {true, false, QString(), QCoreApplication::translate("kq", "nmcli 没有回应")};
    }
    return ended(p);
}

using Then = std::function<void(const Outcome&)>;

// Starts one call for the change; `then` gets its outcome from the event loop once the call has ended
// (or could not start). The process belongs to the change and goes with it.
void runLater(AdapterChange* change, const QStringList& args, Then then) {
    const auto deliver = [change, then = std::move(then)](const Outcome& o) {
        QMetaObject::invokeMethod(
            change, [then, o] { then(o); }, Qt::QueuedConnection);
    };
    Outcome refused;
    const auto program = nmcliProgram(&refused.problem);
    if (!program) return deliver(refused);
    auto* p = new QProcess(change);
    QObject::connect(p, &QProcess::errorOccurred, change, [p, deliver](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return; // the others end in finished()
        deliver(cannotStart(*p));
        p->deleteLater();
    });
    QObject::connect(p, &QProcess::finished, change, [p, deliver] {
        deliver(ended(*p));
        p->deleteLater();
    });
    p->start(*program, args);
}

// The calls one after another; `then` gets all their outcomes.
void runEach(AdapterChange* change, const QList<QStringList>& calls, std::function<void(QList<Outcome>)> then,
             QList<Outcome> done = {}) {
    if (done.size() == calls.size()) return then(done);
    runLater(change, calls[done.size()], [=](const Outcome& o) {
        QList<Outcome> more = done;
        more << o;
        runEach(change, calls, then, more);
    });
}

// The connection profile the device uses, in `out`.
void connectionOf(AdapterChange* change, const QString& device, Then then) {
    runLater(change,
             {QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("GENERAL.CONNECTION"),
              QStringLiteral("device"), QStringLiteral("show"), device},
             [device, then = std::move(then)](const Outcome& found) {
                 if (!found.ok || !found.out.isEmpty()) return then(found);
                 then({true, false, QString(), QCoreApplication::translate("kq", "网卡 %1 没有连接配置").arg(device)});
             });
}

// What a fixed-address change tells the user. The adapter has the address only once the profile was
// activated again; after a failed activation it keeps what it had, whatever the profile now holds.
QString fixedAddressStatus(const Outcome& address, const Outcome& gateway, const Outcome& dns, const Outcome& up) {
    if (!up.ok)
        return sentence(QCoreApplication::translate("kq", "设置失败"), up.problem) +
               QCoreApplication::translate("kq", kProfileChangedNote);
    if (address.ok && gateway.ok && dns.ok) return QCoreApplication::translate("kq", "设置成功");
    QString problem;
    for (const Outcome* o : {&address, &gateway, &dns})
        if (problem.isEmpty() && !o->ok) problem = o->problem;
    return sentence((address.ok ? QCoreApplication::translate("kq", "IP地址和子网掩码设置成功, ")
                                : QCoreApplication::translate("kq", "IP地址或子网掩码设置失败, ")) +
                        (gateway.ok ? QCoreApplication::translate("kq", "默认网关设置成功, ")
                                    : QCoreApplication::translate("kq", "默认网关设置失败, ")) +
                        (dns.ok ? QCoreApplication::translate("kq", "DNS设置成功")
                                : QCoreApplication::translate("kq", "DNS设置失败")),
                    problem);
}

void finish(AdapterChange* change, bool succeeded, const QString& status) {
    emit change->finished(succeeded, status);
}

} // namespace

std::optional<QList<Adapter>> managedAdapters(QString* why) {
    const Outcome listed = runNow(
        {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("DEVICE,TYPE,STATE"), QStringLiteral("device")});
    if (!listed.ok) {
        if (why)
            *why = listed.ran ? QCoreApplication::translate("kq", "无法读取网卡列表：%1").arg(listed.problem)
                              : listed.problem;
        return std::nullopt;
    }
    QList<Adapter> adapters;
    for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
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

AdapterChange* ChangeIP(const QString& device, const QString& ip, const QString& mask, const QString& gateway,
                        const QString& dns1, const QString& dns2, QObject* parent) {
    auto* change = new AdapterChange(parent);
    const auto prefix = prefixLength(mask);
    const QString dns =
        QStringList{dns1, dns2}.filter(QRegularExpression(QStringLiteral("\\S"))).join(QLatin1Char(' '));
    connectionOf(change, device, [=](const Outcome& found) {
        if (!found.ok)
            return finish(change, false, sentence(QCoreApplication::translate("kq", "设置失败"), found.problem));
        const QString connection = found.out;
        const QStringList modify{QStringLiteral("connection"), QStringLiteral("modify"), connection};
        QList<QStringList> calls;
        if (prefix)
            calls << modify + QStringList{QStringLiteral("ipv4.method"), QStringLiteral("manual"),
                                          QStringLiteral("ipv4.addresses"),
                                          QStringLiteral("%1/%2").arg(ip).arg(*prefix)};
        calls << modify + QStringList{QStringLiteral("ipv4.gateway"), gateway}
              << modify + QStringList{QStringLiteral("ipv4.dns"), dns};
        runEach(change, calls, [=](QList<Outcome> set) {
            if (!prefix)
                set.prepend({false, false, QString(), QCoreApplication::translate("kq", "子网掩码“%1”无效").arg(mask)});
            const Outcome address = set[0], gatewaySet = set[1], dnsSet = set[2];
            if (!address.ok && !gatewaySet.ok && !dnsSet.ok)
                return finish(change, false, fixedAddressStatus(address, gatewaySet, dnsSet, {true, true, {}, {}}));
            // The profile holds the change; activating it again puts the change on the adapter.
            runLater(change, {QStringLiteral("connection"), QStringLiteral("up"), connection}, [=](const Outcome& up) {
                finish(change, up.ok && address.ok && gatewaySet.ok && dnsSet.ok,
                       fixedAddressStatus(address, gatewaySet, dnsSet, up));
            });
        });
    });
    return change;
}

AdapterChange* SetAutoIPadd(const QString& device, QObject* parent) {
    auto* change = new AdapterChange(parent);
    const auto fail = [change](const Outcome& o) {
        finish(change, false, sentence(QCoreApplication::translate("kq", "自动获取IP设置失败"), o.problem));
    };
    connectionOf(change, device, [=](const Outcome& found) {
        if (!found.ok) return fail(found);
        const QString connection = found.out;
        runLater(change,
                 {QStringLiteral("-t"), QStringLiteral("-g"), QStringLiteral("ipv4.method"),
                  QStringLiteral("connection"), QStringLiteral("show"), connection},
                 [=](const Outcome& method) {
                     if (!method.ok) return fail(method);
                     if (method.out == QLatin1String("auto"))
                         return finish(change, true, QCoreApplication::translate("kq", "DHCP已经开启"));
                     runLater(change,
                              {QStringLiteral("connection"), QStringLiteral("modify"), connection,
                               QStringLiteral("ipv4.method"), QStringLiteral("auto"), QStringLiteral("ipv4.addresses"),
                               QString(), QStringLiteral("ipv4.gateway"), QString(), QStringLiteral("ipv4.dns"),
                               QString()},
                              [=](const Outcome& set) {
                                  if (!set.ok) return fail(set);
                                  // Taking the connection up again releases the fixed address and asks for a
                                  // new lease.
                                  runLater(change, {QStringLiteral("connection"), QStringLiteral("up"), connection},
                                           [=](const Outcome& up) {
                                               if (!up.ok) return fail(up);
                                               finish(change, true, QString());
                                           });
                              });
                 });
    });
    return change;
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
