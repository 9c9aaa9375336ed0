// The stand-in machines decode what the program encodes, over real UDP on loopback.
#include "core/common_functions.h"
#include "core/scheduler.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "standin/frame_decoder.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"

#include <QFile>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace {

QByteArray replies() {
    return QByteArray(reinterpret_cast<const char*>(g_ReplyBuf), g_ReplyLen);
}

class StandIn : public testing::Test {
protected:
    void start(QList<int> numbers, std::map<uint16_t, QList<int>> drops = {}) {
        machines = home.startMachines(numbers, std::move(drops));
        ASSERT_TRUE(machines);
    }

    // Sends like a requester: reset the count, send, wait. Waits for the first reply (up to half a
    // second, so that a loaded machine does not fail the test) and a little longer for others.
    QByteArray ask(int machine, uint16_t code, const QByteArray& payload) {
        g_ReplyLen = 0;
        Fun_SendFrame(machine, code, payload, true);
        for (int i = 0; i < 100 && g_ReplyLen == 0; ++i)
            Fun_Delay(5);
        Fun_Delay(20);
        return replies();
    }

    kq::test::TempHome home;
    std::unique_ptr<standin::StandInMachines> machines;
};

TEST_F(StandIn, TwoMachinesAnswerOneBroadcastBackToBack) {
    start({1, 2});
    const QByteArray got = ask(0, 0x8010, {});
    const QByteArray v1 = machines->machine(1)->version.toLatin1(), v2 = machines->machine(2)->version.toLatin1();
    EXPECT_EQ(got.size(), v1.size() + v2.size());
    EXPECT_TRUE(got == v1 + v2 || got == v2 + v1) << got.toStdString();
    EXPECT_EQ(ask(2, 0x8010, {}), v2);
    EXPECT_EQ(ask(3, 0x8010, {}), QByteArray()); // nobody plays machine 3
}

TEST_F(StandIn, ParametersAndChipRecords) {
    start({1, 2});
    QByteArray params = ask(2, 0x8012, {});
    ASSERT_EQ(params.size(), 100);
    EXPECT_EQ(params[10], 2);
    params[6] = 0x02; // DMX address 512
    params[7] = 0x00;
    Fun_SendFrame(2, 0x8013, params, true);
    EXPECT_EQ(ask(2, 0x8012, {}), params);

    const QByteArray records = ask(0, 0x8015, {});
    ASSERT_EQ(records.size(), 2 * 114);
    const QByteArray serial2 = machines->machine(2)->serial;
    const int at = records.mid(2, 12) == serial2 ? 0 : 114;
    EXPECT_EQ(uint8_t(records[at]), 0xFA);
    EXPECT_EQ(records.mid(at + 14, 100), params);

    QByteArray set = QByteArray(1, char(0xFA)) + char(7) + serial2 + params;
    Fun_SendCommand(0, "8016", QString::fromLatin1(set.toHex()));
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(2)->parameters[10], 7);
    EXPECT_EQ(machines->machine(1)->parameters[10], 1);
}

TEST_F(StandIn, LivePortDataBecomesThePictureOnShow) {
    start({3});
    for (int i = 0; i < 750; ++i) {
        g_LivePlanes[3][2][i] = 200;                     // red
        g_LivePlanes[3][2][750 + i] = 10;                // green
        g_LivePlanes[3][2][1500 + i] = uint8_t(i % 250); // blue
    }
    g_ColourOrder = 4;
    Fun_SendHalfBlock(3, 2, 0, g_LivePlanes);
    Fun_SendHalfBlock(3, 2, 1125, g_LivePlanes);
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(3)->picture.pixel(5, 1), qRgb(0, 0, 0)); // not shown yet
    Fun_SendCommandNoWait(0, "8055", "00");
    Fun_Delay(20);
    const standin::MachineState& m = *machines->machine(3);
    EXPECT_EQ(m.picture.pixel(5, 1), qRgb(200, 10, 5));
    EXPECT_EQ(m.picture.pixel(749, 1), qRgb(200, 10, 749 % 250));
    EXPECT_EQ(m.colourOrder, 4);
    Fun_SendCommand(0, "8054", "00");
    Fun_Delay(20);
    EXPECT_EQ(m.picture.pixel(5, 1), qRgb(0, 0, 0));
}

