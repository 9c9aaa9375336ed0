// The operation states and the device utilities of the main window, on the offscreen platform with the
// stand-in machines.
#include "admin/device_utilities.h"
#include "admin/dmx_panel.h"
#include "admin/led_test_panel.h"
#include "admin/tool_windows.h"
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/transport.h"
#include "model/model_data.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/widgets.h"
#include "support/window_with_machines.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

using kq::test::child;
using kq::test::only;

using Utilities = kq::test::WindowWithMachines;

TEST(DeviceUtilities, Payloads) {
    std::array<int, 21> top{};
    top.fill(255);
    top[2] = 0x12;
    EXPECT_EQ(kq::admin::dmxPayload(top, 3), QByteArray::fromHex("FF12") + QByteArray(18, char(0xFF)) + char(3));
    EXPECT_EQ(kq::admin::ledTestPayload(0, 3, 2, false, false, 3), QByteArray::fromHex("FF03020003"));
    EXPECT_EQ(kq::admin::ledTestPayload(7, 0, 4, true, false, 1), QByteArray::fromHex("07FF040101"));
    EXPECT_EQ(kq::admin::ledTestPayload(7, 8, 0, false, true, 6), QByteArray::fromHex("0708000606"));
}

TEST_F(Utilities, StateCycleSendsTheStatesCommandOnlyWhileSelected) {
    window->Option连接状态_Click(OperationState::Dmx512);
    EXPECT_TRUE(child<QGroupBox>(*window, "Frame机器上运行").isVisible());
    EXPECT_FALSE(child<QGroupBox>(*window, "Frame素材录制").isVisible());
    window->Fun_连接状态时间循环();
    window->Option连接状态_Click(OperationState::LedTest);
    child<QRadioButton>(*window, "Option端口3").setChecked(true);
    child<QRadioButton>(*window, "Option颜色选择2").setChecked(true);
    child<QCheckBox>(*window, "Check灯带测试跑马_慢").setChecked(true);
    child<QCheckBox>(*window, "Check灯带测试跑马_快").setChecked(true);
    EXPECT_FALSE(child<QCheckBox>(*window, "Check灯带测试跑马_慢").isChecked());
    window->Fun_连接状态时间循环();
    window->Option连接状态_Click(OperationState::Disconnected);
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
    window->Option连接状态_Click(OperationState::Dmx512);
    child<QScrollBar>(*window, "VScrollDMX通道2").setValue(55);
    EXPECT_EQ(child<QLineEdit>(*window, "Text通道2").text(), "200");
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
    QScrollBar* bar = &child<QScrollBar>(*window, "VScrollDMX通道7");
    for (const auto& c : cases) {
        bar->setValue(255 - c.level);
        QWheelEvent wheel(QPointF(2, 2), QPointF(2, 2), QPoint(), c.angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &wheel);
        EXPECT_EQ(255 - bar->value(), c.expected) << c.level << " " << c.angle.x() << "," << c.angle.y();
        EXPECT_EQ(child<QLineEdit>(*window, "Text通道7").text(), QString::number(c.expected));
        EXPECT_EQ(child<QScrollBar>(*window, "VScrollDMX通道6").value(), 0); // the neighbours stay
    }
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
