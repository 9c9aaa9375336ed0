#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <set>
#include <stdexcept>

class QUdpSocket;

namespace kq::link {

// Text of a socket error number, in the words the installers' message boxes have always shown.
QString socketErrorText(int number);

// Error numbers this object raises besides the socket library's own.
inline constexpr int kErrInvalidArgument = 40014;
inline constexpr int kErrWrongState = 40006;
inline constexpr int kErrPermissionDenied = 10013;
inline constexpr int kErrHostNotFound = 11001;

// True when KQ510_LOOPBACK_ONLY=1 forbids every destination outside the loopback network.
bool loopbackOnly();
bool destinationAllowed(const QHostAddress& address);

// Raised by property setters given values outside their range.
struct SocketException : std::runtime_error {
    SocketException(int number, const QString& text, const QString& source);
    int number;
    QString source;
};

} // namespace kq::link

// One UDP endpoint in the manner of a socket control: set the protocol, remote host and port, bind,
// send datagrams, receive them as events on the program thread. The TCP surface is not built.
class CSocketMaster : public QObject {
    Q_OBJECT
public:
    // The states a UDP endpoint passes through, numbered as the socket control numbered them.
    enum State {
        sckClosed = 0,
        sckOpen = 1,
        sckError = 9,
    };
    static constexpr int kProtocolTcp = 0;
    static constexpr int kProtocolUdp = 1;
    // Largest datagram the endpoint takes in.
    static constexpr int kReceiveSize = 65507;

    explicit CSocketMaster(QObject* parent = nullptr);
    ~CSocketMaster() override;

    int Protocol() const { return protocol_; }
    void setProtocol(int protocol);
    int RemotePort() const { return remotePort_; }
    void setRemotePort(long port);
    QString RemoteHost() const { return remoteHost_; }
    void setRemoteHost(const QString& host);
    int LocalPort() const;
    void setLocalPort(long port);
    State state() const { return state_; }
    // The bound address when the endpoint is bound to one, else loopback.
    QString LocalIP() const;

    // Binds to the port on the given local address (all addresses when empty). A failure is reported
    // through Error (and a message box unless cancelled) and returns false.
    bool Bind(long localPort, const QString& localIp = {});
    // Asks the system for a receive buffer of `bytes` once bound, and returns the size it got (0 when not
    // bound): Linux doubles what is asked for its bookkeeping and caps it at net.core.rmem_max.
    int setReceiveBufferBytes(int bytes);
    int receiveBufferBytes() const;
    // Sends one datagram made of the array's elements below its upper bound: data.size() - 1 bytes.
    // A failure sets sckError, raises Error and, unless cancelled, shows the error in a message box.
    bool SendData1111(const QByteArray& data);

signals:
    void DataArrival111111(const QByteArray& data, int length);
    void Error(int number, const QString& description, const QString& source, bool* cancelDisplay);

private:
    void ensureSocket();
    void readPending();
    void raiseError(int number, const QString& description, const QString& source);

    int protocol_ = kProtocolTcp;
    State state_ = sckClosed;
    QString remoteHost_;
    int remotePort_ = 0;
    int localPort_ = 0;
    QHostAddress boundAddress_;
    QHostAddress resolvedRemote_; // remoteHost_ resolved once, not at every send
    QUdpSocket* socket_ = nullptr;
    std::set<QString> shownErrors_;
};
