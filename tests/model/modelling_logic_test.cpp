// The modelling test block, the wiring check and the canvas's zoom and picking.
#include "model/model_canvas.h"
#include "model/modelling_test.h"
#include "model/modelling_window.h"
#include "model/wiring_check.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace kq::model;

std::vector<int> lit(const TestBlock& b, int from, int to) {
    std::vector<int> out;
    for (int i = from; i < to; ++i)
        if (b[size_t(i)]) out.push_back(i - from);
    return out;
}

TEST(ModellingTest, RedRunWithBlueDotsEverySeventhPosition) {
    TestBlock block;
    // X 10..19 at address 1: indices 0..9 red; phase 0 turns index 8 blue.
    buildTestBlock(makeMaterial(1, 2, 1, kShapeHorizontal, 10, 3, 19, 3), 0, block);
    EXPECT_EQ(lit(block, 0, 750), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(lit(block, 1500, 2250), (std::vector<int>{8}));
    EXPECT_EQ(lit(block, 750, 1500), (std::vector<int>{}));
    // Phase 6: the first blue position is index 2, then every seventh.
    buildTestBlock(makeMaterial(1, 2, 1, kShapeHorizontal, 0, 0, 19, 0), 6, block);
    EXPECT_EQ(lit(block, 1500, 2250), (std::vector<int>{2, 9, 16}));
    // A run from address 740 of 20 pixels lights 739..749: never index 750, the first green pixel.
    buildTestBlock(makeMaterial(1, 2, 740, kShapeHorizontal, 0, 0, 19, 0), 0, block);
    std::vector<int> expected;
    for (int i = 739; i <= 749; ++i)
        expected.push_back(i);
    std::vector<int> all = lit(block, 0, 750), blue = lit(block, 1500, 2250);
    all.insert(all.end(), blue.begin(), blue.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, expected);
    EXPECT_EQ(block[750], 0);
    // A point group of 0 points, or a material not in use, lights nothing.
    buildTestBlock(makeMaterial(1, 2, 5, kShapePoints, 0, 0, 0, 0, 0, 0), 0, block);
    EXPECT_EQ(lit(block, 0, 3001), (std::vector<int>{}));
    buildTestBlock(makeMaterial(0, 2, 5, kShapeHorizontal, 0, 0, 9, 0), 0, block);
    EXPECT_EQ(lit(block, 0, 3001), (std::vector<int>{}));
    // A diagonal of length 5 (3-4-5) has 6 pixels.
    buildTestBlock(makeMaterial(1, 2, 1, kShapeDiagonal, 0, 0, 3, 4), 1, block);
    EXPECT_EQ(lit(block, 0, 750).size() + lit(block, 1500, 2250).size(), 6u);
    EXPECT_EQ(Fun_DiagonalLength(0, 0, 3, 4), 5);
    EXPECT_EQ(Fun_DiagonalLength(0, 0, 1, 1), 1); // 1.414
    EXPECT_EQ(Fun_DiagonalLength(0, 0, 5, 5), 7); // 7.07
}

TEST(ModellingTest, MarkerStepsByShapeAngleAndDirection) {
    const struct {
        int phase, shape, angle, direction, expected;
    } cases[] = {
        {0, kShapeHorizontal, 0, 1, 6}, {6, kShapeHorizontal, 0, 2, 0}, {3, kShapeVertical, 0, 1, 2},
        {3, kShapeVertical, 0, 2, 4},   {3, kShapeDiagonal, 90, 1, 4},  {3, kShapeDiagonal, 90, 2, 2},
        {3, kShapeDiagonal, 180, 1, 2}, {3, kShapeDiagonal, 270, 2, 4}, {6, kShapeDiagonal, 179, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stepMarker(c.phase, c.shape, c.angle, c.direction), c.expected)
            << c.phase << " " << c.shape << " " << c.angle << " " << c.direction;
}

TEST(WiringCheck, OverlapsAndRunsPastTheLastAddress) {
    std::vector<T_Material> m(kMaterialCount + 1);
    m[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 99, 0);     // 1..100
    m[2] = makeMaterial(1, 1, 101, kShapeHorizontal, 0, 1, 99, 1);   // 101..200: follows, no overlap
    m[3] = makeMaterial(1, 2, 50, kShapeHorizontal, 0, 2, 9, 2);     // another port
    m[4] = makeMaterial(2, 1, 150, kShapeVertical, 5, 0, 5, 9);      // another machine
    m[5] = makeMaterial(1, 1, 190, kShapePoints, 0, 0, 0, 0, 0, 20); // 190..209 overlaps 2
    m[6] = makeMaterial(1, 3, 700, kShapeHorizontal, 0, 5, 59, 5);   // 700..759 passes 750
    m[7] = makeMaterial(1, 1, 0, kShapeHorizontal, 0, 0, 99, 0);     // not in use
    const std::vector<WiringFinding> f = checkWiring(m);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].kind, WiringFinding::Kind::Overlap);
    EXPECT_EQ(f[0].material, 5);
    EXPECT_EQ(f[0].other, 2);
    EXPECT_EQ(f[0].text, QStringLiteral("[5] 与 [2] 地址重叠（机器1 端口1）"));
    EXPECT_EQ(f[1].kind, WiringFinding::Kind::PastLastAddress);
    EXPECT_EQ(f[1].material, 6);
    EXPECT_EQ(f[1].text, QStringLiteral("[6] 地址700-759超过750，超出部分不会发送"));
    // Two materials on the same addresses, the later one inside a long earlier one.
    m[8] = makeMaterial(1, 1, 20, kShapeHorizontal, 0, 7, 4, 7);
    EXPECT_EQ(checkWiring(m).size(), 3u);
}

