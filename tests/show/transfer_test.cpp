// Show download and firmware upgrade against the stand-in machines over loopback.
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/transport.h"
#include "show/firmware_upgrade.h"
#include "show/playback_file.h"
#include "show/show_download.h"
#include "standin/frame_decoder.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace kq::show;

class RecordingLog : public TransferLog {
public:
    int progressCalls = 0;
    void progress(qint64, qint64) override { ++progressCalls; }
};

class Transfer : public testing::Test {
protected:
    void start(QList<int> numbers, std::map<uint16_t, QList<int>> drops = {}) {
        machines = home.startMachines(numbers, std::move(drops));
        ASSERT_TRUE(machines);
    }
    QString writePlayback(int machine, const QByteArray& bytes) {
        QDir().mkpath(playbackFolder(g_AppFolder));
        const QString path = playbackFilePath(g_AppFolder, machine);
        kq::writeFileAtomically(path, bytes);
        return path;
    }
    QString writeImage(const QString& name, const QByteArray& bytes) {
        kq::writeFileAtomically(home.path(name), bytes);
        return home.path(name);
    }
    static QByteArray firmware(int length, qsizetype markerAt = 10) {
        QByteArray image(length, char(0x5A));
        if (markerAt >= 0) image.replace(markerAt, 20, "KQ510biaoji123456789");
        return image.left(length);
    }

    kq::test::TempHome home;
    std::unique_ptr<standin::StandInMachines> machines;
    RecordingLog log;
};

TEST(DownloadCoding, ZeroRunsEscapesAndPacketLimits) {
    const auto zeros = codeDownloadPackets(QByteArray(9216, '\0'));
    ASSERT_EQ(zeros.size(), 1u);
    QByteArray expected;
    for (int i = 0; i < 36; ++i)
        expected += QByteArray::fromHex("FEFA");
    expected += QByteArray::fromHex("FED8"); // 216
    EXPECT_EQ(zeros[0].coded, expected);

    EXPECT_EQ(codeDownloadPackets(QByteArray::fromHex("01FE0000FE")).at(0).coded,
              QByteArray::fromHex("01FEFFFE02FEFF"));
    // Dense data closes a packet at 1,200 coded bytes; a 254 at the edge makes it 1,201.
    QByteArray dense(1199, char(7));
    dense += char(254);
    dense += QByteArray(10, char(9));
    const auto packets = codeDownloadPackets(dense);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].coded.size(), 1201);
    EXPECT_EQ(packets[0].fileBytesEnd, 1200);
    EXPECT_EQ(packets[1].coded, QByteArray(10, char(9)));
    // Runs never span packets: 9,217 zeros are 37 runs and then a new run of 1.
    const auto split = codeDownloadPackets(QByteArray(9217, '\0'));
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[1].coded, QByteArray::fromHex("FE01"));
    EXPECT_EQ(dataPacketPayload(QByteArray::fromHex("0A0B")), QByteArray::fromHex("00000000 0002 0A0B 00000000"));
    EXPECT_EQ(endPacketPayload(70000), QByteArray::fromHex("00011170") + QByteArray(16, '\0'));
}

TEST_F(Transfer, DownloadLeavesTheSameFileOnTheMachine) {
    start({2});
    QByteArray file = QByteArray::fromHex("17081489") + QByteArray(5000, '\0');
    for (int i = 0; i < 30000; ++i)
        file += char(i % 7 == 0 ? 0 : (i % 256));
    file += QByteArray::fromHex("FE FE 00 FE");
    writePlayback(2, file);
    EXPECT_TRUE(Fun_DownloadToMachine(2, log));
    EXPECT_EQ(machines->machine(2)->sdCard, file);
    EXPECT_EQ(machines->machine(2)->declaredLength, quint32(file.size()));
    EXPECT_EQ(machines->machine(2)->received.value(0x80B3), 1);
    const QString path = playbackFilePath(g_AppFolder, 2);
    EXPECT_TRUE(
        log.text().startsWith(QStringLiteral("->机器 2\r\n->读取文件\r\n->文件路径=") + path +
                              QStringLiteral("\r\n->文件长度=【0.03M】\r\n->握手 \r\n->握手成功 \r\n->发送数据 0.03M")))
        << log.text().toStdString();
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("\r\n->下载成功！！！\r\n"))) << log.text().toStdString();
    EXPECT_GT(log.progressCalls, 2);
    EXPECT_FALSE(g_PauseTasks);
}

