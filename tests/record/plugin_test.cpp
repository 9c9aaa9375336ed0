// The plug-in program feeding pictures to the live output, over loopback: its picture reaches the
// stand-in machines as the sampled levels, and every output frame asks it for the next one.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/plugin_protocol.h"
#include "link/socket_master.h"
#include "link/udp_host.h"
#include "model/model_data.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "show/frame_store.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/udp_sniffer.h"
#include "support/widgets.h"

#include <QLabel>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace {

using namespace kq::link;

// The main window fed by a plug-in, over stand-in machine 1, sampling a 10 x 1 model.
class PluginWindow : public testing::Test {
protected:
    void SetUp() override {
        machines = home.startMachines({1});
        ASSERT_TRUE(machines);
        Fun_WriteIni(g_IniPath, QStringLiteral("使用外挂程序"), QStringLiteral("1"));
        Fun_ClearAllModels();
        window = kq::test::openMainWindow(capture);
        g_ModelLength[1] = 10;
        g_ModelWidth[1] = 1;
        g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 9, 0);
    }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
    }

    kq::test::TempHome home;
    std::unique_ptr<standin::StandInMachines> machines;
    kq::test::PatternCapture capture;
    std::unique_ptr<MainWindow> window;
};

TEST_F(PluginWindow, TheirLevelsReachTheMachinesAndEachFrameAsksForTheNext) {
    ASSERT_EQ(g_UsePlugin, 1);

    // The plug-in program: a picture 10 x 1, pixel x of red 20 + 10x, green 100, blue 200.
    CSocketMaster& listener = *Form_UDP().UDP_get;
    const QHostAddress to(listener.LocalIP());
    kq::test::UdpSniffer asks(listener.LocalIP(), 4798);
    ASSERT_TRUE(asks.bound);
    QByteArray pixels;
    for (int x = 0; x < 10; ++x)
        pixels += QByteArray(1, char(200)) + char(100) + char(20 + 10 * x) + char(0);
    QUdpSocket plugin;
    const auto send = [&](const QByteArray& m) { plugin.writeDatagram(m, to, quint16(listener.LocalPort())); };
    send(encodePictureChunk(9999999, 8, QByteArray(8, 'x'))); // outside: dropped
    for (int i = 0; i < 20; ++i) {
        send(encodePictureChunk(0, 20, pixels.left(20)));
        send(encodePictureChunk(20, 20, pixels.mid(20)));
        send(encodePictureDone(40, 10, 1));
    }
    Fun_Delay(50);
    RecordingPanel& recording = kq::test::only<RecordingPanel>(*window);
    ASSERT_TRUE(recording.pluginPictures().hasPicture());
    EXPECT_EQ(recording.pluginPictures().dropped(), 1);
    EXPECT_GT(g_PluginCountdown, 0);

    recording.Fun_截屏操作("0");
    recording.Fun_截屏操作("0");
    Fun_Delay(30);
    const QByteArray& block = machines->machine(1)->portBlocks[1];
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(uint8_t(block[x]), Fun_QuantizeLevel(20 + 10 * x)) << x;
        EXPECT_EQ(uint8_t(block[750 + x]), 100) << x;
        EXPECT_EQ(uint8_t(block[1500 + x]), 200) << x;
    }
    const auto asked = asks.take();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].data(), QByteArray("KQ-510>>\x01\x80", 10));

    // When the pictures stop, the countdown runs out and the position window comes back.
    window->positionWindow()->hide();
    for (int i = 0; i < 50; ++i)
        window->pluginStep();
    EXPECT_EQ(g_PluginCountdown, 0);
    EXPECT_TRUE(window->positionWindow()->isVisible());
}

TEST_F(PluginWindow, AnIncompletePictureIsNotSentAndTheWindowCountsIt) {
    QLabel& counts = kq::test::child<QLabel>(*window, QStringLiteral("Label外挂画面"));
    EXPECT_TRUE(counts.isHidden()); // no plug-in yet

    // 20 whole pictures 10 x 1 (red 20 + 10x), then one whose second chunk is lost, then a chunk
    // outside the buffer.
    CSocketMaster& listener = *Form_UDP().UDP_get;
    const QHostAddress to(listener.LocalIP());
    QByteArray pixels;
    for (int x = 0; x < 10; ++x)
        pixels += QByteArray(1, char(200)) + char(100) + char(20 + 10 * x) + char(0);
    QUdpSocket plugin;
    const auto send = [&](const QByteArray& m) { plugin.writeDatagram(m, to, quint16(listener.LocalPort())); };
    for (int i = 0; i < 20; ++i) {
        send(encodePictureChunk(0, 20, pixels.left(20)));
        send(encodePictureChunk(20, 20, pixels.mid(20)));
        send(encodePictureDone(40, 10, 1));
    }
    send(encodePictureChunk(0, 20, QByteArray(20, char(250))));
    send(encodePictureDone(40, 10, 1));
    send(encodePictureChunk(9999999, 8, QByteArray(8, 'x')));
    const QString expected = QStringLiteral("外挂画面：已收到 20，已丢弃 1，无效消息 1");
    for (int i = 0; i < 300 && counts.text() != expected; ++i)
        Fun_Delay(10);
    EXPECT_EQ(counts.text(), expected);
    EXPECT_FALSE(counts.isHidden());
    RecordingPanel& recording = kq::test::only<RecordingPanel>(*window);
    EXPECT_EQ(recording.pluginPictures().droppedPictures(), 1);

    // The machines get the last whole picture, not the first half of the incomplete one.
    recording.Fun_截屏操作("0");
    recording.Fun_截屏操作("0");
    Fun_Delay(30);
    const QByteArray& block = machines->machine(1)->portBlocks[1];
    ASSERT_GE(block.size(), 10);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(uint8_t(block[x]), Fun_QuantizeLevel(20 + 10 * x)) << x;
}

} // namespace
