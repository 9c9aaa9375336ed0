#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text in files and on the wire is in code page 936 (GBK), the ANSI code page of the Windows PCs the
// installers also use, so that files move between the two unchanged.
namespace kq::gbk {

// Characters that code page 936 cannot hold become '?', as the Windows conversion does.
QByteArray encode(const QString& text);
// The characters of text that code page 936 cannot hold, each once, in their order; empty when it
// holds them all.
QString unencodable(const QString& text);
// Byte sequences that are not valid code page 936 become U+FFFD; decoding never fails.
QString decode(QByteArrayView bytes);

} // namespace kq::gbk

namespace kq {

enum class TextEncoding { Gbk, Utf8 };

bool isValidUtf8(QByteArrayView bytes);
// A hand-edited file may be UTF-8: one that starts with a byte-order mark or has non-ASCII bytes that
// all form valid UTF-8 is read as UTF-8; everything else as code page 936.
TextEncoding detectTextEncoding(QByteArrayView bytes);
QByteArray encodeText(const QString& text, TextEncoding encoding);
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

} // namespace kq
