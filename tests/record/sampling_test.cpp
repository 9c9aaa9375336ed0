#include "record/sampling.h"
#include "show/frame_store.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace kq::record;
using kq::model::materialPixels;

// A picture of w x h pixels whose pixel (x, y) is blue x, green y, red x + y (all below 256 here).
struct Picture {
    Picture(int w, int h) : width(w), bytes(w * h * 4, '\0') {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                set(x, y, uint8_t(x + y), uint8_t(y), uint8_t(x));
    }
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        char* p = bytes.data() + (y * width + x) * 4;
        p[0] = char(b), p[1] = char(g), p[2] = char(r);
    }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(bytes.constData()); }
    int width;
    QByteArray bytes;
};

struct Sampled {
    std::unique_ptr<T_Material[]> materials{new T_Material[kMaterialCount + 1]};
    std::unique_ptr<SampleTables> tables = std::make_unique<SampleTables>();
    SamplePlan plan;
    void run(const Picture& pic, int fade = 255, int skip = 0, QSize area = {}) {
        const int rows = int(pic.bytes.size() / 4 / pic.width);
        plan =
            buildSamplePlan(reinterpret_cast<const T_Material(&)[kMaterialCount + 1]>(*materials.get()), pic.width * 4,
                            pic.bytes.size(), QSize(pic.width, rows), area.isEmpty() ? QSize(pic.width, rows) : area);
        samplePicture(pic.data(), plan, fade, *tables, skip);
    }
    int red(int m, int port, int address) const { return tables->red[m][port][address - 1]; }
    int green(int m, int port, int address) const { return tables->green[m][port][address - 1]; }
    int blue(int m, int port, int address) const { return tables->blue[m][port][address - 1]; }
};

TEST(Sampling, HorizontalRunsFromTheLeftAndReverseInvertsIt) {
    Picture pic(100, 100);
    Sampled s;
    s.materials[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 10, 5, 3, 5);
    s.materials[2] = makeMaterial(1, 2, 1, kShapeHorizontal, 10, 5, 3, 5, 1);
    s.run(pic);
    EXPECT_EQ(s.blue(1, 1, 1), 3);
    EXPECT_EQ(s.blue(1, 1, 8), 10);
    EXPECT_EQ(s.red(1, 1, 8), 15);
    EXPECT_EQ(s.blue(1, 2, 1), 10);
    EXPECT_EQ(s.blue(1, 2, 8), 3);
    EXPECT_EQ(s.blue(1, 1, 9), 0); // nothing past the material
}

TEST(Sampling, PointsOfTheAreaPastAPictureCutAtTheScreensEdgeAreBackground) {
    // An area of 6 x 3 whose picture ends after 4 columns and 2 rows (the screen's far edges).
    Picture pic(4, 2);
    Sampled s;
    s.materials[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 1, 5, 1);   // x 0..5 on row 1
    s.materials[2] = makeMaterial(1, 2, 1, kShapePoints, 1, 2, 1, 2, 0, 1); // (1, 2): below the picture
    s.materials[3] = makeMaterial(1, 3, 1, kShapeHorizontal, 0, 1, 7, 1);   // x 6, 7: past the area too
    s.run(pic, 255, 0, QSize(6, 3));
    for (int a = 1; a <= 6; ++a) {
        const bool shown = a <= 4;
        EXPECT_EQ(s.blue(1, 1, a), shown ? a - 1 : 0xFF) << a;
        EXPECT_EQ(s.green(1, 1, a), shown ? 1 : 0xC0) << a;
        EXPECT_EQ(s.red(1, 1, a), shown ? a : 0xC0) << a;
    }
    EXPECT_EQ(s.blue(1, 2, 1), 0xFF);
    EXPECT_EQ(s.red(1, 2, 1), 0xC0);
    // Past the area itself nothing changed: the offset is clamped into the picture as before.
    EXPECT_EQ(s.blue(1, 3, 7), 3);
    EXPECT_EQ(s.blue(1, 3, 8), 3);
}

TEST(Sampling, VerticalDiagonalAndPointGroups) {
    Picture pic(100, 100);
    pic.set(0, 0, 200, 100, 50);
    Sampled s;
    s.materials[1] = makeMaterial(2, 3, 10, kShapeVertical, 7, 20, 7, 17);    // 4 pixels, from y = 17
    s.materials[2] = makeMaterial(2, 4, 1, kShapeDiagonal, 0, 0, 30, 40);     // length 50: 51 pixels
    s.materials[3] = makeMaterial(2, 5, 3, kShapePoints, 0, 0, 99, 99, 1, 5); // reverse does not apply
    s.materials[4] = makeMaterial(2, 6, 1, kShapePoints, 5, 5, 0, 0, 0, 0);   // no points
    s.run(pic);
    EXPECT_EQ(s.tables->green[2][3][9], 17);
    EXPECT_EQ(s.tables->green[2][3][12], 20);
    const auto diagonal = materialPixels(s.materials[2]);
    ASSERT_EQ(diagonal.size(), 51u);
    EXPECT_EQ(diagonal.front(), QPoint(0, 0));
    EXPECT_EQ(diagonal[25], QPoint(15, 20));
    EXPECT_EQ(diagonal.back(), QPoint(30, 40));
    EXPECT_EQ(s.blue(2, 4, 51), 30);
    for (int a = 3; a <= 7; ++a)
        EXPECT_EQ(s.red(2, 5, a), 200) << a;
    EXPECT_EQ(s.red(2, 5, 8), 0);
    EXPECT_TRUE(s.plan.usedPorts[6][2]);
    // Half-way rounding of the length: 3-4-5 gives 5; (1, 1) gives 1.414, so 1.
    EXPECT_EQ(materialPixels(makeMaterial(1, 1, 1, kShapeDiagonal, 0, 0, 1, 1)).size(), 2u);
}

