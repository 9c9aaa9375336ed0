#pragma once

#include "core/shared_state.h"
#include "model_data.h"

#include <QPoint>
#include <cstdint>
#include <vector>

// Where a model's pixels lie and what each one drives: the machine, port and address every canvas
// point of a used material feeds. The live output samples the screen at these points and the preview
// draws the show's levels at them, so both take them from here.

namespace kq::model {

inline constexpr int kPixelsPerPort = 750; // positions 0..749 are sent
inline constexpr int kOutputPorts = 6;     // ports 7 and 8 are laid out but never sent

// The canvas points of a material's pixels in order p = 0..n (n + 1 points), or none.
std::vector<QPoint> materialPixels(const T_Material& t);

struct ModelPoint {
    int32_t material;
    uint8_t machine;
    uint8_t port;
    uint16_t address; // 0-based position on the port, 0..749
    int32_t x, y;     // canvas point
    bool operator==(const ModelPoint&) const = default;
};

struct ModelPoints {
    std::vector<ModelPoint> points; // material order: a later material overwrites an earlier one
    bool usedPorts[kMaxPort + 1][kMaxMachine + 1] = {};
};

// Every used material of the table (StartAddr >= 1, Machine 1..10, Port 1..8); of each, the pixels
// that land on addresses 0..749, first address first (a reversed run starts from its far end).
ModelPoints modelPoints(const T_Material (&materials)[kMaterialCount + 1]);

} // namespace kq::model
