// The frame step drives open-protocol controllers beside the machines: the stand-in controllers,
// which decode with code of their own, show exactly the levels the machines would get.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "model/model_data.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using standin::OpenLayout;
using standin::OpenProtocol;

constexpr uint16_t kPortData = 0x8050;

class OpenOutputTest : public testing::Test {
protected:
    void SetUp() override { Fun_ClearAllModels(); }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
    }
    // Machines 1 and 2 of the family, 3 an E1.31, 4 an Art-Net and 5 a DDP controller.
    void start(const QStringList& settings) {
        std::map<int, OpenLayout> layouts;
        layouts[3] = {OpenProtocol::E131, 6, 750, 61, 510, 0, 1};
        layouts[4] = {OpenProtocol::ArtNet, 6, 750, 90, 512, 0, 3};
        layouts[5] = {OpenProtocol::Ddp, 6, 750, 0, 510, 0, 1};
        machines = home.startMachines({1, 2, 3, 4, 5}, {}, layouts);
        ASSERT_TRUE(machines);
        for (const QString& line : QStringList{"控制器类型03=e131", "控制器类型04=artnet", "控制器类型05=ddp",
                                               "控制器域通道04=512", "控制器颜色04=3"} +
                                       settings)
            Fun_WriteIni(g_IniPath, line.section('=', 0, 0), line.section('=', 1));
        capture.cycle = 1000; // a new picture on every tick
        window = kq::test::openMainWindow(capture);
        g_ModelLength[1] = 400;
        g_ModelWidth[1] = 300;
        g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 49, 0);
        // 200 pixels from address 1: past the first universe's 170.
        g_Materials[1][2] = makeMaterial(3, 1, 1, kShapeHorizontal, 0, 10, 199, 10);
        g_Materials[1][3] = makeMaterial(3, 2, 740, kShapeVertical, 300, 0, 300, 9); // to the port's last pixel
        g_Materials[1][4] = makeMaterial(4, 1, 1, kShapeHorizontal, 0, 20, 299, 20);
        g_Materials[1][5] = makeMaterial(5, 1, 1, kShapeHorizontal, 0, 30, 399, 30);
        g_Materials[1][6] = makeMaterial(5, 6, 700, kShapeVertical, 350, 40, 350, 89);
    }
    // Ticks, then lets the controllers take what was sent: until nothing more comes for 150 ms.
    void tick(int n) {
        for (int i = 0; i < n; ++i)
            window->Fun_Timer截屏时间();
        const auto taken = [&] {
            int sum = 0;
            for (int k : {3, 4, 5}) {
                const auto& c = machines->controller(k)->counts();
                sum += c.data + c.syncs + c.pushes + c.terminated + c.late + c.bad + c.ignored + c.strays;
            }
            return sum;
        };
        QElapsedTimer waited, quiet;
        waited.start();
        quiet.start();
        for (int last = taken(); waited.elapsed() < 3000 && quiet.elapsed() < 150;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (const int now = taken(); now != last) {
                last = now;
                quiet.restart();
            }
        }
    }
    // What machine k's port p shows at 0-based address a, as the machines' planes hold it.
    static QRgb levels(int k, int p, int a) {
        return qRgb(g_LivePlanes[k][p][a], g_LivePlanes[k][p][750 + a], g_LivePlanes[k][p][1500 + a]);
    }
    void expectShownAsPlanes(int k, std::initializer_list<int> ports) {
        const QImage& picture = machines->controller(k)->picture();
        for (int p : ports) {
            int wrong = 0;
            for (int a = 0; a < 750; ++a)
                if (QRgb(picture.pixel(a, p - 1) & 0xFFFFFF) != QRgb(levels(k, p, a) & 0xFFFFFF)) ++wrong;
            EXPECT_EQ(wrong, 0) << "controller " << k << " port " << p;
        }
    }

    kq::test::TempHome home;
    kq::test::PatternCapture capture;
    std::unique_ptr<standin::StandInMachines> machines;
    std::unique_ptr<MainWindow> window;
};

