#include "link/open_protocols.h"
#include "support/in_language.h"
#include "support/open_vectors.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace kq::link::open;
namespace vectors = kq::test::vectors;
using vectors::hex;

// The vectors' CID: 00 01 .. 0F.
Cid countingCid() {
    Cid cid{};
    for (size_t i = 0; i < cid.size(); ++i)
        cid[i] = uint8_t(i);
    return cid;
}

// A machine's planes on the heap (27 kB), pixel x of port p at red x, green 750 + x, blue 1500 + x.
struct Planes {
    struct Block {
        MachinePlanes planes{};
    };
    std::unique_ptr<Block> block = std::make_unique<Block>();
    MachinePlanes& operator*() { return block->planes; }
    void set(int port, int x, int r, int g, int b) {
        block->planes[port][x] = uint8_t(r);
        block->planes[port][kPlaneStride + x] = uint8_t(g);
        block->planes[port][2 * kPlaneStride + x] = uint8_t(b);
    }
};

PortsUsed only(int port) {
    PortsUsed used{};
    used[size_t(port)] = true;
    return used;
}

int be16(const QByteArray& p, int at) {
    return uint8_t(p[at]) << 8 | uint8_t(p[at + 1]);
}

TEST(OpenPackets, E131DataAndSyncAsWrittenByHand) {
    E131Fields f;
    f.cid = countingCid();
    f.sourceName = QStringLiteral("kq");
    f.sequence = 7;
    f.universe = 1;
    EXPECT_EQ(e131DataPacket(f, hex("0A0B0C")), vectors::e131Data());
    f.priority = 200;
    f.syncAddress = 7000;
    f.sequence = 255;
    f.options = e131option::StreamTerminated;
    f.universe = 63999;
    EXPECT_EQ(e131DataPacket(f, hex("0A0B0C")), vectors::e131Terminated());
    EXPECT_EQ(e131SyncPacket(countingCid(), 9, 7000), vectors::e131Sync());

    // A full universe: 638 bytes, lengths 0x26E, 0x258, 0x20B, 513 properties; one more slot is refused.
    const QByteArray full = e131DataPacket(f, QByteArray(512, '\x11'));
    ASSERT_EQ(full.size(), 638);
    EXPECT_EQ(be16(full, 16), 0x726E);
    EXPECT_EQ(be16(full, 38), 0x7258);
    EXPECT_EQ(be16(full, 115), 0x720B);
    EXPECT_EQ(be16(full, 123), 513);
    EXPECT_TRUE(e131DataPacket(f, QByteArray(513, '\x11')).isEmpty());
}

TEST(OpenPackets, SourceNameIsCutOnACharacterAndStaysTerminated) {
    E131Fields f;
    f.sourceName = QString(40, QChar(0xE9)); // 80 bytes of UTF-8: 31 characters fit in 63
    const QByteArray name = e131DataPacket(f, {}).mid(44, 64);
    EXPECT_EQ(name, QString(31, QChar(0xE9)).toUtf8() + QByteArray(2, '\0'));
    f.sourceName = QString(63, QLatin1Char('n'));
    EXPECT_EQ(e131DataPacket(f, {}).mid(44, 64), QByteArray(63, 'n') + QByteArray(1, '\0'));
}

TEST(OpenPackets, ArtNetAsWrittenByHand) {
    // Port-address 0x1234: SubUni 0x34, Net 0x12; three bytes padded to four.
    EXPECT_EQ(artDmxPacket(1, 0x1234, hex("010203")), vectors::artDmxOdd());
    EXPECT_EQ(artDmxPacket(255, 32767, hex("0102")), hex("4172742D4E657400 0050 000E FF 00 FF 7F 0002 0102"));
    EXPECT_EQ(artDmxPacket(1, 0, {}), hex("4172742D4E657400 0050 000E 01 00 00 00 0002 0000"));
    EXPECT_TRUE(artDmxPacket(1, 32768, hex("0102")).isEmpty());
    EXPECT_TRUE(artDmxPacket(1, 0, QByteArray(513, '\0')).isEmpty());
    EXPECT_EQ(artSyncPacket(), vectors::artSync());
}

