#include "wiring_check.h"

#include "modelling_test.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace kq::model {

AddressRange addressRange(const T_Material& t) {
    return {t.StartAddr, int64_t(t.StartAddr) + pixelCount(t) - 1};
}

std::vector<WiringFinding> checkWiring(std::span<const T_Material> materials) {
    struct Run {
        int machine, port;
        AddressRange range;
        int material;
    };
    std::vector<Run> runs;
    std::vector<WiringFinding> findings;
    for (size_t i = 1; i < materials.size(); ++i) {
        const T_Material& t = materials[i];
        if (!t.used()) continue;
        const AddressRange r = addressRange(t);
        if (r.last < r.first) continue;
        runs.push_back({t.Machine, t.Port, r, int(i)});
        if (r.last > kLastAddress)
            findings.push_back({WiringFinding::Kind::PastLastAddress, int(i), 0,
                                QCoreApplication::translate("kq", "[%1] 地址%2-%3超过%4，超出部分不会发送")
                                    .arg(i)
                                    .arg(r.first)
                                    .arg(r.last)
                                    .arg(kLastAddress)});
    }
    // Per machine and port in address order: a run overlaps the one that reaches furthest before it.
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return std::tie(a.machine, a.port, a.range.first, a.material) <
               std::tie(b.machine, b.port, b.range.first, b.material);
    });
    const Run* reach = nullptr;
    for (const Run& r : runs) {
        if (reach && reach->machine == r.machine && reach->port == r.port && r.range.first <= reach->range.last) {
            const int a = std::min(reach->material, r.material), b = std::max(reach->material, r.material);
            findings.push_back({WiringFinding::Kind::Overlap, b, a,
                                QCoreApplication::translate("kq", "[%1] 与 [%2] 地址重叠（机器%3 端口%4）")
                                    .arg(b)
                                    .arg(a)
                                    .arg(r.machine)
                                    .arg(r.port)});
        }
        if (!reach || reach->machine != r.machine || reach->port != r.port || r.range.last > reach->range.last)
            reach = &r;
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const WiringFinding& x, const WiringFinding& y) { return x.material < y.material; });
    return findings;
}

} // namespace kq::model
