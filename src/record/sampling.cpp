#include "sampling.h"

#include "model/modelling_test.h"
#include "show/frame_store.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kq::record {
namespace {

int roundHalfEven(double v) {
    return int(std::nearbyint(v));
} // the default rounding mode

// n of a material: its pixel count - 1, or -1 when it has none.
int lastIndex(const T_Material& t) {
    return int(kq::model::pixelCount(t) - 1);
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

// kPictureBackground as the picture holds it: blue, green, red, x.
constexpr uint8_t kBackgroundPixel[4] = {0xFF, 0xC0, 0xC0, 0x00};

} // namespace

std::vector<QPoint> materialPixels(const T_Material& t) {
    std::vector<QPoint> pixels;
    const int n = lastIndex(t);
    for (int p = 0; p <= n; ++p)
        pixels.push_back(pixelAt(t, p, n));
    return pixels;
}

SamplePlan buildSamplePlan(const T_Material (&materials)[kMaterialCount + 1], qsizetype bytesPerRow,
                           qsizetype pictureBytes, const QSize& picture, const QSize& area) {
    // Inside the area but past the picture: what the screen does not show, background as it always was.
    const auto cutOff = [&](QPoint at) {
        return at.x() >= 0 && at.y() >= 0 && at.x() < area.width() && at.y() < area.height() &&
               (at.x() >= picture.width() || at.y() >= picture.height());
    };
    SamplePlan plan;
    // Offsets past the picture read its last whole pixel (whose blue byte is at S - 4).
    const qsizetype smax = std::max<qsizetype>(0, pictureBytes - 4);
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = materials[i];
        if (t.StartAddr < 1 || t.Machine < 1 || t.Port == 0) continue;
        if (t.Machine > kMaxMachine || t.Port < 1 || t.Port > kMaxPort) continue; // outside the tables
        plan.usedPorts[t.Port][t.Machine] = true;
        const int n = lastIndex(t);
        if (n < 0) continue;
        const bool reverse = t.Reverse != 0 && t.Shape != kShapePoints;
        // Addresses past 750 are never sent: only the pixels that land on 0..749 are planned.
        const int lastE = std::min(n, kPixelsPerPort - t.StartAddr);
        for (int e = 0; e <= lastE; ++e) {
            const int p = reverse ? n - e : e;
            const QPoint at = pixelAt(t, p, n);
            const qsizetype o = qsizetype(at.y()) * bytesPerRow + qsizetype(at.x()) * 4;
            plan.points.push_back({i, uint8_t(t.Machine), uint8_t(t.Port), uint16_t(t.StartAddr + e - 1), at.x(),
                                   at.y(), cutOff(at) ? SamplePoint::kBackground : std::clamp<qsizetype>(o, 0, smax)});
        }
    }
    return plan;
}

void samplePicture(const uint8_t* picture, const SamplePlan& plan, int fadeLevel, SampleTables& out, int skipMaterial) {
    std::memset(&out, 0, sizeof out);
    uint8_t scaled[256];
    const double f = double(std::clamp(fadeLevel, 0, 255)) / 255.0;
    for (int v = 0; v < 256; ++v)
        scaled[v] = uint8_t(roundHalfEven(v * f));
    for (const SamplePoint& s : plan.points) {
        if (s.material == skipMaterial) continue;
        const uint8_t* px = s.offset == SamplePoint::kBackground ? kBackgroundPixel : picture + s.offset;
        out.red[s.machine][s.port][s.address] = scaled[px[2]];
        out.green[s.machine][s.port][s.address] = scaled[px[1]];
        out.blue[s.machine][s.port][s.address] = scaled[px[0]];
    }
}

void fillLivePlanes(const SampleTables& samples, const SamplePlan& plan,
                    uint8_t (&planes)[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize],
                    uint8_t (&hasData)[kMaxPort + 1][kMaxMachine + 1]) {
    for (int m = 1; m <= kMaxMachine; ++m) {
        for (int j = 1; j <= kOutputPorts; ++j) {
            if (!plan.usedPorts[j][m]) continue;
            uint8_t* block = planes[m][j];
            for (int n = 0; n < kPixelsPerPort; ++n) {
                block[n] = Fun_QuantizeLevel(samples.red[m][j][n]);
                block[kPixelsPerPort + n] = Fun_QuantizeLevel(samples.green[m][j][n]);
                block[2 * kPixelsPerPort + n] = Fun_QuantizeLevel(samples.blue[m][j][n]);
            }
            hasData[j][m] = 1;
        }
    }
}

} // namespace kq::record
