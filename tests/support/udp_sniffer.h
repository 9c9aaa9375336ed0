#pragma once

#include "core/common_functions.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace kq::test {

// Listens where a machine would and keeps every datagram the program sends there, byte for byte.
class UdpSniffer {
public:
    UdpSniffer(const QString& address, quint16 port) { bound = socket.bind(QHostAddress(address), port); }

    // The datagrams that arrived within waitMs, in order.
    QList<QNetworkDatagram> take(uint32_t waitMs = 30) {
        Fun_Delay(waitMs);
        QList<QNetworkDatagram> out;
        while (socket.hasPendingDatagrams())
            out << socket.receiveDatagram();
        return out;
    }

    QUdpSocket socket;
    bool bound = false;
};

} // namespace kq::test
