// The stand-in's open-protocol decoders against hand-written packets and against the program's packers.
#include "link/open_protocols.h"
#include "standin/open_receivers.h"
#include "support/open_vectors.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

namespace vectors = kq::test::vectors;
namespace open = kq::link::open;
using standin::OpenProtocol;
using standin::OpenReceiver;
using vectors::hex;
using Taken = OpenReceiver::Taken;

QByteArray countingCid() {
    return hex("000102030405060708090A0B0C0D0E0F");
}

TEST(OpenDecoders, ReportTheFieldsOfTheHandWrittenPackets) {
    auto e = standin::decodeE131Data(vectors::e131Data());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->cid, countingCid());
    EXPECT_EQ(e->sourceName, QStringLiteral("kq"));
    EXPECT_EQ(e->priority, 100);
    EXPECT_EQ(e->syncAddress, 0);
    EXPECT_EQ(e->sequence, 7);
    EXPECT_EQ(e->options, 0);
    EXPECT_EQ(e->universe, 1);
    EXPECT_EQ(e->startCode, 0);
    EXPECT_EQ(e->slotValues, hex("0A0B0C"));
    e = standin::decodeE131Data(vectors::e131Terminated());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->priority, 200);
    EXPECT_EQ(e->syncAddress, 7000);
    EXPECT_EQ(e->sequence, 255);
    EXPECT_EQ(e->options, 0x40);
    EXPECT_EQ(e->universe, 63999);

    const auto s = standin::decodeE131Sync(vectors::e131Sync());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->cid, countingCid());
    EXPECT_EQ(s->sequence, 9);
    EXPECT_EQ(s->syncAddress, 7000);

    const auto a = standin::decodeArtDmx(vectors::artDmxOdd());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->sequence, 1);
    EXPECT_EQ(a->physical, 0);
    EXPECT_EQ(a->portAddress, 0x1234);
    EXPECT_EQ(a->length, 4);
    EXPECT_EQ(a->data, hex("01020300"));
    EXPECT_TRUE(standin::decodeArtSync(vectors::artSync()));

    for (bool push : {false, true}) {
        const auto d = standin::decodeDdp(vectors::ddpData(push));
        ASSERT_TRUE(d);
        EXPECT_EQ(d->push(), push);
        EXPECT_EQ(d->flags, push ? 0x41 : 0x40);
        EXPECT_EQ(d->sequence, 3);
        EXPECT_EQ(d->dataType, 0x0B);
        EXPECT_EQ(d->destination, 1);
        EXPECT_EQ(d->offset, 0x00010203u);
        EXPECT_EQ(d->length, 3);
        EXPECT_EQ(d->data, hex("AABBCC"));
        EXPECT_FALSE(d->timeCode);
    }
    const auto p = standin::decodeDdp(vectors::ddpPushOnly());
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->push());
    EXPECT_EQ(p->sequence, 5);
    EXPECT_EQ(p->length, 0);
    const auto t = standin::decodeDdp(hex("50 01 0B 01 00000000 0001 12345678 FF")); // with a time code
    ASSERT_TRUE(t);
    EXPECT_EQ(t->timeCode, 0x12345678u);
    EXPECT_EQ(t->data, hex("FF"));
}

