#include "socket_master.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/event_pump.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QVariant>
#include <cstdio>
#include <map>

namespace kq::link {

QString socketErrorText(int number) {
    // Only the numbers this endpoint can raise.
    static const std::map<int, const char*> texts = {
        {10013, "Permission denied."},
        {10040, "Message too long."},
        {10045, "Operation not supported."},
        {10048, "Address already in use."},
        {10049, "Cannot assign requested address."},
        {10051, "Network is unreachable."},
        {10055, "No buffer space available."},
        {10060, "Connection timed out."},
        {10061, "Connection refused."},
        {11001, "Host not found."},
        {40006, "Wrong protocol or connection state for the requested transaction or request"},
        {40014, "The argument passed to a function was not in the correct format or in the specified range."},
    };
    const auto it = texts.find(number);
    return QString::fromLatin1(it == texts.end() ? "Unknown error." : it->second);
}

bool loopbackOnly() {
    // Read once: the guard holds for the life of the process.
    static const bool only = qEnvironmentVariable("KQ510_LOOPBACK_ONLY") == QLatin1String("1");
    return only;
}

bool destinationAllowed(const QHostAddress& address) {
    return !loopbackOnly() || address.isLoopback();
}

SocketException::SocketException(int n, const QString& text, const QString& src)
    : std::runtime_error(text.toStdString()), number(n), source(src) {}

namespace {

// The socket library's errors in the numbers the message boxes have always carried.
int errorNumber(QAbstractSocket::SocketError e) {
    switch (e) {
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10051;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    default:
        return 0;
    }
}

// Endpoints take IP literals only: a host-name lookup waits on the name server, and waiting on the
// program thread would stall live output for as long as an unreachable server takes to time out.
QHostAddress literalAddress(const QString& host) {
    QHostAddress a;
    return a.setAddress(host.trimmed()) ? a : QHostAddress();
}

constexpr int kMaxDatagramsPerWake = 64;

} // namespace

} // namespace kq::link

using kq::link::socketErrorText;
using kq::link::SocketException;

CSocketMaster::CSocketMaster(QObject* parent) : QObject(parent) {}

CSocketMaster::~CSocketMaster() = default;

void CSocketMaster::setProtocol(int protocol) {
    if (protocol != kProtocolTcp && protocol != kProtocolUdp)
        throw SocketException(kq::link::kErrInvalidArgument, socketErrorText(kq::link::kErrInvalidArgument),
                              QStringLiteral("CSocketMaster.Protocol"));
    protocol_ = protocol;
}

void CSocketMaster::setRemotePort(long port) {
    if (port < 0 || port > 65535)
        throw SocketException(kq::link::kErrInvalidArgument, socketErrorText(kq::link::kErrInvalidArgument),
                              QStringLiteral("CSocketMaster.RemotePort"));
    remotePort_ = int(port);
}

void CSocketMaster::setLocalPort(long port) {
    if (port < 0 || port > 65535)
        throw SocketException(kq::link::kErrInvalidArgument, socketErrorText(kq::link::kErrInvalidArgument),
                              QStringLiteral("CSocketMaster.LocalPort"));
    localPort_ = int(port);
}

void CSocketMaster::setRemoteHost(const QString& host) {
    remoteHost_ = host;
    resolvedRemote_.clear();
}

int CSocketMaster::LocalPort() const {
    return socket_ ? int(socket_->localPort()) : localPort_;
}

QString CSocketMaster::LocalIP() const {
    // The plug-in program runs on this PC: an endpoint bound to every address answers on loopback.
    if (!boundAddress_.isNull() && boundAddress_ != QHostAddress::AnyIPv4) return boundAddress_.toString();
    return QStringLiteral("127.0.0.1");
}

void CSocketMaster::ensureSocket() {
    if (socket_) return;
    socket_ = new QUdpSocket(this);
    connect(socket_, &QUdpSocket::readyRead, this, &CSocketMaster::readPending);
}

bool CSocketMaster::Bind(long localPort, const QString& localIp) {
    if (localPort < 0 || localPort > 65535) {
        raiseError(kq::link::kErrInvalidArgument, socketErrorText(kq::link::kErrInvalidArgument),
                   QStringLiteral("CSocketMaster.Bind"));
        return false;
    }
    ensureSocket();
    QHostAddress address = QHostAddress::AnyIPv4;
    if (!localIp.isEmpty() && !address.setAddress(localIp)) {
        raiseError(kq::link::kErrInvalidArgument, socketErrorText(kq::link::kErrInvalidArgument),
                   QStringLiteral("CSocketMaster.BindInternal"));
        return false;
    }
    if (!socket_->bind(address, quint16(localPort))) {
        const int n = kq::link::errorNumber(socket_->error());
        state_ = sckError;
        raiseError(n, n ? socketErrorText(n) : socket_->errorString(), QStringLiteral("CSocketMaster.BindInternal"));
        return false;
    }
    boundAddress_ = address;
    localPort_ = socket_->localPort();
    state_ = sckOpen;
    return true;
}

