#include "model_points.h"

#include "modelling_test.h"

#include <algorithm>
#include <cmath>

namespace kq::model {
namespace {

// n of a material: its pixel count - 1, or -1 when it has none.
int lastIndex(const T_Material& t) {
    return int(pixelCount(t) - 1);
}

QPoint pixelAt(const T_Material& t, int p, int n) {
    const int x1 = t.Coord[1], y1 = t.Coord[2], x2 = t.Coord[3], y2 = t.Coord[4];
    switch (t.Shape) {
    case kShapeHorizontal:
        return {std::min(x1, x2) + p, y1};
    case kShapeVertical:
        return {x1, std::min(y1, y2) + p};
    case kShapeDiagonal:
        // On the straight segment from point 1 to point 2, evenly stepped, each rounded to a pixel.
        if (n == 0) return {x1, y1};
        return {x1 + int(std::lround(double(x2 - x1) * p / n)), y1 + int(std::lround(double(y2 - y1) * p / n))};
    default:
        return {x1, y1};
    }
}

} // namespace

std::vector<QPoint> materialPixels(const T_Material& t) {
    std::vector<QPoint> pixels;
    const int n = lastIndex(t);
    for (int p = 0; p <= n; ++p)
        pixels.push_back(pixelAt(t, p, n));
    return pixels;
}

ModelPoints modelPoints(const T_Material (&materials)[kMaterialCount + 1]) {
    ModelPoints model;
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = materials[i];
        if (t.StartAddr < 1 || t.Machine < 1 || t.Port == 0) continue;
        if (t.Machine > kMaxMachine || t.Port < 1 || t.Port > kMaxPort) continue; // outside the tables
        model.usedPorts[t.Port][t.Machine] = true;
        const int n = lastIndex(t);
        if (n < 0) continue;
        const bool reverse = t.Reverse != 0 && t.Shape != kShapePoints;
        // Addresses past 750 are never sent: only the pixels that land on 0..749 count.
        const int lastE = std::min(n, kPixelsPerPort - t.StartAddr);
        for (int e = 0; e <= lastE; ++e) {
            const QPoint at = pixelAt(t, reverse ? n - e : e, n);
            model.points.push_back(
                {i, uint8_t(t.Machine), uint8_t(t.Port), uint16_t(t.StartAddr + e - 1), at.x(), at.y()});
        }
    }
    return model;
}

} // namespace kq::model
