// One tick of full live output: ten machines x six ports of half blocks and one "8055", built and
// sent on loopback; then the same ten numbers as E1.31 controllers (six ports of 750 pixels: 300
// universes a tick) and as DDP controllers. Receivers are bound but read only between ticks, so the
// figures are the sender's; each beside a bare sendto loop of the same datagrams in the same run.
// Usage: live_output_bench [ticks]
#include "bench_support.h"
#include "core/clock.h"
#include "core/shared_state.h"
#include "link/controller_settings.h"
#include "link/link_settings.h"
#include "link/open_output.h"
#include "link/transport.h"
#include "link/udp_host.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
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

    // The open protocols: every number a controller of one kind, every port in use.
    std::memset(g_PortHasData, 0, sizeof g_PortHasData);
    for (int m = 1; m <= 10; ++m)
        for (int p = 1; p <= 6; ++p)
            g_PortHasData[p][m] = 1;
    for (const auto kind : {kq::link::ControllerKind::E131, kq::link::ControllerKind::Ddp}) {
        const bool e131 = kind == kq::link::ControllerKind::E131;
        kq::link::ControllerTable table;
        for (int m = 1; m <= 10; ++m)
            table.machine[size_t(m)] = kq::link::defaultOpenSetting(kind, m);
        kq::link::writeControllers(g_IniPath, table);
        const std::vector<int> sinks = bench::bindReceivers(base, e131 ? 5568 : 4048);
        kq::link::OpenOutput& open = Form_UDP().openOutput();
        const auto drain = [&] {
            for (int fd : sinks)
                while (recv(fd, buf, sizeof buf, 0) >= 0) {
                }
        };
        std::vector<int64_t> sendNs, bareNs;
        for (int t = 0; t < ticks; ++t) {
            const int64_t t0 = kq::MonotonicClock::nowNs();
            open.sendTick(g_LivePlanes, g_PortHasData);
            sendNs.push_back(kq::MonotonicClock::nowNs() - t0);
            drain();
        }
        // The same datagrams, already built, one sendto each through a plain socket.
        const std::vector<QByteArray> datagrams = open.lastTick();
        const std::vector<sockaddr_in> to = open.lastDestinations();
        const int plain = socket(AF_INET, SOCK_DGRAM, 0);
        const int sndbuf = 4 << 20;
        setsockopt(plain, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
        for (int t = 0; t < ticks; ++t) {
            const int64_t t0 = kq::MonotonicClock::nowNs();
            for (size_t i = 0; i < datagrams.size(); ++i)
                sendto(plain, datagrams[i].constData(), size_t(datagrams[i].size()), 0,
                       reinterpret_cast<const sockaddr*>(&to[i]), sizeof to[i]);
            bareNs.push_back(kq::MonotonicClock::nowNs() - t0);
            drain();
        }
        close(plain);
        // The process's CPU while ticking at the default period, as the frame step does.
        const int paced = std::min(ticks, 300);
        const double cpu0 = bench::cpuSeconds();
        const int64_t w0 = kq::MonotonicClock::nowNs();
        for (int t = 0; t < paced; ++t) {
            open.sendTick(g_LivePlanes, g_PortHasData);
            drain();
            const int64_t due = w0 + int64_t(t + 1) * 36'000'000;
            if (const int64_t wait = due - kq::MonotonicClock::nowNs(); wait > 0)
                QThread::usleep(unsigned(wait / 1000));
        }
        const double cpu = (bench::cpuSeconds() - cpu0) / (double(kq::MonotonicClock::nowNs() - w0) / 1e9);
        qint64 bytes = 0;
        for (const QByteArray& d : datagrams)
            bytes += d.size();
        const double p50 = bench::percentile(sendNs, 0.5) / 1e6, p99 = bench::percentile(sendNs, 0.99) / 1e6;
        const double b50 = bench::percentile(bareNs, 0.5) / 1e6, b99 = bench::percentile(bareNs, 0.99) / 1e6;
        std::printf("\n%s: 10 controllers x 6 ports x 750 pixels, %zu datagrams (%lld bytes) a tick, %d ticks\n",
                    e131 ? "E1.31" : "DDP", datagrams.size(), bytes, ticks);
        std::printf("sending per tick p50 %.3f ms  p99 %.3f ms  (built, sequenced, one sendmmsg)\n", p50, p99);
        std::printf("bare sendto loop p50 %.3f ms  p99 %.3f ms  (the same datagrams, prebuilt)\n", b50, b99);
        std::printf("ratio            p50 %.2f x   p99 %.2f x   (target p99 <= 1.5 x)\n", p50 / b50, p99 / b99);
        std::printf("process CPU      %.1f %% of one core while ticking every 36 ms (%d ticks)\n", cpu * 100, paced);
        std::printf("on the network   %.0f datagrams/s, %.1f Mbit/s\n", double(datagrams.size()) * 1000 / 36,
                    double(bytes + 46 * qint64(datagrams.size())) * 8 * 1000 / 36 /
                        1e6); // Ethernet (with its FCS), IP, UDP
        bench::closeAll(sinks);
        Fun_UnloadFormUdp();
    }
    return 0;
}