TEST(OpenDecoders, RefuseEveryWrongFixedField) {
    enum Kind { Data, Sync, Dmx, ArtSync, Ddp };
    const auto changed = [](QByteArray p, int at, const char* bytes) {
        const QByteArray b = hex(bytes);
        return p.replace(at, b.size(), b);
    };
    QByteArray unterminated = vectors::e131Data();
    unterminated.replace(44, 64, QByteArray(64, 'x'));
    const struct {
        Kind kind;
        QByteArray packet;
        const char* reason;
    } cases[] = {
        {Data, vectors::e131Data().left(125), "shorter than 126 bytes"},
        {Data, changed(vectors::e131Data(), 1, "11"), "preamble size is not 16"},
        {Data, changed(vectors::e131Data(), 3, "01"), "post-amble size is not 0"},
        {Data, changed(vectors::e131Data(), 8, "2E"), "no ACN packet identifier"},
        {Data, changed(vectors::e131Data(), 16, "60"), "root layer flags or length wrong"},
        {Data, changed(vectors::e131Data(), 17, "72"), "root layer flags or length wrong"},
        {Data, changed(vectors::e131Data(), 21, "08"), "wrong root vector"},
        {Data, changed(vectors::e131Data(), 39, "5C"), "framing layer flags or length wrong"},
        {Data, changed(vectors::e131Data(), 43, "01"), "wrong framing vector"},
        {Data, unterminated, "source name not terminated"},
        {Data, changed(vectors::e131Data(), 108, "C9"), "priority above 200"},
        {Data, changed(vectors::e131Data(), 109, "FA00"), "synchronisation address above 63,999"},
        {Data, changed(vectors::e131Data(), 112, "01"), "reserved option bits set"},
        {Data, changed(vectors::e131Data(), 113, "0000"), "universe outside 1..63,999"},
        {Data, changed(vectors::e131Data(), 113, "FA00"), "universe outside 1..63,999"},
        {Data, changed(vectors::e131Data(), 116, "0F"), "DMP layer flags or length wrong"},
        {Data, changed(vectors::e131Data(), 117, "01"), "wrong DMP vector"},
        {Data, changed(vectors::e131Data(), 118, "A2"), "wrong address and data type"},
        {Data, changed(vectors::e131Data(), 119, "0001"), "first property address is not 0"},
        {Data, changed(vectors::e131Data(), 121, "0002"), "address increment is not 1"},
        {Data, changed(vectors::e131Data(), 123, "0003"), "wrong property count"},
        {Sync, vectors::e131Sync() + hex("00"), "not 49 bytes"},
        {Sync, changed(vectors::e131Sync(), 21, "04"), "wrong root vector"},
        {Sync, changed(vectors::e131Sync(), 39, "0C"), "framing layer flags or length wrong"},
        {Sync, changed(vectors::e131Sync(), 43, "02"), "wrong framing vector"},
        {Sync, changed(vectors::e131Sync(), 45, "0000"), "synchronisation address outside 1..63,999"},
        {Sync, changed(vectors::e131Sync(), 48, "01"), "reserved bytes not 0"},
        {Dmx, changed(vectors::artDmxOdd(), 0, "61"), "no Art-Net identifier"},
        {Dmx, changed(vectors::artDmxOdd(), 8, "0052"), "wrong OpCode"},
        {Dmx, changed(vectors::artDmxOdd(), 11, "0D"), "protocol version is not 14"},
        {Dmx, changed(vectors::artDmxOdd(), 15, "80"), "Net past 7 bits"},
        {Dmx, changed(vectors::artDmxOdd(), 16, "0003"), "length not even in 2..512"},
        {Dmx, vectors::artDmxOdd() + hex("0000"), "length differs from the data"},
        {Dmx, vectors::artDmxOdd().left(19), "shorter than 20 bytes"},
        {ArtSync, changed(vectors::artSync(), 13, "01"), "aux bytes not 0"},
        {ArtSync, changed(vectors::artSync(), 9, "50"), "wrong OpCode"},
        {Ddp, changed(vectors::ddpData(true), 0, "81"), "not version 1"},
        {Ddp, changed(vectors::ddpData(true), 0, "61"), "reserved flag set"},
        {Ddp, changed(vectors::ddpData(true), 1, "13"), "reserved sequence bits set"},
        {Ddp, changed(vectors::ddpData(true), 9, "04"), "length differs from the data"},
        {Ddp, changed(vectors::ddpData(true), 0, "51"), "time code cut off"},
        {Ddp, changed(vectors::ddpData(true), 4, "FFFFFFFE"), "data past offset 2^32"},
        {Ddp, hex("41 01 0B 01 00000000 05A1") + QByteArray(1441, '\0'), "more than 1,440 data bytes"},
        {Ddp, vectors::ddpPushOnly().left(9), "shorter than 10 bytes"},
    };
    for (const auto& c : cases) {
        QString why;
        bool taken = true;
        switch (c.kind) {
        case Data:
            taken = standin::decodeE131Data(c.packet, &why).has_value();
            break;
        case Sync:
            taken = standin::decodeE131Sync(c.packet, &why).has_value();
            break;
        case Dmx:
            taken = standin::decodeArtDmx(c.packet, &why).has_value();
            break;
        case ArtSync:
            taken = standin::decodeArtSync(c.packet, &why);
            break;
        case Ddp:
            taken = standin::decodeDdp(c.packet, &why).has_value();
            break;
        }
        EXPECT_FALSE(taken) << c.reason;
        EXPECT_EQ(why.toStdString(), c.reason);
    }
}

