#pragma once

// What an open-protocol pixel controller makes of the program's E1.31, Art-Net and DDP packets,
// written apart from the program's packers so that each checks the other. Every fixed field is
// checked: a packet with one that is wrong is refused with the reason.

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace standin {

struct E131Data {
    QByteArray cid; // 16 bytes
    QString sourceName;
    uint8_t priority = 0;
    uint16_t syncAddress = 0;
    uint8_t sequence = 0;
    uint8_t options = 0;
    uint16_t universe = 0;
    uint8_t startCode = 0;
    QByteArray slotValues; // after the start code
};

struct E131Sync {
    QByteArray cid;
    uint8_t sequence = 0;
    uint16_t syncAddress = 0;
};

struct ArtDmx {
    uint8_t sequence = 0;
    uint8_t physical = 0;
    uint16_t portAddress = 0; // Net in bits 8..14, SubUni below
    uint16_t length = 0;
    QByteArray data;
};

struct DdpPacket {
    uint8_t flags = 0;
    uint8_t sequence = 0;
    uint8_t dataType = 0;
    uint8_t destination = 0;
    uint32_t offset = 0;
    uint16_t length = 0;
    std::optional<uint32_t> timeCode;
    QByteArray data;
    bool push() const { return flags & 0x01; }
};

std::optional<E131Data> decodeE131Data(QByteArrayView datagram, QString* why = nullptr);
std::optional<E131Sync> decodeE131Sync(QByteArrayView datagram, QString* why = nullptr);
std::optional<ArtDmx> decodeArtDmx(QByteArrayView datagram, QString* why = nullptr);
bool decodeArtSync(QByteArrayView datagram, QString* why = nullptr);
std::optional<DdpPacket> decodeDdp(QByteArrayView datagram, QString* why = nullptr);

// How a packet's sequence number stands to the last one taken from the same stream.
struct SequenceStep {
    bool late = false; // a repeat or one from just behind: dropped
    int missed = 0;    // numbers skipped since the last
};
// E1.31: 0..255; a packet up to 19 behind the last, or the last again, is late.
SequenceStep e131Step(uint8_t last, uint8_t now);
// Art-Net 1..255 (0 turns the check off, so the caller skips it), with the same window.
SequenceStep artNetStep(uint8_t last, uint8_t now);
// DDP 1..15: the seven behind the last are late.
SequenceStep ddpStep(uint8_t last, uint8_t now);

enum class OpenProtocol { E131, ArtNet, Ddp };

// A controller's ports as its configuration lays them out: in E1.31 and Art-Net port k begins on
// the universe after port k - 1's last, in DDP on the byte after its last.
struct OpenLayout {
    OpenProtocol protocol = OpenProtocol::E131;
    int ports = 6;
    int pixelsPerPort = 750;
    int firstUniverse = 1; // or Art-Net port-address
    int channelsPerUniverse = 510;
    uint32_t ddpOffset = 0;
    int colourOrder = 1; // 1 RGB, 2 RBG, 3 GRB, 4 GBR, 5 BRG, 6 BGR
};

// One controller on the receiving end: takes datagrams in the order they come, keeps the last
// sequence number of each universe (of the whole controller in DDP), holds synchronised data until
// its sync or push, and draws what its LEDs show.
class OpenReceiver {
public:
    explicit OpenReceiver(const OpenLayout& layout);

    enum class Taken { Shown, Held, Sync, Terminated, Late, Ignored, Stray, Bad };
    Taken receive(QByteArrayView datagram);

    struct Counts {
        int data = 0;   // data packets taken (shown or held)
        int syncs = 0;  // E1.31 sync packets and ArtSyncs
        int pushes = 0; // DDP packets with the push flag, a push packet of no data among them
        int late = 0;
        int missing = 0;
        int terminated = 0;
        int strays = 0; // a universe or byte range the controller does not have
        int ignored = 0;
        int bad = 0;
    };
    const Counts& counts() const { return counts_; }
    QString lastError() const { return lastError_; }
    // One row per port, one pixel per LED; drawn when asked for, so that a datagram costs only its size.
    const QImage& picture() const;
    const OpenLayout& layout() const { return layout_; }

private:
    Taken receiveE131(QByteArrayView d);
    Taken receiveArtNet(QByteArrayView d);
    Taken receiveDdp(QByteArrayView d);
    // Universe u's place among the controller's universes, or -1.
    int universeIndex(int universe) const;
    // Writes one universe's channels into pending_; when shown, into shown_ as well.
    void writeUniverse(int index, QByteArrayView channels, bool shown);
    void showPending();

    OpenLayout layout_;
    int universesPerPort_ = 0;
    int portBytes_ = 0;
    QByteArray pending_, shown_;         // the ports' channels one after another
    std::array<int, 30> lastSequence_{}; // -1 before the first
    int lastSyncSequence_ = -1;
    int lastDdpSequence_ = -1;
    uint16_t heldFor_ = 0;        // the E1.31 sync address that held data waits for
    bool artSynchronous_ = false; // an ArtSync came: ArtDmx waits for the next
    QElapsedTimer sinceArtSync_;
    Counts counts_;
    QString lastError_;
    mutable QImage picture_;
    mutable bool drawn_ = false;
};

} // namespace standin
