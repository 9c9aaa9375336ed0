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

namespace {

// The last address a material reaches on its port, within what is sent.
int lastAddressOf(const T_Material& t) {
    return int(std::min<int64_t>(addressRange(t).last, kLastAddress));
}

constexpr int kUdpOverheadBytes = 14 + 4 + 20 + 8; // Ethernet header and checksum, IPv4, UDP
// A machine's half block as sent: the frame's header, the port data header, half of the block and the sum.
constexpr int kHalfBlockDatagramBytes = 16 + 8 + 1125 + 1;
constexpr int kLiveShowDatagramBytes = 18;

QString kindCaption(kq::link::ControllerKind k) {
    switch (k) {
    case kq::link::ControllerKind::E131:
        return QStringLiteral("E1.31");
    case kq::link::ControllerKind::ArtNet:
        return QStringLiteral("Art-Net");
    case kq::link::ControllerKind::Ddp:
        return QStringLiteral("DDP");
    case kq::link::ControllerKind::Family:
        break;
    }
    return QCoreApplication::translate("kq", "本机型");
}

} // namespace

std::vector<NetworkLoad> networkLoad(std::span<const T_Material> materials, int framePeriodMs,
                                     const kq::link::ControllerTable& table) {
    using kq::link::ControllerKind;
    bool used[kMaxMachine + 1][kMaxPort + 1] = {};
    for (size_t i = 1; i < materials.size(); ++i) {
        const T_Material& t = materials[i];
        if (t.used() && t.Machine >= 1 && t.Machine <= kMaxMachine && t.Port >= 1 && t.Port <= 6)
            used[t.Machine][t.Port] = true;
    }
    const double ticks = 1000.0 / std::max(1, framePeriodMs);
    std::vector<NetworkLoad> loads;
    const auto add = [&](ControllerKind kind, double datagrams, double bytes) {
        auto it = std::find_if(loads.begin(), loads.end(), [&](const NetworkLoad& l) { return l.kind == kind; });
        if (it == loads.end()) it = loads.insert(loads.end(), NetworkLoad{kind});
        it->datagramsPerSecond += datagrams * ticks;
        it->mbitPerSecond += (bytes + datagrams * kUdpOverheadBytes) * 8 * ticks / 1e6;
    };
    static const kq::link::open::MachinePlanes dark{};
    for (int m = 1; m <= kMaxMachine; ++m) {
        const kq::link::ControllerSetting& s = table.machine[size_t(m)];
        kq::link::open::PortsUsed ports{};
        int count = 0;
        for (int p = 1; p <= 6; ++p)
            count += (ports[size_t(p)] = used[m][p]) ? 1 : 0;
        if (count == 0) continue;
        if (s.kind == ControllerKind::Family) {
            add(s.kind, count, double(count) * kHalfBlockDatagramBytes);
            continue;
        }
        // The packets themselves, as the output would build them.
        kq::link::open::Sequences sequences;
        kq::link::open::FrameOptions options;
        options.synchronise = s.kind == ControllerKind::E131     ? table.syncUniverse > 0
                              : s.kind == ControllerKind::ArtNet ? table.artSync
                                                                 : table.ddpSync;
        double bytes = 0;
        const auto datagrams = kq::link::open::planFrame(kq::link::layoutOf(s), options, ports, dark, sequences);
        for (const auto& d : datagrams)
            bytes += double(d.bytes.size());
        add(s.kind, double(datagrams.size()), bytes);
        if (options.synchronise) {
            // One synchronisation packet to each controller of the kind after every tick.
            const int syncBytes = s.kind == ControllerKind::E131 ? 49 : s.kind == ControllerKind::ArtNet ? 14 : 10;
            add(s.kind, 1, syncBytes);
        }
    }
    if (std::any_of(loads.begin(), loads.end(), [](const NetworkLoad& l) { return l.kind == ControllerKind::Family; }))
        add(ControllerKind::Family, 1, kLiveShowDatagramBytes);
    return loads;
}

std::vector<WiringFinding> checkTiming(std::span<const T_Material> materials, int framePeriodMs,
                                       const kq::link::ControllerTable& table) {
    std::vector<WiringFinding> findings;
    int last[kMaxMachine + 1][kMaxPort + 1] = {}, first[kMaxMachine + 1][kMaxPort + 1] = {};
    for (size_t i = 1; i < materials.size(); ++i) {
        const T_Material& t = materials[i];
        if (!t.used() || t.Machine < 1 || t.Machine > kMaxMachine || t.Port < 1 || t.Port > 6) continue;
        if (!first[t.Machine][t.Port]) first[t.Machine][t.Port] = int(i);
        // An open controller sends its pixels per port: what lies past them stays dark.
        const kq::link::ControllerSetting& s = table.machine[size_t(t.Machine)];
        const int sent =
            s.kind == kq::link::ControllerKind::Family ? kLastAddress : std::min(kLastAddress, s.pixelsPerPort);
        const AddressRange r = addressRange(t);
        if (sent < kLastAddress && r.last > sent)
            findings.push_back(
                {WiringFinding::Kind::PastLastAddress, int(i), 0,
                 QCoreApplication::translate("kq", "[%1] 地址%2-%3超过控制器每端口的%4个像素，超出部分不会发送")
                     .arg(i)
                     .arg(r.first)
                     .arg(r.last)
                     .arg(sent)});
        last[t.Machine][t.Port] = std::max(last[t.Machine][t.Port], std::min(lastAddressOf(t), sent));
    }
    for (int m = 1; m <= kMaxMachine; ++m)
        for (int p = 1; p <= 6; ++p) {
            const double ms = ws281xRefreshMs(last[m][p]);
            if (last[m][p] < 1 || ms <= framePeriodMs) continue;
            findings.push_back({WiringFinding::Kind::SlowPort, first[m][p], 0,
                                QCoreApplication::translate(
                                    "kq", "机器%1 端口%2：%3个像素刷新一次要%4毫秒，超过帧时间%5毫秒，不能每帧刷新")
                                    .arg(m)
                                    .arg(p)
                                    .arg(last[m][p])
                                    .arg(ms, 0, 'f', 1)
                                    .arg(framePeriodMs)});
        }
    double total = 0;
    for (const NetworkLoad& l : networkLoad(materials, framePeriodMs, table)) {
        total += l.mbitPerSecond;
        findings.push_back({WiringFinding::Kind::Network, 0, 0,
                            QCoreApplication::translate("kq", "网络：%1 每秒%2个包，%3 Mbit/s")
                                .arg(kindCaption(l.kind))
                                .arg(qRound64(l.datagramsPerSecond))
                                .arg(l.mbitPerSecond, 0, 'f', 1)});
    }
    if (total > kLinkMbit * kLinkWarnShare)
        findings.push_back(
            {WiringFinding::Kind::NetworkFull, 0, 0,
             QCoreApplication::translate("kq", "网络：合计%1 Mbit/s，超过100 Mbit/s网络的八成").arg(total, 0, 'f', 1)});
    return findings;
}

} // namespace kq::model
