#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>

// Every binary file of the program is built in a byte buffer and written with one write, or read
// whole into it and parsed. A cursor puts and gets bytes, 16-bit big-endian words and short texts.
namespace kq {

class ByteCursor {
public:
    // Writes grow buf as needed; reads stop at readLimit (the length of what was read into buf, or
    // the buffer's size when negative): past it they give 0 and set overrun().
    ByteCursor(QByteArray& buf, int32_t& pos, qsizetype readLimit = -1);

    void putByte(int b) {
        if (pos_ >= 0 && pos_ < size_) {
            data_[pos_++] = char(b);
            if (pos_ > limit_) limit_ = pos_;
            return;
        }
        putByteSlow(b);
    }
    uint8_t getByte() {
        if (pos_ >= 0 && pos_ < limit_) return uint8_t(data_[pos_++]);
        overrun_ = true;
        ++pos_;
        return 0;
    }
    // The low 16 bits, high byte first; read back as a signed 16-bit value.
    void putWord(int32_t value);
    int16_t getWord();
    void putBytes(QByteArrayView bytes);
    // n bytes to read at once, or nullptr (and nothing read) when fewer are left.
    const uint8_t* takeBytes(qsizetype n) {
        if (pos_ < 0 || limit_ - pos_ < n) return nullptr;
        const auto* p = reinterpret_cast<const uint8_t*>(data_ + pos_);
        pos_ += int32_t(n);
        return p;
    }
    // Count byte (2 x code units), then at most 20 UTF-16 code units, high byte first.
    void putText(const QString& text);
    // A code unit whose high byte is 0 is the low byte alone; a trailing odd byte is ignored.
    QString getText();

    bool overrun() const { return overrun_; }
    qsizetype remaining() const { return pos_ < 0 ? 0 : std::max<qsizetype>(0, limit_ - pos_); }
    int32_t pos() const { return pos_; }
    void seek(int32_t pos) { pos_ = pos; }

private:
    void putByteSlow(int b);

    QByteArray& buf_;
    char* data_; // buf_'s bytes, detached once
    qsizetype size_;
    int32_t& pos_;
    qsizetype limit_;
    bool overrun_ = false;
};

inline constexpr int kMaxTextUnits = 20;
inline constexpr qsizetype kByteBufSize = 2'097'153;

} // namespace kq

// The program's shared scratch buffer: 2,097,153 bytes at start; it grows when a file needs more.
inline QByteArray g_ByteBuf(kq::kByteBufSize, '\0');
inline int32_t g_BufPos = 0;

void Fun_PutByte(int b);
uint8_t Fun_GetByte();
void Fun_PutText(const QString& text);
QString Fun_GetText();