// A datagram of the given protocol with the given sequence number, for port 1's first universe.
QByteArray withSequence(OpenProtocol protocol, int sequence) {
    switch (protocol) {
    case OpenProtocol::E131: {
        open::E131Fields f;
        f.sequence = uint8_t(sequence);
        return open::e131DataPacket(f, hex("010203"));
    }
    case OpenProtocol::ArtNet:
        return open::artDmxPacket(uint8_t(sequence), 1, hex("010203"));
    case OpenProtocol::Ddp:
        return open::ddpDataPacket(uint8_t(sequence), open::kDdpRgb8, 0, hex("010203"), true);
    }
    return {};
}

TEST(OpenReceivers, SequenceNumbers) {
    const struct {
        const char* name;
        OpenProtocol protocol;
        std::vector<int> sequences;
        int late;
        int missing;
    } cases[] = {
        {"E1.31 in order", OpenProtocol::E131, {0, 1, 2, 3}, 0, 0},
        {"E1.31 wraps 255 to 0", OpenProtocol::E131, {254, 255, 0, 1}, 0, 0},
        {"E1.31 one lost", OpenProtocol::E131, {4, 6, 7}, 0, 1},
        {"E1.31 lost across the wrap", OpenProtocol::E131, {254, 1}, 0, 2},
        {"E1.31 a late duplicate", OpenProtocol::E131, {5, 6, 6, 7}, 1, 0},
        {"E1.31 19 behind is late", OpenProtocol::E131, {30, 11, 31}, 1, 0},
        {"E1.31 20 behind is taken", OpenProtocol::E131, {30, 10, 11}, 0, 0},
        {"E1.31 late across the wrap", OpenProtocol::E131, {2, 250, 3}, 1, 0},
        {"Art-Net in order", OpenProtocol::ArtNet, {1, 2, 3}, 0, 0},
        {"Art-Net wraps 255 to 1", OpenProtocol::ArtNet, {254, 255, 1, 2}, 0, 0},
        {"Art-Net one lost", OpenProtocol::ArtNet, {255, 2}, 0, 1},
        {"Art-Net a late duplicate", OpenProtocol::ArtNet, {9, 9}, 1, 0},
        {"Art-Net 0 is not checked", OpenProtocol::ArtNet, {9, 0, 0, 10}, 0, 0},
        {"DDP wraps 15 to 1", OpenProtocol::Ddp, {14, 15, 1, 2}, 0, 0},
        {"DDP one lost", OpenProtocol::Ddp, {15, 2}, 0, 1},
        {"DDP a late duplicate", OpenProtocol::Ddp, {4, 4, 5}, 1, 0},
        {"DDP 0 is not checked", OpenProtocol::Ddp, {4, 0, 5}, 0, 0},
    };
    for (const auto& c : cases) {
        OpenReceiver r({c.protocol, 1, 1, 1, 510, 0, 1});
        for (int s : c.sequences)
            EXPECT_NE(r.receive(withSequence(c.protocol, s)), Taken::Bad)
                << c.name << ": " << r.lastError().toStdString();
        EXPECT_EQ(r.counts().late, c.late) << c.name;
        EXPECT_EQ(r.counts().missing, c.missing) << c.name;
        EXPECT_EQ(r.counts().data, int(c.sequences.size()) - c.late) << c.name;
    }
}

