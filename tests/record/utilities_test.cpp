// The operation states, device utilities, review of recorded frames and the file and download buttons,
// on the offscreen platform with the stand-in machines.
#include "admin/device_utilities.h"
#include "admin/tool_windows.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/transport.h"
#include "record/main_window.h"
#include "show/frame_store.h"
#include "show/playback_file.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/pattern_capture.h"
#include "support/show_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using namespace kq::show;


class Utilities : public testing::Test {
protected:
    void SetUp() override {
        Fun_ClearAllModels();
        machines = home.startMachines({1, 2});
        ASSERT_TRUE(machines);
        window = std::make_unique<MainWindow>(&capture);
        window->show();
        for (int i = 0; i < 200 && !window->initialised(); ++i) Fun_Delay(10);
    }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
    }
    // The last payload of a code that machine 1 received, from its log.
    int received(int machine, uint16_t code) { return machines->machine(machine)->received.value(code); }

    kq::test::TempHome home;
    kq::test::PatternCapture capture;
    std::unique_ptr<standin::StandInMachines> machines;
    std::unique_ptr<MainWindow> window;
};

TEST(DeviceUtilities, Payloads) {
    std::array<int, 21> top{};
    top.fill(255);
    EXPECT_EQ(kq::link::parseHexBytes(kq::admin::dmxPayload(top, 3)), QByteArray(20, char(0xFF)) + char(3));
    EXPECT_EQ(kq::admin::ledTestPayload(0, 3, 2, false, false, 3), "FF03020003");
    EXPECT_EQ(kq::admin::ledTestPayload(7, 0, 4, true, false, 1), "07FF040101");
    EXPECT_EQ(kq::admin::ledTestPayload(7, 8, 0, false, true, 6), "0708000606");
}

TEST_F(Utilities, StateCycleSendsTheStatesCommandOnlyWhileSelected) {
    window->Option连接状态_Click(3);
    EXPECT_TRUE(window->Frame机器上运行->isVisible());
    EXPECT_FALSE(window->Frame素材录制->isVisible());
    window->Fun_连接状态时间循环();
    window->Option连接状态_Click(4);
    window->Option端口[3]->setChecked(true);
    window->Option颜色选择[2]->setChecked(true);
    window->Check灯带测试跑马_慢->setChecked(true);
    window->Check灯带测试跑马_快->setChecked(true);
    EXPECT_FALSE(window->Check灯带测试跑马_慢->isChecked());
    window->Fun_连接状态时间循环();
    window->Option连接状态_Click(0);
    window->Fun_连接状态时间循环();
    g_ModellingOpen = 1;
    window->Fun_连接状态时间循环(); // no "805E" while the modelling window is open
    g_ModellingOpen = 0;
    Fun_Delay(30);
    EXPECT_EQ(received(1, 0x805F), 1);
    EXPECT_EQ(received(1, 0x805D), 1);
    EXPECT_EQ(received(1, 0x805E), 1);
    const QString log = machines->log().join('\n');
    EXPECT_TRUE(log.contains("805D received (5 payload bytes: FF 03 02 06 03)")) << log.toStdString();
    EXPECT_TRUE(log.contains("805F received (21 payload bytes: FF FF FF")) << log.toStdString();
}

TEST_F(Utilities, DmxBarsAndTheWheel) {
    window->Option连接状态_Click(3);
    window->VScrollDMX通道[2]->setValue(55);
    EXPECT_EQ(window->Text通道[2]->text(), "200");
    Fun_Delay(20);
    EXPECT_TRUE(machines->log().join('\n').contains("805F received (21 payload bytes: FF C8 FF"));

    // The wheel over channel 7: forward raises the level by one, backward lowers it, a sideways turn
    // changes nothing, and the level stays within 0..255.
    const struct {
        int level;
        QPoint angle;
        int expected;
    } cases[] = {{100, {0, 120}, 101}, {100, {0, -120}, 99}, {100, {120, 0}, 100}, {100, {-120, 0}, 100},
                 {255, {0, 120}, 255}, {0, {0, -120}, 0},    {1, {0, -120}, 0}};
    QScrollBar* bar = window->VScrollDMX通道[7];
    for (const auto& c : cases) {
        bar->setValue(255 - c.level);
        QWheelEvent wheel(QPointF(2, 2), QPointF(2, 2), QPoint(), c.angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &wheel);
        EXPECT_EQ(255 - bar->value(), c.expected) << c.level << " " << c.angle.x() << "," << c.angle.y();
        EXPECT_EQ(window->Text通道[7]->text(), QString::number(c.expected));
        EXPECT_EQ(window->VScrollDMX通道[6]->value(), 0); // the neighbours stay
    }
}

