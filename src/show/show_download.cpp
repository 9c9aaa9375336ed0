#include "show_download.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/event_pump.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/transport.h"
#include "playback_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <optional>

namespace kq::show {

DownloadPacket DownloadCoder::next() {
    // At most 1,199 coded bytes before the last file byte, which adds two at most.
    QByteArray coded(kPacketCloseCoded + 1, Qt::Uninitialized);
    auto* o = reinterpret_cast<uint8_t*>(coded.data());
    qsizetype n = 0;
    qsizetype run = -1;
    const qsizetype end = std::min(file_.size(), pos_ + kPacketCloseFileBytes);
    while (pos_ < end && n < kPacketCloseCoded) {
        const uint8_t b = uint8_t(file_[pos_++]);
        if (b == 254) {
            o[n++] = 254;
            o[n++] = 255;
            run = -1;
        } else if (b == 0) {
            if (run < 0) {
                o[n++] = 254;
                o[n] = 0;
                run = n++;
            }
            if (++o[run] >= 250) run = -1;
        } else {
            o[n++] = b;
            run = -1;
        }
    }
    coded.truncate(n);
    return {coded, pos_};
}

std::vector<DownloadPacket> codeDownloadPackets(QByteArrayView file) {
    std::vector<DownloadPacket> packets;
    for (DownloadCoder coder(file); !coder.atEnd();)
        packets.push_back(coder.next());
    return packets;
}

QByteArray dataPacketPayload(QByteArrayView coded) {
    const auto p = int(coded.size());
    QByteArray payload(4, '\0');
    payload.append(char(p >> 8)).append(char(p & 0xFF)).append(coded).append(4, '\0');
    return payload;
}

QByteArray endPacketPayload(quint32 fileLength) {
    QByteArray payload(20, '\0');
    for (int i = 0; i < 4; ++i)
        payload[i] = char(fileLength >> (24 - 8 * i));
    return payload;
}

} // namespace kq::show

using namespace kq::show;

namespace {

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / 1048576.0, 'f', 2);
}

// Suspends the periodic tasks for the life of a transfer.
struct PauseTasks {
    PauseTasks() { g_PauseTasks = true; }
    ~PauseTasks() { g_PauseTasks = false; }
    PauseTasks(const PauseTasks&) = delete;
    PauseTasks& operator=(const PauseTasks&) = delete;
};

} // namespace

bool Fun_WaitAck(const kq::link::ReplyQuery& replies, int rounds) {
    // n rounds of a 1 ms delay, each of which ends only after the clock has moved on by more than 1 ms,
    // have always given a machine up to about 2n ms: slow machines (an SD card opening a file, a flash
    // verify) rely on that. The reply's socket event wakes the wait, so an answer ends it at once.
    kq::Clock& clock = kq::appClock();
    const uint32_t limit = 2 * uint32_t(std::max(rounds, 0));
    const uint32_t start = clock.nowMs();
    const uint32_t deadline = start + limit;
    while (!replies.acknowledged() && uint32_t(clock.nowMs() - start) < limit)
        kq::appPump().waitForEvents(deadline);
    return replies.acknowledged();
}

