#include "machine_parameters.h"

#include <QCoreApplication>

namespace kq::admin {
namespace {

std::optional<int> inRange(const QString& text, int min, int max) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max) return std::nullopt;
    return int(v);
}

} // namespace

ParameterFields readFields(const uint8_t* b) {
    return {b[6] << 8 | b[7], b[9], b[10], b[11] << 8 | b[12]};
}

std::optional<QString> writeFields(uint8_t* b, const QString& dmxAddress, const QString& playFile, const QString& id,
                                   const QString& playTime) {
    const auto dmx = inRange(dmxAddress, 0, 65535);
    if (!dmx) return QCoreApplication::translate("kq", "DMX地址必须是0-65535的数字！");
    const auto file = inRange(playFile, 0, 255);
    if (!file) return QCoreApplication::translate("kq", "播放文件必须是0-255的数字！");
    const auto newId = inRange(id, 1, 255);
    if (!newId) return QCoreApplication::translate("kq", "ID必须是1-255的数字！");
    const auto time = inRange(playTime, 0, 65535);
    if (!time) return QCoreApplication::translate("kq", "播放时间必须是0-65535的数字！");
    b[6] = uint8_t(*dmx >> 8);
    b[7] = uint8_t(*dmx);
    b[9] = uint8_t(*file);
    b[10] = uint8_t(*newId);
    b[11] = uint8_t(*time >> 8);
    b[12] = uint8_t(*time);
    return std::nullopt;
}

ChipList parseChipRecords(QByteArrayView reply) {
    ChipList list;
    parseChipRecords(reply, list);
    return list;
}

void parseChipRecords(QByteArrayView reply, ChipList& list) {
    for (qsizetype i = 0; i < reply.size(); i += kChipRecordBytes) {
        if (uint8_t(reply[i]) != 0xFA || i + kChipRecordBytes > reply.size()) {
            ++list.skipped;
            continue;
        }
        if (int(list.chips.size()) >= kMaxChips) {
            ++list.beyond;
            continue;
        }
        ChipRecord c;
        c.id = uint8_t(reply[i + 1]);
        c.serial = reply.sliced(i + 2, 12).toByteArray();
        for (int k = 0; k < kParameterSentBytes; ++k)
            c.parameters[size_t(k)] = uint8_t(reply[i + 14 + k]);
        list.chips.push_back(c);
    }
}

QString chipListLine(const ChipRecord& chip) {
    return QCoreApplication::translate("kq", "序列号=%1  ID=%2  DMX=%3")
        .arg(chip.serialText())
        .arg(chip.id)
        .arg(chip.parameters[6] << 8 | chip.parameters[7]);
}

QByteArray selectChipPayload(int id, const QByteArray& serial) {
    QByteArray p;
    p.append(char(0xFA)).append(char(id & 0xFF)).append(serial.left(12));
    return p.append(QByteArray::fromHex("FF0100"));
}

QByteArray setByChipPayload(int id, const QByteArray& serial, const uint8_t* parameters) {
    QByteArray p;
    p.append(char(0xFA)).append(char(id & 0xFF)).append(serial.left(12));
    return p.append(reinterpret_cast<const char*>(parameters), kParameterSentBytes);
}

} // namespace kq::admin