TEST(OpenPackets, DdpAsWrittenByHand) {
    EXPECT_EQ(ddpDataPacket(3, kDdpRgb8, 0x00010203, hex("AABBCC"), true), vectors::ddpData(true));
    EXPECT_EQ(ddpDataPacket(3, kDdpRgb8, 0x00010203, hex("AABBCC"), false), vectors::ddpData(false));
    EXPECT_EQ(ddpDataPacket(0x13, 0x01, 0xFFFFFFFD, hex("AABBCC"), false), hex("40 03 01 01 FFFFFFFD 0003 AABBCC"));
    EXPECT_EQ(ddpPushPacket(5), vectors::ddpPushOnly());
    EXPECT_EQ(ddpDataPacket(1, kDdpRgb8, 0, QByteArray(1440, '\0'), false).size(), 1450);
    EXPECT_TRUE(ddpDataPacket(1, kDdpRgb8, 0, QByteArray(1441, '\0'), false).isEmpty());
}

TEST(OpenPixels, EveryColourOrder) {
    Planes planes;
    planes.set(1, 0, 0x11, 0x22, 0x33);
    planes.set(1, 1, 0x44, 0x55, 0x66);
    const struct {
        int order;
        const char* bytes;
    } cases[] = {{1, "112233 445566"}, {2, "113322 446655"}, {3, "221133 554466"}, {4, "223311 556644"},
                 {5, "331122 664455"}, {6, "332211 665544"}, {0, "112233 445566"}, {7, "112233 445566"}};
    for (const auto& c : cases)
        EXPECT_EQ(pixelBytes((*planes)[1], c.order, 2), hex(c.bytes)) << "order " << c.order;
    EXPECT_EQ(pixelBytes((*planes)[1], 1, 750).size(), 2250);
}

