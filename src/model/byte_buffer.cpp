#include "byte_buffer.h"

#include <algorithm>

namespace kq {

ByteCursor::ByteCursor(QByteArray& buf, int32_t& pos, qsizetype readLimit)
    : buf_(buf), pos_(pos), limit_(readLimit < 0 ? buf.size() : std::min(readLimit, buf.size())) {}

void ByteCursor::putByte(int b) {
    if (pos_ < 0) pos_ = 0;
    if (pos_ >= buf_.size()) buf_.resize(std::max<qsizetype>(buf_.size() * 2, pos_ + 1), '\0');
    buf_[pos_++] = char(b);
    limit_ = std::max<qsizetype>(limit_, pos_);
}

uint8_t ByteCursor::getByte() {
    if (pos_ < 0 || pos_ >= limit_) {
        overrun_ = true;
        ++pos_;
        return 0;
    }
    return uint8_t(buf_[pos_++]);
}

void ByteCursor::putWord(int32_t value) {
    putByte((value >> 8) & 0xFF);
    putByte(value & 0xFF);
}

int16_t ByteCursor::getWord() {
    const uint8_t hi = getByte();
    const uint8_t lo = getByte();
    return int16_t(uint16_t(hi << 8 | lo));
}

void ByteCursor::putBytes(QByteArrayView bytes) {
    for (char b : bytes) putByte(uint8_t(b));
}

void ByteCursor::putText(const QString& text) {
    const qsizetype units = std::min<qsizetype>(text.size(), kMaxTextUnits);
    putByte(int(units * 2));
    for (qsizetype i = 0; i < units; ++i) putWord(text[i].unicode());
}

QString ByteCursor::getText() {
    const int n = getByte();
    QString s;
    s.reserve(n / 2);
    for (int i = 0; i + 1 < n; i += 2) {
        const uint8_t hi = getByte();
        const uint8_t lo = getByte();
        s += QChar(char16_t(hi ? (hi << 8 | lo) : lo));
    }
    if (n % 2) getByte();
    return s;
}

} // namespace kq

namespace {
kq::ByteCursor globalCursor() { return kq::ByteCursor(g_ByteBuf, g_BufPos); }
} // namespace

void Fun_PutByte(int b) { globalCursor().putByte(b); }
uint8_t Fun_GetByte() { return globalCursor().getByte(); }
void Fun_PutText(const QString& text) { globalCursor().putText(text); }
QString Fun_GetText() { return globalCursor().getText(); }
