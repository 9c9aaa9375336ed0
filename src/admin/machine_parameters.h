#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A machine's parameter block and the chip records the machines report, as plain functions.
namespace kq::admin {

inline constexpr int kParameterBlockBytes = 111; // as held; the machines send and take bytes 0..99
inline constexpr int kParameterSentBytes = 100;
using ParameterBlock = std::array<uint8_t, kParameterBlockBytes>;

// The four values the installer sets: at 6-7 the DMX address, 9 the play file (0 plays all in a loop),
// 10 the ID, 11-12 the play time; big-endian.
struct ParameterFields {
    int dmxAddress = 0;
    int playFile = 0;
    int id = 0;
    int playTime = 0;
};
ParameterFields readFields(const uint8_t* block);
// Puts the typed values into the block. A value that is not a whole number or lies outside its range
// (ID 1..255, play file 0..255, DMX address and play time 0..65,535) changes nothing and gives the
// message to show.
std::optional<QString> writeFields(uint8_t* block, const QString& dmxAddress, const QString& playFile,
                                   const QString& id, const QString& playTime);

// One record of the "8015" reply: 0xFA, the ID, the 12-byte chip serial, the 100-byte block.
inline constexpr int kChipRecordBytes = 114;
inline constexpr int kMaxChips = 31;
struct ChipRecord {
    uint8_t id = 0;
    QByteArray serial; // 12 bytes
    std::array<uint8_t, kParameterSentBytes> parameters{};
    QString serialText() const { return QString::fromLatin1(serial.toHex().toUpper()); }
};
struct ChipList {
    std::vector<ChipRecord> chips;
    int skipped = 0; // records without the marker, or cut short
    int beyond = 0;  // whole records past the 31 the window holds
};
ChipList parseChipRecords(QByteArrayView reply);
// The same for one more reply, added to what `into` holds (each machine answers in a datagram of its own).
void parseChipRecords(QByteArrayView reply, ChipList& into);
// "序列号=" serial "  ID=" id "  DMX=" address
QString chipListLine(const ChipRecord& chip);
// "8014": the record's first 14 bytes with the new ID, then FF 01 00.
QByteArray selectChipPayload(int id, const QByteArray& serial);
// "8016": the whole record with the new ID and block.
QByteArray setByChipPayload(int id, const QByteArray& serial, const uint8_t* parameters);

} // namespace kq::admin