TEST_F(StandIn, DownloadDecodesZeroRunsAndKeepsTheFile) {
    start({1}, {{0x80B1, {3}}});
    const QByteArray ack("\x88\x66", 2);
    EXPECT_EQ(ask(1, 0x80B0, {}), ack);
    // 3 zeros, one 254, a 7.
    QByteArray packet = QByteArray::fromHex("00000000 0005 FE03 FEFF 07 00000000");
    EXPECT_EQ(ask(1, 0x80B1, packet), ack);
    EXPECT_EQ(ask(1, 0x80B1, QByteArray::fromHex("00000000 0002 FE02 00000000")), ack);
    EXPECT_EQ(ask(1, 0x80B1, QByteArray::fromHex("00000000 0001 09 00000000")), QByteArray()); // dropped on purpose
    EXPECT_EQ(ask(1, 0x80B2, QByteArray::fromHex("00000007") + QByteArray(16, '\0')), ack);
    const QByteArray expected = QByteArray::fromHex("000000FE070000");
    EXPECT_EQ(machines->machine(1)->sdCard, expected);
    QFile kept(home.path("machines/ID1/ID-01.KQ4"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), expected);
}

TEST_F(StandIn, FirmwareIsAcknowledgedOnlyWhenLengthAndSumAgree) {
    start({1});
    const QByteArray ack("\x88\x66", 2);
    const QByteArray image(1500, char(0xFF));
    EXPECT_EQ(ask(1, 0x80A0, {}), ack);
    for (int offset : {0, 1024}) {
        QByteArray p(1050, '\0');
        const int count = std::min(1024, int(image.size()) - offset);
        p[0] = char(offset >> 24), p[1] = char(offset >> 16), p[2] = char(offset >> 8), p[3] = char(offset);
        p[4] = char(count >> 8), p[5] = char(count);
        p.replace(6, count, image.mid(offset, count));
        EXPECT_EQ(ask(1, 0x80A1, p), ack) << offset;
    }
    const uint16_t sum = uint16_t(1500 * 255);
    QByteArray verify = QByteArray::fromHex("000005DC") + char(sum >> 8) + char(sum & 0xFF) + QByteArray(14, '\0');
    QByteArray wrong = verify;
    wrong[5] = char(wrong[5] + 1);
    EXPECT_EQ(ask(1, 0x80A2, wrong), QByteArray());
    EXPECT_TRUE(machines->log().last().contains("verify failed"));
    EXPECT_EQ(ask(1, 0x80A2, verify), ack);
    Fun_SendCommand(1, "80A3", "");
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(1)->restarts, 1);
    EXPECT_EQ(machines->machine(1)->firmware, image);
}

TEST_F(StandIn, CountsBadFramesAndLogsOtherCodes) {
    start({1});
    Fun_SendCommand(0, "805E", "");
    Fun_SendCommand(0, "80F4", "01");
    QUdpSocket raw;
    QByteArray broken = kq::link::encodeFrame(0, 0x8010, {});
    broken[16] = char(broken[16] + 1); // check byte
    QByteArray renamed = kq::link::encodeFrame(0, 0x8010, {});
    renamed[0] = 'X';
    const QHostAddress commands(QHostAddress(home.useLoopbackMachines()).toIPv4Address() + 55);
    raw.writeDatagram(broken, commands, 4800);
    raw.writeDatagram(renamed, commands, 4800);
    raw.writeDatagram("short", commands, 4800);
    Fun_Delay(30);
    EXPECT_EQ(machines->badFrames(), 3);
    const QString log = machines->log().join('\n');
    EXPECT_TRUE(log.contains("805E received")) << log.toStdString();
    EXPECT_TRUE(log.contains("80F4 received (1 payload bytes: 01)")) << log.toStdString();
    EXPECT_TRUE(log.contains("wrong check byte"));
}

TEST_F(StandIn, TheExitRequestSendsTheExitCommandToEveryMachine) {
    start({1, 2, 3});
    kq::schedulerHooks().sendExitCommand = Fun_SendExitCommand;
    g_ExitRequested = true;
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    kq::schedulerHooks() = {};
    Fun_Delay(20);
    for (int k : {1, 2, 3})
        EXPECT_EQ(machines->machine(k)->received.value(0x805E), 1) << k;
}

TEST(ZeroRuns, DecoderTable) {
    EXPECT_EQ(standin::decodeZeroRuns(QByteArray::fromHex("FEFA")), QByteArray(250, '\0'));
    EXPECT_EQ(standin::decodeZeroRuns(QByteArray::fromHex("01FEFF02")), QByteArray::fromHex("01FE02"));
    EXPECT_FALSE(standin::decodeZeroRuns(QByteArray::fromHex("FE")));
    EXPECT_FALSE(standin::decodeZeroRuns(QByteArray::fromHex("FE00")));
    EXPECT_FALSE(standin::decodeZeroRuns(QByteArray::fromHex("FEFB")));
}

} // namespace
