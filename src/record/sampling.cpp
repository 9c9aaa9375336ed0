#include "sampling.h"

#include "show/frame_store.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kq::record {
namespace {

int roundHalfEven(double v) {
    return int(std::nearbyint(v));
} // the default rounding mode

// kPictureBackground as the picture holds it: blue, green, red, x.
constexpr uint8_t kBackgroundPixel[4] = {0xFF, 0xC0, 0xC0, 0x00};

} // namespace

SamplePlan buildSamplePlan(const T_Material (&materials)[kMaterialCount + 1], qsizetype bytesPerRow,
                           qsizetype pictureBytes, const QSize& picture, const QSize& area) {
    // Inside the area but past the picture: what the screen does not show, background as it always was.
    const auto cutOff = [&](QPoint at) {
        return at.x() >= 0 && at.y() >= 0 && at.x() < area.width() && at.y() < area.height() &&
               (at.x() >= picture.width() || at.y() >= picture.height());
    };
    // Offsets past the picture read its last whole pixel (whose blue byte is at S - 4).
    const qsizetype smax = std::max<qsizetype>(0, pictureBytes - 4);
    const kq::model::ModelPoints model = kq::model::modelPoints(materials);
    SamplePlan plan;
    std::copy(&model.usedPorts[0][0], &model.usedPorts[0][0] + sizeof model.usedPorts, &plan.usedPorts[0][0]);
    plan.points.reserve(model.points.size());
    for (const kq::model::ModelPoint& p : model.points) {
        const QPoint at(p.x, p.y);
        const qsizetype o = qsizetype(p.y) * bytesPerRow + qsizetype(p.x) * 4;
        plan.points.push_back({p, cutOff(at) ? SamplePoint::kBackground : std::clamp<qsizetype>(o, 0, smax)});
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
