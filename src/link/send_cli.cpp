#include "send_cli.h"

#include "command_frame.h"
#include "core/common_functions.h"
#include "socket_master.h"
#include "transport.h"
#include "udp_host.h"

#include <QCoreApplication>
#include <cstdio>

namespace kq::link {

QString sendUsage() {
    return QCoreApplication::translate("kq", "用法：kq510 send --machine N CODE [HEXDATA] [--wait MS] [--home DIR]\n"
                                             "  N       机器编号 0..255（0 = 所有机器）\n"
                                             "  CODE    四位十六进制数字，例如 8010\n"
                                             "  HEXDATA 十六进制的数据字节，每两位之间可以有空格\n"
                                             "  MS      收集回复的时间（默认500毫秒）\n");
}

namespace {

void print(FILE* to, const QString& text) {
    std::fputs(qPrintable(text), to);
}

int usage(const QString& why) {
    print(stderr, QCoreApplication::translate("kq", "kq510 send：%1\n").arg(why) + sendUsage());
    return 2;
}

QString spacedHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

int runSendCommand(const QStringList& args) {
    int machine = -1;
    int waitMs = 500;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](int& out, int min, int max) {
            bool ok = false;
            out = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            return ok && out >= min && out <= max;
        };
        if (a == QLatin1String("--machine")) {
            if (!value(machine, 0, 255))
                return usage(QCoreApplication::translate("kq", "--machine 只能是0到255的数字"));
        } else if (a == QLatin1String("--wait")) {
            if (!value(waitMs, 0, 60000)) return usage(QCoreApplication::translate("kq", "--wait 只能是0到60000毫秒"));
        } else if (a == QLatin1String("--home")) {
            ++i; // handled by the caller
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QCoreApplication::translate("kq", "未知选项“%1”").arg(a));
        } else {
            positional << a;
        }
    }
    if (machine < 0) return usage(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--machine")));
    if (positional.isEmpty()) return usage(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("CODE")));
    const auto commandCode = parseCommandCode(positional.takeFirst());
    if (!commandCode) return usage(QCoreApplication::translate("kq", "CODE 必须是四位十六进制数字"));
    QString why;
    const auto payload = parseHexBytes(positional.join(QLatin1Char(' ')), &why);
    if (!payload) return usage(why);
    if (payload->size() > kMaxPayloadBytes)
        return usage(QCoreApplication::translate("kq", "一帧最多只能装%1个数据字节").arg(kMaxPayloadBytes));

    UdpHost& udp = Form_UDP();
    bool failed = false;
    QObject::connect(udp.Client, &CSocketMaster::Error,
                     [&](int, const QString&, const QString&, bool*) { failed = true; });
    int replies = 0;
    QObject::connect(udp.Client, &CSocketMaster::DataArrival111111, [&](const QByteArray& data, int) {
        ++replies;
        print(stdout, QCoreApplication::translate("kq", "回复%1（%2字节）：%3\n")
                          .arg(replies)
                          .arg(data.size())
                          .arg(spacedHex(data)));
        std::fflush(stdout);
    });

    const QByteArray frame = encodeFrame(uint8_t(machine), *commandCode, *payload);
    print(stdout, QCoreApplication::translate("kq", "发送%1给机器%2，经由%3:%4（%5字节）：%6\n")
                      .arg(QStringLiteral("%1").arg(*commandCode, 4, 16, QLatin1Char('0')).toUpper())
                      .arg(machine)
                      .arg(udp.Client->RemoteHost())
                      .arg(udp.Client->RemotePort())
                      .arg(frame.size())
                      .arg(spacedHex(frame)));
    g_ReplyLen = 0;
    Fun_SendFrame(machine, *commandCode, *payload, false);
    if (failed) {
        print(stderr, QCoreApplication::translate("kq", "kq510 send：命令帧没有发送\n"));
        return 1;
    }
    Fun_Delay(uint32_t(waitMs));
    if (replies == 0) print(stdout, QCoreApplication::translate("kq", "%1毫秒内没有回复\n").arg(waitMs));
    return 0;
}

} // namespace kq::link
