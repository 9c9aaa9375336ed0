#include "open_receivers.h"

#include "frame_decoder.h"

#include <algorithm>
#include <cstring>

namespace standin {
namespace {

// E1.31 offsets, from the root layer's preamble.
constexpr int kE131MinBytes = 126;
constexpr int kE131MaxBytes = 638;
constexpr int kE131SyncBytes = 49;
constexpr int kLastUniverse = 63999;
const QByteArrayView kAcnIdentifier("ASC-E1.17\0\0\0", 12);
const QByteArrayView kArtNetIdentifier("Art-Net\0", 8);

// The flags of every ACN PDU are 0x7; the low 12 bits count the bytes from the PDU's start to the end.
bool pduLengthFits(QByteArrayView d, int at) {
    const uint32_t v = readBigEndian(d, at, 2);
    return (v >> 12) == 0x7 && qsizetype(v & 0x0FFF) == d.size() - at;
}

// Checks the root layer common to data and sync packets; returns the reason or nullptr.
const char* rootLayerProblem(QByteArrayView d, uint32_t vector) {
    if (readBigEndian(d, 0, 2) != 0x0010) return "preamble size is not 16";
    if (readBigEndian(d, 2, 2) != 0) return "post-amble size is not 0";
    if (d.sliced(4, 12) != kAcnIdentifier) return "no ACN packet identifier";
    if (!pduLengthFits(d, 16)) return "root layer flags or length wrong";
    if (readBigEndian(d, 18, 4) != vector) return "wrong root vector";
    return nullptr;
}

// A failure that leaves its reason.
template <class T> std::optional<T> refuse(QString* why, const char* reason) {
    if (why) *why = QString::fromLatin1(reason);
    return std::nullopt;
}

SequenceStep step(int last, int now, int ring, int lateWindow) {
    const int ahead = ((now - last) % ring + ring) % ring;
    if (ahead == 0 || ahead > ring - lateWindow) return {true, 0};
    // Far ahead is a source that started again, not a run of losses.
    return {false, ahead <= ring / 2 ? ahead - 1 : 0};
}

// Where each colour of a pixel lies among its three channels, per colour order.
constexpr const char* kOrderNames[] = {"RGB", "RGB", "RBG", "GRB", "GBR", "BRG", "BGR"};

} // namespace

std::optional<E131Data> decodeE131Data(QByteArrayView d, QString* why) {
    if (d.size() < kE131MinBytes) return refuse<E131Data>(why, "shorter than 126 bytes");
    if (d.size() > kE131MaxBytes) return refuse<E131Data>(why, "longer than 638 bytes");
    if (const char* p = rootLayerProblem(d, 0x00000004)) return refuse<E131Data>(why, p);
    if (!pduLengthFits(d, 38)) return refuse<E131Data>(why, "framing layer flags or length wrong");
    if (readBigEndian(d, 40, 4) != 0x00000002) return refuse<E131Data>(why, "wrong framing vector");
    const QByteArrayView name = d.sliced(44, 64);
    const qsizetype nul = name.indexOf('\0');
    if (nul < 0) return refuse<E131Data>(why, "source name not terminated");
    E131Data p;
    p.cid = d.sliced(22, 16).toByteArray();
    p.sourceName = QString::fromUtf8(name.first(nul));
    p.priority = uint8_t(d[108]);
    if (p.priority > 200) return refuse<E131Data>(why, "priority above 200");
    p.syncAddress = uint16_t(readBigEndian(d, 109, 2));
    if (p.syncAddress > kLastUniverse) return refuse<E131Data>(why, "synchronisation address above 63,999");
    p.sequence = uint8_t(d[111]);
    p.options = uint8_t(d[112]);
    if (p.options & 0x1F) return refuse<E131Data>(why, "reserved option bits set");
    p.universe = uint16_t(readBigEndian(d, 113, 2));
    if (p.universe < 1 || p.universe > kLastUniverse) return refuse<E131Data>(why, "universe outside 1..63,999");
    if (!pduLengthFits(d, 115)) return refuse<E131Data>(why, "DMP layer flags or length wrong");
    if (uint8_t(d[117]) != 0x02) return refuse<E131Data>(why, "wrong DMP vector");
    if (uint8_t(d[118]) != 0xA1) return refuse<E131Data>(why, "wrong address and data type");
    if (readBigEndian(d, 119, 2) != 0) return refuse<E131Data>(why, "first property address is not 0");
    if (readBigEndian(d, 121, 2) != 1) return refuse<E131Data>(why, "address increment is not 1");
    if (qsizetype(readBigEndian(d, 123, 2)) != d.size() - 125) return refuse<E131Data>(why, "wrong property count");
    p.startCode = uint8_t(d[125]);
    p.slotValues = d.sliced(126).toByteArray();
    return p;
}

std::optional<E131Sync> decodeE131Sync(QByteArrayView d, QString* why) {
    if (d.size() != kE131SyncBytes) return refuse<E131Sync>(why, "not 49 bytes");
    if (const char* p = rootLayerProblem(d, 0x00000008)) return refuse<E131Sync>(why, p);
    if (!pduLengthFits(d, 38)) return refuse<E131Sync>(why, "framing layer flags or length wrong");
    if (readBigEndian(d, 40, 4) != 0x00000001) return refuse<E131Sync>(why, "wrong framing vector");
    E131Sync s;
    s.cid = d.sliced(22, 16).toByteArray();
    s.sequence = uint8_t(d[44]);
    s.syncAddress = uint16_t(readBigEndian(d, 45, 2));
    if (s.syncAddress < 1 || s.syncAddress > kLastUniverse)
        return refuse<E131Sync>(why, "synchronisation address outside 1..63,999");
    if (readBigEndian(d, 47, 2) != 0) return refuse<E131Sync>(why, "reserved bytes not 0");
    return s;
}

namespace {
const char* artNetHeaderProblem(QByteArrayView d, uint16_t opCode) {
    if (d.first(8) != kArtNetIdentifier) return "no Art-Net identifier";
    if ((uint8_t(d[8]) | uint8_t(d[9]) << 8) != opCode) return "wrong OpCode";
    if (readBigEndian(d, 10, 2) != 14) return "protocol version is not 14";
    return nullptr;
}
} // namespace

std::optional<ArtDmx> decodeArtDmx(QByteArrayView d, QString* why) {
    if (d.size() < 20) return refuse<ArtDmx>(why, "shorter than 20 bytes");
    if (const char* p = artNetHeaderProblem(d, 0x5000)) return refuse<ArtDmx>(why, p);
    ArtDmx a;
    a.sequence = uint8_t(d[12]);
    a.physical = uint8_t(d[13]);
    if (uint8_t(d[15]) > 0x7F) return refuse<ArtDmx>(why, "Net past 7 bits");
    a.portAddress = uint16_t(uint8_t(d[15]) << 8 | uint8_t(d[14]));
    a.length = uint16_t(readBigEndian(d, 16, 2));
    if (a.length < 2 || a.length > 512 || a.length % 2 != 0) return refuse<ArtDmx>(why, "length not even in 2..512");
    if (a.length != d.size() - 18) return refuse<ArtDmx>(why, "length differs from the data");
    a.data = d.sliced(18).toByteArray();
    return a;
}

bool decodeArtSync(QByteArrayView d, QString* why) {
    const auto fail = [&](const char* reason) {
        if (why) *why = QString::fromLatin1(reason);
        return false;
    };
    if (d.size() != 14) return fail("not 14 bytes");
    if (const char* p = artNetHeaderProblem(d, 0x5200)) return fail(p);
    if (d[12] != 0 || d[13] != 0) return fail("aux bytes not 0");
    return true;
}

std::optional<DdpPacket> decodeDdp(QByteArrayView d, QString* why) {
    if (d.size() < 10) return refuse<DdpPacket>(why, "shorter than 10 bytes");
    DdpPacket p;
    p.flags = uint8_t(d[0]);
    if ((p.flags & 0xC0) != 0x40) return refuse<DdpPacket>(why, "not version 1");
    if (p.flags & 0x20) return refuse<DdpPacket>(why, "reserved flag set");
    if (uint8_t(d[1]) & 0xF0) return refuse<DdpPacket>(why, "reserved sequence bits set");
    p.sequence = uint8_t(d[1]);
    p.dataType = uint8_t(d[2]);
    p.destination = uint8_t(d[3]);
    p.offset = readBigEndian(d, 4, 4);
    p.length = uint16_t(readBigEndian(d, 8, 2));
    int header = 10;
    if (p.flags & 0x10) {
        if (d.size() < 14) return refuse<DdpPacket>(why, "time code cut off");
        p.timeCode = readBigEndian(d, 10, 4);
        header = 14;
    }
    if (p.length > 1440) return refuse<DdpPacket>(why, "more than 1,440 data bytes");
    if (p.length != d.size() - header) return refuse<DdpPacket>(why, "length differs from the data");
    if (uint64_t(p.offset) + p.length > (uint64_t(1) << 32)) return refuse<DdpPacket>(why, "data past offset 2^32");
    p.data = d.sliced(header).toByteArray();
    return p;
}

SequenceStep e131Step(uint8_t last, uint8_t now) {
    return step(last, now, 256, 20);
}

SequenceStep artNetStep(uint8_t last, uint8_t now) {
    return step(last - 1, now - 1, 255, 20);
}

SequenceStep ddpStep(uint8_t last, uint8_t now) {
    return step((last & 0x0F) - 1, (now & 0x0F) - 1, 15, 8);
}

OpenReceiver::OpenReceiver(const OpenLayout& layout) : layout_(layout) {
    layout_.ports = std::clamp(layout_.ports, 1, 6);
    layout_.pixelsPerPort = std::clamp(layout_.pixelsPerPort, 1, 750);
    if (layout_.channelsPerUniverse != 512) layout_.channelsPerUniverse = 510;
    if (layout_.colourOrder < 1 || layout_.colourOrder > 6) layout_.colourOrder = 1;
    portBytes_ = 3 * layout_.pixelsPerPort;
    universesPerPort_ = (portBytes_ + layout_.channelsPerUniverse - 1) / layout_.channelsPerUniverse;
    pending_ = QByteArray(layout_.ports * portBytes_, '\0');
    shown_ = pending_;
    lastSequence_.fill(-1);
    picture_ = QImage(layout_.pixelsPerPort, layout_.ports, QImage::Format_RGB32);
}

OpenReceiver::Taken OpenReceiver::receive(QByteArrayView d) {
    lastError_.clear();
    Taken t = Taken::Bad;
    switch (layout_.protocol) {
    case OpenProtocol::E131:
        t = receiveE131(d);
        break;
    case OpenProtocol::ArtNet:
        t = receiveArtNet(d);
        break;
    case OpenProtocol::Ddp:
        t = receiveDdp(d);
        break;
    }
    switch (t) {
    case Taken::Shown:
    case Taken::Held:
        ++counts_.data;
        break;
    case Taken::Late:
        ++counts_.late;
        break;
    case Taken::Ignored:
        ++counts_.ignored;
        break;
    case Taken::Stray:
        ++counts_.strays;
        break;
    case Taken::Bad:
        ++counts_.bad;
        break;
    case Taken::Sync:
    case Taken::Terminated:
        break; // counted where they are taken
    }
    return t;
}

int OpenReceiver::universeIndex(int universe) const {
    const int index = universe - layout_.firstUniverse;
    return index >= 0 && index < layout_.ports * universesPerPort_ ? index : -1;
}

void OpenReceiver::writeUniverse(int index, QByteArrayView channels, bool shown) {
    const int port = index / universesPerPort_;
    const int within = (index % universesPerPort_) * layout_.channelsPerUniverse;
    const qsizetype n = std::min<qsizetype>({channels.size(), layout_.channelsPerUniverse, portBytes_ - within});
    const int at = port * portBytes_ + within;
    std::memcpy(pending_.data() + at, channels.data(), size_t(n));
    if (!shown) return;
    std::memcpy(shown_.data() + at, channels.data(), size_t(n));
    drawn_ = false;
}

void OpenReceiver::showPending() {
    shown_ = pending_;
    drawn_ = false;
}

const QImage& OpenReceiver::picture() const {
    if (drawn_) return picture_;
    drawn_ = true;
    const char* order = kOrderNames[layout_.colourOrder];
    for (int port = 0; port < layout_.ports; ++port) {
        auto* row = reinterpret_cast<QRgb*>(picture_.scanLine(port));
        const auto* channels = reinterpret_cast<const uint8_t*>(shown_.constData()) + port * portBytes_;
        for (int x = 0; x < layout_.pixelsPerPort; ++x) {
            int rgb[3] = {};
            for (int c = 0; c < 3; ++c)
                rgb[order[c] == 'R' ? 0 : order[c] == 'G' ? 1 : 2] = channels[3 * x + c];
            row[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    return picture_;
}

OpenReceiver::Taken OpenReceiver::receiveE131(QByteArrayView d) {
    if (d.size() >= 22 && readBigEndian(d, 18, 4) == 0x00000008) {
        const auto s = decodeE131Sync(d, &lastError_);
        if (!s) return Taken::Bad;
        if (lastSyncSequence_ >= 0 && e131Step(uint8_t(lastSyncSequence_), s->sequence).late) return Taken::Late;
        lastSyncSequence_ = s->sequence;
        ++counts_.syncs;
        if (heldFor_ != 0 && s->syncAddress == heldFor_) {
            heldFor_ = 0;
            showPending();
        }
        return Taken::Sync;
    }
    const auto p = decodeE131Data(d, &lastError_);
    if (!p) return Taken::Bad;
    const int index = universeIndex(p->universe);
    if (index < 0) return Taken::Stray;
    if ((p->options & 0x80) || p->startCode != 0) return Taken::Ignored; // preview, or not levels
    int& last = lastSequence_[size_t(index)];
    if (last >= 0) {
        const SequenceStep s = e131Step(uint8_t(last), p->sequence);
        if (s.late) return Taken::Late;
        counts_.missing += s.missed;
    }
    last = p->sequence;
    if (p->options & 0x40) {
        // The stream ended: a new one starts its count afresh and waits for no sync.
        ++counts_.terminated;
        last = -1;
        heldFor_ = 0;
        return Taken::Terminated;
    }
    if (p->syncAddress != 0) heldFor_ = p->syncAddress;
    writeUniverse(index, p->slotValues, p->syncAddress == 0);
    return p->syncAddress == 0 ? Taken::Shown : Taken::Held;
}

OpenReceiver::Taken OpenReceiver::receiveArtNet(QByteArrayView d) {
    if (d.size() < 10 || d.first(8) != kArtNetIdentifier) {
        lastError_ = QStringLiteral("no Art-Net identifier");
        return Taken::Bad;
    }
    const int opCode = uint8_t(d[8]) | uint8_t(d[9]) << 8;
    if (opCode == 0x5200) {
        if (!decodeArtSync(d, &lastError_)) return Taken::Bad;
        ++counts_.syncs;
        artSynchronous_ = true;
        sinceArtSync_.start();
        showPending();
        return Taken::Sync;
    }
    if (opCode != 0x5000) return Taken::Ignored; // polls and the rest
    // A node goes back to showing each ArtDmx at once when no ArtSync came for 4 s.
    if (artSynchronous_ && sinceArtSync_.isValid() && sinceArtSync_.elapsed() > 4000) artSynchronous_ = false;
    const auto p = decodeArtDmx(d, &lastError_);
    if (!p) return Taken::Bad;
    const int index = universeIndex(p->portAddress);
    if (index < 0) return Taken::Stray;
    int& last = lastSequence_[size_t(index)];
    if (p->sequence != 0) {
        if (last > 0) {
            const SequenceStep s = artNetStep(uint8_t(last), p->sequence);
            if (s.late) return Taken::Late;
            counts_.missing += s.missed;
        }
        last = p->sequence;
    }
    writeUniverse(index, p->data, !artSynchronous_);
    return artSynchronous_ ? Taken::Held : Taken::Shown;
}

OpenReceiver::Taken OpenReceiver::receiveDdp(QByteArrayView d) {
    const auto p = decodeDdp(d, &lastError_);
    if (!p) return Taken::Bad;
    if (p->destination != 1 || (p->flags & 0x0E)) return Taken::Ignored; // not the display, or storage, reply, query
    if (p->sequence != 0) {
        if (lastDdpSequence_ > 0) {
            const SequenceStep s = ddpStep(uint8_t(lastDdpSequence_), p->sequence);
            if (s.late) return Taken::Late;
            counts_.missing += s.missed;
        }
        lastDdpSequence_ = p->sequence;
    }
    // The packet's bytes that fall within this controller's.
    const int64_t from = std::max<int64_t>(p->offset, layout_.ddpOffset);
    const int64_t to = std::min<int64_t>(int64_t(p->offset) + p->length, int64_t(layout_.ddpOffset) + pending_.size());
    if (p->length > 0 && from >= to) return Taken::Stray;
    if (from < to)
        std::memcpy(pending_.data() + (from - layout_.ddpOffset), p->data.constData() + (from - p->offset),
                    size_t(to - from));
    if (!p->push()) return Taken::Held;
    ++counts_.pushes;
    showPending();
    return p->length == 0 ? Taken::Sync : Taken::Shown;
}

} // namespace standin
