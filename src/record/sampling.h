#pragma once

#include "core/shared_state.h"
#include "model/model_data.h"
#include "model/model_points.h"

#include <QPoint>
#include <QSize>
#include <array>
#include <cstdint>
#include <vector>

// Sampling the captured picture at the pixels of the current model's materials. The plan (which
// picture byte feeds which machine, port and address) depends only on the model and the picture's
// size, so it is built once and reused tick after tick.

namespace kq::record {

inline constexpr int kMaxAddress = 760; // addresses past it all land here
using kq::model::kOutputPorts;
using kq::model::kPixelsPerPort;

// A model's point and where the picture holds it.
struct SamplePoint : kq::model::ModelPoint {
    qsizetype offset; // byte offset of the pixel in the picture, clamped into it; kBackground for a
                      // point of the area that lies past the screen's far edge, where the picture ends
    static constexpr qsizetype kBackground = -1;
};

struct SamplePlan {
    std::vector<SamplePoint> points; // material order: a later material overwrites an earlier one
    bool usedPorts[kMaxPort + 1][kMaxMachine + 1] = {};
};

// Every used material of the table (StartAddr >= 1, Machine 1..10, Port 1..8), for a picture of
// bytesPerRow x rows bytes in blue, green, red, x order. A picture cut short of the area (at the
// screen's far edge, see CaptureGeometry) gives the points of the area past it the background colour.
SamplePlan buildSamplePlan(const T_Material (&materials)[kMaterialCount + 1], qsizetype bytesPerRow,
                           qsizetype pictureBytes, const QSize& picture = {}, const QSize& area = {});

struct SampleTables {
    uint8_t red[kMaxMachine + 1][kMaxPort + 1][kMaxAddress + 1];
    uint8_t green[kMaxMachine + 1][kMaxPort + 1][kMaxAddress + 1];
    uint8_t blue[kMaxMachine + 1][kMaxPort + 1][kMaxAddress + 1];
};

// Reads every planned pixel, scaled by fadeLevel / 255 (rounded half to even). Points of the material
// `skipMaterial` are left out (the blinking of the modelling test); 0 skips none.
void samplePicture(const uint8_t* picture, const SamplePlan& plan, int fadeLevel, SampleTables& out,
                   int skipMaterial = 0);

// Quantised levels of the used ports 1..6 into the live planes (red 0..749, green 750.., blue 1,500..)
// and their flags.
void fillLivePlanes(const SampleTables& samples, const SamplePlan& plan,
                    uint8_t (&planes)[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize],
                    uint8_t (&hasData)[kMaxPort + 1][kMaxMachine + 1]);

} // namespace kq::record