TEST_F(OpenOutputTest, EveryControllerShowsTheLevelsTheMachinesWouldGet) {
    start({});
    tick(3);
    // The machines of the family get their port data as before; the controllers none of it.
    EXPECT_GT(machines->machine(1)->received.value(kPortData), 0);
    for (int k : {3, 4, 5})
        EXPECT_EQ(machines->machine(k)->received.value(kPortData), 0) << k;
    // Not all black: the levels differ from pixel to pixel.
    EXPECT_NE(levels(3, 1, 5), levels(3, 1, 6));
    expectShownAsPlanes(3, {1, 2});
    expectShownAsPlanes(4, {1});
    expectShownAsPlanes(5, {1, 6});
    for (int k : {3, 4, 5}) {
        const auto& c = machines->controller(k)->counts();
        EXPECT_EQ(c.late + c.missing + c.bad + c.strays, 0)
            << k << ": " << machines->controller(k)->lastError().toStdString();
    }
    // A used port goes whole: 750 pixels are five universes of 510 channels (E1.31, ports 1 and 2) or
    // of 512 (Art-Net, port 1); three ticks.
    EXPECT_EQ(machines->controller(3)->counts().data, 3 * 10);
    EXPECT_EQ(machines->controller(4)->counts().data, 3 * 5);
    // DDP: each used port's 2,250 bytes in two packets, the tick's last one pushed.
    EXPECT_EQ(machines->controller(5)->counts().data, 3 * 4);
    EXPECT_EQ(machines->controller(5)->counts().pushes, 3);

    // Saving the table again changes no stream; a changed priority ends the streams, and the new ones
    // count from the start again, which the receivers take as new streams.
    Form_UDP().reloadControllers();
    tick(1);
    EXPECT_EQ(machines->controller(3)->counts().terminated, 0);
    Fun_WriteIni(g_IniPath, "sACN优先级", "120");
    Form_UDP().reloadControllers();
    tick(2);
    EXPECT_EQ(machines->controller(3)->counts().terminated, 3 * 10);
    for (int k : {3, 4, 5}) {
        const auto& c = machines->controller(k)->counts();
        EXPECT_EQ(c.late + c.missing + c.bad + c.strays, 0) << k;
    }
    // 断开 tells the E1.31 controller, three times for every universe it got, and once only.
    Fun_SendExitCommand();
    Fun_SendExitCommand();
    tick(0);
    EXPECT_EQ(machines->controller(3)->counts().terminated, 2 * 3 * 10);
}

TEST_F(OpenOutputTest, SynchronisedControllersShowATickOnlyWithItsSyncPacket) {
    start({"sACN同步域=7", "ArtNet同步=1", "DDP同步=1"});
    tick(2);
    expectShownAsPlanes(3, {1, 2});
    expectShownAsPlanes(4, {1});
    expectShownAsPlanes(5, {1, 6});
    EXPECT_EQ(machines->controller(3)->counts().syncs, 2);
    EXPECT_EQ(machines->controller(4)->counts().syncs, 2);
    EXPECT_EQ(machines->controller(5)->counts().pushes, 2); // the push packets after all the data
    for (int k : {3, 4, 5}) {
        const auto& c = machines->controller(k)->counts();
        EXPECT_EQ(c.late + c.missing + c.bad + c.strays, 0) << k;
    }
}

TEST_F(OpenOutputTest, MulticastIsRefusedWhileOnlyLoopbackMayBeReached) {
    start({"控制器组播03=1"});
    const auto said = std::find_if(home.dialogs.shown.begin(), home.dialogs.shown.end(), [](const auto& shown) {
        return shown.text.contains(QStringLiteral("机器3（组播）"));
    });
    EXPECT_NE(said, home.dialogs.shown.end());
    tick(2);
    EXPECT_EQ(machines->controller(3)->counts().data, 0);
    expectShownAsPlanes(4, {1}); // the others go on
}

