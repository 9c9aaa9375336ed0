// Show download and firmware upgrade to a stand-in machine running as its own process with a fixed
// reply latency. Every packet waits for its acknowledgement, so packets x latency is the floor; a bare
// blocking socket that does nothing but wait for acknowledgements shows what this machine adds to it.
// Usage: transfer_bench [latency-ms]   (default 1)
#include "bench_support.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/command_frame.h"
#include "link/link_settings.h"
#include "link/udp_host.h"
#include "show/firmware_upgrade.h"
#include "show/playback_file.h"
#include "show/show_download.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>

namespace {

class QuietLog final : public TransferLog {};

void report(const char* what, qint64 bytes, size_t packets, double seconds, int latencyMs, double bare, bool ok) {
    const double floor = double(packets) * latencyMs / 1000.0;
    std::printf("%-34s %s  %6.2f s  %6.2f MB/s  %5zu packets  %.2f x the acknowledgement limit (%.2f s), %.2f x the "
                "bare round trips\n",
                what, ok ? "ok    " : "FAILED", seconds, double(bytes) / 1e6 / seconds, packets, seconds / floor, floor,
                seconds / (double(packets) * bare));
}

// The floor a plain client reaches on this machine: a blocking socket that sends the handshake and
// sleeps in the kernel until the acknowledgement comes, nothing else. Seconds per acknowledgement.
double bareRoundTrip(const QString& base, int count) {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    const QHostAddress machine(QHostAddress(base).toIPv4Address() + 1);
    const QByteArray frame = kq::link::encodeFrame(1, kq::link::code::ShowHandshake, {});
    const int fd = int(s.socketDescriptor());
    const sockaddr_in to{AF_INET, htons(4800), {htonl(machine.toIPv4Address())}, {}};
    char reply[64];
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        sendto(fd, frame.data(), size_t(frame.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 1000);
        recv(fd, reply, sizeof reply, 0);
    }
    return double(t.nsecsElapsed()) / 1e9 / count;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int latencyMs = argc > 1 ? std::max(0, atoi(argv[1])) : 1;
    const bench::LoopbackHome home(QStringLiteral("127.0.3.200"), false);
    const QString& base = home.base();

    QProcess machines;
    machines.setProgram(QStringLiteral(KQ510_MACHINES_EXE));
    machines.setArguments({"--machines", "1", "--base", base, "--broadcast", "127.0.3.255", "--latency",
                           QString::number(latencyMs), "--state", home.path(QStringLiteral("machines"))});
    machines.start();
    if (!machines.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", KQ510_MACHINES_EXE);
        return 1;
    }
    QThread::msleep(300);

    QDir().mkpath(kq::show::playbackFolder(g_AppFolder));
    const QString playback = kq::show::playbackFilePath(g_AppFolder, 1);
    QRandomGenerator rng(510);
    QByteArray dense(10 * 1000 * 1000, '\0');
    for (auto& b : dense)
        b = char(1 + rng.bounded(253)); // no zeros, no 254: every byte codes as itself
    QByteArray sparse(10 * 1000 * 1000, '\0');
    for (qsizetype i = 0; i < sparse.size(); i += 4096)
        sparse[i] = char(100);

    const double bare = bareRoundTrip(base, 1000);
    std::printf("%-34s %.3f ms per acknowledgement, %.2f x the reply latency\n", "bare blocking socket, 1000 acks",
                bare * 1000, latencyMs > 0 ? bare * 1000 / latencyMs : 0.0);

    QuietLog log;
    for (const auto& [name, bytes] :
         {std::pair{"show download, 10 MB dense", dense}, std::pair{"show download, 10 MB mostly zeros", sparse}}) {
        kq::writeFileAtomically(playback, bytes);
        const size_t packets = kq::show::codeDownloadPackets(bytes).size() + 2; // handshake and end
        QElapsedTimer t;
        t.start();
        const bool ok = Fun_DownloadToMachine(1, log);
        report(name, bytes.size(), packets, double(t.nsecsElapsed()) / 1e9, latencyMs, bare, ok);
    }

    QByteArray image(256 * 1024, '\0');
    for (auto& b : image)
        b = char(rng.bounded(256));
    image.replace(64, 20, "KQ510biaoji123456789");
    const QString firmware = home.path(QStringLiteral("fw.bin"));
    kq::writeFileAtomically(firmware, image);
    const size_t packets = kq::show::firmwareDataPayloads(image).size() + 2;
    QElapsedTimer t;
    t.start();
    const bool ok = Fun_UpgradeMachine(1, log, firmware);
    report("firmware upgrade, 256 KB", image.size(), packets, double(t.nsecsElapsed()) / 1e9, latencyMs, bare, ok);

    Fun_UnloadFormUdp();
    machines.terminate();
    machines.waitForFinished();
    std::printf("(stand-in machine in its own process, reply latency %d ms, loopback)\n", latencyMs);
    return 0;
}
