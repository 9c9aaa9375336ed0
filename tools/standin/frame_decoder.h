#pragma once

// Decoding on the machines' side, written apart from the program's encoders so that each checks the
// other.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace standin {

struct Frame {
    uint8_t machine = 0;
    uint16_t code = 0;
    QByteArray payload;
};

// A received datagram as a frame; nullopt with the reason when the network name, the fixed bytes or
// the check byte are wrong.
std::optional<Frame> decodeFrame(QByteArrayView datagram, QString* why = nullptr);

// The download's zero-run coding: 254, 255 is one byte 254; 254, n (1..250) is n zero bytes. Returns
// nullopt on a marker with any other count or a marker cut off at the end.
std::optional<QByteArray> decodeZeroRuns(QByteArrayView coded);

uint32_t readBigEndian(QByteArrayView bytes, int offset, int size);

} // namespace standin