TEST(WiringCheck, PortsTooLongForTheFramePeriodAndTheNetworksLoad) {
    std::vector<T_Material> m(kMaterialCount + 1);
    m[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 749, 0);  // 750 pixels: 22.8 ms
    m[2] = makeMaterial(1, 2, 600, kShapeHorizontal, 0, 1, 99, 1); // up to address 699: 21.3 ms
    m[3] = makeMaterial(2, 1, 1, kShapeHorizontal, 0, 2, 99, 2);   // 100 pixels: 3.3 ms
    EXPECT_DOUBLE_EQ(ws281xRefreshMs(750), 22.8);
    const kq::link::ControllerTable machines;
    const struct {
        int periodMs;
        std::vector<int> slow; // the materials named as too slow
    } cases[] = {{36, {}}, {23, {}}, {22, {1}}, {20, {1, 2}}};
    for (const auto& c : cases) {
        std::vector<int> slow;
        for (const WiringFinding& f : checkTiming(m, c.periodMs, machines))
            if (f.kind == WiringFinding::Kind::SlowPort) slow.push_back(f.material);
        EXPECT_EQ(slow, c.slow) << c.periodMs;
    }
    EXPECT_EQ(checkTiming(m, 20, machines).front().text,
              QStringLiteral("机器1 端口1：750个像素刷新一次要22.8毫秒，超过帧时间20毫秒，不能每帧刷新"));
    // An open controller sends its pixels per port only: a run past them is named, and its string is as
    // long as the controller's.
    kq::link::ControllerTable short170;
    short170.machine[1] = kq::link::defaultOpenSetting(kq::link::ControllerKind::E131, 1);
    short170.machine[1].pixelsPerPort = 170;
    const std::vector<WiringFinding> past = checkTiming(m, 20, short170);
    ASSERT_GE(past.size(), 2u);
    EXPECT_EQ(past[0].kind, WiringFinding::Kind::PastLastAddress);
    EXPECT_EQ(past[0].text, QStringLiteral("[1] 地址1-750超过控制器每端口的170个像素，超出部分不会发送"));
    EXPECT_EQ(past[1].material, 2); // port 2 from 600 lies wholly past the 170
    EXPECT_EQ(std::count_if(past.begin(), past.end(),
                            [](const WiringFinding& f) { return f.kind == WiringFinding::Kind::SlowPort; }),
              0);

    // Ten numbers, six full ports each: as the machines, as E1.31 controllers and as DDP controllers.
    std::vector<T_Material> full(kMaterialCount + 1);
    for (int k = 1, i = 1; k <= 10; ++k)
        for (int p = 1; p <= 6; ++p, ++i)
            full[size_t(i)] = makeMaterial(k, p, 1, kShapeHorizontal, 0, i, 749, i);
    kq::link::ControllerTable e131, ddp;
    for (int k = 1; k <= 10; ++k) {
        e131.machine[size_t(k)] = kq::link::defaultOpenSetting(kq::link::ControllerKind::E131, k);
        ddp.machine[size_t(k)] = kq::link::defaultOpenSetting(kq::link::ControllerKind::Ddp, k);
    }
    // Per port: E1.31 four packets of 126 + 510 bytes and one of 126 + 210; DDP one of 10 + 1,440 and
    // one of 10 + 810; a machine's half block 1,150 bytes, and one "8055" of 18 a tick. 46 bytes of
    // Ethernet, IP and UDP go with every datagram.
    const auto mbit = [](double datagrams, double bytes, int periodMs) {
        return (bytes + datagrams * 46) * 8 * 1000 / periodMs / 1e6;
    };
    const struct {
        const kq::link::ControllerTable* table;
        double datagramsPerTick, bytesPerTick;
    } loads[] = {{&machines, 61, 60 * 1150 + 18}, {&e131, 300, 60 * (4 * 636 + 336)}, {&ddp, 120, 60 * (1450 + 820)}};
    for (const auto& l : loads) {
        const std::vector<NetworkLoad> load = networkLoad(full, 36, *l.table);
        ASSERT_EQ(load.size(), 1u);
        EXPECT_NEAR(load[0].datagramsPerSecond, l.datagramsPerTick * 1000 / 36, 1e-6);
        EXPECT_NEAR(load[0].mbitPerSecond, mbit(l.datagramsPerTick, l.bytesPerTick, 36), 1e-6);
    }
    // A synchronised E1.31 show adds a sync packet to each controller a tick.
    kq::link::ControllerTable synced = e131;
    synced.syncUniverse = 7;
    EXPECT_NEAR(networkLoad(full, 36, synced)[0].datagramsPerSecond, 310 * 1000.0 / 36, 1e-6);
    // 41.5 Mbit/s at 36 ms is fine; at 15 ms the 99.5 Mbit/s pass 80 % of a 100 Mbit/s link.
    const auto full36 = checkTiming(full, 36, e131), full15 = checkTiming(full, 15, e131);
    EXPECT_EQ(full36.back().text, QStringLiteral("网络：E1.31 每秒8333个包，41.5 Mbit/s"));
    EXPECT_EQ(full15.back().kind, WiringFinding::Kind::NetworkFull);
    EXPECT_EQ(full15.back().text, QStringLiteral("网络：合计99.5 Mbit/s，超过100 Mbit/s网络的八成"));
}

