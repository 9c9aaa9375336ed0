#pragma once

#include "model_data.h"

#include <QString>
#include <span>
#include <vector>

// Finds wiring mistakes in a model: used materials whose addresses overlap another's on the same
// machine and port, and runs that pass address 750 (pixels past it are never sent).
namespace kq::model {

inline constexpr int kLastAddress = 750;

struct WiringFinding {
    enum class Kind { Overlap, PastLastAddress };
    Kind kind;
    int material;  // the material the finding selects
    int other = 0; // for an overlap: the material it shares addresses with
    QString text;  // as the editor lists it
};

// The address range a material occupies: first and last address (last < first when it has none).
struct AddressRange {
    int64_t first = 0, last = -1;
};
AddressRange addressRange(const T_Material& t);

// Every finding for materials 1..2000 of one model, in material order; time n log n.
std::vector<WiringFinding> checkWiring(std::span<const T_Material> materials);

} // namespace kq::model
