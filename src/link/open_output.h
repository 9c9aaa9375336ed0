#pragma once

#include "controller_settings.h"
#include "open_protocols.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <netinet/in.h>
#include <vector>

// Sends the frame step's levels to the open-protocol controllers, in the tick that sends the machines
// theirs: E1.31 data to port 5568, ArtDmx to 6454, DDP to 4048, each unicast to the controller (E1.31
// to the universe's multicast group when asked), then the synchronisation packets. Every destination
// passes the loopback guard; multicast is refused while the guard holds.
namespace kq::link {

struct OpenOutputCounts {
    qint64 datagrams = 0, bytes = 0;
    qint64 failed = 0; // datagrams the system did not take
};

class OpenOutput {
public:
    OpenOutput();
    ~OpenOutput();
    OpenOutput(const OpenOutput&) = delete;
    OpenOutput& operator=(const OpenOutput&) = delete;

    // Takes a table (checked by the caller); streams of controllers that change end first. Why a
    // destination was refused, once per table, or nothing.
    QString reload(const ControllerTable& table, const std::array<QString, 11>& addresses, const QString& sourceName);
    bool drives(int machine) const { return machine >= 1 && machine <= 10 && targets_[size_t(machine)].open; }
    bool anyOpen() const { return anyOpen_; }

    using Planes = uint8_t[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize];
    using HasData = uint8_t[kMaxPort + 1][kMaxMachine + 1];
    // One tick: every open controller's used ports, then the synchronisation packets.
    void sendTick(const Planes& planes, const HasData& hasData);
    // Output stops (断开, the program's end): E1.31 receivers are told that every stream sent since the
    // last stop has ended. Nothing when nothing was sent.
    void stop();

    // The datagrams of the last tick, as sent, for the benchmark's bare loop of the same bytes.
    const std::vector<QByteArray>& lastTick() const { return lastPayloads_; }
    const std::vector<sockaddr_in>& lastDestinations() const { return lastDestinations_; }
    const OpenOutputCounts& counts() const { return counts_; }

private:
    struct Target {
        bool open = false;
        ControllerSetting setting;
        open::PortLayout layout;
        sockaddr_in unicast{};
        bool allowed = false;
        open::Sequences sequences;
        open::PortsUsed sent{}; // ports streamed since the last stop
    };
    void queue(const open::Datagram& d, const Target& t);
    void queueTo(const QByteArray& bytes, const sockaddr_in& to);
    void flush();
    void stop(const std::function<bool(int)>& which);

    int fd_ = -1;
    std::array<Target, 11> targets_{};
    open::FrameOptions options_;
    ControllerTable table_;
    std::array<QString, 11> addresses_;
    bool anyOpen_ = false;
    bool multicastAllowed_ = false;
    uint8_t syncSequence_ = 0;
    std::vector<QByteArray> payloads_, lastPayloads_;
    std::vector<sockaddr_in> destinations_, lastDestinations_;
    OpenOutputCounts counts_;
};

} // namespace kq::link
