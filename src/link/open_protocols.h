#pragma once

#include "core/shared_state.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Output to pixel controllers that speak an open protocol instead of the machines' frames: E1.31 (sACN),
// Art-Net 4 and DDP. Packets are built from bytes and numbers only; the plan of one frame tick says what
// to send and the caller sends it, so that all of this can be checked without a socket.
namespace kq::link::open {

enum class Protocol { E131, ArtNet, Ddp };

inline constexpr int kOpenPorts = 6;
inline constexpr int kMaxPixelsPerPort = 750;
inline constexpr int kPlaneStride = 750; // a port's block: red of positions 0..749, then green, then blue
inline constexpr int kMaxSlots = 512;
inline constexpr int kPixelUniverseChannels = 510; // 170 whole pixels per universe
inline constexpr int kPackedUniverseChannels = 512;
// 2,250 channels take five universes of either size.
inline constexpr int kMaxUniversesPerPort = 5;
inline constexpr int kMaxUniverses = kOpenPorts * kMaxUniversesPerPort;

inline constexpr uint16_t kE131UdpPort = 5568;
inline constexpr int kE131FirstUniverse = 1;
inline constexpr int kE131LastUniverse = 63999;
inline constexpr int kE131HeaderBytes = 126; // everything before the first slot, start code included
inline constexpr int kE131SyncBytes = 49;
inline constexpr int kE131SourceNameBytes = 64;
inline constexpr uint8_t kE131DefaultPriority = 100;
inline constexpr uint8_t kE131MaxPriority = 200;
namespace e131option {
inline constexpr uint8_t Preview = 0x80;
inline constexpr uint8_t StreamTerminated = 0x40;
inline constexpr uint8_t ForceSync = 0x20;
} // namespace e131option
// Receivers drop a stream after three packets that say it ended.
inline constexpr int kE131TerminatedPackets = 3;

inline constexpr uint16_t kArtNetUdpPort = 6454;
inline constexpr int kArtNetLastPortAddress = 32767; // 15 bits
inline constexpr uint16_t kArtNetVersion = 14;
inline constexpr int kArtDmxHeaderBytes = 18;
inline constexpr int kArtSyncBytes = 14;

inline constexpr uint16_t kDdpUdpPort = 4048;
inline constexpr int kDdpHeaderBytes = 10;
inline constexpr int kDdpMaxDataBytes = 1440; // 480 pixels; keeps a packet within one Ethernet frame
inline constexpr uint8_t kDdpVersion1 = 0x40;
inline constexpr uint8_t kDdpPush = 0x01;
inline constexpr uint8_t kDdpRgb8 = 0x0B; // type RGB (1 << 3), 8 bits per element (3)
inline constexpr uint8_t kDdpDisplay = 1;
inline constexpr int64_t kDdpAddressSpace = int64_t(1) << 32;

using Cid = std::array<uint8_t, 16>;

// How a controller lays the six ports of one machine number out. Ports follow each other: in E1.31 and
// Art-Net each port begins on the universe after the previous port's last; with 512 channels a pixel
// may straddle two universes of a port. In DDP the ports follow each other byte for byte.
struct PortLayout {
    Protocol protocol = Protocol::E131;
    int ports = kOpenPorts; // outputs the controller has, 1..6; those past it take no addresses
    int pixelsPerPort = kMaxPixelsPerPort;
    int firstUniverse = 1; // port 1's E1.31 universe or 15-bit Art-Net port-address
    int channelsPerUniverse = kPixelUniverseChannels;
    int64_t ddpOffset = 0; // port 1's first byte
    int colourOrder = 1;   // 1..6 as g_ColourOrder: the order the controller wants the channels in
};

// What one port takes: universes (or port-addresses) first..last, or DDP bytes first..last.
struct PortRange {
    int port = 0;
    int64_t first = 0;
    int64_t last = 0;
};

// Ports 1..layout.ports; empty when the pixels or channels per universe are out of range.
std::vector<PortRange> portRanges(const PortLayout& layout);
// The universes one port takes (E1.31 and Art-Net).
int universesPerPort(const PortLayout& layout);
// Why the layout cannot be used, in a short English sentence; nullopt when it can.
std::optional<QString> layoutProblem(const PortLayout& layout);

// A controller as a machine number: where it listens matters to DDP only, whose offsets belong to each
// receiver; E1.31 universes and Art-Net port-addresses are one space that every receiver hears.
struct Controller {
    int machine = 0;
    QString host;
    PortLayout layout;
};
// The first layout problem (naming the machine), or the first two controllers whose ranges overlap.
std::optional<QString> controllersProblem(std::span<const Controller> controllers);

// The channel bytes of `pixels` pixels from a port's block (at least 2,250 bytes), 3 per pixel, in
// colour order 1..6; other orders give RGB.
QByteArray pixelBytes(const uint8_t* block, int colourOrder, int pixels);

// E1.31 data packet fields other than the slots.
struct E131Fields {
    Cid cid{};
    QString sourceName; // UTF-8, cut to 63 bytes on a character boundary
    uint8_t priority = kE131DefaultPriority;
    uint16_t syncAddress = 0; // 0: not synchronised
    uint8_t sequence = 0;
    uint8_t options = 0;
    uint16_t universe = 1;
};
// Start code 0 and the levels as slots 1..n; empty for more than 512.
QByteArray e131DataPacket(const E131Fields& fields, QByteArrayView levels);
QByteArray e131SyncPacket(const Cid& cid, uint8_t sequence, uint16_t syncAddress);
// Physical 0; an odd count of data is padded with one 0 and no data with two, as the length must be
// even and at least 2. Empty for more than 512 bytes or a port-address past 15 bits.
QByteArray artDmxPacket(uint8_t sequence, uint16_t portAddress, QByteArrayView data);
QByteArray artSyncPacket();
// Version 1, destination 1 (the display); the sequence's low 4 bits count. Empty past 1,440 bytes.
QByteArray ddpDataPacket(uint8_t sequence, uint8_t dataType, uint32_t offset, QByteArrayView data, bool push);
// No data, push set: makes every receiver that hears it show what it holds.
QByteArray ddpPushPacket(uint8_t sequence, uint8_t dataType = kDdpRgb8);

// The next sequence numbers after `last`: Art-Net 1..255 (0 stays unused), DDP 1..15.
uint8_t nextArtNetSequence(uint8_t last);
uint8_t nextDdpSequence(uint8_t last);

// What every packet of one tick shares.
struct FrameOptions {
    Cid cid{};
    QString sourceName = QStringLiteral("KQ-510");
    uint8_t priority = kE131DefaultPriority;
    // On: E1.31 data names syncAddress and waits for its sync packet; Art-Net waits for ArtSync; DDP
    // waits for a push packet. The caller sends those after the tick, once for all controllers.
    bool synchronise = false;
    uint16_t syncAddress = 0;
    uint8_t ddpDataType = kDdpRgb8;
};

// One controller's sequence numbers, kept from tick to tick. Universes are counted from port 1's
// first; a changed layout starts from a fresh one.
struct Sequences {
    std::array<uint8_t, kMaxUniverses> e131{};   // the next to send, 0..255
    std::array<uint8_t, kMaxUniverses> artNet{}; // the last sent, 1..255; 0 before the first
    uint8_t ddp = 0;                             // the last sent, 1..15; 0 before the first
};

struct Datagram {
    int port = 0;
    int universe = -1; // E1.31 universe or Art-Net port-address; -1 for DDP
    QByteArray bytes;
};

using PortsUsed = std::array<bool, kOpenPorts + 1>; // index 1..6
using MachinePlanes = uint8_t[kMaxPort + 1][kLivePlaneSize];

// The datagrams of one tick for one controller, port by port and universe by universe: its used ports'
// pixels from planes (g_LivePlanes[machine]). Sequence numbers advance in `sequences`. Without
// synchronisation the last DDP packet carries the push flag. Empty for a layout with a problem.
std::vector<Datagram> planFrame(const PortLayout& layout, const FrameOptions& options, const PortsUsed& used,
                                const MachinePlanes& planes, Sequences& sequences);
// Stopping output: E1.31 packets marked stream terminated, three rounds over the used ports' universes,
// carrying what planes hold. Art-Net and DDP have no such packet: empty.
std::vector<Datagram> planStop(const PortLayout& layout, const FrameOptions& options, const PortsUsed& used,
                               const MachinePlanes& planes, Sequences& sequences);

} // namespace kq::link::open