TEST_F(Utilities, VersionQueryWritesOneLinePerMachine) {
    window->Command获取版本号_Click();
    const QStringList lines = window->Text下载SD卡文件信息->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("获取版本号->"));
    EXPECT_EQ(lines[1], machines->machine(1)->version);
    EXPECT_EQ(lines[2], machines->machine(2)->version);
    EXPECT_EQ(lines[3], QStringLiteral("获取失败"));
    window->Command重启_Click();
    Fun_Delay(20);
    EXPECT_EQ(received(1, 0x80A4), 1);
}

TEST_F(Utilities, ReviewPlaysTheFramesOnTheMachinesAndDeletesOne) {
    const auto images = {kq::test::patternedImage(1), kq::test::patternedImage(2), kq::test::patternedImage(3)};
    kq::test::writeFrameFile(g_AppFolder, 1, 4, RecordingMode::Rgb, images);
    window->Option连接状态_Click(2);
    window->Combo素材编辑->setCurrentIndex(3);
    emit window->Combo素材编辑->activated(3);
    window->HScroll帧数->setMaximum(3);
    window->HScroll帧数->setValue(2);
    window->Fun_连接状态时间循环();
    window->Fun_连接状态时间循环(); // the other halves
    Fun_Delay(30);
    EXPECT_EQ(window->Label总帧数->text(), QStringLiteral("共3帧"));
    FrameImage two = kq::test::patternedImage(2);
    packFrame(two); // quantises it as stored
    const QByteArray& block = machines->machine(1)->portBlocks[2];
    for (int i = 0; i < 2250; ++i) ASSERT_EQ(uint8_t(block[i]), two[size_t(20 + Fun_PortOffset(2) + i)]) << i;

    window->Command播放->click();
    EXPECT_EQ(window->Command播放->text(), QStringLiteral("暂停"));
    EXPECT_FALSE(window->Command删除帧->isEnabled());
    window->HScroll帧数->setValue(3);
    window->Fun_连接状态时间循环();
    EXPECT_EQ(window->HScroll帧数->value(), 1); // play wraps from N to 1
    window->Command播放->click();
    EXPECT_EQ(window->Command播放->text(), QStringLiteral("播放"));

    window->HScroll帧数->setValue(2);
    window->Command删除帧->click();
    window->Fun_连接状态时间循环();
    EXPECT_FALSE(window->deleteRequested());
    EXPECT_EQ(Fun_ReadFrameCount(frameFilePath(g_AppFolder, 1, 4)), 2);
}

TEST_F(Utilities, FileAndDownloadButtons) {
    kq::test::writeFrameFile(g_AppFolder, 1, 2, RecordingMode::Rgb, {kq::test::patternedImage(1)});
    window->Option连接状态_Click(6);
    window->Command生成SD卡文件->click();
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("已经生成文件 !"));
    EXPECT_EQ(window->Command生成SD卡文件->text(), QStringLiteral("生成播放文件"));
    EXPECT_TRUE(QFile::exists(playbackFilePath(g_AppFolder, 1)));

    window->Option连接状态_Click(5);
    window->CommandSD卡文件->click();
    EXPECT_TRUE(window->Text下载SD卡文件信息->toPlainText().endsWith(QStringLiteral("->下载成功！！！\n")))
        << window->Text下载SD卡文件信息->toPlainText().toStdString();
    EXPECT_EQ(machines->machine(1)->sdCard, kq::readWholeFile(playbackFilePath(g_AppFolder, 1)).value());
    EXPECT_FALSE(g_PauseTasks);
}

TEST_F(Utilities, ToolWindows) {
    FactoryTestWindow factory;
    EXPECT_EQ(factory.windowTitle(), QStringLiteral("KQ-510 工厂测试 V1.1"));
    EXPECT_EQ(factory.Timer时间循环->interval(), 500);
    R770SwitchWindow r770;
    EXPECT_EQ(r770.Label显示->text(), QStringLiteral("不检测R-770"));
    r770.Command开启->click();
    Fun_Delay(20);
    EXPECT_TRUE(machines->log().join('\n').contains("80F4 received (1 payload bytes: 01)"));
    QCoreApplication::setApplicationName(QStringLiteral("KQ-510"));
}

} // namespace
