#include "byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace kq {

ByteCursor::ByteCursor(QByteArray& buf, int32_t& pos, qsizetype readLimit)
    : buf_(buf), data_(buf.data()), size_(buf.size()), pos_(pos),
      limit_(readLimit < 0 ? buf.size() : std::min(readLimit, buf.size())) {}

void ByteCursor::putByteSlow(int b) {
    if (pos_ < 0) pos_ = 0;
    if (pos_ >= size_) {
        buf_.resize(std::max<qsizetype>(std::max<qsizetype>(size_ * 2, 4096), pos_ + 1), '\0');
        data_ = buf_.data();
        size_ = buf_.size();
    }
    data_[pos_++] = char(b);
    limit_ = std::max<qsizetype>(limit_, pos_);
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
    if (pos_ >= 0 && size_ - pos_ >= bytes.size()) {
        std::memcpy(data_ + pos_, bytes.data(), size_t(bytes.size()));
        pos_ += int32_t(bytes.size());
        limit_ = std::max<qsizetype>(limit_, pos_);
        return;
    }
    for (char b : bytes)
        putByte(uint8_t(b));
}

void ByteCursor::putText(const QString& text) {
    const qsizetype units = std::min<qsizetype>(text.size(), kMaxTextUnits);
    uint8_t field[1 + 2 * kMaxTextUnits];
    field[0] = uint8_t(units * 2);
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t u = text[i].unicode();
        field[1 + 2 * i] = uint8_t(u >> 8);
        field[2 + 2 * i] = uint8_t(u);
    }
    putBytes(QByteArrayView(reinterpret_cast<const char*>(field), 1 + 2 * units));
}

QString ByteCursor::getText() {
    const int n = getByte();
    if (n == 0) return {};
    char16_t units[128];
    int count = 0;
    const uint8_t* p = takeBytes(n);
    for (int i = 0; i + 1 < n; i += 2) {
        const uint8_t hi = p ? p[i] : getByte();
        const uint8_t lo = p ? p[i + 1] : getByte();
        units[count++] = char16_t(hi ? (hi << 8 | lo) : lo);
    }
    if (!p && n % 2) getByte();
    return QString(reinterpret_cast<const QChar*>(units), count);
}

} // namespace kq

namespace {
kq::ByteCursor globalCursor() {
    return kq::ByteCursor(g_ByteBuf, g_BufPos);
}
} // namespace

void Fun_PutByte(int b) {
    globalCursor().putByte(b);
}
uint8_t Fun_GetByte() {
    return globalCursor().getByte();
}
void Fun_PutText(const QString& text) {
    globalCursor().putText(text);
}
QString Fun_GetText() {
    return globalCursor().getText();
}
