#pragma once

#include "transfer_log.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Upgrading a machine's firmware: the image must carry the family's marker; handshake "80A0", 1,024-byte
// chunks "80A1", verify "80A2" with length and 16-bit sum, restart "80A3".

namespace kq::show {

inline constexpr char kFirmwareMarker[] = "KQ510biaoji123456789";
inline constexpr int kFirmwareChunk = 1024;
inline constexpr int kFirmwarePayloadBytes = 1050;

// Position of the marker, searched from 0 up to length - 100; nullopt when it is not there.
std::optional<qsizetype> findFirmwareMarker(QByteArrayView image);
uint16_t firmwareChecksum(QByteArrayView image);
// The "80A1" payloads in order: offset, count, chunk, zeros up to 1,050 bytes. A length that is a
// multiple of 1,024 ends with a packet of count 0 at offset = length.
std::vector<QByteArray> firmwareDataPayloads(QByteArrayView image);
// "80A2" payload: length, checksum, then 14 bytes left over in the packet buffer from the last chunk.
QByteArray firmwareVerifyPayload(QByteArrayView image, const QByteArray& lastDataPayload);

} // namespace kq::show

// Upgrades the machine with the image at path (asked for with the open dialog when empty). True when
// the machine verified the image and was told to restart.
bool Fun_UpgradeFirmware(int machine, TransferLog& log, const QString& path);
// The upgrade button: tasks pause meanwhile.
bool Fun_UpgradeMachine(int machine, TransferLog& log, const QString& path = QString());