TEST(OpenLayout, PortsFollowEachOther) {
    const struct {
        const char* name;
        PortLayout layout;
        std::vector<std::pair<int64_t, int64_t>> ranges;
    } cases[] = {
        {"510, 750 px", {Protocol::E131, 3, 750, 1, 510, 0, 1}, {{1, 5}, {6, 10}, {11, 15}}},
        {"510, 170 px", {Protocol::E131, 2, 170, 10, 510, 0, 1}, {{10, 10}, {11, 11}}},
        {"510, 171 px", {Protocol::E131, 2, 171, 10, 510, 0, 1}, {{10, 11}, {12, 13}}},
        {"512, 171 px", {Protocol::ArtNet, 2, 171, 0, 512, 0, 1}, {{0, 1}, {2, 3}}},
        {"512, 170 px", {Protocol::ArtNet, 2, 170, 0, 512, 0, 1}, {{0, 0}, {1, 1}}},
        {"DDP", {Protocol::Ddp, 3, 750, 0, 510, 100, 1}, {{100, 2349}, {2350, 4599}, {4600, 6849}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<int64_t, int64_t>> got;
        for (const PortRange& r : portRanges(c.layout))
            got.emplace_back(r.first, r.last);
        EXPECT_EQ(got, c.ranges) << c.name;
    }
    EXPECT_TRUE(portRanges({Protocol::E131, 6, 0, 1, 510, 0, 1}).empty());
}

TEST(OpenLayout, ReasonsForWhatCannotBeUsed) {
    const kq::test::InLanguage english(kq::Language::English); // the words asserted below
    const struct {
        PortLayout layout;
        const char* reason; // nullptr: usable
    } cases[] = {
        {{Protocol::E131, 6, 750, 1, 510, 0, 1}, nullptr},
        {{Protocol::E131, 6, 750, 63970, 510, 0, 1}, nullptr}, // 63,970 + 30 - 1 = 63,999
        {{Protocol::E131, 6, 750, 63971, 510, 0, 1}, "universes 63971 to 64000 pass E1.31's 1 to 63,999"},
        {{Protocol::E131, 1, 750, 0, 510, 0, 1}, "universes 0 to 4 pass E1.31's 1 to 63,999"},
        {{Protocol::ArtNet, 1, 750, 0, 512, 0, 1}, nullptr},
        {{Protocol::ArtNet, 1, 750, 32764, 512, 0, 1}, "port-addresses 32764 to 32768 pass Art-Net's 0 to 32,767"},
        {{Protocol::ArtNet, 1, 10, -1, 512, 0, 1}, "port-addresses -1 to -1 pass Art-Net's 0 to 32,767"},
        {{Protocol::E131, 6, 751, 1, 510, 0, 1}, "pixels per port must be 1 to 750, not 751"},
        {{Protocol::Ddp, 6, 0, 1, 510, 0, 1}, "pixels per port must be 1 to 750, not 0"},
        {{Protocol::E131, 6, 750, 1, 511, 0, 1}, "channels per universe must be 510 or 512, not 511"},
        {{Protocol::Ddp, 6, 750, 1, 0, 0, 1}, nullptr}, // DDP has no universes
        {{Protocol::E131, 7, 750, 1, 510, 0, 1}, "a controller has 1 to 6 ports, not 7"},
        {{Protocol::E131, 6, 750, 1, 510, 0, 9}, "the colour order must be 1 to 6, not 9"},
        {{Protocol::Ddp, 1, 750, 1, 510, 4294967296 - 2250, 1}, nullptr},
        {{Protocol::Ddp, 1, 750, 1, 510, 4294967296 - 2249, 1},
         "DDP bytes 4294965047 to 4294967296 pass the last offset, 4,294,967,295"},
        {{Protocol::Ddp, 1, 750, 1, 510, -3, 1}, "the DDP offset -3 is negative"},
    };
    for (const auto& c : cases) {
        const auto why = layoutProblem(c.layout);
        if (!c.reason) {
            EXPECT_FALSE(why) << why->toStdString();
        } else {
            EXPECT_EQ(why.value_or(QStringLiteral("(usable)")).toStdString(), c.reason);
        }
    }
}

TEST(OpenLayout, OverlapsBetweenControllers) {
    const kq::test::InLanguage english(kq::Language::English);      // the words asserted below
    const PortLayout e131At1{Protocol::E131, 2, 750, 1, 510, 0, 1}; // universes 1..10
    const PortLayout ddpAt0{Protocol::Ddp, 2, 750, 1, 510, 0, 1};   // bytes 0..4,499
    const auto at = [](PortLayout l, int first, int64_t offset = 0) {
        l.firstUniverse = first;
        l.ddpOffset = offset;
        return l;
    };
    const struct {
        std::vector<Controller> controllers;
        const char* reason;
    } cases[] = {
        {{{1, "a", e131At1}, {2, "b", at(e131At1, 11)}}, nullptr},
        {{{1, "a", e131At1}, {2, "b", at(e131At1, 10)}}, "machines 1 and 2 both use E1.31 universe 10"},
        {{{3, "a", at(e131At1, 5)}, {4, "a", e131At1}}, "machines 3 and 4 both use E1.31 universe 5"},
        // Art-Net's port-address 1 is not E1.31's universe 1.
        {{{1, "a", e131At1}, {2, "a", at({Protocol::ArtNet, 2, 750, 1, 510, 0, 1}, 1)}}, nullptr},
        {{{1, "a", ddpAt0}, {2, "b", ddpAt0}}, nullptr}, // each DDP receiver has offsets of its own
        {{{1, "a", ddpAt0}, {2, "a", at(ddpAt0, 1, 4499)}}, "machines 1 and 2 both use DDP byte 4499 at a"},
        {{{1, "a", ddpAt0}, {2, "a", at(ddpAt0, 1, 4500)}}, nullptr},
        {{{1, "a", e131At1}, {5, "b", at(e131At1, 64000)}},
         "machine 5: universes 64000 to 64009 pass E1.31's 1 to 63,999"},
    };
    for (const auto& c : cases) {
        const auto why = controllersProblem(c.controllers);
        if (!c.reason) {
            EXPECT_FALSE(why) << why->toStdString();
        } else {
            EXPECT_EQ(why.value_or(QStringLiteral("(usable)")).toStdString(), c.reason);
        }
    }
}

TEST(OpenFrame, UniverseBoundariesAt510And512Channels) {
    Planes planes;
    planes.set(2, 169, 0xA1, 0xA2, 0xA3);
    planes.set(2, 170, 0xB1, 0xB2, 0xB3);
    // 510: pixel 169 ends universe 11, pixel 170 begins universe 12 (port 2 of a 2-universe port).
    PortLayout l{Protocol::E131, 2, 171, 9, 510, 0, 1};
    Sequences s;
    auto d = planFrame(l, {}, only(2), *planes, s);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].universe, 11);
    EXPECT_EQ(d[0].port, 2);
    EXPECT_EQ(d[0].bytes.size(), kE131HeaderBytes + 510);
    EXPECT_EQ(d[0].bytes.right(3), hex("A1A2A3"));
    EXPECT_EQ(d[1].universe, 12);
    EXPECT_EQ(d[1].bytes.mid(kE131HeaderBytes), hex("B1B2B3"));

    // 512 in GRB: pixel 170's green and red close universe 11, its blue opens universe 12.
    l.channelsPerUniverse = 512;
    l.colourOrder = 3;
    d = planFrame(l, {}, only(2), *planes, s);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].bytes.size(), kE131HeaderBytes + 512);
    EXPECT_EQ(d[0].bytes.right(5), hex("A2A1A3 B2B1"));
    EXPECT_EQ(d[1].bytes.mid(kE131HeaderBytes), hex("B3"));

    l.protocol = Protocol::ArtNet;
    d = planFrame(l, {}, only(2), *planes, s);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].bytes.right(5), hex("A2A1A3 B2B1"));
    EXPECT_EQ(d[1].bytes.mid(16), hex("0002 B300")); // one channel, padded
}

