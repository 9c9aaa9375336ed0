#include "transport.h"

#include "core/common_functions.h"
#include "core/event_pump.h"
#include "udp_host.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>

using namespace kq::link;

void Fun_FrameAppend(int value) {
    appendFrameByte(g_FrameBuf, g_FrameLen, value);
}

void Fun_FrameHeader() {
    for (int i = 0; i < kNetworkNameLength; ++i)
        Fun_FrameAppend(kNetworkName[i]);
}

namespace {

// The endpoint sends the elements below the array's upper bound, so the low byte of the sum, the
// frame's last element, never leaves the PC.
QByteArray frameArray() {
    return QByteArray(reinterpret_cast<const char*>(g_FrameBuf), g_FrameLen);
}

bool buildInFrameBuf(int machine, int commandCode, QByteArrayView data) {
    if (machine < 0 || machine > 255) {
        qWarning("%s",
                 qPrintable(QCoreApplication::translate("kq", "kq510：机器编号%1不是一个字节，没有发送").arg(machine)));
        return false;
    }
    if (!buildFrame(g_FrameBuf, g_FrameLen, uint8_t(machine), uint16_t(commandCode & 0xFFFF), data)) {
        qWarning(
            "%s",
            qPrintable(QCoreApplication::translate("kq", "kq510：%1个数据字节装不进一帧，没有发送").arg(data.size())));
        return false;
    }
    return true;
}

bool sendCommandText(int machine, const QString& codeHex, const QString& payloadHex, bool waitAfter) {
    const auto commandCode = parseCommandCode(codeHex);
    QString why;
    const auto payload = parseHexBytes(payloadHex, &why);
    if (!commandCode || !payload) {
        if (!commandCode) why = QCoreApplication::translate("kq", "“%1”不是四位的命令码").arg(codeHex);
        qWarning("%s", qPrintable(QCoreApplication::translate("kq", "kq510：命令%1没有发送：%2").arg(codeHex, why)));
        return false;
    }
    return Fun_SendFrame(machine, *commandCode, *payload, waitAfter);
}

} // namespace

bool Fun_SendFrame(int machine, int commandCode, QByteArrayView data, bool waitAfter) {
    if (!Fun_SendFrameAtOnce(machine, commandCode, data)) return false;
    kq::appPump().pumpPending();
    if (waitAfter) Fun_Delay(1);
    return true;
}

bool Fun_SendFrameAtOnce(int machine, int commandCode, QByteArrayView data) {
    if (!buildInFrameBuf(machine, commandCode, data)) return false;
    Form_UDP().Fun_send_udp(frameArray());
    return true;
}

bool Fun_SendCommand(int machine, const QString& codeHex, const QString& payloadHex) {
    return sendCommandText(machine, codeHex, payloadHex, true);
}

bool Fun_SendCommandNoWait(int machine, const QString& codeHex, const QString& payloadHex) {
    return sendCommandText(machine, codeHex, payloadHex, false);
}

void Fun_SendHalfBlock(int machine, int port, int start, const LivePlanes& planes) {
    if (machine < 1 || machine > kMaxMachine || port < 0 || port > kMaxPort || start < 0 ||
        start + kHalfBlockBytes > kLivePlaneSize)
        return;
    const auto* data = reinterpret_cast<const char*>(&planes[machine][port][start]);
    const QByteArray payload = portDataPayload(port, start, g_ColourOrder, QByteArrayView(data, kHalfBlockBytes));
    if (!buildInFrameBuf(machine, code::PortData, payload)) return;
    Form_UDP().Fun_send_udpN(machine, frameArray());
}

void Fun_SendBlockChunked(int machine, int port, int32_t& remaining, QByteArrayView data) {
    int offset = 0;
    while (remaining > 0) {
        const int chunk = std::min(remaining, kMaxChunkBytes);
        // Data the caller does not have goes as zeros rather than being read past its end.
        QByteArray bytes = data.sliced(std::min<qsizetype>(offset, data.size()))
                               .first(std::min<qsizetype>(chunk, std::max<qsizetype>(0, data.size() - offset)))
                               .toByteArray();
        bytes.resize(chunk, '\0');
        Fun_SendFrame(machine, code::PortData, portDataPayload(port, offset, g_ColourOrder, bytes), true);
        offset += chunk;
        remaining -= chunk;
    }
    remaining = 0;
}

void Fun_SendExitCommand() {
    // Open-protocol receivers are told that their streams ended (once, not at every tick of 断开).
    if (Fun_FormUdpLoaded()) Form_UDP().openOutput().stop();
    Fun_SendFrame(0, code::Disconnect, {}, true);
}