TEST(ModelCanvas, ZoomKeepsThePointUnderTheMouse) {
    CanvasView v;
    v.ox = 100;
    v.zoomIn(150, 0);
    EXPECT_EQ(v.scale, 2);
    EXPECT_EQ(v.ox, 50);
    EXPECT_EQ(v.toCanvas(50, 0).x(), 150);
    v.zoomOut(150, 0);
    EXPECT_EQ(v.scale, 1);
    EXPECT_EQ(v.ox, 100);
    // Below 1:1 in steps of 1/n, down to 1/16, the point under the mouse staying put.
    v.zoomOut(150, 0);
    EXPECT_EQ(v.scale, 0.5);
    EXPECT_EQ(v.ox, 125);
    EXPECT_EQ(v.toCanvas(50, 0).x(), 150);
    for (int i = 0; i < 20; ++i)
        v.zoomOut(150, 0);
    EXPECT_EQ(v.scale, 1.0 / 16);
    EXPECT_NEAR(v.toCanvas(50, 0).x(), 150, 2);
    v.zoomIn(150, 0);
    EXPECT_EQ(v.scale, 1.0 / 15);
    v.centre(QSize(561, 400), 101, 50);
    // round(round(280.5) - 50.5) = round(280 - 50.5) = 230 (halves to even)
    EXPECT_EQ(v.ox, 230);
    EXPECT_EQ(v.oy, 175);
}