TEST(OpenFrame, TheLastPacketsOfAFullPort) {
    Planes planes;
    planes.set(1, 749, 0x10, 0x20, 0x30);
    const struct {
        const char* name;
        PortLayout layout;
        std::vector<int> sizes; // data bytes per datagram
        int headerBytes;
    } cases[] = {
        {"E1.31 510", {Protocol::E131, 1, 750, 1, 510, 0, 1}, {510, 510, 510, 510, 210}, kE131HeaderBytes},
        {"E1.31 512", {Protocol::E131, 1, 750, 1, 512, 0, 1}, {512, 512, 512, 512, 202}, kE131HeaderBytes},
        {"Art-Net 510", {Protocol::ArtNet, 1, 750, 0, 510, 0, 1}, {510, 510, 510, 510, 210}, kArtDmxHeaderBytes},
        {"Art-Net 512", {Protocol::ArtNet, 1, 750, 0, 512, 0, 1}, {512, 512, 512, 512, 202}, kArtDmxHeaderBytes},
        {"DDP", {Protocol::Ddp, 1, 750, 0, 510, 0, 1}, {1440, 810}, kDdpHeaderBytes},
    };
    for (const auto& c : cases) {
        Sequences s;
        const auto d = planFrame(c.layout, {}, only(1), *planes, s);
        ASSERT_EQ(d.size(), c.sizes.size()) << c.name;
        for (size_t i = 0; i < d.size(); ++i)
            EXPECT_EQ(d[i].bytes.size(), c.headerBytes + c.sizes[i]) << c.name << " #" << i;
        EXPECT_EQ(d.back().bytes.right(3), hex("102030")) << c.name;
    }
}

