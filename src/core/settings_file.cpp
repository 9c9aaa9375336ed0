#include "settings_file.h"

#include "dialogs.h"
#include "gbk_codec.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <cstdio>
#include <vector>

namespace kq::ini {
namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

struct ParsedFile {
    TextEncoding encoding = TextEncoding::Gbk;
    bool bom = false;
    QByteArrayView body;
};

ParsedFile parse(const QByteArray& bytes) {
    ParsedFile f;
    f.encoding = detectTextEncoding(bytes);
    f.body = bytes;
    if (f.body.startsWith(kUtf8Bom)) {
        f.bom = true;
        f.body = f.body.sliced(kUtf8Bom.size());
    }
    return f;
}

// Calls fn(line) for each line; a line ends at CR LF, a lone CR or a lone LF. A last line without an
// ending counts; the ending of the last line does not start an empty one. Stops when fn returns false.
template <typename Fn> void forEachLine(QByteArrayView text, Fn fn) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* e = p;
        while (e < end && *e != '\r' && *e != '\n')
            ++e;
        if (!fn(QByteArrayView(p, e - p))) return;
        if (e < end && *e == '\r') {
            ++e;
            if (e < end && *e == '\n') ++e;
        } else if (e < end) {
            ++e;
        }
        p = e;
    }
}

} // namespace

std::optional<QString> lookup(const QByteArray& fileBytes, const QString& key) {
    const ParsedFile f = parse(fileBytes);
    QByteArray prefix = encodeText(key, f.encoding);
    prefix.append('=');
    std::optional<QByteArrayView> last;
    forEachLine(f.body, [&](QByteArrayView line) {
        if (line.startsWith(prefix)) last = line.sliced(prefix.size());
        return true;
    });
    if (!last) return std::nullopt;
    return decodeText(*last, f.encoding);
}

QByteArray replace(const QByteArray& fileBytes, const QString& key, const QString& value) {
    const ParsedFile f = parse(fileBytes);
    const QByteArray keyBytes = encodeText(key, f.encoding);
    const QByteArray newLine = keyBytes + '=' + encodeText(value, f.encoding);
    QByteArray out;
    out.reserve(f.body.size() + newLine.size() + 2);
    if (f.bom) out.append(kUtf8Bom);
    int kept = 0;
    bool matched = false;
    forEachLine(f.body, [&](QByteArrayView line) {
        if (!keyBytes.isEmpty() && line.startsWith(keyBytes)) {
            out.append(newLine);
            matched = true;
        } else {
            out.append(line);
        }
        out.append("\r\n");
        return ++kept < kMaxKeptLines;
    });
    if (!matched) out.append(newLine).append("\r\n");
    return out;
}

std::optional<int> parseWholeNumber(const QString& text, int min, int max) {
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok, 10);
    if (!ok || n < min || n > max) return std::nullopt;
    return int(n);
}

} // namespace kq::ini

namespace kq {

AtomicFile::AtomicFile(const QString& path) : path_(path), temp_(path + QStringLiteral(".XXXXXX")) {}

AtomicFile::~AtomicFile() = default;

bool AtomicFile::open() {
    return temp_.open();
}

bool AtomicFile::commit() {
    if (!temp_.isOpen() || !temp_.flush()) return false;
    const QFileInfo old(path_);
    temp_.setPermissions(old.exists() ? old.permissions()
                                      : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                            QFileDevice::ReadOther);
    temp_.close();
    if (std::rename(QFile::encodeName(temp_.fileName()).constData(), QFile::encodeName(path_).constData()) != 0)
        return false;
    temp_.setAutoRemove(false);
    return true;
}

bool writeFileAtomically(const QString& path, QByteArrayView bytes) {
    AtomicFile file(path);
    return file.open() && file.device().write(bytes.data(), bytes.size()) == bytes.size() && file.commit();
}

std::optional<QByteArray> readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    // A read error, or a regular file that gives fewer bytes than it holds, is no file at all: half a
    // file must never pass for a whole one.
    if (file.error() != QFileDevice::NoError || (!file.isSequential() && bytes.size() != file.size()))
        return std::nullopt;
    return bytes;
}

std::optional<qsizetype> readWholeFileInto(const QString& path, QByteArray& buffer) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // A file that is not a regular one (a pipe) is read whole the usual way.
    if (file.isSequential()) {
        file.close();
        const auto bytes = readWholeFile(path);
        if (!bytes) return std::nullopt;
        if (buffer.size() < bytes->size()) buffer.resize(bytes->size());
        std::copy(bytes->begin(), bytes->end(), buffer.begin());
        return bytes->size();
    }
    const qint64 size = file.size();
    if (buffer.size() < size) buffer.resize(qsizetype(size));
    const qint64 got = file.read(buffer.data(), size);
    // Half a file must never pass for a whole one.
    if (got != size || file.error() != QFileDevice::NoError) return std::nullopt;
    return qsizetype(got);
}

} // namespace kq

QString Fun_ReadIni(const QString& path, const QString& key) {
    const auto bytes = kq::readWholeFile(path);
    if (!bytes) return {};
    return kq::ini::lookup(*bytes, key).value_or(QString());
}

bool Fun_WriteIni(const QString& path, const QString& key, const QString& value) {
    if (key.isEmpty()) return false;
    std::optional<QByteArray> old = kq::readWholeFile(path);
    if (!old) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink()) {
            // Rewriting a file that exists but could not be read would keep only this one key and lose
            // every other setting: it is left as it is, and the user is told once.
            static QSet<QString> reported;
            if (!reported.contains(path)) {
                reported.insert(path);
                std::fprintf(
                    stderr, "%s\n",
                    qPrintable(QCoreApplication::translate("kq", "kq510：无法读取 %1，设置没有保存").arg(path)));
                Fun_MsgBox(QCoreApplication::translate("kq", "设置文件无法读取，设置没有保存！\r\n") + path);
            }
            return false;
        }
        old = QByteArray();
    }
    return kq::writeFileAtomically(path, kq::ini::replace(*old, key, value));
}

int Fun_ReadIniNumber(const QString& path, const QString& key, int defaultValue, int min, int max) {
    return kq::ini::parseWholeNumber(Fun_ReadIni(path, key), min, max).value_or(defaultValue);
}

bool Fun_WriteTextFile(const QString& path, const QString& text) {
    return kq::writeFileAtomically(path, kq::gbk::encode(text) + "\r\n");
}