TEST(ModelCanvas, FitShowsTheWholeModelWithItsFrameCentred) {
    const struct {
        QSize canvas;
        int length, width;
        double scale;
        int ox, oy;
    } cases[] = {
        {{800, 600}, 1000, 800, 1.0 / 2, 150, 100},     // the demo's full installation
        {{1920, 1080}, 1000, 800, 1, 460, 140},         // 802 x 802 fits 1:1 with its margins
        {{800, 600}, 100, 100, 5, 150, 50},             // a small model is enlarged: 102 x 5 = 510 <= 584
        {{380, 298}, 1000, 800, 1.0 / 3, 23, 16},       // the old canvas
        {{800, 600}, 8192, 8192, 1.0 / 15, 127, 27},    // the largest model
        {{200, 150}, 8192, 8192, 1.0 / 16, -156, -181}, // no smaller step: 1:16, centred anyway
        {{800, 600}, 0, 0, 16, 400, 300},               // an empty model: the largest step in
    };
    for (const auto& c : cases) {
        CanvasView v;
        v.fit(c.canvas, c.length, c.width);
        EXPECT_DOUBLE_EQ(v.scale, c.scale) << c.canvas.width() << " " << c.length;
        EXPECT_EQ(v.ox, c.ox) << c.canvas.width() << " " << c.length;
        EXPECT_EQ(v.oy, c.oy) << c.canvas.width() << " " << c.length;
        // The frame lies inside the canvas whenever a step lets it.
        if (c.scale > 1.0 / 16) {
            EXPECT_TRUE(QRect(QPoint(0, 0), c.canvas).contains(v.toCanvas(-1, -1)));
            EXPECT_TRUE(QRect(QPoint(0, 0), c.canvas).contains(v.toCanvas(c.length + 1, c.width + 1)));
        }
    }
}

TEST(ModellingWindow, OpensWhereItWasOrOnMostOfTheScreen) {
    const QRect screen(0, 0, 1280, 760); // the free area of a 1,280 x 800 screen with a panel
    const struct {
        QRect saved;
        QRect opened;
    } cases[] = {
        {{}, {64, 38, 1152, 684}},                     // never opened: 90 %, centred
        {{100, 50, 900, 600}, {100, 50, 900, 600}},    // where it was
        {{1000, 600, 900, 600}, {380, 160, 900, 600}}, // partly off: moved inside
        {{-50, -20, 2000, 1200}, {0, 0, 1280, 760}},   // larger than the screen: cut to it
        {{1250, 700, 900, 600}, {64, 38, 1152, 684}},  // hardly any of it on this screen
        {{5000, 5000, 900, 600}, {64, 38, 1152, 684}}, // on a screen no longer there
    };
    for (const auto& c : cases)
        EXPECT_EQ(kq::model::editorGeometry(screen, c.saved), c.opened) << c.saved.x() << "," << c.saved.y();
}

TEST(ModelCanvas, DrawsFrameMaterialsAndTheCurrentOneAndPicksByClick) {
    std::vector<T_Material> m(kMaterialCount + 1);
    m[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 2, 3, 8, 3);
    m[2] = makeMaterial(1, 1, 9, kShapePoints, 5, 6, 5, 6, 0, 3); // a dot
    CanvasView v;
    v.ox = 10;
    v.oy = 10;
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    paintModel(p, v, m, 2, 20, 15);
    p.end();
    EXPECT_EQ(image.pixel(9, 9), qRgb(128, 128, 128));   // frame corner at model (-1, -1)
    EXPECT_EQ(image.pixel(31, 26), qRgb(128, 128, 128)); // and at (21, 16)
    EXPECT_EQ(image.pixel(15, 13), qRgb(0, 255, 0));     // material 1
    for (const QPoint at : {QPoint(15, 16), QPoint(16, 16), QPoint(15, 17), QPoint(16, 17)})
        EXPECT_EQ(image.pixel(at), qRgb(255, 0, 0)) << at.x() << "," << at.y(); // the current dot, 2 x 2
    EXPECT_EQ(materialAt(v, m, QPoint(12, 12), 4), 1);
    EXPECT_EQ(materialAt(v, m, QPoint(16, 17), 4), 2);
    EXPECT_EQ(materialAt(v, m, QPoint(35, 35), 4), 0);

    // The current line is three pixels wide, zoomed out as in: it stands out from the one-pixel others.
    for (const double scale : {1.0, 1.0 / 4, 3.0}) {
        CanvasView z{scale, 10, 10};
        image.fill(Qt::black);
        QPainter q(&image);
        paintModel(q, z, m, 1, 20, 15);
        q.end();
        const QPoint mid = z.toCanvas(5, 3);
        for (const int dy : {-1, 0, 1})
            EXPECT_EQ(image.pixel(mid + QPoint(0, dy)), qRgb(255, 0, 0)) << scale << " " << dy;
        // A pick is in screen pixels at every zoom.
        EXPECT_EQ(materialAt(z, m, mid + QPoint(0, -4), 4), 1) << scale;
        EXPECT_EQ(materialAt(z, m, mid + QPoint(0, -6), 4), 0) << scale;
    }
}

} // namespace