TEST(Sampling, FadeQuantisationAndTheHigherMaterialWins) {
    Picture pic(20, 20);
    pic.set(1, 0, 5, 12, 252);
    pic.set(2, 0, 255, 128, 1);
    Sampled s;
    s.materials[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 1, 0, 2, 0);
    s.materials[9] = makeMaterial(1, 1, 2, kShapeHorizontal, 1, 0, 1, 0); // lands on address 2 too
    s.run(pic);
    EXPECT_EQ(s.red(1, 1, 2), 5);
    auto planes = std::make_unique<uint8_t[][kMaxPort + 1][kLivePlaneSize]>(kMaxMachine + 1);
    uint8_t hasData[kMaxPort + 1][kMaxMachine + 1] = {};
    fillLivePlanes(*s.tables, s.plan,
                   reinterpret_cast<uint8_t(&)[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize]>(planes[0]), hasData);
    EXPECT_EQ(planes[1][1][0], 0);      // red 5 quantises to 0
    EXPECT_EQ(planes[1][1][750], 10);   // green 12 to 10
    EXPECT_EQ(planes[1][1][1500], 250); // blue 252 to 250
    EXPECT_EQ(planes[1][1][1], 0);      // address 2 took material 9's pixel (1, 0)
    EXPECT_EQ(hasData[1][1], 1);

    s.run(pic, 0);
    EXPECT_EQ(s.red(1, 1, 1), 0);
    s.run(pic, 128);
    EXPECT_EQ(s.red(1, 1, 1), 3);    // 5 x 128 / 255 = 2.51
    EXPECT_EQ(s.blue(1, 1, 2), 126); // 252 x 128 / 255 = 126.49
    EXPECT_EQ(s.green(1, 1, 1), 6);  // 12 x 128 / 255 = 6.02
    s.run(pic, 255, 9);              // the blinking material is left out
    EXPECT_EQ(s.red(1, 1, 2), 255);
}

TEST(Sampling, ClampsAddressesAndPictureOffsetsAndSkipsBadMaterials) {
    Picture pic(10, 10);
    Sampled s;
    s.materials[1] = makeMaterial(1, 7, 748, kShapeHorizontal, 0, 0, 30000, 0); // only 748..750 are planned
    s.materials[2] = makeMaterial(1, 1, 1, kShapeHorizontal, 50, 50, 52, 50);   // below the picture
    s.materials[3] = makeMaterial(1, 2, 1, kShapeHorizontal, -5, -5, -4, -5);   // above it
    s.materials[4] = makeMaterial(11, 1, 1, kShapeHorizontal, 0, 0, 5, 0);      // no machine 11
    s.materials[5] = makeMaterial(3, -2, 1, kShapeHorizontal, 0, 0, 5, 0);      // no port -2
    s.materials[6] = makeMaterial(3, 1, 1, 7, 0, 0, 5, 0);                      // no shape 7
    s.run(pic);
    int onPortSeven = 0;
    for (const auto& p : s.plan.points)
        onPortSeven += p.port == 7;
    EXPECT_EQ(onPortSeven, 3);
    EXPECT_EQ(s.red(1, 1, 1), 18); // the last whole pixel, (9, 9)
    EXPECT_EQ(s.red(1, 2, 1), 0);  // the first pixel, (0, 0)
    for (const auto& p : s.plan.points)
        EXPECT_NE(p.machine, 3); // no port -2, no shape 7
    EXPECT_EQ(s.green(1, 1, 1), 9);
    // Port 7 is sampled but never becomes live data.
    auto planes = std::make_unique<uint8_t[][kMaxPort + 1][kLivePlaneSize]>(kMaxMachine + 1);
    uint8_t hasData[kMaxPort + 1][kMaxMachine + 1] = {};
    fillLivePlanes(*s.tables, s.plan,
                   reinterpret_cast<uint8_t(&)[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize]>(planes[0]), hasData);
    EXPECT_EQ(hasData[7][1], 0);
    EXPECT_EQ(hasData[1][1], 1);
}

} // namespace
