#include "modelling_test.h"

#include "link/transport.h"

#include <cmath>
#include <cstdlib>

namespace kq::model {

int stepMarker(int phase, int shapeIndex, int angle, int direction) {
    bool up = direction == 2;
    if (shapeIndex == kShapeDiagonal && angle < 180) up = !up;
    if (up) return phase >= 6 ? 0 : phase + 1;
    return phase <= 0 ? 6 : phase - 1;
}

void buildTestBlock(const T_Material& t, int phase, TestBlock& block) {
    block.fill(0);
    if (!(t.StartAddr > 0 && t.Machine > 0 && t.Port != 0)) return;
    // A shape the program does not know lights as many as its point count.
    const bool known = t.Shape >= kShapeHorizontal && t.Shape <= kShapePoints;
    const int64_t k = known ? pixelCount(t) : t.PointCount;
    // Indices 0..749 are the red plane; 750 would already be the first green pixel.
    for (int64_t i = 0; i < k; ++i) {
        const int64_t index = int64_t(t.StartAddr) + i - 1;
        if (index > 749) break;
        block[size_t(index)] = 255;
    }
    int m = phase;
    for (int j = 1; j <= 750; ++j) {
        if (m > 6) {
            if (block[size_t(j)] != 0) {
                block[size_t(j)] = 0;
                block[size_t(j + 1500)] = 255;
            }
            m = 0;
        }
        ++m;
    }
}

int64_t pixelCount(const T_Material& t) {
    switch (t.Shape) {
    case kShapeHorizontal:
        return std::abs(int64_t(t.Coord[1]) - t.Coord[3]) + 1;
    case kShapeVertical:
        return std::abs(int64_t(t.Coord[2]) - t.Coord[4]) + 1;
    case kShapeDiagonal:
        return int64_t(Fun_DiagonalLength(t.Coord[1], t.Coord[2], t.Coord[3], t.Coord[4])) + 1;
    case kShapePoints:
        return t.PointCount;
    default:
        return 0;
    }
}

} // namespace kq::model

int32_t Fun_DiagonalLength(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const double dx = std::abs(double(x1) - x2), dy = std::abs(double(y1) - y2);
    return int32_t(std::nearbyint(std::sqrt(dx * dx + dy * dy)));
}

void Fun_StepMarker(int direction, int shapeIndex, int angle) {
    g_MarkerPhase = kq::model::stepMarker(g_MarkerPhase, shapeIndex, angle, direction);
}

void Fun_SendMaterialTest(int n, int shapeIndex, int angle) {
    using kq::link::code::LiveReset;
    using kq::link::code::LiveShow;
    Fun_SendFrame(0, LiveReset, {}, true);
    if (g_CurModel >= 1 && g_CurModel <= kModelCount && n >= 1 && n <= kMaterialCount) {
        const T_Material& t = g_Materials[g_CurModel][n];
        if (t.StartAddr > 0 && t.Machine > 0 && t.Port != 0) {
            static kq::model::TestBlock block; // one fixed buffer, no allocation per call
            Fun_StepMarker(t.Reverse + 1, shapeIndex, angle);
            kq::model::buildTestBlock(t, g_MarkerPhase, block);
            int32_t remaining = kq::model::kTestSentBytes;
            Fun_SendBlockChunked(
                t.Machine, t.Port, remaining,
                QByteArrayView(reinterpret_cast<const char*>(block.data()), kq::model::kTestSentBytes));
        }
    }
    Fun_SendFrame(0, LiveShow, {}, true);
}
