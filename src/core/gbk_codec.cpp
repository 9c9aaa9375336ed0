#include "gbk_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace kq::gbk {
namespace {

// One converter per direction for the process; iconv descriptors are cheap to reset and the program
// converts from the UI thread only.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; calls onInvalid(in, left) at each input it cannot convert and skips
    // the number of input bytes that returns.
    template <typename OnInvalid>
    QByteArray run(const char* in, size_t inLeft, OnInvalid onInvalid, QByteArray replacement) {
        QByteArray out;
        if (!valid()) return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(qsizetype(inLeft * 2 + 16));
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out.data();
        size_t outLeft = size_t(out.size());
        while (inLeft > 0) {
            const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            if (r != size_t(-1)) break;
            if (errno == E2BIG) {
                const qsizetype used = outPtr - out.data();
                out.resize(out.size() * 2);
                outPtr = out.data() + used;
                outLeft = size_t(out.size() - used);
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
            const size_t skip = std::min(inLeft, size_t(onInvalid(inPtr, inLeft)));
            inPtr += skip;
            inLeft -= skip;
            if (outLeft < size_t(replacement.size())) {
                const qsizetype used = outPtr - out.data();
                out.resize(out.size() * 2 + replacement.size());
                outPtr = out.data() + used;
                outLeft = size_t(out.size() - used);
            }
            memcpy(outPtr, replacement.constData(), size_t(replacement.size()));
            outPtr += replacement.size();
            outLeft -= size_t(replacement.size());
        }
        out.resize(outPtr - out.data());
        return out;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-16LE unit(s) of one character at p: a surrogate pair counts as one character.
size_t utf16CharBytes(const char* p, size_t left) {
    if (left >= 4) {
        const auto hi = char16_t(uchar(p[0]) | (uchar(p[1]) << 8));
        if (hi >= 0xD800 && hi <= 0xDBFF) return 4;
    }
    return 2;
}

} // namespace

QByteArray encode(const QString& text) {
    static Converter toGbk("CP936", "UTF-16LE");
    return toGbk.run(reinterpret_cast<const char*>(text.utf16()), size_t(text.size()) * 2, utf16CharBytes,
                     QByteArray("?"));
}

QString unencodable(const QString& text) {
    static Converter toGbk("CP936", "UTF-16LE");
    QString found;
    const char* start = reinterpret_cast<const char*>(text.utf16());
    toGbk.run(
        start, size_t(text.size()) * 2,
        [&](const char* p, size_t left) {
            const size_t n = utf16CharBytes(p, left);
            const QString c(reinterpret_cast<const QChar*>(p), qsizetype(n / 2));
            if (!found.contains(c)) found += c;
            return n;
        },
        QByteArray("?"));
    return found;
}

QString decode(QByteArrayView bytes) {
    static Converter fromGbk("UTF-16LE", "CP936");
    // A bad lead byte and the byte after it are one unreadable character; a lone bad byte is one.
    const QByteArray utf16 = fromGbk.run(
        bytes.data(), size_t(bytes.size()),
        [](const char* p, size_t left) -> size_t {
            const uchar lead = uchar(p[0]);
            return (lead >= 0x81 && lead <= 0xFE && left >= 2 && uchar(p[1]) >= 0x40) ? 2 : 1;
        },
        QByteArray("\xFD\xFF", 2));
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

} // namespace kq::gbk

namespace kq {

bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

TextEncoding detectTextEncoding(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return TextEncoding::Utf8;
    bool nonAscii = false;
    for (char c : bytes) {
        if (uchar(c) >= 0x80) {
            nonAscii = true;
            break;
        }
    }
    return nonAscii && isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? text.toUtf8() : gbk::encode(text);
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes) : gbk::decode(bytes);
}

} // namespace kq
