#pragma once

#include "open_output.h"

#include <QByteArray>
#include <QObject>
#include <array>
#include <functional>
#include <memory>

namespace kq::link {
struct LinkAddresses;
}

class CSocketMaster;

// "Form_UDP": the invisible host of every network endpoint. `Client` sends command frames to the
// machines' broadcast address and takes all their replies; `Client1`..`Client10` send live port data to
// one machine each; `UDP_get` and `UDP_Send` talk to the plug-in program on this PC.
class UdpHost : public QObject {
    Q_OBJECT
public:
    // Creates the endpoints from the addresses in the settings file (the form's load).
    explicit UdpHost(QObject* parent = nullptr);

    void Fun_send_udpN(int n, const QByteArray& data);
    void Fun_send_udp(const QByteArray& data);
    void Fun_外挂_send_udp(const QByteArray& data);
    void Fun_外挂_初始化(const kq::link::LinkAddresses& a);

    void Client_DataArrival111111(const QByteArray& data, int length);
    void UDP_get_DataArrival111111(const QByteArray& data, int length);

    CSocketMaster* Client = nullptr;
    std::array<CSocketMaster*, 11> Clients{}; // Client1..Client10 at 1..10
    CSocketMaster* UDP_get = nullptr;
    CSocketMaster* UDP_Send = nullptr;

    // The open-protocol controllers among the machine numbers, as the settings say.
    kq::link::OpenOutput& openOutput() { return *open_; }
    // Reads the controllers and the machines' addresses again (the controllers window saved them).
    void reloadControllers();

private:
    std::unique_ptr<kq::link::OpenOutput> open_;
};

// The one instance, loaded on first use.
UdpHost& Form_UDP();
bool Fun_FormUdpLoaded();
// Unloads it (its endpoints close); the next use loads it again with the settings as they are then.
void Fun_UnloadFormUdp();

namespace kq::link {
// Receives every message from the plug-in program; empty until the plug-in protocol installs it.
std::function<void(const QByteArray&)>& pluginMessageHandler();
} // namespace kq::link
