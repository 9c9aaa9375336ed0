#include "link/open_protocols.h"
#include "standin/open_receivers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

namespace open = kq::link::open;

QByteArrayView withoutSourceName(QByteArrayView p) {
    return p.first(44);
}

// What the stand-in reads is what the program would write from the fields read: the decoders let no
// field pass that the packers cannot make, and lose none.
void readBack(QByteArrayView d) {
    if (const auto e = standin::decodeE131Data(d)) {
        if (e->startCode == 0) {
            open::E131Fields f;
            std::copy_n(e->cid.constData(), f.cid.size(), reinterpret_cast<char*>(f.cid.data()));
            f.sourceName = e->sourceName;
            f.priority = e->priority;
            f.syncAddress = e->syncAddress;
            f.sequence = e->sequence;
            f.options = e->options;
            f.universe = e->universe;
            const QByteArray again = open::e131DataPacket(f, e->slotValues);
            // The name's text may not be UTF-8 and its padding need not be zeros: the rest must agree.
            if (again.size() != d.size() || withoutSourceName(again) != withoutSourceName(d) ||
                QByteArrayView(again).sliced(108) != d.sliced(108))
                __builtin_trap();
        }
    }
    if (const auto s = standin::decodeE131Sync(d)) {
        open::Cid cid{};
        std::copy_n(s->cid.constData(), cid.size(), reinterpret_cast<char*>(cid.data()));
        if (open::e131SyncPacket(cid, s->sequence, s->syncAddress) != d) __builtin_trap();
    }
    if (const auto a = standin::decodeArtDmx(d))
        if (a->physical == 0 && open::artDmxPacket(a->sequence, a->portAddress, a->data) != d) __builtin_trap();
    if (standin::decodeArtSync(d) && open::artSyncPacket() != d) __builtin_trap();
    if (const auto p = standin::decodeDdp(d)) {
        if ((p->flags & ~open::kDdpPush) == open::kDdpVersion1 && p->destination == open::kDdpDisplay &&
            open::ddpDataPacket(p->sequence, p->dataType, p->offset, p->data, p->push()) != d)
            __builtin_trap();
    }
}

} // namespace

// The first two bytes lay the controllers out (ports, pixels, channels per universe, colour order);
// then a run of datagrams, each a two-byte big-endian length and that many bytes, the last cut off where
// the input ends. Each datagram goes to every decoder and to a controller of each protocol.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    standin::OpenLayout layout;
    layout.ports = 1 + data[0] % 6;
    layout.pixelsPerPort = 1 + (data[1] * 3) % 750;
    layout.channelsPerUniverse = data[0] & 0x80 ? 512 : 510;
    layout.colourOrder = 1 + (data[0] >> 3) % 6;
    layout.firstUniverse = data[1] & 1;
    layout.ddpOffset = data[1];
    std::vector<standin::OpenReceiver> receivers;
    for (auto protocol : {standin::OpenProtocol::E131, standin::OpenProtocol::ArtNet, standin::OpenProtocol::Ddp}) {
        layout.protocol = protocol;
        receivers.emplace_back(layout);
    }
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 2, qsizetype(size - 2));
    qsizetype at = 0;
    int datagrams = 0;
    while (at < bytes.size()) {
        const qsizetype length = uint8_t(bytes[at]) << 8 | (at + 1 < bytes.size() ? uint8_t(bytes[at + 1]) : 0);
        at = std::min(bytes.size(), at + 2);
        const QByteArrayView datagram = bytes.sliced(at, std::min(length, bytes.size() - at));
        at += datagram.size();
        ++datagrams;
        readBack(datagram);
        for (standin::OpenReceiver& r : receivers)
            r.receive(datagram);
    }
    for (const standin::OpenReceiver& r : receivers) {
        const auto& n = r.counts();
        // Every datagram is counted once at most; a controller shows exactly its ports and pixels.
        if (n.data + n.syncs + n.terminated + n.late + n.ignored + n.strays + n.bad > datagrams) __builtin_trap();
        if (n.missing > 255 * datagrams) __builtin_trap();
        const QImage& p = r.picture();
        if (p.width() != r.layout().pixelsPerPort || p.height() != r.layout().ports) __builtin_trap();
    }
    return 0;
}
