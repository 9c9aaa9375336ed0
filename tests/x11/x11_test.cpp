// On a private Xvfb: the screen copy, and live output of a pattern on the screen reaching the stand-in
// machines through the position window in every display mode.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/shared_state.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "record/sampling.h"
#include "record/x11_capture.h"
#include "show/frame_store.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/screen_pattern.h"
#include "support/widgets.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using kq::test::only;
using kq::test::pixel;

// Pixel (x, y) of the screen under this window: red x % 256, green y % 256, blue 200.
class PatternWindow : public QWidget {
public:
    PatternWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint) {
        setGeometry(0, 0, 700, 500);
    }
    static QRgb at(int x, int y) { return kq::test::screenPattern(x, y); }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                image.setPixel(x, y, at(x, y));
        QPainter(this).drawImage(0, 0, image);
    }
};

void settle() {
    for (int i = 0; i < 10; ++i)
        Fun_Delay(20);
}

TEST(X11Capture, CopiesTheScreenWithSharedMemoryAndKeepsOffScreenPartsBackground) {
    PatternWindow pattern;
    pattern.show();
    settle();
    kq::record::X11Capture capture;
    ASSERT_TRUE(capture.available());
    EXPECT_TRUE(capture.usesSharedMemory());
    kq::record::CapturedPicture p;
    ASSERT_TRUE(capture.grab(QRect(10, 20, 50, 40), p));
    ASSERT_EQ(p.width, 50);
    ASSERT_EQ(p.height, 40);
    for (int y : {0, 17, 39})
        for (int x : {0, 23, 49})
            ASSERT_EQ(pixel(p, x, y), PatternWindow::at(10 + x, 20 + y)) << x << "," << y;

    // Partly above and left of the screen: what is off it stays light blue.
    ASSERT_TRUE(capture.grab(QRect(-5, -3, 20, 10), p));
    EXPECT_EQ(pixel(p, 4, 2), qRgb(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(pixel(p, 5, 3), PatternWindow::at(0, 0));
    EXPECT_EQ(pixel(p, 19, 9), PatternWindow::at(14, 6));
    ASSERT_TRUE(capture.grab(QRect(1275, 795, 10, 10), p)); // the screen is 1280 x 800
    EXPECT_EQ(pixel(p, 9, 9), qRgb(0xC0, 0xC0, 0xFF));
}

TEST(LiveOutputOnX11, TheStandInMachinesReceiveThePatternUnderThePositionWindow) {
    kq::test::TempHome home;
    auto machines = home.startMachines({1, 2, 3});
    ASSERT_TRUE(machines);
    PatternWindow pattern;
    pattern.show();
    MainWindow w;
    w.move(800, 0);
    w.show();
    for (int i = 0; i < 200 && !w.initialised(); ++i)
        Fun_Delay(10);
    settle();
    ASSERT_TRUE(w.initialised());
    kq::test::placePatternMaterials();
    const QPoint origin(30, 40);
    w.positionWindow()->moveArea(origin);

    for (int mode : {1, 2, 3}) {
        g_PosWinMode = uint8_t(mode);
        w.positionWindow()->Fun_改变位置窗显示方式();
        w.positionWindow()->show();
        settle();
        only<RecordingPanel>(w).Fun_截屏操作("0");
        only<RecordingPanel>(w).Fun_截屏操作("0"); // the other half of every port block
        Fun_Delay(50);
        for (const auto& [machine, port] : kq::test::kPatternPorts) {
            const QByteArray expected = kq::test::expectedPatternBlock(machine, port, origin);
            const QByteArray& got = machines->machine(machine)->portBlocks[size_t(port)];
            for (int i = 0; i < 2250; ++i)
                ASSERT_EQ(uint8_t(got[i]), uint8_t(expected[i]))
                    << "mode " << mode << ", machine " << machine << ", port " << port << ", position " << i;
        }
        EXPECT_EQ(machines->badFrames(), 0);
    }
    Fun_ClearAllModels();
}

} // namespace
