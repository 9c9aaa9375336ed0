#include "command_frame.h"

#include <QCoreApplication>
#include <array>
#include <cstring>

namespace kq::link {

bool appendFrameByte(std::span<uint8_t> buf, int32_t& len, int value) {
    if (len < 0 || size_t(len) >= buf.size()) return false;
    buf[size_t(len++)] = uint8_t(value);
    return true;
}

namespace {
// Sum of the bytes, eight at a time: live output sums sixty frames of 1,150 bytes every tick.
uint32_t byteSum(const uint8_t* p, size_t n) {
    uint64_t total = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        w = (w & 0x00FF00FF00FF00FFull) + ((w >> 8) & 0x00FF00FF00FF00FFull);
        w = (w & 0x0000FFFF0000FFFFull) + ((w >> 16) & 0x0000FFFF0000FFFFull);
        total += (w & 0xFFFFFFFFull) + (w >> 32);
    }
    for (; i < n; ++i)
        total += p[i];
    return uint32_t(total);
}
} // namespace

bool buildFrame(std::span<uint8_t> buf, int32_t& len, uint8_t machine, uint16_t commandCode, QByteArrayView payload) {
    if (size_t(kFrameHeaderBytes + payload.size() + 2) > buf.size()) return false;
    len = 0;
    for (int i = 0; i < kNetworkNameLength; ++i)
        appendFrameByte(buf, len, kNetworkName[i]);
    for (int v : {0, 1, 0, int(machine), commandCode >> 8, commandCode & 0xFF})
        appendFrameByte(buf, len, v);
    if (!payload.isEmpty()) std::memcpy(buf.data() + len, payload.data(), size_t(payload.size()));
    len += int32_t(payload.size());
    const uint32_t sum = byteSum(buf.data(), size_t(len)); // only its low 16 bits count
    appendFrameByte(buf, len, (sum >> 8) & 0xFF);
    appendFrameByte(buf, len, sum & 0xFF);
    return true;
}

QByteArray encodeFrame(uint8_t machine, uint16_t commandCode, QByteArrayView payload) {
    std::array<uint8_t, kFrameBufBytes> buf{};
    int32_t len = 0;
    if (!buildFrame(buf, len, machine, commandCode, payload)) return {};
    return QByteArray(reinterpret_cast<const char*>(buf.data()), len - 1);
}

QByteArray portDataPayload(int port, int start, int colourOrder, QByteArrayView data) {
    QByteArray p;
    p.reserve(kPortDataSubHeaderBytes + data.size());
    const auto count = int(data.size());
    for (int v : {0, port, count >> 8, count & 0xFF, start >> 8, start & 0xFF, colourOrder, 0})
        p.append(char(v));
    p.append(data);
    return p;
}

namespace {
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}
} // namespace

std::optional<QByteArray> parseHexBytes(const QString& text, QString* error) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    const auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (digits.size() % 2 != 0)
        return fail(QCoreApplication::translate("kq", "十六进制数据的位数是奇数（%1）").arg(digits.size()));
    QByteArray out;
    out.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int hi = hexDigit(digits[i]);
        const int lo = hexDigit(digits[i + 1]);
        if (hi < 0 || lo < 0)
            return fail(QCoreApplication::translate("kq", "十六进制数据第%2位的“%1”不是十六进制字节")
                            .arg(digits.mid(i, 2))
                            .arg(i + 1));
        out.append(char(hi * 16 + lo));
    }
    return out;
}

std::optional<uint16_t> parseCommandCode(const QString& text) {
    if (text.size() != 4) return std::nullopt;
    const auto bytes = parseHexBytes(text);
    if (!bytes) return std::nullopt;
    return uint16_t((uint8_t((*bytes)[0]) << 8) | uint8_t((*bytes)[1]));
}

} // namespace kq::link