namespace {

// A transfer holds the machines' replies for its whole length: every acknowledgement it waits for is
// its own.
bool downloadShow(int machine, TransferLog& log, kq::link::ReplyQuery& replies) {
    const QString path = playbackFilePath(g_AppFolder, machine);
    log.append(QCoreApplication::translate("kq", "->机器 %1").arg(machine));
    if (!QFileInfo::exists(path)) {
        log.append(QCoreApplication::translate("kq", "文件不存在！\r\n"));
        return false;
    }
    const qint64 length = QFileInfo(path).size();
    if (length == 0) {
        Fun_MsgBox(QCoreApplication::translate("kq", "文件为空！"));
        return false;
    }
    log.append(QCoreApplication::translate("kq", "\r\n->读取文件"));
    log.append(QCoreApplication::translate("kq", "\r\n->文件路径=%1").arg(path));
    log.append(QCoreApplication::translate("kq", "\r\n->文件长度=【%1M】").arg(megabytes(length)));
    const std::optional<QByteArray> read = kq::readWholeFile(path);
    if (!read || read->size() != length) {
        // Nothing is sent: a file read in part would go to the machine as a short or empty show.
        log.append(QCoreApplication::translate("kq", "\r\n->读取文件失败！没有下载\r\n"));
        return false;
    }
    const QByteArray& file = *read;

    log.append(QCoreApplication::translate("kq", "\r\n->握手 "));
    replies.reset();
    Fun_SendFrame(machine, kq::link::code::ShowHandshake, {}, true);
    if (!Fun_WaitAck(replies, 1000)) {
        log.append(QCoreApplication::translate("kq", "\r\n->握手失败 \r\n"));
        return false;
    }
    log.append(QCoreApplication::translate("kq", "\r\n->握手成功 "));
    log.append(QCoreApplication::translate("kq", "\r\n->发送数据 "));
    QString t = log.text();

    // One packet is out at a time, as the machines take them. While it is out, the log shows the packet
    // before it and the next one is coded, so that the acknowledgement's round trip is the only wait.
    int unacknowledged = 0;
    struct Sent {
        qint64 fileBytesEnd = 0;
        bool acknowledged = false;
    };
    std::optional<Sent> previous;
    const auto show = [&](const Sent& sent) {
        if (sent.acknowledged) {
            log.setText(t + megabytes(sent.fileBytesEnd) + QStringLiteral("M"));
        } else {
            // The packets carry no offset, so a lost one cannot be sent again: the download goes on
            // and is reported failed at the end.
            ++unacknowledged;
            t += QCoreApplication::translate("kq", " <无应答> ");
            log.setText(t);
        }
        log.progress(sent.fileBytesEnd, length);
        kq::appPump().pumpPending();
        log.caretToEnd();
    };
    DownloadCoder coder(file);
    std::optional<DownloadPacket> packet = coder.next();
    while (packet) {
        replies.reset();
        Fun_SendFrame(machine, kq::link::code::ShowData, dataPacketPayload(packet->coded), false);
        if (previous) show(*previous);
        if (g_ExitRequested) return false;
        std::optional<DownloadPacket> following;
        if (!coder.atEnd()) following = coder.next();
        previous = Sent{packet->fileBytesEnd, Fun_WaitAck(replies, 300)};
        packet = std::move(following);
    }
    show(*previous);
    if (g_ExitRequested) return false;

    replies.reset();
    Fun_SendFrame(machine, kq::link::code::ShowEnd, endPacketPayload(quint32(file.size())), false);
    const bool endAcknowledged = Fun_WaitAck(replies, 300);
    const bool ok = endAcknowledged && unacknowledged == 0;
    if (ok) {
        log.append(QCoreApplication::translate("kq", "\r\n->下载成功！！！"));
        Fun_SendFrame(machine, kq::link::code::ShowClose, {}, true);
    } else {
        log.append(QCoreApplication::translate("kq", "\r\n->下载失败XXX"));
        if (unacknowledged > 0)
            log.append(QCoreApplication::translate("kq", " %1个数据包没有应答").arg(unacknowledged));
    }
    log.append(QStringLiteral("\r\n"));
    return ok;
}

} // namespace

bool Fun_DownloadShow(int machine, TransferLog& log) {
    kq::link::ReplyQuery replies;
    return kq::link::claimedOrSaid(replies) && downloadShow(machine, log, replies);
}

bool Fun_DownloadToMachine(int machine, TransferLog& log) {
    log.setText(QString());
    kq::link::ReplyQuery replies;
    if (!kq::link::claimedOrSaid(replies)) return false;
    PauseTasks pause;
    return downloadShow(machine, log, replies);
}

bool Fun_DownloadToAllMachines(TransferLog& log) {
    log.setText(QString());
    kq::link::ReplyQuery replies;
    if (!kq::link::claimedOrSaid(replies)) return false;
    PauseTasks pause;
    int downloaded = 0, failed = 0;
    for (int machine = 1; machine <= kMaxMachine; ++machine) {
        const bool hasFile = QFileInfo::exists(playbackFilePath(g_AppFolder, machine));
        (downloadShow(machine, log, replies) ? downloaded : failed) += hasFile ? 1 : 0;
        log.caretToEnd();
        if (g_ExitRequested) return false;
    }
    return downloaded > 0 && failed == 0;
}
