// The modelling editor's edits of materials, as plain functions over the tables.
#include "model/material_edit.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using namespace kq::model;

T_Material line(int shape, int x1, int y1, int x2, int y2) {
    return makeMaterial(1, 1, 1, shape, x1, y1, x2, y2);
}

TEST(MaterialEdit, TypedCoordinatesKeepTheShapeValid) {
    const struct {
        int shape, box, value;
        std::array<int, 4> expected; // X1, Y1, X2, Y2
    } cases[] = {
        {kShapeHorizontal, 2, 9, {10, 9, 40, 9}}, {kShapeHorizontal, 4, 7, {10, 7, 40, 7}},
        {kShapeHorizontal, 1, 3, {3, 5, 40, 5}},  {kShapeVertical, 1, 8, {8, 5, 8, 5}},
        {kShapeVertical, 4, 60, {10, 5, 40, 60}}, {kShapePoints, 3, 22, {22, 5, 22, 5}},
        {kShapePoints, 2, 1, {10, 1, 40, 1}},     {kShapeDiagonal, 2, 99, {10, 99, 40, 5}},
    };
    for (const auto& c : cases) {
        T_Material t = line(c.shape, 10, 5, 40, 5);
        t.FineCoord[1] = 123;
        setCoordinate(t, c.box, c.value);
        EXPECT_EQ((std::array<int, 4>{t.Coord[1], t.Coord[2], t.Coord[3], t.Coord[4]}), c.expected)
            << "shape " << c.shape << " box " << c.box;
        EXPECT_EQ(t.FineCoord[1], 123); // typing never touches the fine coordinates
    }
}

TEST(MaterialEdit, ShapeChangesTurnTheLineOrStartADiagonal) {
    T_Material t = line(kShapeHorizontal, 10, 5, 40, 5);
    changeShape(t, kShapeVertical);
    EXPECT_EQ((std::array<int, 4>{t.Coord[1], t.Coord[2], t.Coord[3], t.Coord[4]}), (std::array<int, 4>{5, 10, 5, 40}));
    changeShape(t, kShapeHorizontal);
    EXPECT_EQ((std::array<int, 4>{t.Coord[1], t.Coord[2], t.Coord[3], t.Coord[4]}), (std::array<int, 4>{10, 5, 40, 5}));
    changeShape(t, kShapePoints); // no exchange
    EXPECT_EQ(t.Coord[1], 10);

    T_Material d = line(kShapeVertical, 7, 12, 7, 30);
    d.FineCoord[1] = 700;
    d.AppliedAngle = 45;
    changeShape(d, kShapeDiagonal);
    EXPECT_EQ((std::array<int, 4>{d.Coord[1], d.Coord[2], d.Coord[3], d.Coord[4]}), (std::array<int, 4>{0, 12, 0, 0}));
    EXPECT_EQ(d.FineCoord[1], 0);
    EXPECT_EQ(d.AppliedAngle, 0);
    EXPECT_EQ(d.Shape, kShapeDiagonal);
}

TEST(MaterialEdit, DiagonalTurnsPointOneAroundPointTwo) {
    T_Material t = line(kShapeHorizontal, 0, 10, 0, 0);
    changeShape(t, kShapeDiagonal);
    const struct {
        int angle;
        int fineX, fineY, x, y;
    } steps[] = {
        {90, 1000, 0, 10, 0},    // from angle 0 the radius is Y1 - Y2, around X1
        {180, 0, -1000, 0, -10}, // from then on around point 2, radius from the fine place
        {45, 707, 707, 7, 7},
        {45, 707, 707, 7, 7}, // the same angle again changes nothing
    };
    for (const auto& s : steps) {
        turnDiagonal(t, s.angle);
        EXPECT_EQ(t.FineCoord[1], s.fineX) << s.angle;
        EXPECT_EQ(t.FineCoord[2], s.fineY) << s.angle;
        EXPECT_EQ(t.Coord[1], s.x) << s.angle;
        EXPECT_EQ(t.Coord[2], s.y) << s.angle;
        EXPECT_EQ(t.AppliedAngle, s.angle);
    }
    T_Material h = line(kShapeHorizontal, 1, 2, 3, 2);
    turnDiagonal(h, 30); // not a diagonal: only the angle is kept
    EXPECT_EQ(h.Angle, 30);
    EXPECT_EQ(h.Coord[1], 1);
    EXPECT_EQ(h.AppliedAngle, 0);
}

TEST(MaterialEdit, EndAddresses) {
    T_Material t = line(kShapeHorizontal, 40, 5, 10, 5);
    t.StartAddr = 31;
    EXPECT_EQ(endAddressText(t), "61");
    t.Shape = kShapeVertical;
    t.Coord[2] = 50;
    EXPECT_EQ(endAddressText(t), "76");
    t.Shape = kShapePoints;
    t.PointCount = 4;
    EXPECT_EQ(endAddressText(t), "34");
    t.Shape = kShapeDiagonal;
    EXPECT_EQ(endAddressText(t), "");
}

TEST(MaterialEdit, MovesReversalsAndNoteNumbers) {
    std::array<T_Material, kMaterialCount + 1> m{};
    for (int i = 1; i <= 5; ++i)
        m[size_t(i)] = line(kShapeHorizontal, 10, i, 20, i);
    m[4].FineCoord[1] = 1000;
    // Move count 3, step 2, "D" at material 2: materials 2, 3 and 4 go 2 units right.
    moveMaterials(m, 2, 3, 2, 3);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(m[size_t(i)].Coord[1], i >= 2 && i <= 4 ? 12 : 10) << i;
    EXPECT_EQ(m[4].FineCoord[1], 1200);
    moveMaterials(m, 1, 1, 3, 0); // up
    EXPECT_EQ(m[1].Coord[2], 1 - 3);
    EXPECT_EQ(m[1].Coord[4], 1 - 3);
    moveMaterials(m, 1999, 5, 1, 1); // past material 2000 nothing happens
    EXPECT_EQ(m[2000].Coord[2], 1);

    m[5].Port = 0; // not in use
    reverseAll(m);
    EXPECT_EQ(m[1].Reverse, 1);
    EXPECT_EQ(m[5].Reverse, 0);
    reverseXAxis(m[1]);
    reverseYAxis(m[2]);
    EXPECT_EQ(m[1].Coord[1], 20);
    EXPECT_EQ(m[1].Coord[3], 10);
    EXPECT_EQ(m[2].Coord[2], 2);

    const struct {
        const char* text;
        int n;
        const char* expected;
    } notes[] = {
        {"灯带", 3, "灯带[3]"}, {"A[7]B", 12, "A[12]B"}, {"", 1, "[1]"}, {"[1][2]x", 5, "[5][5]x"}, {"A[7", 2, "A[2"}};
    for (const auto& c : notes)
        EXPECT_EQ(numberNote(QString::fromUtf8(c.text), c.n), QString::fromUtf8(c.expected)) << c.text;
}

} // namespace
