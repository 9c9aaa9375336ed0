#include "send_cli.h"

#include "command_frame.h"
#include "core/common_functions.h"
#include "socket_master.h"
#include "transport.h"
#include "udp_host.h"

#include <cstdio>

namespace kq::link {
namespace {

int usage(const QString& why) {
    std::fprintf(stderr, "kq510 send: %s\n%s", qPrintable(why), kSendUsage);
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
            if (!value(machine, 0, 255)) return usage(QStringLiteral("--machine takes a number from 0 to 255"));
        } else if (a == QLatin1String("--wait")) {
            if (!value(waitMs, 0, 60000)) return usage(QStringLiteral("--wait takes milliseconds from 0 to 60000"));
        } else if (a == QLatin1String("--home")) {
            ++i; // handled by the caller
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("unknown option %1").arg(a));
        } else {
            positional << a;
        }
    }
    if (machine < 0) return usage(QStringLiteral("--machine is required"));
    if (positional.isEmpty()) return usage(QStringLiteral("CODE is required"));
    const auto commandCode = parseCommandCode(positional.takeFirst());
    if (!commandCode) return usage(QStringLiteral("CODE must be four hex digits"));
    QString why;
    const auto payload = parseHexBytes(positional.join(QLatin1Char(' ')), &why);
    if (!payload) return usage(why);
    if (payload->size() > kMaxPayloadBytes)
        return usage(QStringLiteral("at most %1 payload bytes fit a frame").arg(kMaxPayloadBytes));

    UdpHost& udp = Form_UDP();
    bool failed = false;
    QObject::connect(udp.Client, &CSocketMaster::Error,
                     [&](int, const QString&, const QString&, bool*) { failed = true; });
    int replies = 0;
    QObject::connect(udp.Client, &CSocketMaster::DataArrival111111, [&](const QByteArray& data, int) {
        ++replies;
        std::printf("reply %d (%lld bytes): %s\n", replies, qlonglong(data.size()), qPrintable(spacedHex(data)));
        std::fflush(stdout);
    });

    const QByteArray frame = encodeFrame(uint8_t(machine), *commandCode, *payload);
    std::printf("send %04X to machine %d via %s:%d (%lld bytes): %s\n", *commandCode, machine,
                qPrintable(udp.Client->RemoteHost()), udp.Client->RemotePort(), qlonglong(frame.size()),
                qPrintable(spacedHex(frame)));
    g_ReplyLen = 0;
    Fun_SendFrame(machine, *commandCode, *payload, false);
    if (failed) {
        std::fprintf(stderr, "kq510 send: the frame was not sent\n");
        return 1;
    }
    Fun_Delay(uint32_t(waitMs));
    if (replies == 0) std::printf("no reply within %d ms\n", waitMs);
    return 0;
}

} // namespace kq::link