int CSocketMaster::setReceiveBufferBytes(int bytes) {
    if (!socket_ || socket_->state() != QAbstractSocket::BoundState) return 0;
    socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, bytes);
    return receiveBufferBytes();
}

int CSocketMaster::receiveBufferBytes() const {
    if (!socket_ || socket_->state() != QAbstractSocket::BoundState) return 0;
    return socket_->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt();
}

bool CSocketMaster::SendData1111(const QByteArray& data) {
    const QString source = QStringLiteral("CSocketMaster.SendBufferedDataUDP");
    if (protocol_ != kProtocolUdp) {
        raiseError(kq::link::kErrWrongState, socketErrorText(kq::link::kErrWrongState),
                   QStringLiteral("CSocketMaster.SendData"));
        return false;
    }
    ensureSocket();
    // The first send gives the endpoint a port of the system's choosing, on IPv4 as the machines are.
    if (socket_->state() == QAbstractSocket::UnconnectedState) socket_->bind(QHostAddress::AnyIPv4, 0);
    state_ = sckOpen;
    if (resolvedRemote_.isNull()) resolvedRemote_ = kq::link::literalAddress(remoteHost_);
    const QHostAddress& address = resolvedRemote_;
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol) {
        state_ = sckError;
        raiseError(kq::link::kErrHostNotFound,
                   QCoreApplication::translate(
                       "kq", "地址“%1”不是IPv4地址，没有发送。请在system.ini中填写数字地址（例如 192.168.1.201）。")
                       .arg(remoteHost_),
                   source);
        return false;
    }
    if (!kq::link::destinationAllowed(address)) {
        // Development machines must never reach the installers' network.
        state_ = sckError;
        raiseError(
            kq::link::kErrPermissionDenied,
            socketErrorText(kq::link::kErrPermissionDenied) +
                QCoreApplication::translate("kq", " KQ510_LOOPBACK_ONLY=1 时只能发送到本机回环地址：没有发送到 %1:%2。")
                    .arg(address.toString())
                    .arg(remotePort_),
            source);
        return false;
    }
    const qint64 count = qMax<qint64>(0, data.size() - 1);
    const qint64 sent = socket_->writeDatagram(data.constData(), count, address, quint16(remotePort_));
    // Events are let through after sends, but live output sends sixty datagrams a tick, and a pump
    // per datagram would cost more than the sends themselves: once a millisecond keeps the program
    // just as responsive.
    static uint32_t lastPumpMs = 0;
    if (const uint32_t now = kq::appClock().nowMs(); now != lastPumpMs) {
        lastPumpMs = now;
        kq::appPump().pumpPending();
    }
    if (sent != count) {
        state_ = sckError;
        const int n = kq::link::errorNumber(socket_->error());
        raiseError(n, n ? socketErrorText(n) : socket_->errorString(), source);
        return false;
    }
    state_ = sckOpen;
    return true;
}

void CSocketMaster::readPending() {
    // A flood must not hold the program thread: take a bounded number now, the rest on the next wake.
    for (int i = 0; i < kq::link::kMaxDatagramsPerWake && socket_ && socket_->hasPendingDatagrams(); ++i) {
        const QNetworkDatagram d = socket_->receiveDatagram(kReceiveSize);
        const QByteArray bytes = d.data();
        if (!bytes.isEmpty()) emit DataArrival111111(bytes, int(bytes.size()));
    }
}

void CSocketMaster::raiseError(int number, const QString& description, const QString& source) {
    bool cancelDisplay = false;
    emit Error(number, description, source, &cancelDisplay);
    if (cancelDisplay) return;
    // Live output sends through an endpoint dozens of times a second: a failing destination would
    // otherwise stack one modal box per frame. Each endpoint shows a given error once.
    if (!shownErrors_.insert(description).second) return;
    std::fprintf(stderr, "kq510: %s: %s\n", qPrintable(source), qPrintable(description));
    kq::dialogs().message(description, source, kq::MessageButtons::Ok);
}
