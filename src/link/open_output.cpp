#include "open_output.h"

#include "socket_master.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace kq::link {
namespace {

sockaddr_in socketAddress(quint32 ipv4, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(ipv4);
    return a;
}

uint16_t portOf(ControllerKind k) {
    switch (k) {
    case ControllerKind::ArtNet:
        return open::kArtNetUdpPort;
    case ControllerKind::Ddp:
        return open::kDdpUdpPort;
    default:
        return open::kE131UdpPort;
    }
}

// E1.31's multicast group of a universe: 239.255.hi.lo.
quint32 multicastGroup(int universe) {
    return (239u << 24) | (255u << 16) | (quint32(universe >> 8 & 0xFF) << 8) | quint32(universe & 0xFF);
}

} // namespace

OpenOutput::OpenOutput() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0) {
        // A tick of ten controllers is some 300 datagrams: room for all of them at once.
        const int bytes = 4 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    }
}

OpenOutput::~OpenOutput() {
    if (fd_ >= 0) ::close(fd_);
}

QString OpenOutput::reload(const ControllerTable& table, const std::array<QString, 11>& addresses,
                           const QString& sourceName) {
    open::FrameOptions options;
    std::copy(table.cid.begin(), table.cid.begin() + std::min<qsizetype>(16, table.cid.size()), options.cid.begin());
    options.sourceName = sourceName;
    options.priority = uint8_t(std::clamp(table.priority, 0, int(open::kE131MaxPriority)));
    // A controller whose setting, address and stream (for E1.31 also the source's CID, name, priority
    // and sync universe) are as they were goes on counting: a receiver
    // must not see its stream end, or its sequence start again, because another row was saved.
    const bool sameSource = options.cid == options_.cid && options.sourceName == options_.sourceName &&
                            options.priority == options_.priority && table.syncUniverse == table_.syncUniverse;
    std::array<bool, 11> kept{};
    for (int m = 1; m <= 10; ++m)
        kept[size_t(m)] = targets_[size_t(m)].open && targets_[size_t(m)].setting == table.machine[size_t(m)] &&
                          addresses_[size_t(m)] == addresses[size_t(m)] &&
                          (sameSource || table.machine[size_t(m)].kind != ControllerKind::E131);
    // Streams that end or change are told so before the new table takes over.
    stop([&](int m) { return !kept[size_t(m)]; });
    table_ = table;
    addresses_ = addresses;
    options_ = options;
    multicastAllowed_ = !loopbackOnly();
    anyOpen_ = false;
    QStringList refused;
    for (int m = 1; m <= 10; ++m) {
        Target& t = targets_[size_t(m)];
        if (kept[size_t(m)]) {
            anyOpen_ = true;
            if (!t.allowed)
                refused << QCoreApplication::translate("kq", "机器%1（%2）").arg(m).arg(addresses[size_t(m)]);
            continue;
        }
        t = Target{};
        t.setting = table.machine[size_t(m)];
        t.open = t.setting.kind != ControllerKind::Family;
        if (!t.open) continue;
        anyOpen_ = true;
        t.layout = layoutOf(t.setting);
        QHostAddress address;
        const bool literal =
            address.setAddress(addresses[size_t(m)]) && address.protocol() == QAbstractSocket::IPv4Protocol;
        t.allowed = literal && destinationAllowed(address) && !address.isMulticast() &&
                    address != QHostAddress(QHostAddress::Broadcast);
        if (t.setting.multicast && t.setting.kind == ControllerKind::E131 && !multicastAllowed_) t.allowed = false;
        if (!t.allowed)
            refused << QCoreApplication::translate("kq", "机器%1（%2）")
                           .arg(m)
                           .arg(t.setting.multicast ? QCoreApplication::translate("kq", "组播") : addresses[size_t(m)]);
        else
            t.unicast = socketAddress(address.toIPv4Address(), portOf(t.setting.kind));
    }
    if (refused.isEmpty()) return {};
    return QCoreApplication::translate(
               "kq", "没有发送到这些控制器：%1。KQ510_LOOPBACK_ONLY=1 时只能发送到本机回环地址，不能发送组播或广播。")
        .arg(refused.join(QCoreApplication::translate("kq", "、")));
}

void OpenOutput::queueTo(const QByteArray& bytes, const sockaddr_in& to) {
    payloads_.push_back(bytes);
    destinations_.push_back(to);
}

void OpenOutput::queue(const open::Datagram& d, const Target& t) {
    if (t.setting.kind == ControllerKind::E131 && t.setting.multicast)
        queueTo(d.bytes, socketAddress(multicastGroup(d.universe), open::kE131UdpPort));
    else
        queueTo(d.bytes, t.unicast);
}

