#include "firmware_upgrade.h"

#include "core/common_functions.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/transport.h"
#include "show_download.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstring>
#include <optional>

namespace kq::show {

std::optional<qsizetype> findFirmwareMarker(QByteArrayView image) {
    const QByteArrayView marker(kFirmwareMarker);
    for (qsizetype j = 0; j <= image.size() - 100; ++j)
        if (image.sliced(j).startsWith(marker)) return j;
    return std::nullopt;
}

uint16_t firmwareChecksum(QByteArrayView image) {
    uint16_t sum = 0;
    for (char b : image)
        sum = uint16_t(sum + uint8_t(b));
    return sum;
}

std::vector<QByteArray> firmwareDataPayloads(QByteArrayView image) {
    std::vector<QByteArray> payloads;
    const qsizetype length = image.size();
    for (qsizetype p = 0; p <= length;) {
        const qsizetype count = length - p > kFirmwareChunk - 1 ? kFirmwareChunk : length - p;
        QByteArray payload(kFirmwarePayloadBytes, '\0');
        for (int i = 0; i < 4; ++i)
            payload[i] = char(quint32(p) >> (24 - 8 * i));
        payload[4] = char(count >> 8);
        payload[5] = char(count & 0xFF);
        if (count > 0) std::memcpy(payload.data() + 6, image.data() + p, size_t(count));
        payloads.push_back(payload);
        p = count == kFirmwareChunk ? p + count : length + 1;
    }
    return payloads;
}

QByteArray firmwareVerifyPayload(QByteArrayView image, const QByteArray& lastDataPayload) {
    QByteArray payload = lastDataPayload.left(20);
    payload.resize(20, '\0');
    const auto length = quint32(image.size());
    for (int i = 0; i < 4; ++i)
        payload[i] = char(length >> (24 - 8 * i));
    const uint16_t sum = firmwareChecksum(image);
    payload[4] = char(sum >> 8);
    payload[5] = char(sum & 0xFF);
    return payload;
}

} // namespace kq::show

using namespace kq::show;

bool Fun_UpgradeFirmware(int machine, TransferLog& log, const QString& givenPath) {
    const QString path = givenPath.isEmpty() ? Fun_OpenFileDialog(QStringLiteral("bin")) : givenPath;
    if (path.isEmpty()) return false;
    // Every acknowledgement the upgrade waits for is its own.
    kq::link::ReplyQuery replies;
    if (!kq::link::claimedOrSaid(replies)) return false;
    if (!QFileInfo::exists(path)) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件不存在！"));
        return false;
    }
    const qint64 length = QFileInfo(path).size();
    if (length == 0) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件为空！"));
        return false;
    }
    log.setText(QCoreApplication::translate("kq", "->机器 %1").arg(machine));
    log.append(QCoreApplication::translate("kq", "\r\n->读取文件"));
    log.append(QCoreApplication::translate("kq", "\r\n->文件路径=%1").arg(path));
    log.append(QCoreApplication::translate("kq", "\r\n->文件长度=【%1K】")
                   .arg(QString::number(double(length) / 1024.0, 'f', 1)));
    const std::optional<QByteArray> read = kq::readWholeFile(path);
    if (!read || read->size() != length) {
        log.append(QCoreApplication::translate("kq", "\r\n->读取文件失败！没有升级\r\n"));
        return false;
    }
    const QByteArray& image = *read;
    if (!findFirmwareMarker(image)) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件非法！"));
        return false;
    }

    log.append(QCoreApplication::translate("kq", "\r\n->握手 "));
    replies.reset();
    Fun_SendFrame(machine, kq::link::code::FirmwareStart, {}, true);
    if (!Fun_WaitAck(replies, 300)) {
        log.append(QCoreApplication::translate("kq", "\r\n->握手失败 "));
        return false;
    }
    log.append(QCoreApplication::translate("kq", "\r\n->握手成功 "));
    log.append(QCoreApplication::translate("kq", "\r\n->发送数据 "));

    const std::vector<QByteArray> payloads = firmwareDataPayloads(image);
    qint64 sent = 0;
    // While a packet is out, the log shows the one before it: the acknowledgement's round trip is the
    // only wait.
    std::optional<bool> previousAcknowledged;
    const auto show = [&](bool acknowledged) {
        log.append(acknowledged ? QStringLiteral("-") : QStringLiteral("X"));
        log.progress(sent, length);
        log.caretToEnd();
    };
    for (const QByteArray& payload : payloads) {
        replies.reset();
        Fun_SendFrame(machine, kq::link::code::FirmwareData, payload, false);
        if (previousAcknowledged) show(*previousAcknowledged);
        if (g_ExitRequested) return false;
        previousAcknowledged = Fun_WaitAck(replies, 300);
        sent += uint8_t(payload[4]) << 8 | uint8_t(payload[5]);
    }
    if (previousAcknowledged) show(*previousAcknowledged);
    if (g_ExitRequested) return false;

    replies.reset();
    Fun_SendFrame(machine, kq::link::code::FirmwareVerify, firmwareVerifyPayload(image, payloads.back()), false);
    if (!Fun_WaitAck(replies, 300)) {
        log.append(QCoreApplication::translate("kq", "\r\n->校验失败XXX"));
        return false;
    }
    log.append(QCoreApplication::translate("kq", "\r\n->校验成功！！！"));
    log.append(QCoreApplication::translate("kq", "\r\n->重启机器！"));
    Fun_Delay(10);
    Fun_SendFrame(machine, kq::link::code::FirmwareFinish, {}, true);
    return true;
}

bool Fun_UpgradeMachine(int machine, TransferLog& log, const QString& path) {
    g_PauseTasks = true;
    const bool ok = Fun_UpgradeFirmware(machine, log, path);
    g_PauseTasks = false;
    return ok;
}
