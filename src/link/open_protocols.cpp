#include "open_protocols.h"

#include <QCoreApplication>
#include <algorithm>

namespace kq::link::open {

namespace {

constexpr char kAcnPacketIdentifier[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
constexpr uint16_t kAcnPreamble = 0x0010;
constexpr uint16_t kAcnPostamble = 0x0000;
constexpr uint16_t kAcnFlags = 0x7000; // every PDU's flags; its length in the low 12 bits
constexpr uint32_t kRootVectorData = 0x00000004;
constexpr uint32_t kRootVectorExtended = 0x00000008;
constexpr uint32_t kFramingVectorData = 0x00000002;
constexpr uint32_t kFramingVectorSync = 0x00000001;
constexpr uint8_t kDmpVectorSetProperty = 0x02;
constexpr uint8_t kDmpAddressAndDataType = 0xA1;
// Where each PDU begins: its length counts from there to the packet's end.
constexpr int kRootPduAt = 16;
constexpr int kFramingPduAt = 38;
constexpr int kDmpPduAt = 115;

constexpr char kArtNetId[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
constexpr uint16_t kOpDmx = 0x5000;
constexpr uint16_t kOpSync = 0x5200;

void append16(QByteArray& p, unsigned v) {
    p.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
}

void append32(QByteArray& p, uint32_t v) {
    append16(p, v >> 16);
    append16(p, v & 0xFFFF);
}

void appendRootLayer(QByteArray& p, int size, uint32_t vector, const Cid& cid) {
    append16(p, kAcnPreamble);
    append16(p, kAcnPostamble);
    p.append(kAcnPacketIdentifier, sizeof kAcnPacketIdentifier);
    append16(p, kAcnFlags | unsigned(size - kRootPduAt));
    append32(p, vector);
    p.append(reinterpret_cast<const char*>(cid.data()), qsizetype(cid.size()));
}

// NUL-terminated within its 64 bytes, so at most 63 of text, never ending inside a character.
void appendSourceName(QByteArray& p, const QString& name) {
    QByteArray text = name.toUtf8();
    if (text.size() >= kE131SourceNameBytes) {
        qsizetype n = kE131SourceNameBytes - 1;
        while (n > 0 && (uint8_t(text[n]) & 0xC0) == 0x80)
            --n;
        text.truncate(n);
    }
    text.resize(kE131SourceNameBytes, '\0');
    p.append(text);
}

void appendArtNetHeader(QByteArray& p, uint16_t opCode) {
    p.append(kArtNetId, sizeof kArtNetId);
    p.append(char(opCode & 0xFF)).append(char(opCode >> 8)); // the only little-endian field
    append16(p, kArtNetVersion);
}

bool shapeOk(const PortLayout& l) {
    if (l.ports < 1 || l.ports > kOpenPorts || l.pixelsPerPort < 1 || l.pixelsPerPort > kMaxPixelsPerPort) return false;
    return l.protocol == Protocol::Ddp || l.channelsPerUniverse == kPixelUniverseChannels ||
           l.channelsPerUniverse == kPackedUniverseChannels;
}

int portBytes(const PortLayout& l) {
    return 3 * l.pixelsPerPort;
}

// The run of one port's channels that one universe carries.
struct UniverseSlice {
    int index = 0; // among the controller's universes, from port 1's first
    int universe = 0;
    int from = 0;
    int count = 0;
};

std::vector<UniverseSlice> slicesOf(const PortLayout& l, int port) {
    std::vector<UniverseSlice> slices;
    const int perPort = universesPerPort(l);
    for (int i = 0; i < perPort; ++i) {
        const int index = (port - 1) * perPort + i;
        const int from = i * l.channelsPerUniverse;
        slices.push_back({index, l.firstUniverse + index, from, std::min(l.channelsPerUniverse, portBytes(l) - from)});
    }
    return slices;
}

bool universesCarried(const PortLayout& l) {
    return l.protocol == Protocol::E131 || l.protocol == Protocol::ArtNet;
}

QByteArray portPixels(const PortLayout& l, const MachinePlanes& planes, int port) {
    return pixelBytes(planes[port], l.colourOrder, l.pixelsPerPort);
}

QByteArray universePacket(const PortLayout& l, const FrameOptions& o, Sequences& s, const UniverseSlice& slice,
                          QByteArrayView data, uint8_t e131Options) {
    if (l.protocol == Protocol::ArtNet) {
        const uint8_t sequence = nextArtNetSequence(s.artNet[size_t(slice.index)]);
        s.artNet[size_t(slice.index)] = sequence;
        return artDmxPacket(sequence, uint16_t(slice.universe), data);
    }
    E131Fields f;
    f.cid = o.cid;
    f.sourceName = o.sourceName;
    f.priority = o.priority;
    f.syncAddress = o.synchronise ? o.syncAddress : 0;
    f.sequence = s.e131[size_t(slice.index)]++;
    f.options = e131Options;
    f.universe = uint16_t(slice.universe);
    return e131DataPacket(f, data);
}

} // namespace

int universesPerPort(const PortLayout& layout) {
    if (!shapeOk(layout) || !universesCarried(layout)) return 0;
    return (portBytes(layout) + layout.channelsPerUniverse - 1) / layout.channelsPerUniverse;
}

std::vector<PortRange> portRanges(const PortLayout& layout) {
    std::vector<PortRange> ranges;
    if (!shapeOk(layout)) return ranges;
    for (int port = 1; port <= layout.ports; ++port) {
        if (layout.protocol == Protocol::Ddp) {
            const int64_t first = layout.ddpOffset + int64_t(port - 1) * portBytes(layout);
            ranges.push_back({port, first, first + portBytes(layout) - 1});
        } else {
            const int64_t first = layout.firstUniverse + int64_t(port - 1) * universesPerPort(layout);
            ranges.push_back({port, first, first + universesPerPort(layout) - 1});
        }
    }
    return ranges;
}

std::optional<QString> layoutProblem(const PortLayout& l) {
    if (l.ports < 1 || l.ports > kOpenPorts)
        return QCoreApplication::translate("kq", "控制器的端口数只能是1到6，不是%1").arg(l.ports);
    if (l.pixelsPerPort < 1 || l.pixelsPerPort > kMaxPixelsPerPort)
        return QCoreApplication::translate("kq", "每端口像素只能是1到750，不是%1").arg(l.pixelsPerPort);
    if (l.colourOrder < 1 || l.colourOrder > 6)
        return QCoreApplication::translate("kq", "颜色顺序只能是1到6，不是%1").arg(l.colourOrder);
    if (universesCarried(l) && l.channelsPerUniverse != kPixelUniverseChannels &&
        l.channelsPerUniverse != kPackedUniverseChannels)
        return QCoreApplication::translate("kq", "每域通道只能是510或512，不是%1").arg(l.channelsPerUniverse);
    const std::vector<PortRange> ranges = portRanges(l);
    const int64_t first = ranges.front().first, last = ranges.back().last;
    switch (l.protocol) {
    case Protocol::E131:
        if (first < kE131FirstUniverse || last > kE131LastUniverse)
            return QCoreApplication::translate("kq", "域%1到%2超出E1.31的1到63999").arg(first).arg(last);
        break;
    case Protocol::ArtNet:
        if (first < 0 || last > kArtNetLastPortAddress)
            return QCoreApplication::translate("kq", "端口地址%1到%2超出Art-Net的0到32767").arg(first).arg(last);
        break;
    case Protocol::Ddp:
        if (first < 0) return QCoreApplication::translate("kq", "DDP偏移%1是负数").arg(first);
        if (last >= kDdpAddressSpace)
            return QCoreApplication::translate("kq", "DDP字节%1到%2超出最后的偏移4294967295").arg(first).arg(last);
        break;
    }
    return std::nullopt;
}

std::optional<QString> controllersProblem(std::span<const Controller> controllers) {
    for (const Controller& c : controllers)
        if (const auto why = layoutProblem(c.layout))
            return QCoreApplication::translate("kq", "机器%1：%2").arg(c.machine).arg(*why);
    for (size_t i = 0; i < controllers.size(); ++i)
        for (size_t j = i + 1; j < controllers.size(); ++j) {
            const Controller &a = controllers[i], &b = controllers[j];
            if (a.layout.protocol != b.layout.protocol) continue;
            if (a.layout.protocol == Protocol::Ddp && a.host != b.host) continue;
            const std::vector<PortRange> ra = portRanges(a.layout), rb = portRanges(b.layout);
            const int64_t shared = std::max(ra.front().first, rb.front().first);
            if (shared > std::min(ra.back().last, rb.back().last)) continue;
            QString what;
            if (a.layout.protocol == Protocol::E131)
                what = QCoreApplication::translate("kq", "E1.31域%1").arg(shared);
            else if (a.layout.protocol == Protocol::ArtNet)
                what = QCoreApplication::translate("kq", "Art-Net端口地址%1").arg(shared);
            else
                what = QCoreApplication::translate("kq", "%2的DDP字节%1").arg(shared).arg(a.host);
            return QCoreApplication::translate("kq", "机器%1和机器%2都用%3").arg(a.machine).arg(b.machine).arg(what);
        }
    return std::nullopt;
}

QByteArray pixelBytes(const uint8_t* block, int colourOrder, int pixels) {
    // Per order, the plane (0 red, 1 green, 2 blue) of each of a pixel's three channels.
    static constexpr int kPlanes[7][3] = {{0, 1, 2}, {0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const int(&order)[3] = kPlanes[colourOrder >= 1 && colourOrder <= 6 ? colourOrder : 1];
    const int n = std::clamp(pixels, 0, kMaxPixelsPerPort);
    QByteArray out(3 * n, Qt::Uninitialized);
    // Straight through the buffer: indexing a QByteArray checks for sharing at every byte.
    char* to = out.data();
    const uint8_t *first = block + order[0] * kPlaneStride, *second = block + order[1] * kPlaneStride,
                  *third = block + order[2] * kPlaneStride;
    for (int x = 0; x < n; ++x) {
        to[3 * x] = char(first[x]);
        to[3 * x + 1] = char(second[x]);
        to[3 * x + 2] = char(third[x]);
    }
    return out;
}

QByteArray e131DataPacket(const E131Fields& f, QByteArrayView levels) {
    if (levels.size() > kMaxSlots) return {};
    const int size = kE131HeaderBytes + int(levels.size());
    QByteArray p;
    p.reserve(size);
    appendRootLayer(p, size, kRootVectorData, f.cid);
    append16(p, kAcnFlags | unsigned(size - kFramingPduAt));
    append32(p, kFramingVectorData);
    appendSourceName(p, f.sourceName);
    p.append(char(f.priority));
    append16(p, f.syncAddress);
    p.append(char(f.sequence)).append(char(f.options));
    append16(p, f.universe);
    append16(p, kAcnFlags | unsigned(size - kDmpPduAt));
    p.append(char(kDmpVectorSetProperty)).append(char(kDmpAddressAndDataType));
    append16(p, 0x0000);                      // first property address
    append16(p, 0x0001);                      // address increment
    append16(p, unsigned(levels.size() + 1)); // the start code is a property too
    p.append('\0');                           // start code: levels
    return p.append(levels);
}

QByteArray e131SyncPacket(const Cid& cid, uint8_t sequence, uint16_t syncAddress) {
    QByteArray p;
    p.reserve(kE131SyncBytes);
    appendRootLayer(p, kE131SyncBytes, kRootVectorExtended, cid);
    append16(p, kAcnFlags | unsigned(kE131SyncBytes - kFramingPduAt));
    append32(p, kFramingVectorSync);
    p.append(char(sequence));
    append16(p, syncAddress);
    append16(p, 0x0000); // reserved
    return p;
}

QByteArray artDmxPacket(uint8_t sequence, uint16_t portAddress, QByteArrayView data) {
    if (data.size() > kMaxSlots || portAddress > kArtNetLastPortAddress) return {};
    const qsizetype length = std::max<qsizetype>(2, data.size() + (data.size() & 1));
    QByteArray p;
    p.reserve(kArtDmxHeaderBytes + length);
    appendArtNetHeader(p, kOpDmx);
    p.append(char(sequence)).append('\0'); // physical
    p.append(char(portAddress & 0xFF)).append(char(portAddress >> 8));
    append16(p, unsigned(length));
    p.append(data);
    return p.append(QByteArray(length - data.size(), '\0'));
}

QByteArray artSyncPacket() {
    QByteArray p;
    p.reserve(kArtSyncBytes);
    appendArtNetHeader(p, kOpSync);
    return p.append('\0').append('\0'); // aux
}

QByteArray ddpDataPacket(uint8_t sequence, uint8_t dataType, uint32_t offset, QByteArrayView data, bool push) {
    if (data.size() > kDdpMaxDataBytes) return {};
    QByteArray p;
    p.reserve(kDdpHeaderBytes + data.size());
    p.append(char(kDdpVersion1 | (push ? kDdpPush : 0))).append(char(sequence & 0x0F));
    p.append(char(dataType)).append(char(kDdpDisplay));
    append32(p, offset);
    append16(p, unsigned(data.size()));
    return p.append(data);
}

QByteArray ddpPushPacket(uint8_t sequence, uint8_t dataType) {
    return ddpDataPacket(sequence, dataType, 0, {}, true);
}

uint8_t nextArtNetSequence(uint8_t last) {
    return uint8_t(last % 255 + 1);
}

uint8_t nextDdpSequence(uint8_t last) {
    return uint8_t((last & 0x0F) % 15 + 1);
}

namespace {

// A packet for every universe of every used port, port by port.
void appendUniverses(const PortLayout& layout, const FrameOptions& options, const PortsUsed& used,
                     const MachinePlanes& planes, Sequences& sequences, uint8_t e131Options,
                     std::vector<Datagram>& out) {
    for (int port = 1; port <= layout.ports; ++port) {
        if (!used[size_t(port)]) continue;
        const QByteArray bytes = portPixels(layout, planes, port);
        for (const UniverseSlice& s : slicesOf(layout, port))
            out.push_back({port, s.universe,
                           universePacket(layout, options, sequences, s, QByteArrayView(bytes).sliced(s.from, s.count),
                                          e131Options)});
    }
}

} // namespace

std::vector<Datagram> planFrame(const PortLayout& layout, const FrameOptions& options, const PortsUsed& used,
                                const MachinePlanes& planes, Sequences& sequences) {
    std::vector<Datagram> out;
    if (layoutProblem(layout)) return out;
    if (universesCarried(layout)) {
        appendUniverses(layout, options, used, planes, sequences, 0, out);
        return out;
    }
    // DDP: the packets are built once it is known which is the frame's last, the one to push.
    struct Chunk {
        int port;
        int64_t offset;
        QByteArrayView bytes;
    };
    std::vector<Chunk> chunks;
    std::vector<QByteArray> ports; // the chunks look into these
    ports.reserve(size_t(layout.ports));
    for (int port = 1; port <= layout.ports; ++port) {
        if (!used[size_t(port)]) continue;
        const QByteArray& bytes = ports.emplace_back(portPixels(layout, planes, port));
        const int64_t start = layout.ddpOffset + int64_t(port - 1) * portBytes(layout);
        for (qsizetype from = 0; from < bytes.size(); from += kDdpMaxDataBytes)
            chunks.push_back(
                {port, start + from,
                 QByteArrayView(bytes).sliced(from, std::min<qsizetype>(kDdpMaxDataBytes, bytes.size() - from))});
    }
    for (size_t i = 0; i < chunks.size(); ++i) {
        sequences.ddp = nextDdpSequence(sequences.ddp);
        const bool push = !options.synchronise && i + 1 == chunks.size();
        out.push_back(
            {chunks[i].port, -1,
             ddpDataPacket(sequences.ddp, options.ddpDataType, uint32_t(chunks[i].offset), chunks[i].bytes, push)});
    }
    return out;
}

std::vector<Datagram> planStop(const PortLayout& layout, const FrameOptions& options, const PortsUsed& used,
                               const MachinePlanes& planes, Sequences& sequences) {
    std::vector<Datagram> out;
    if (layout.protocol != Protocol::E131 || layoutProblem(layout)) return out;
    for (int round = 0; round < kE131TerminatedPackets; ++round)
        appendUniverses(layout, options, used, planes, sequences, e131option::StreamTerminated, out);
    return out;
}

} // namespace kq::link::open