void OpenOutput::flush() {
    // One system call for the whole tick.
    std::vector<mmsghdr> messages(payloads_.size());
    std::vector<iovec> parts(payloads_.size());
    for (size_t i = 0; i < payloads_.size(); ++i) {
        parts[i] = {const_cast<char*>(payloads_[i].constData()), size_t(payloads_[i].size())};
        messages[i] = {};
        messages[i].msg_hdr.msg_name = &destinations_[i];
        messages[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    size_t done = 0;
    while (fd_ >= 0 && done < messages.size()) {
        const int n = ::sendmmsg(fd_, messages.data() + done, unsigned(messages.size() - done), 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            // This one is lost (no route, say): the rest go on.
            ++counts_.failed;
            ++done;
            continue;
        }
        for (int i = 0; i < n; ++i)
            counts_.bytes += payloads_[done + size_t(i)].size();
        done += size_t(n);
    }
    counts_.datagrams += qint64(payloads_.size());
    lastPayloads_.swap(payloads_);
    lastDestinations_.swap(destinations_);
    payloads_.clear();
    destinations_.clear();
}

void OpenOutput::sendTick(const Planes& planes, const HasData& hasData) {
    if (!anyOpen_) return;
    const bool e131Sync = table_.syncUniverse > 0;
    bool anyE131 = false, anyArtNet = false, anyDdp = false;
    for (int m = 1; m <= 10; ++m) {
        Target& t = targets_[size_t(m)];
        if (!t.open || !t.allowed) continue;
        open::PortsUsed used{};
        bool any = false;
        for (int p = 1; p <= open::kOpenPorts; ++p) {
            used[size_t(p)] = hasData[p][m] == 1;
            any = any || used[size_t(p)];
        }
        if (!any) continue;
        open::FrameOptions o = options_;
        switch (t.setting.kind) {
        case ControllerKind::E131:
            o.synchronise = e131Sync;
            o.syncAddress = uint16_t(table_.syncUniverse);
            anyE131 = true;
            break;
        case ControllerKind::ArtNet:
            o.synchronise = table_.artSync;
            anyArtNet = true;
            break;
        case ControllerKind::Ddp:
            o.synchronise = table_.ddpSync;
            anyDdp = true;
            break;
        case ControllerKind::Family:
            break;
        }
        for (const open::Datagram& d : open::planFrame(t.layout, o, used, planes[m], t.sequences))
            queue(d, t);
        for (int p = 1; p <= open::kOpenPorts; ++p)
            t.sent[size_t(p)] = t.sent[size_t(p)] || used[size_t(p)];
    }
    // After every controller's data: one synchronisation packet to each controller of a protocol.
    if (anyE131 && e131Sync) {
        const QByteArray sync = open::e131SyncPacket(options_.cid, syncSequence_++, uint16_t(table_.syncUniverse));
        bool toGroup = false;
        for (const Target& t : targets_) {
            if (!t.open || !t.allowed || t.setting.kind != ControllerKind::E131) continue;
            if (t.setting.multicast)
                toGroup = true;
            else
                queueTo(sync, t.unicast);
        }
        if (toGroup) queueTo(sync, socketAddress(multicastGroup(table_.syncUniverse), open::kE131UdpPort));
    }
    if (anyArtNet && table_.artSync) {
        const QByteArray sync = open::artSyncPacket();
        for (const Target& t : targets_)
            if (t.open && t.allowed && t.setting.kind == ControllerKind::ArtNet) queueTo(sync, t.unicast);
    }
    if (anyDdp && table_.ddpSync) {
        // The push belongs to no controller's count: sequence 0 ("not used").
        const QByteArray push = open::ddpPushPacket(0);
        for (const Target& t : targets_)
            if (t.open && t.allowed && t.setting.kind == ControllerKind::Ddp) queueTo(push, t.unicast);
    }
    flush();
}

void OpenOutput::stop() {
    stop([](int) { return true; });
}

void OpenOutput::stop(const std::function<bool(int)>& which) {
    static const Planes dark{};
    bool any = false;
    for (int m = 1; m <= 10; ++m) {
        if (!which(m)) continue;
        Target& t = targets_[size_t(m)];
        if (!t.open || !t.allowed || t.setting.kind != ControllerKind::E131) {
            t.sent = {};
            continue;
        }
        if (std::none_of(t.sent.begin(), t.sent.end(), [](bool b) { return b; })) continue;
        open::FrameOptions o = options_;
        o.synchronise = false;
        for (const open::Datagram& d : open::planStop(t.layout, o, t.sent, dark[m], t.sequences))
            queue(d, t);
        t.sent = {};
        any = true;
    }
    if (any) flush();
}

} // namespace kq::link