// A capture of a live run, decoded by Wireshark's own E1.31 and Art-Net dissectors: every field they
// report is what the settings say.
TEST_F(OpenOutputTest, WiresharksDissectorsReadWhatTheSettingsSay) {
    start({"sACN优先级=150", "sACN同步域=7", "控制器端口像素03=200"});
    const QString e131 = Fun_ReadIni(g_IniPath, "机器地址03"), artNet = Fun_ReadIni(g_IniPath, "机器地址04");
    const QString pcap = home.path("live.pcapng");
    QProcess tshark;
    tshark.setProcessChannelMode(QProcess::MergedChannels);
    // Every datagram of the run, then it ends by itself: 3 ticks of 4 E1.31 universes and a sync packet,
    // 12 stream-terminated packets, 3 ticks of 5 ArtDmx.
    constexpr int kDatagrams = 3 * (4 + 1) + 12 + 3 * 5;
    tshark.start(QStringLiteral("tshark"), {"-i", "lo", "-q", "-c", QString::number(kDatagrams), "-w", pcap, "-f",
                                            QStringLiteral("udp and (dst host %1 or dst host %2)").arg(e131, artNet)});
    ASSERT_TRUE(tshark.waitForStarted(5000)) << "tshark (Debian package tshark) is needed";
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    while (!said.contains("Capturing on") && waited.elapsed() < 10000)
        if (tshark.waitForReadyRead(100)) said += tshark.readAll();
    ASSERT_TRUE(said.contains("Capturing on")) << said.toStdString();
    tick(3);
    Fun_SendExitCommand(); // and the stream-terminated packets
    tick(0);
    // (waitForFinished is false for a process that has finished already.)
    if (tshark.state() != QProcess::NotRunning && !tshark.waitForFinished(20000)) {
        tshark.terminate();
        tshark.waitForFinished(5000);
        FAIL() << "tshark did not see the run's " << kDatagrams << " datagrams";
    }

    QProcess decode;
    // Wireshark 4.0 finds E1.31 by its heuristic and names the synchronisation address "reserved", as
    // the 2009 revision had it.
    const QStringList fields{"acn.cid",
                             "acn.dmx.source_name",
                             "acn.dmx.priority",
                             "acn.dmx.seq_number",
                             "acn.dmx.options",
                             "acn.dmx.universe",
                             "acn.dmx.start_code2",
                             "acn.dmx.count",
                             "artnet.header.opcode",
                             "artnet.header.protver",
                             "artnet.output.sequence",
                             "artnet.output.universe",
                             "artnet.output.length",
                             "acn.dmx.reserved"};
    QStringList args{"-r",
                     pcap,
                     "--enable-heuristic",
                     "acn",
                     "-o",
                     "acn.dmx_enable:TRUE",
                     "-T",
                     "fields",
                     "-E",
                     "separator=|",
                     "-E",
                     "occurrence=f",
                     "-Y",
                     "acn.dmx.universe || artnet.output"};
    for (const QString& field : fields)
        args << "-e" << field;
    decode.start(QStringLiteral("tshark"), args);
    ASSERT_TRUE(decode.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(decode.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty()) << decode.readAllStandardError().toStdString();
    QString cid = Fun_ReadIni(g_IniPath, "sACN源标识");
    cid = cid.left(8) + '-' + cid.mid(8, 4) + '-' + cid.mid(12, 4) + '-' + cid.mid(16, 4) + '-' + cid.mid(20);
    std::map<int, QList<int>> e131Sequences, artNetSequences;
    int e131Data = 0, terminated = 0, artDmx = 0;
    for (const QString& line : lines) {
        const QStringList f = line.split('|');
        ASSERT_EQ(f.size(), 14) << line.toStdString();
        if (!f[5].isEmpty()) { // E1.31: 200 pixels a port are 600 channels, universes of 510 and 90
            EXPECT_EQ(f[0], cid) << line.toStdString();
            EXPECT_EQ(f[1], "KQ-510 V1.8");
            EXPECT_EQ(f[2], "150");
            const int universe = f[5].toInt();
            const int port = (universe - 61) / 2 + 1;
            EXPECT_TRUE(port == 1 || port == 2) << universe;
            EXPECT_EQ(f[6], "0");
            EXPECT_EQ(f[7], (universe - 61) % 2 == 0 ? "511" : "91") << universe;
            // Data names the sync universe; the end of a stream waits for no sync.
            const bool ended = f[4].toInt(nullptr, 0) & 0x40;
            EXPECT_EQ(f[13], ended ? "0" : "7");
            ++(ended ? terminated : e131Data);
            e131Sequences[universe] << f[3].toInt();
        } else {
            EXPECT_EQ(f[8], "0x5000") << line.toStdString();
            EXPECT_EQ(f[9], "14");
            const int portAddress = f[11].toInt();
            EXPECT_TRUE(portAddress >= 90 && portAddress <= 94) << portAddress;
            EXPECT_EQ(f[12], portAddress == 94 ? "202" : "512") << portAddress; // 2,250 = 4 x 512 + 202
            artNetSequences[portAddress] << f[10].toInt();
            ++artDmx;
        }
    }
    EXPECT_EQ(e131Data, 3 * 4);   // ports 1 and 2, two universes each, three ticks
    EXPECT_EQ(terminated, 3 * 4); // three for each universe
    EXPECT_EQ(artDmx, 3 * 5);
    // Each universe counts on by one from packet to packet: E1.31 0..255, Art-Net 1..255.
    for (const auto& [universe, seq] : e131Sequences)
        for (qsizetype i = 1; i < seq.size(); ++i)
            EXPECT_EQ(seq[i], (seq[i - 1] + 1) % 256) << universe;
    for (const auto& [portAddress, seq] : artNetSequences)
        for (qsizetype i = 1; i < seq.size(); ++i)
            EXPECT_EQ(seq[i], seq[i - 1] % 255 + 1) << portAddress;
}

} // namespace