TEST_F(Transfer, LostDataPacketMakesTheDownloadFail) {
    start({1}, {{0x80B1, {2}}});
    writePlayback(1, QByteArray(30000, char(3)));
    EXPECT_FALSE(Fun_DownloadToMachine(1, log));
    EXPECT_TRUE(log.text().contains(QStringLiteral(" <无应答> ")));
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("\r\n->下载失败XXX 1个数据包没有应答\r\n")))
        << log.text().toStdString();
    EXPECT_EQ(machines->machine(1)->received.value(0x80B3), 0); // a damaged show is not closed as done
}

TEST_F(Transfer, AllMachinesWithNoneAnswering) {
    home.useLoopbackMachines(); // nobody listens
    writePlayback(2, QByteArray(10, char(1)));
    writePlayback(5, QByteArray(10, char(1)));
    EXPECT_FALSE(Fun_DownloadToAllMachines(log));
    const QString text = log.text();
    for (int m = 1; m <= 10; ++m) {
        const QString head = QStringLiteral("->机器 %1").arg(m);
        const bool hasFile = m == 2 || m == 5;
        EXPECT_TRUE(
            text.contains(head + (hasFile ? QStringLiteral("\r\n->读取文件") : QStringLiteral("文件不存在！\r\n"))))
            << m;
    }
    EXPECT_EQ(text.count(QStringLiteral("\r\n->握手失败 \r\n")), 2);
}

TEST_F(Transfer, EmptyPlaybackFileIsRefused) {
    start({1});
    writePlayback(1, QByteArray());
    EXPECT_FALSE(Fun_DownloadToMachine(1, log));
    ASSERT_EQ(home.dialogs.shown.size(), 1);
    EXPECT_EQ(home.dialogs.shown[0].text, QStringLiteral("文件为空！"));
    EXPECT_EQ(machines->machine(1)->received.value(0x80B0), 0);
}

TEST_F(Transfer, PlaybackFileThatCannotBeReadWholeIsNotSent) {
    start({1});
    // Something stands at the playback file's place that has a length but gives no bytes.
    QDir().mkpath(playbackFilePath(g_AppFolder, 1));
    EXPECT_FALSE(Fun_DownloadToMachine(1, log));
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("\r\n->读取文件失败！没有下载\r\n"))) << log.text().toStdString();
    EXPECT_FALSE(log.text().contains(QStringLiteral("握手")));
    EXPECT_FALSE(log.text().contains(QStringLiteral("下载成功")));
    Fun_Delay(20);
    EXPECT_TRUE(machines->machine(1)->received.isEmpty());
}

// A machine that answers after a given time; every wait of the program wakes a millisecond later, as
// the socket events of a busy link would wake it.
class AnsweringPump final : public kq::EventPump {
public:
    AnsweringPump(kq::test::FakeClock& clock, int answerAfterMs)
        : clock_(clock), start_(clock.now), after_(answerAfterMs) {}
    void pumpPending() override {
        if (after_ >= 0 && clock_.now - start_ >= uint32_t(after_) && !answered_) {
            answered_ = true;
            kq::link::ReplyQuery::holder()->take(QByteArrayView("\x88\x66", 2));
        }
    }
    void waitForEvents(std::optional<uint32_t>) override {
        clock_.now += 1;
        pumpPending();
    }

private:
    kq::test::FakeClock& clock_;
    uint32_t start_;
    int after_;
    bool answered_ = false;
};

TEST(WaitAck, AMachineHasUpToTwiceTheRoundsInMilliseconds) {
    const struct {
        int rounds;
        int answerAfterMs; // -1: never
        bool acknowledged;
        uint32_t waitedMs;
    } cases[] = {{300, 10, true, 10},      {300, 600, true, 600},   {300, 601, false, 600},
                 {1000, 1990, true, 1990}, {1000, -1, false, 2000}, {0, -1, false, 0}};
    for (const auto& c : cases) {
        kq::test::FakeClock clock(4294966000u); // across the clock's wrap
        AnsweringPump pump(clock, c.answerAfterMs);
        kq::setAppClock(&clock);
        kq::setAppPump(&pump);
        const kq::link::ReplyQuery replies;
        ASSERT_TRUE(replies.claimed());
        EXPECT_EQ(Fun_WaitAck(replies, c.rounds), c.acknowledged) << c.rounds << " " << c.answerAfterMs;
        EXPECT_EQ(clock.now - 4294966000u, c.waitedMs) << c.rounds << " " << c.answerAfterMs;
        kq::setAppClock(nullptr);
        kq::setAppPump(nullptr);
    }
}

