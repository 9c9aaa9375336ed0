#pragma once

#include "link/controller_settings.h"
#include "model_data.h"

#include <QString>
#include <span>
#include <vector>

// Finds wiring mistakes in a model: used materials whose addresses overlap another's on the same
// machine and port, and runs that pass address 750 (pixels past it are never sent).
namespace kq::model {

inline constexpr int kLastAddress = 750;

struct WiringFinding {
    enum class Kind { Overlap, PastLastAddress, SlowPort, Network, NetworkFull };
    Kind kind;
    int material;  // the material the finding selects (0: none)
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

// WS281x pixels take 30 µs each (24 bits at 800 kHz), and the string shows them after a latch of
// about 0.3 ms of silence.
inline double ws281xRefreshMs(int pixels) {
    return pixels * 0.030 + 0.3;
}
inline constexpr double kLinkMbit = 100, kLinkWarnShare = 0.8;

// What the show puts on the network each second, for one kind of output.
struct NetworkLoad {
    kq::link::ControllerKind kind;
    double datagramsPerSecond = 0, mbitPerSecond = 0; // Ethernet, IP and UDP headers included
};
// The network's load of the used ports at the frame period, each kind of output apart, as the frame
// step sends them: the machines half a port block a tick and "8055", the open controllers every
// universe or DDP packet of a used port and the synchronisation packets.
std::vector<NetworkLoad> networkLoad(std::span<const T_Material> materials, int framePeriodMs,
                                     const kq::link::ControllerTable& table);
// The ports whose pixels cannot refresh within one tick (the port's last address used gives its
// string's length), then a line for each kind of output on the network and a warning above 80 % of
// a 100 Mbit/s link.
std::vector<WiringFinding> checkTiming(std::span<const T_Material> materials, int framePeriodMs,
                                       const kq::link::ControllerTable& table);

} // namespace kq::model
