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

    // 断开 tells the E1.31 controller, three times for every universe it got, and once only.
    Fun_SendExitCommand();
    Fun_SendExitCommand();
    tick(0);
    EXPECT_EQ(machines->controller(3)->counts().terminated, 3 * 10);
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

} // namespace
