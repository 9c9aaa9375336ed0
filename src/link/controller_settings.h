#pragma once

#include "open_protocols.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

// What each machine number drives: a machine of this family, as always, or a pixel controller that
// speaks one of the open protocols, with its colour order and the universes or bytes its ports take.
// Kept in "system.ini"; a file without these keys gives machines of this family on every number.
namespace kq::link {

enum class ControllerKind { Family, E131, ArtNet, Ddp };

inline constexpr int kControllerPorts = 6; // the ports the frame step samples and sends
inline constexpr int kMaxPixelsPerPort = 750;
inline constexpr int kE131MinUniverse = 1, kE131MaxUniverse = 63999;
inline constexpr int kArtNetMaxPortAddress = 32767; // 15 bits: net, sub-net and universe
inline constexpr int kE131MaxPriority = 200;
inline constexpr qint64 kDdpMaxOffset = 0xFFFFFFFFLL;

struct ControllerSetting {
    ControllerKind kind = ControllerKind::Family;
    int colourOrder = 1; // 1 RGB, 2 RBG, 3 GRB, 4 GBR, 5 BRG, 6 BGR: the order of a pixel's bytes
    int pixelsPerPort = kMaxPixelsPerPort;
    int firstUniverse = 1;         // E1.31 universe or Art-Net port-address of port 1
    int channelsPerUniverse = 510; // 510 (170 whole pixels) or 512 (pixels packed across universes)
    qint64 ddpOffset = 0;          // DDP: the byte offset of port 1
    bool multicast = false;        // E1.31: to the universe's group instead of the controller's address
    int startChannel = 0;          // a machine of the family in sequence files: its first channel, 1-based
                                   // (0: (k - 1) x 13,500 + 1, six ports of 750 pixels after each other)
    bool operator==(const ControllerSetting&) const = default;
};

struct ControllerTable {
    std::array<ControllerSetting, 11> machine; // 1..10; 0 is not used
    int priority = 100;                        // E1.31
    int syncUniverse = 0;                      // E1.31: 0 = no synchronisation
    bool artSync = false;                      // Art-Net: ArtSync after each tick's data
    bool ddpSync = false;                      // DDP: one push to all after each tick's data
    QByteArray cid;                            // E1.31 source: 16 bytes, made once per installation
    bool operator==(const ControllerTable&) const = default;
    bool anyOpen() const;
};

// The default of an open controller on machine number k: universes and port-addresses that follow
// those of the numbers before it, so that a table of defaults never overlaps; DDP from byte 0, where a
// receiver's first pixel is.
ControllerSetting defaultOpenSetting(ControllerKind kind, int machine);

// The controller's port layout for the packets (an open kind only).
open::PortLayout layoutOf(const ControllerSetting& s);
// Why the table cannot be used (a controller's layout, or two controllers whose ranges overlap),
// naming the machine numbers, or nothing. E1.31 and Art-Net number their universes across the network;
// DDP offsets only overlap on the same address.
QString tableProblem(const ControllerTable& t, const std::array<QString, 11>& addresses);

// Sequence files (FSEQ) number every port's channels: a machine of the family takes six ports of 750
// pixels from its start channel; an open controller's universes count from universe 1 (Art-Net from
// port-address 0) at its channels per universe, DDP from its offset. A pixel's three channels are red,
// green and blue for the family, in the controller's colour order otherwise.
inline constexpr quint32 kSequenceChannelLimit = 1u << 24; // a sequence file's ranges hold 24 bits
inline constexpr quint32 kFamilyChannels = 6 * 2250;       // 13,500: six ports of 750 pixels

struct PortChannels {
    int machine = 0, port = 0;
    quint32 first = 0; // 0-based, as the file counts
    int pixels = 0;
    int colourOrder = 1;
    quint32 end() const { return first + quint32(pixels) * 3; }
};
// The 1-based first channel of a machine number.
quint32 startChannel(const kq::link::ControllerTable& table, int machine);
// Ports 1..6 of every machine number 1..10 (a port past the sequence files' 2^24 channels has no
// pixels).
std::vector<PortChannels> channelMap(const kq::link::ControllerTable& table);
// Two ports of different machine numbers whose channels overlap, or a port past what a sequence file
// holds: why, or nothing.
QString channelMapProblem(const std::vector<PortChannels>& ports);

// Settings keys (NN: the two-digit machine number).
inline const QString kKeyControllerKind = QStringLiteral("控制器类型");   // kq, e131, artnet, ddp
inline const QString kKeyControllerColour = QStringLiteral("控制器颜色"); // 1..6
inline const QString kKeyControllerPixels = QStringLiteral("控制器端口像素");
inline const QString kKeyControllerUniverse = QStringLiteral("控制器起始域");
inline const QString kKeyControllerChannels = QStringLiteral("控制器域通道");
inline const QString kKeyControllerDdpOffset = QStringLiteral("控制器DDP偏移");
inline const QString kKeyControllerMulticast = QStringLiteral("控制器组播");
inline const QString kKeyControllerStartChannel = QStringLiteral("控制器起始通道"); // 1-based, sequence files
inline const QString kKeyE131Priority = QStringLiteral("sACN优先级");
inline const QString kKeyE131SyncUniverse = QStringLiteral("sACN同步域");
inline const QString kKeyArtNetSync = QStringLiteral("ArtNet同步");
inline const QString kKeyDdpSync = QStringLiteral("DDP同步");
inline const QString kKeyE131Cid = QStringLiteral("sACN源标识");

QString kindName(ControllerKind kind); // as the settings and the exported table write it
std::optional<ControllerKind> kindNamed(const QString& name);

// Reads the table; every value out of range keeps its default. A missing CID is made and written, so
// that every packet of this installation carries the same one from then on.
ControllerTable readControllers(const QString& iniPath);
// Writes the whole table in one rewrite of the file; false when it could not be written.
bool writeControllers(const QString& iniPath, const ControllerTable& t);

// The table as a small text file of its own ("key=value" lines, the settings' keys), and back; the CID
// stays the installation's own and is neither exported nor imported.
QString exportControllers(const ControllerTable& t);
std::optional<ControllerTable> importControllers(const QString& text, const ControllerTable& base, QString* error);

} // namespace kq::link
