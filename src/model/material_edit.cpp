#include "material_edit.h"

#include "modelling_test.h"

#include <cmath>
#include <utility>

namespace kq::model {
namespace {

constexpr double kPi = 3.14159265359; // as the editor has always turned its diagonals

// Whole units of a box that shows a value with decimals: halves go to the even neighbour.
int32_t wholeUnits(double v) {
    return int32_t(std::nearbyint(v));
}

} // namespace

void setCoordinate(T_Material& t, int k, int value) {
    if (k < 1 || k > 4) return;
    t.Coord[k] = value;
    const bool x = k == 1 || k == 3;
    const int other = k <= 2 ? k + 2 : k - 2;
    const bool couple =
        (t.Shape == kShapeHorizontal && !x) || (t.Shape == kShapeVertical && x) || t.Shape == kShapePoints;
    if (couple) t.Coord[other] = value;
}

void changeShape(T_Material& t, int shape) {
    if ((t.Shape == kShapeHorizontal && shape == kShapeVertical) ||
        (t.Shape == kShapeVertical && shape == kShapeHorizontal)) {
        std::swap(t.Coord[1], t.Coord[2]);
        std::swap(t.Coord[3], t.Coord[4]);
    }
    if (shape == kShapeDiagonal) {
        t.Coord[1] = t.Coord[3] = t.Coord[4] = 0;
        t.FineCoord[1] = t.FineCoord[2] = 0;
        t.AppliedAngle = 0;
    }
    t.Shape = shape;
}

void turnDiagonal(T_Material& t, int angle) {
    t.Angle = angle;
    if (t.Shape != kShapeDiagonal || t.Angle == t.AppliedAngle) return;
    const double x2 = t.Coord[3], y2 = t.Coord[4];
    double r = 0, baseX = 0;
    if (std::sin(t.AppliedAngle * kPi / 180) == 0) {
        r = t.Coord[2] - t.Coord[4];
        baseX = t.Coord[1];
    } else {
        const double x1 = t.FineCoord[1] / 100.0, y1 = t.FineCoord[2] / 100.0;
        r = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
        baseX = x2;
    }
    const double theta = angle * kPi / 180;
    t.FineCoord[1] = wholeUnits((baseX + r * std::sin(theta)) * 100);
    t.FineCoord[2] = wholeUnits((y2 + r * std::cos(theta)) * 100);
    t.Coord[1] = wholeUnits(t.FineCoord[1] / 100.0);
    t.Coord[2] = wholeUnits(t.FineCoord[2] / 100.0);
    t.AppliedAngle = angle;
}

QString endAddressText(const T_Material& t) {
    // A diagonal shows no end address.
    if (t.Shape != kShapeHorizontal && t.Shape != kShapeVertical && t.Shape != kShapePoints) return {};
    return QString::number(int64_t(t.StartAddr) + pixelCount(t) - 1);
}

void moveMaterials(std::span<T_Material> materials, int first, int count, int step, int direction) {
    const int dx = direction == 2 ? -step : direction == 3 ? step : 0;
    const int dy = direction == 0 ? -step : direction == 1 ? step : 0;
    for (int i = std::max(first, 1); i < first + count && i < int(materials.size()); ++i) {
        T_Material& t = materials[size_t(i)];
        t.Coord[1] += dx;
        t.Coord[3] += dx;
        t.FineCoord[1] += 100 * dx;
        t.FineCoord[3] += 100 * dx;
        t.Coord[2] += dy;
        t.Coord[4] += dy;
        t.FineCoord[2] += 100 * dy;
        t.FineCoord[4] += 100 * dy;
    }
}

void reverseAll(std::span<T_Material> materials) {
    for (size_t i = 1; i < materials.size(); ++i)
        if (materials[i].used()) materials[i].Reverse = uint8_t(1 - materials[i].Reverse);
}

void reverseXAxis(T_Material& t) {
    std::swap(t.Coord[1], t.Coord[3]);
}

void reverseYAxis(T_Material& t) {
    std::swap(t.Coord[2], t.Coord[4]);
}

QString numberNote(const QString& text, int n) {
    if (!text.contains(QLatin1Char('['))) return text + QStringLiteral("[%1]").arg(n);
    QString out;
    bool inside = false;
    for (QChar c : text) {
        if (inside) {
            if (c == QLatin1Char(']')) {
                out += c;
                inside = false;
            }
        } else if (c == QLatin1Char('[')) {
            out += QStringLiteral("[%1").arg(n);
            inside = true;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace kq::model