// Every used port's pixels differ from every other's: red the position, green the port, blue fixed.
struct Planes {
    struct Block {
        open::MachinePlanes planes{};
    };
    std::unique_ptr<Block> block = std::make_unique<Block>();
    Planes() {
        for (int port = 1; port <= 6; ++port)
            for (int x = 0; x < 750; ++x) {
                block->planes[port][x] = uint8_t(x);
                block->planes[port][750 + x] = uint8_t(16 * port);
                block->planes[port][1500 + x] = uint8_t(0xC0 + x % 7);
            }
    }
};

standin::OpenLayout asReceived(const open::PortLayout& l) {
    return {l.protocol == open::Protocol::E131     ? OpenProtocol::E131
            : l.protocol == open::Protocol::ArtNet ? OpenProtocol::ArtNet
                                                   : OpenProtocol::Ddp,
            l.ports,
            l.pixelsPerPort,
            l.firstUniverse,
            l.channelsPerUniverse,
            uint32_t(l.ddpOffset),
            l.colourOrder};
}

// What the controller's LEDs should show: the used ports' pixels, the others dark.
void expectShows(const OpenReceiver& r, const Planes& planes, const open::PortsUsed& used, const char* name) {
    const QImage& p = r.picture();
    ASSERT_EQ(p.width(), r.layout().pixelsPerPort) << name;
    ASSERT_EQ(p.height(), r.layout().ports) << name;
    int wrong = 0;
    for (int port = 1; port <= r.layout().ports; ++port)
        for (int x = 0; x < p.width(); ++x) {
            const auto& b = planes.block->planes[port];
            const QRgb want = used[size_t(port)] ? qRgb(b[x], b[750 + x], b[1500 + x]) : qRgb(0, 0, 0);
            wrong += p.pixel(x, port - 1) != want;
        }
    EXPECT_EQ(wrong, 0) << name;
}

TEST(OpenReceivers, ShowWhatThePlannerSends) {
    const Planes planes;
    open::PortsUsed used{};
    used[1] = used[3] = used[4] = true;
    const struct {
        const char* name;
        open::PortLayout layout;
    } cases[] = {
        {"E1.31 510 RGB", {open::Protocol::E131, 4, 750, 7, 510, 0, 1}},
        {"E1.31 512 GRB", {open::Protocol::E131, 4, 750, 7, 512, 0, 3}},
        {"E1.31 512 odd pixels BGR", {open::Protocol::E131, 5, 171, 1, 512, 0, 6}},
        {"Art-Net 510 RBG", {open::Protocol::ArtNet, 4, 750, 0, 510, 0, 2}},
        {"Art-Net 512 GBR, odd pixels", {open::Protocol::ArtNet, 4, 301, 32000, 512, 0, 4}},
        {"DDP BRG", {open::Protocol::Ddp, 6, 750, 0, 510, 1000, 5}},
        {"DDP odd pixels", {open::Protocol::Ddp, 4, 481, 0, 510, 0, 1}},
    };
    for (const auto& c : cases) {
        OpenReceiver r(asReceived(c.layout));
        open::Sequences s;
        int sent = 0;
        for (int tick = 0; tick < 3; ++tick) {
            const auto datagrams = open::planFrame(c.layout, {}, used, planes.block->planes, s);
            for (size_t i = 0; i < datagrams.size(); ++i) {
                // DDP shows on the push of the frame's last packet.
                const bool last = i + 1 == datagrams.size();
                const Taken want = c.layout.protocol == open::Protocol::Ddp && !last ? Taken::Held : Taken::Shown;
                EXPECT_EQ(r.receive(datagrams[i].bytes), want)
                    << c.name << " #" << i << " " << r.lastError().toStdString();
            }
            sent += int(datagrams.size());
        }
        expectShows(r, planes, used, c.name);
        const auto& n = r.counts();
        EXPECT_EQ(n.data, sent) << c.name;
        EXPECT_EQ(n.bad + n.late + n.missing + n.strays + n.ignored, 0) << c.name;
    }
}

