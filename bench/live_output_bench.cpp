// One tick of full live output: ten machines x six ports of half blocks and one "8055", built and
// sent on loopback. Receivers are bound but read only between ticks, so the figures are the sender's.
// Usage: live_output_bench [ticks]
#include "bench_support.h"
#include "core/clock.h"
#include "core/shared_state.h"
#include "link/link_settings.h"
#include "link/transport.h"
#include "link/udp_host.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;

    const bench::LoopbackHome home(QStringLiteral("127.0.2.200"), true);
    const QString& base = home.base();
    const std::vector<int>& receivers = home.receivers();
    if (receivers.size() != 11) {
        std::fprintf(stderr, "cannot bind the receivers\n");
        return 1;
    }
    for (int m = 1; m <= 10; ++m)
        for (int p = 1; p <= 6; ++p)
            for (int i = 0; i < 2250; ++i)
                g_LivePlanes[m][p][i] = uint8_t(m * 31 + p * 7 + i);
    Form_UDP();

    std::vector<int64_t> ns;
    ns.reserve(size_t(ticks));
    qint64 bytesPerTick = 0;
    for (int t = 0; t < ticks; ++t) {
        const int start = (t % 2) * 1125; // halves alternate per tick
        const int64_t t0 = kq::MonotonicClock::nowNs();
        for (int m = 1; m <= 10; ++m)
            for (int p = 1; p <= 6; ++p)
                Fun_SendHalfBlock(m, p, start, g_LivePlanes);
        Fun_SendFrame(0, kq::link::code::LiveShow, QByteArray(1, 0x00), false);
        ns.push_back(kq::MonotonicClock::nowNs() - t0);
        qint64 received = 0;
        char buf[65536];
        for (int fd : receivers)
            for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) >= 0;)
                received += n;
        if (t == 0) bytesPerTick = received;
    }
    // The kernel's share: the same datagrams through one plain socket, no frame building, no Qt.
    std::vector<int64_t> floorNs;
    const int raw = socket(AF_INET, SOCK_DGRAM, 0);
    const QByteArray datagram(1150, '\x55');
    char buf[65536];
    for (int t = 0; t < ticks; ++t) {
        const int64_t t0 = kq::MonotonicClock::nowNs();
        for (int i = 0; i <= 60; ++i) {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(4800);
            a.sin_addr.s_addr = htonl(QHostAddress(base).toIPv4Address() + quint32(i == 60 ? 55 : 1 + i / 6));
            sendto(raw, datagram.constData(), size_t(i == 60 ? 18 : 1150), 0, reinterpret_cast<sockaddr*>(&a),
                   sizeof a);
        }
        floorNs.push_back(kq::MonotonicClock::nowNs() - t0);
        for (int fd : receivers)
            while (recv(fd, buf, sizeof buf, 0) >= 0) {
            }
    }
    close(raw);

    std::sort(ns.begin(), ns.end());
    std::sort(floorNs.begin(), floorNs.end());
    const auto at = [](const std::vector<int64_t>& v, double q) {
        return double(v[size_t(q * double(v.size() - 1))]) / 1e6;
    };
    const auto ms = [&](double q) { return at(ns, q); };
    std::printf("live output tick: 10 machines x 6 ports half blocks + 8055, %d ticks on loopback\n", ticks);
    std::printf("per tick         p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", ms(0.5), ms(0.99), ms(1.0));
    std::printf("plain sendto     p50 %.3f ms  p99 %.3f ms  (the same datagrams, kernel only)\n", at(floorNs, 0.5),
                at(floorNs, 0.99));
    std::printf("bytes per tick   %lld (61 datagrams)\n", bytesPerTick);
    std::printf("at 36 ms period  %.2f MB/s, %.1f datagrams/s\n", double(bytesPerTick) * 1000 / 36 / 1e6,
                61 * 1000.0 / 36);
    Fun_UnloadFormUdp();
    return 0;
}
