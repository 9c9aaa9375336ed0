#include "frame_decoder.h"

namespace standin {

uint32_t readBigEndian(QByteArrayView bytes, int offset, int size) {
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) {
        const qsizetype at = offset + i;
        v = (v << 8) | (at < bytes.size() ? uint8_t(bytes[at]) : 0u);
    }
    return v;
}

std::optional<Frame> decodeFrame(QByteArrayView d, QString* why) {
    const auto fail = [&](const char* reason) -> std::optional<Frame> {
        if (why) *why = QString::fromLatin1(reason);
        return std::nullopt;
    };
    if (d.size() < 17) return fail("shorter than 17 bytes");
    if (d.first(10) != QByteArrayView("ZELUNA-NET")) return fail("wrong network name");
    if (d[10] != 0 || d[11] != 1 || d[12] != 0) return fail("wrong fixed bytes");
    unsigned sum = 0;
    for (qsizetype i = 0; i + 1 < d.size(); ++i)
        sum += uint8_t(d[i]);
    if (uint8_t(d.back()) != ((sum >> 8) & 0xFF)) return fail("wrong check byte");
    Frame f;
    f.machine = uint8_t(d[13]);
    f.code = uint16_t(readBigEndian(d, 14, 2));
    f.payload = d.sliced(16, d.size() - 17).toByteArray();
    return f;
}

std::optional<QByteArray> decodeZeroRuns(QByteArrayView coded) {
    QByteArray out;
    out.reserve(coded.size() * 2);
    for (qsizetype i = 0; i < coded.size(); ++i) {
        const uint8_t b = uint8_t(coded[i]);
        if (b != 254) {
            out.append(char(b));
            continue;
        }
        if (i + 1 >= coded.size()) return std::nullopt;
        const uint8_t n = uint8_t(coded[++i]);
        if (n == 255)
            out.append(char(254));
        else if (n >= 1 && n <= 250)
            out.append(QByteArray(n, '\0'));
        else
            return std::nullopt;
    }
    return out;
}

} // namespace standin
