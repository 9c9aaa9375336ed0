#pragma once

#include "transfer_log.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Downloading a machine's playback file: handshake "80B0", data packets "80B1" with the file re-coded
// in zero runs, the end packet "80B2" with the file length, and "80B3"; every packet but the last waits
// for the acknowledgement 0x88 0x66.

namespace kq::show {

inline constexpr int kPacketCloseCoded = 1200;     // close a packet once it holds this many coded bytes
inline constexpr int kPacketCloseFileBytes = 9216; // or once this many file bytes went into it

struct DownloadPacket {
    QByteArray coded;    // P coded bytes
    qint64 fileBytesEnd; // file bytes coded up to the end of this packet
};

// Cuts the file into packets and codes them one at a time: 254 as 254, 255; zeros in runs 254, n (n up
// to 250); anything else as itself. Runs never span two packets.
class DownloadCoder {
public:
    explicit DownloadCoder(QByteArrayView file) : file_(file) {}
    bool atEnd() const { return pos_ >= file_.size(); }
    DownloadPacket next();

private:
    QByteArrayView file_;
    qsizetype pos_ = 0;
};

std::vector<DownloadPacket> codeDownloadPackets(QByteArrayView file);
// "80B1" payload: 4 zero bytes, P, the coded bytes, 4 zero bytes.
QByteArray dataPacketPayload(QByteArrayView coded);
// "80B2" payload: the file length and 16 zero bytes.
QByteArray endPacketPayload(quint32 fileLength);

} // namespace kq::show

namespace kq::link {
class ReplyQuery;
}

// True when the acknowledgement arrives for `replies` within 2 x `rounds` milliseconds; returns as
// soon as it does.
bool Fun_WaitAck(const kq::link::ReplyQuery& replies, int rounds);
// Downloads the machine's playback file. True only when every packet was acknowledged.
bool Fun_DownloadShow(int machine, TransferLog& log);
// The download buttons: one machine, or machines 1 to 10; tasks pause meanwhile. The log is cleared
// first. All machines succeed when at least one had a playback file and every one that had got it.
bool Fun_DownloadToMachine(int machine, TransferLog& log);
bool Fun_DownloadToAllMachines(TransferLog& log);
