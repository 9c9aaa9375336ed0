#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTemporaryFile>
#include <optional>

// "system.ini" and the material notes file: lines of key "=" value, CR LF, no sections, no trimming.

namespace kq::ini {

// At most this many lines of an existing file are kept when it is rewritten.
inline constexpr int kMaxKeptLines = 500;

// Value of the last line that starts with key followed directly by "="; nullopt when no line does.
std::optional<QString> lookup(const QByteArray& fileBytes, const QString& key);

// The file after writing key: every line that starts with key (the "=" is not tested) becomes
// key "=" value, other lines stay byte for byte; with no such line, key "=" value is appended.
// Lines past kMaxKeptLines are dropped. A file without a text yet gets the one line.
QByteArray replace(const QByteArray& fileBytes, const QString& key, const QString& value);

// Whole number with optional sign and surrounding blanks, within [min, max].
std::optional<int> parseWholeNumber(const QString& text, int min, int max);

} // namespace kq::ini

QString Fun_ReadIni(const QString& path, const QString& key);
// Returns false when the file could not be written; callers that follow the usual rule ignore it.
bool Fun_WriteIni(const QString& path, const QString& key, const QString& value);
// The numeric-setting pattern: the default unless the key holds a whole number within [min, max].
int Fun_ReadIniNumber(const QString& path, const QString& key, int defaultValue, int min, int max);
bool Fun_WriteTextFile(const QString& path, const QString& text);

namespace kq {

// A file written beside its target and renamed over it on commit: a crash or a full disk leaves the
// old file or the new one, never half of either; without a commit the old file stays. There is no
// fsync: it would stall the one program thread, which also drives live output, for as long as the
// disk takes, and the rename already orders the data before it on the file systems used here.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    QIODevice& device() { return temp_; }
    bool commit();

private:
    QString path_;
    QTemporaryFile temp_;
};

bool writeFileAtomically(const QString& path, QByteArrayView bytes);
std::optional<QByteArray> readWholeFile(const QString& path);
// Reads the whole file into `buffer` (grown when it is smaller, never shrunk), without a copy of its
// own: the number of bytes read, or nullopt as readWholeFile would give it.
std::optional<qsizetype> readWholeFileInto(const QString& path, QByteArray& buffer);
} // namespace kq