TEST(FirmwareCoding, ChunksMarkerAndChecksum) {
    const auto p1025 = firmwareDataPayloads(QByteArray(1025, char(1)));
    ASSERT_EQ(p1025.size(), 2u);
    EXPECT_EQ(p1025[0].left(6), QByteArray::fromHex("00000000 0400"));
    EXPECT_EQ(p1025[1].left(7), QByteArray::fromHex("00000400 0001 01"));
    EXPECT_EQ(p1025[1].size(), 1050);
    const auto p2048 = firmwareDataPayloads(QByteArray(2048, char(1)));
    ASSERT_EQ(p2048.size(), 3u);
    EXPECT_EQ(p2048[2], QByteArray::fromHex("00000800 0000") + QByteArray(1044, '\0'));

    QByteArray image(400, 'x');
    image.replace(300, 20, "KQ510biaoji123456789");
    EXPECT_EQ(findFirmwareMarker(image), 300);
    image = QByteArray(400, 'x');
    image.replace(301, 20, "KQ510biaoji123456789"); // starts within the last 99 bytes
    EXPECT_FALSE(findFirmwareMarker(image));
    EXPECT_FALSE(findFirmwareMarker(QByteArray("KQ510biaoji123456789")));

    EXPECT_EQ(firmwareChecksum(QByteArray(300, char(255))), 10964);
    const QByteArray verify = firmwareVerifyPayload(QByteArray(300, char(255)), p1025[1]);
    EXPECT_EQ(verify, QByteArray::fromHex("0000012C 2AD4 01") + QByteArray(13, '\0'));
}

TEST_F(Transfer, FirmwareReachesTheMachineAndItRestarts) {
    start({3});
    const QByteArray image = firmware(2048 + 300);
    EXPECT_TRUE(Fun_UpgradeMachine(3, log, writeImage("fw.bin", image)));
    EXPECT_EQ(machines->machine(3)->firmware, image);
    EXPECT_EQ(machines->machine(3)->restarts, 1);
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("->机器 3\r\n->读取文件\r\n->文件路径=")));
    EXPECT_TRUE(log.text().contains(QStringLiteral(
        "\r\n->文件长度=【2.3K】\r\n->握手 \r\n->握手成功 \r\n->发送数据 ---\r\n->校验成功！！！\r\n->重启机器！")))
        << log.text().toStdString();
}

TEST_F(Transfer, MachineThatFindsAWrongChecksumStaysSilent) {
    start({3}, {{0x80A1, {2}}});
    EXPECT_FALSE(Fun_UpgradeMachine(3, log, writeImage("fw.bin", firmware(3000))));
    EXPECT_TRUE(log.text().contains(QStringLiteral("\r\n->发送数据 -X-\r\n->校验失败XXX"))) << log.text().toStdString();
    EXPECT_EQ(machines->machine(3)->restarts, 0);
}

TEST_F(Transfer, FirmwareFilesThatAreEmptyOrForeignAreRefusedBeforeSending) {
    start({3});
    EXPECT_FALSE(Fun_UpgradeMachine(3, log, writeImage("empty.bin", QByteArray())));
    EXPECT_FALSE(Fun_UpgradeMachine(3, log, writeImage("late.bin", firmware(400, 301))));
    EXPECT_FALSE(Fun_UpgradeMachine(3, log, QString())); // dialog cancelled: nothing at all
    ASSERT_EQ(home.dialogs.shown.size(), 2);
    EXPECT_EQ(home.dialogs.shown[0].text, QStringLiteral("文件为空！"));
    EXPECT_EQ(home.dialogs.shown[1].text, QStringLiteral("文件非法！"));
    EXPECT_EQ(home.dialogs.fileRequests.size(), 1);
    EXPECT_EQ(home.dialogs.fileRequests[0].filter, QStringLiteral("文件 (*.bin)"));
    EXPECT_EQ(machines->machine(3)->received.value(0x80A0), 0);
}

} // namespace
