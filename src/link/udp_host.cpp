#include "udp_host.h"

#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/shared_state.h"
#include "link_settings.h"
#include "plugin_protocol.h"
#include "reply_query.h"
#include "socket_master.h"
#include "transport.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>
#include <utility>

namespace {

CSocketMaster* makeEndpoint(QObject* parent, const QString& name, const QString& host, int port) {
    auto* s = new CSocketMaster(parent);
    s->setObjectName(name);
    s->setProtocol(CSocketMaster::kProtocolUdp);
    s->setRemotePort(port);
    s->setRemoteHost(host);
    return s;
}

UdpHost* g_formUdp = nullptr;

} // namespace

UdpHost::UdpHost(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("Form_UDP"));
    const kq::link::LinkAddresses a = kq::link::readLinkAddresses(g_IniPath);
    Fun_外挂_初始化(a);
    Client = makeEndpoint(this, QStringLiteral("Client"), a.broadcast, a.commandPort);
    connect(Client, &CSocketMaster::DataArrival111111, this,
            [this](const QByteArray& data, int length) { Client_DataArrival111111(data, length); });
    for (int k = 1; k <= 10; ++k)
        Clients[size_t(k)] = makeEndpoint(this, QStringLiteral("Client%1").arg(k), a.machine[size_t(k)], a.commandPort);
    open_ = std::make_unique<kq::link::OpenOutput>();
    reloadControllers();
}

void UdpHost::reloadControllers() {
    const kq::link::LinkAddresses a = kq::link::readLinkAddresses(g_IniPath);
    for (int k = 1; k <= 10; ++k)
        if (Clients[size_t(k)]->RemoteHost() != a.machine[size_t(k)])
            Clients[size_t(k)]->setRemoteHost(a.machine[size_t(k)]);
    const kq::link::ControllerTable table = kq::link::readControllers(g_IniPath);
    // A table the window would not save (a file edited by hand) drives the machines of this family only.
    const QString problem = kq::link::tableProblem(table, a.machine);
    const QString refused = problem.isEmpty() ? open_->reload(table, a.machine, g_AppTitle)
                                              : open_->reload(kq::link::ControllerTable{}, a.machine, g_AppTitle);
    if (!problem.isEmpty())
        Fun_MsgBox(QCoreApplication::translate("kq", "控制器设置有误，开放协议控制器不输出：%1").arg(problem));
    else if (!refused.isEmpty())
        Fun_MsgBox(refused);
}

void UdpHost::Fun_外挂_初始化(const kq::link::LinkAddresses& a) {
    UDP_get = new CSocketMaster(this);
    UDP_get->setObjectName(QStringLiteral("UDP_get"));
    UDP_get->setProtocol(CSocketMaster::kProtocolUdp);
    if (UDP_get->Bind(a.pluginListenPort, a.pluginListenAddress)) {
        // A whole picture's chunks wait in the system while the program is busy for a moment; a chunk
        // that does not fit is lost, and with it the picture.
        const int got = UDP_get->setReceiveBufferBytes(kq::link::kPluginReceiveBufferBytes);
        static bool warned = false;
        if (got < kq::link::kPluginReceiveBufferBytes && !std::exchange(warned, true))
            qWarning("%s",
                     qPrintable(
                         QCoreApplication::translate(
                             "kq", "kq510：外挂程序的接收缓冲区是%1字节，不是要求的%2字节（请调大 net.core.rmem_max）："
                                   "程序忙时收到的画面可能被丢弃")
                             .arg(got)
                             .arg(kq::link::kPluginReceiveBufferBytes)));
    }
    connect(UDP_get, &CSocketMaster::DataArrival111111, this,
            [this](const QByteArray& data, int length) { UDP_get_DataArrival111111(data, length); });
    UDP_Send = makeEndpoint(this, QStringLiteral("UDP_Send"), UDP_get->LocalIP(), a.pluginSendPort);
}

void UdpHost::Fun_send_udpN(int n, const QByteArray& data) {
    if (n < 1 || n > 10) return;
    Clients[size_t(n)]->SendData1111(data);
}

void UdpHost::Fun_send_udp(const QByteArray& data) {
    Client->SendData1111(data);
}

void UdpHost::Fun_外挂_send_udp(const QByteArray& data) {
    UDP_Send->SendData1111(data);
    kq::appPump().pumpPending();
}

void UdpHost::Client_DataArrival111111(const QByteArray& data, int length) {
    // A query that waits owns what arrives; the shared buffer is left alone meanwhile.
    if (kq::link::ReplyQuery* query = kq::link::ReplyQuery::holder()) {
        query->take(QByteArrayView(data).first(std::clamp<qsizetype>(length, 0, data.size())));
        return;
    }
    // Replies are appended back to back; what does not fit the buffer is dropped.
    const int p = std::clamp(g_ReplyLen, 0, kq::link::kReplyBufBytes);
    const int n = std::clamp(std::min<int>(length, int(data.size())), 0, kq::link::kReplyBufBytes - p);
    std::memcpy(g_ReplyBuf + p, data.constData(), size_t(n));
    g_ReplyLen = p + n;
}

void UdpHost::UDP_get_DataArrival111111(const QByteArray& data, int /*length*/) {
    if (const auto& handler = kq::link::pluginMessageHandler()) handler(data);
}

UdpHost& Form_UDP() {
    if (!g_formUdp) g_formUdp = new UdpHost;
    return *g_formUdp;
}

bool Fun_FormUdpLoaded() {
    return g_formUdp != nullptr;
}

void Fun_UnloadFormUdp() {
    delete g_formUdp;
    g_formUdp = nullptr;
}

namespace kq::link {
std::function<void(const QByteArray&)>& pluginMessageHandler() {
    static std::function<void(const QByteArray&)> handler;
    return handler;
}
} // namespace kq::link