TEST(OpenReceivers, SynchronisedDataWaitsForTheSyncAfterTheTick) {
    const Planes planes;
    open::PortsUsed used{};
    used[2] = true;
    open::FrameOptions o;
    o.synchronise = true;
    o.syncAddress = 9;
    const struct {
        open::Protocol protocol;
        QByteArray after; // what the caller sends once the tick's datagrams are out
    } cases[] = {
        {open::Protocol::E131, open::e131SyncPacket(o.cid, 0, 9)},
        {open::Protocol::ArtNet, open::artSyncPacket()},
        {open::Protocol::Ddp, open::ddpPushPacket(0)},
    };
    for (const auto& c : cases) {
        const open::PortLayout layout{c.protocol, 2, 200, 1, 510, 0, 1};
        OpenReceiver r(asReceived(layout));
        // An Art-Net node holds ArtDmx only once it has seen an ArtSync.
        if (c.protocol == open::Protocol::ArtNet) {
            EXPECT_EQ(r.receive(c.after), Taken::Sync);
        }
        open::Sequences s;
        for (const open::Datagram& d : open::planFrame(layout, o, used, planes.block->planes, s))
            EXPECT_EQ(r.receive(d.bytes), Taken::Held) << int(c.protocol);
        EXPECT_EQ(r.picture().pixel(5, 1), qRgb(0, 0, 0)) << int(c.protocol);
        EXPECT_EQ(r.receive(c.after), Taken::Sync) << int(c.protocol);
        expectShows(r, planes, used, "synchronised");
        EXPECT_EQ(r.counts().syncs + r.counts().pushes, c.protocol == open::Protocol::ArtNet ? 2 : 1);
    }
}

TEST(OpenReceivers, StopStraysAndGarbage) {
    const Planes planes;
    const open::PortLayout layout{open::Protocol::E131, 2, 100, 40, 510, 0, 1};
    OpenReceiver r(asReceived(layout));
    open::Sequences s;
    for (const open::Datagram& d : open::planStop(layout, {}, {false, true, true}, planes.block->planes, s))
        EXPECT_EQ(r.receive(d.bytes), Taken::Terminated);
    EXPECT_EQ(r.counts().terminated, 6);
    EXPECT_EQ(r.picture().pixel(5, 0), qRgb(0, 0, 0)); // a terminated stream's levels are not shown

    open::E131Fields f;
    f.universe = 42; // the controller has 40 and 41
    EXPECT_EQ(r.receive(open::e131DataPacket(f, hex("01"))), Taken::Stray);
    EXPECT_EQ(r.receive(vectors::artSync()), Taken::Bad);
    EXPECT_EQ(r.receive({}), Taken::Bad);

    OpenReceiver ddp({OpenProtocol::Ddp, 1, 10, 1, 510, 30, 1}); // bytes 30..59
    EXPECT_EQ(ddp.receive(open::ddpDataPacket(1, open::kDdpRgb8, 60, hex("01"), true)), Taken::Stray);
    EXPECT_EQ(ddp.receive(open::ddpDataPacket(2, open::kDdpRgb8, 27, hex("0102030405"), true)), Taken::Shown);
    EXPECT_EQ(ddp.picture().pixel(0, 0), qRgb(4, 5, 0)); // bytes 27..29 belong to another controller
    EXPECT_EQ(ddp.receive(hex("43 03 0B 01 00000000 0000")), Taken::Ignored); // a query
    const auto& n = ddp.counts();
    EXPECT_EQ(n.strays + n.data + n.ignored, 3);
}

} // namespace