TEST(OpenFrame, DdpOffsetsAndThePush) {
    Planes planes;
    PortLayout l{Protocol::Ddp, 3, 750, 1, 510, 1000, 1};
    PortsUsed used{};
    used[1] = used[3] = true;
    Sequences s;
    FrameOptions o;
    auto d = planFrame(l, o, used, *planes, s);
    ASSERT_EQ(d.size(), 4u);
    const struct {
        int port;
        const char* head;
    } expected[] = {{1, "40 01 0B 01 000003E8 05A0"},
                    {1, "40 02 0B 01 00000988 032A"},
                    {3, "40 03 0B 01 0000157C 05A0"}, // 1,000 + 2 x 2,250
                    {3, "41 04 0B 01 00001B1C 032A"}};
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_EQ(d[i].port, expected[i].port);
        EXPECT_EQ(d[i].bytes.left(10), hex(expected[i].head)) << i;
    }
    // Synchronised, no packet pushes: the caller's push to all does.
    o.synchronise = true;
    d = planFrame(l, o, used, *planes, s);
    ASSERT_EQ(d.size(), 4u);
    for (const Datagram& g : d)
        EXPECT_EQ(g.bytes[0], 0x40);
    EXPECT_EQ(uint8_t(d[0].bytes[1]), 5);
    EXPECT_TRUE(planFrame(l, o, PortsUsed{}, *planes, s).empty());
}

TEST(OpenFrame, SequencesWrapAndTheSyncAddressRidesAlong) {
    Planes planes;
    FrameOptions o;
    o.synchronise = true;
    o.syncAddress = 0x0203;
    const struct {
        Protocol protocol;
        uint8_t start;
        std::vector<int> seen; // first universe's sequence, tick by tick
        int at;
    } cases[] = {
        {Protocol::E131, 254, {254, 255, 0, 1}, 111},
        {Protocol::ArtNet, 254, {255, 1, 2, 3}, 12},
        {Protocol::Ddp, 13, {14, 15, 1, 2}, 1}, // one packet a tick: 100 pixels
    };
    for (const auto& c : cases) {
        PortLayout l{c.protocol, 1, 100, 1, 510, 0, 1};
        Sequences s;
        s.e131[0] = s.artNet[0] = c.start;
        s.ddp = c.start;
        std::vector<int> seen;
        for (int tick = 0; tick < 4; ++tick) {
            const auto d = planFrame(l, o, only(1), *planes, s);
            ASSERT_EQ(d.size(), 1u);
            seen.push_back(uint8_t(d[0].bytes[c.at]));
            if (c.protocol == Protocol::E131) {
                EXPECT_EQ(be16(d[0].bytes, 109), 0x0203);
            }
        }
        EXPECT_EQ(seen, c.seen) << int(c.protocol);
    }
    EXPECT_EQ(nextArtNetSequence(0), 1);
    EXPECT_EQ(nextArtNetSequence(255), 1);
    EXPECT_EQ(nextDdpSequence(0), 1);
    EXPECT_EQ(nextDdpSequence(15), 1);

    // Each universe counts on its own.
    PortLayout two{Protocol::E131, 1, 200, 1, 510, 0, 1};
    Sequences s;
    s.e131[1] = 40;
    const auto d = planFrame(two, {}, only(1), *planes, s);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(uint8_t(d[0].bytes[111]), 0);
    EXPECT_EQ(uint8_t(d[1].bytes[111]), 40);
    EXPECT_EQ(be16(d[1].bytes, 109), 0); // not synchronised
}

TEST(OpenFrame, StoppingSendsThreeTerminatedPacketsPerUniverse) {
    Planes planes;
    planes.set(4, 0, 1, 2, 3);
    const PortLayout l{Protocol::E131, 4, 1, 20, 510, 0, 1}; // port 4 is universe 23
    Sequences s;
    s.e131[3] = 255;
    const auto d = planStop(l, {}, only(4), *planes, s);
    ASSERT_EQ(d.size(), 3u);
    const char* sequences[] = {"FF", "00", "01"};
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_EQ(d[i].universe, 23);
        EXPECT_EQ(d[i].bytes.mid(108),
                  hex("64 0000") + hex(sequences[i]) + hex("40 0017 700E 02 A1 0000 0001 0004 00 010203"));
    }
    EXPECT_TRUE(planStop({Protocol::ArtNet, 4, 1, 20, 510, 0, 1}, {}, only(4), *planes, s).empty());
    EXPECT_TRUE(planStop({Protocol::Ddp, 4, 1, 20, 510, 0, 1}, {}, only(4), *planes, s).empty());
}

} // namespace
