#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QIODevice;

// The playback file a machine plays from its SD card: a 4,096-byte directory, one block per recorded
// material (its frame file header, a frame table and the packed frame records), and an information
// block.

namespace kq::show {

inline constexpr int kDirectoryBytes = 4096;
inline constexpr int kDirectoryEntries = 180;
inline constexpr int kEntryBytes = 20;
inline constexpr int kInfoOffsetAt = 3608;

struct PlaybackInfo {
    QString identification; // 8 characters, written one byte each
    QString version;        // the program's version text
    QString appFolder;
    QString computerName;
    QDateTime time;
};

// The information block: B[0..4] as bytes, then all of B as upper-case hex text.
QByteArray encodeInformationBlock(const PlaybackInfo& info);
// Path and computer-name text: one byte per character below U+4E00, the two GBK bytes from U+4E00 to
// U+B200, and '?' for anything above.
QByteArray encodeNameText(const QString& text);

// The block of one material placed at blockOffset: the frame file's header, the frame table with
// absolute record offsets, and the records (slot header + packed bytes) copied as they are.
QByteArray encodeMaterialBlock(QByteArrayView frameFile, quint32 blockOffset);

// Writes a whole playback file to out (which must be seekable) from the frame files the callback
// returns for materials 1..180 (nullopt: not included). Returns false when out fails.
bool writePlaybackFile(QIODevice& out, const std::function<std::optional<QByteArray>(int material)>& frameFile,
                       const PlaybackInfo& info);

QString playbackFolder(const QString& appFolder);
QString playbackFilePath(const QString& appFolder, int machine);
QString computerName();

} // namespace kq::show

// Builds the machine's playback file from its frame files (all materials when filter is 0, else only
// that one). A machine without a frame folder gets no playback file. A damaged frame file is left out
// and named in `damaged` as "path: first damage". Returns false when a file could not be written.
bool Fun_BuildPlaybackFile(int machine, int filter, QStringList* damaged = nullptr);
