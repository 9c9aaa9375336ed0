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
#include "support/widgets.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using kq::test::only;

// Pixel (x, y) of the screen under this window: red x % 256, green y % 256, blue 200.
class PatternWindow : public QWidget {
public:
    PatternWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint) {
        setGeometry(0, 0, 700, 500);
    }
    static QRgb at(int x, int y) { return qRgb(x % 256, y % 256, 200); }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                image.setPixel(x, y, at(x, y));
        QPainter(this).drawImage(0, 0, image);
    }
};

QRgb pixel(const kq::record::CapturedPicture& p, int x, int y) {
    const uint8_t* b = p.data() + (qsizetype(y) * p.width + x) * 4;
    return qRgb(b[2], b[1], b[0]);
}

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

uint8_t q(int level) {
    return Fun_QuantizeLevel(level);
}

// What a machine's port block must hold: the pattern under each material's pixels, quantised.
QByteArray expectedBlock(int machine, int port, const QPoint& origin) {
    QByteArray block(2250, '\0');
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = g_Materials[g_CurModel][i];
        if (t.Machine != machine || t.Port != port) continue;
        const auto pixels = kq::record::materialPixels(t);
        const int n = int(pixels.size()) - 1;
        for (int p = 0; p <= n; ++p) {
            const int e = t.Reverse && t.Shape != kShapePoints ? n - p : p;
            const int a = t.StartAddr + e - 1;
            if (a >= 750) continue;
            const QRgb c = PatternWindow::at(origin.x() + pixels[size_t(p)].x(), origin.y() + pixels[size_t(p)].y());
            block[a] = char(q(qRed(c)));
            block[750 + a] = char(q(qGreen(c)));
            block[1500 + a] = char(q(qBlue(c)));
        }
    }
    return block;
}

TEST(LiveOutputOnX11, TheStandInMachinesReceiveThePatternUnderThePositionWindow) {
    kq::test::TempHome home;
    auto machines = home.startMachines({1, 2, 3});
    ASSERT_TRUE(machines);
    Fun_ClearAllModels();
    PatternWindow pattern;
    pattern.show();
    MainWindow w;
    w.move(800, 0);
    w.show();
    for (int i = 0; i < 200 && !w.initialised(); ++i)
        Fun_Delay(10);
    settle();
    ASSERT_TRUE(w.initialised());

    g_CurModel = 1;
    g_ModelLength[1] = 200;
    g_ModelWidth[1] = 150;
    auto& m = g_Materials[1];
    m[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 150, 10, 10, 10);      // 141 pixels from the left
    m[2] = makeMaterial(1, 1, 142, kShapeHorizontal, 10, 20, 150, 20, 1); // reversed
    m[3] = makeMaterial(1, 2, 1, kShapeVertical, 199, 149, 199, 0);       // the last column
    m[4] = makeMaterial(2, 1, 1, kShapeDiagonal, 0, 0, 120, 90);          // 151 pixels
    m[5] = makeMaterial(2, 1, 200, kShapePoints, 5, 149, 0, 0, 1, 8);     // the last row
    m[6] = makeMaterial(3, 3, 745, kShapeHorizontal, 0, 100, 199, 100);   // clamped past 750
    m[7] = makeMaterial(3, 4, 10, kShapeHorizontal, 0, 40, 9, 40);
    m[8] = makeMaterial(3, 4, 15, kShapeHorizontal, 100, 60, 109, 60); // overlaps 7: 8 wins on 15..19
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
        for (const auto& [machine, port] : {std::pair{1, 1}, {1, 2}, {2, 1}, {3, 3}, {3, 4}}) {
            const QByteArray expected = expectedBlock(machine, port, origin);
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
