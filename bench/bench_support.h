#pragma once

// Shared by the benchmarks: stand-in receivers that never read, CPU time, percentiles.

#include "core/shared_state.h"
#include "link/link_settings.h"

#include <QHostAddress>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace bench {

// Plain sockets at base + k (k = 1..10) and base + 55, port 4800 (or another), where the program's datagrams land.
// They take the datagrams without being part of the program's event loop.
inline std::vector<int> bindReceivers(const QString& base, uint16_t port = 4800) {
    std::vector<int> fds;
    for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 55}) {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(QHostAddress(base).toIPv4Address() + quint32(k));
        const int size = 4 * 1024 * 1024;
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            continue;
        }
        fds.push_back(fd);
    }
    return fds;
}

inline void closeAll(const std::vector<int>& fds) {
    for (int fd : fds)
        close(fd);
}

// A temporary application folder whose settings point the link at loopback addresses of the bench's
// own (machine k at base + k), with receivers bound there when asked for. Each bench has its own base,
// so that benches run side by side never meet.
class LoopbackHome {
public:
    LoopbackHome(const QString& base, bool withReceivers) : base_(base) {
        qputenv("KQ510_LOOPBACK_ONLY", "1");
        Fun_SetAppFolder(dir_.path());
        const int own = int((QHostAddress(base).toIPv4Address() >> 8) & 0xFF);
        kq::link::writeLoopbackAddresses(g_IniPath, base, 4800, 47990 + own, 47980 + own);
        if (withReceivers) receivers_ = bindReceivers(base);
    }
    ~LoopbackHome() { closeAll(receivers_); }
    LoopbackHome(const LoopbackHome&) = delete;
    LoopbackHome& operator=(const LoopbackHome&) = delete;

    const QString& base() const { return base_; }
    QString path(const QString& name) const { return dir_.filePath(name); }
    const std::vector<int>& receivers() const { return receivers_; }

private:
    QTemporaryDir dir_;
    QString base_;
    std::vector<int> receivers_;
};

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU time of the whole machine so far (all processes, all cores), in seconds, from /proc/stat.
inline double machineCpuSeconds() {
    std::FILE* f = std::fopen("/proc/stat", "r");
    if (!f) return 0;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0;
    const int n =
        std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle, &iowait, &irq, &softirq);
    std::fclose(f);
    if (n != 7) return 0;
    return double(user + nice + system + irq + softirq) / double(sysconf(_SC_CLK_TCK));
}

// The process's largest resident size so far, in MB.
inline double peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

template <typename T> double percentile(std::vector<T> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return double(v[size_t(q * double(v.size() - 1))]);
}

} // namespace bench
