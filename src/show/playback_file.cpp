#include "playback_file.h"

#include "core/common_functions.h"
#include "core/gbk_codec.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "frame_store.h"
#include "inspect.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <algorithm>
#include <array>
#include <cstring>
#include <future>

namespace kq::show {
namespace {

void putBigEndian(QByteArray& bytes, qsizetype at, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = char(value & 0xFF);
}

struct Entry {
    quint32 offset = 0;
    quint32 frameFileLength = 0;
    quint16 frameCount = 0;
    quint8 mode = 0;
    bool included = false;
};

QByteArray encodeDirectory(const std::array<Entry, kDirectoryEntries + 1>& entries, quint32 infoOffset) {
    QByteArray d(kDirectoryBytes, '\0');
    const uint8_t magic[4] = {0x17, 0x08, 0x14, 0x89};
    std::copy(magic, magic + 4, d.begin());
    for (int k = 1; k <= kDirectoryEntries; ++k) {
        const Entry& e = entries[size_t(k)];
        if (!e.included) continue;
        const qsizetype at = 4 + qsizetype(kEntryBytes) * (k - 1);
        putBigEndian(d, at, e.offset, 4);
        putBigEndian(d, at + 4, e.frameFileLength, 4);
        putBigEndian(d, at + 8, e.frameCount, 2);
        d[at + 10] = char(e.mode);
    }
    const uint8_t trailer[4] = {0x18, 0x01, 0x23, 0x15};
    std::copy(trailer, trailer + 4, d.begin() + 3604);
    putBigEndian(d, kInfoOffsetAt, infoOffset, 4);
    return d;
}

} // namespace

QByteArray encodeNameText(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x4E00) {
            out.append(char(u & 0xFF));
        } else if (u <= 0xB200) {
            const QByteArray g = gbk::encode(QString(c));
            out.append(g.size() == 2 ? g : QByteArray("?"));
        } else {
            out.append('?');
        }
    }
    return out;
}

QByteArray encodeInformationBlock(const PlaybackInfo& info) {
    const auto ascii = [](const QString& s) { return s.toLatin1(); };
    const QByteArray id = ascii(info.identification.left(8).leftJustified(8, QLatin1Char(' ')));
    const QDate d = info.time.date();
    const QTime t = info.time.time();
    const auto two = [](int v) { return Fun_Pad2(v).toLatin1(); };
    QByteArray b("\x18\x01\x22\x00\x00", 5);
    b += " Xulie:" + id + " Version:" + ascii(info.version) + " Xulie:" + id;
    b += " Path:" + encodeNameText(info.appFolder.left(100)) + " PC:" + encodeNameText(info.computerName);
    b += " Time:20" + two(d.year() % 100) + "\xC4\xEA" + two(d.month()) + "\xD4\xC2" + two(d.day()) + "\xC8\xD5" +
         two(t.hour()) + "\xB5\xE3" + two(t.minute()) + "\xB7\xD6";
    const auto length = quint32(2 * b.size() + 5);
    putBigEndian(b, 3, length, 2);
    return b.left(5) + b.toHex().toUpper();
}

QByteArray encodeMaterialBlock(QByteArrayView frameFile, quint32 blockOffset) {
    const int n = frameCountOf(frameFile);
    const auto byteAt = [&](qsizetype at) { return at < frameFile.size() ? uint8_t(frameFile[at]) : uint8_t(0); };
    // Records are copied, not unpacked: only each slot's packed length is read. What a damaged file
    // lacks goes as zeros.
    qsizetype total = kFrameFileHeaderBytes + 6 * qsizetype(n);
    for (int f = 1; f <= n; ++f)
        total += kFrameHeaderBytes + (byteAt(slotOffset(f) + 6) << 8 | byteAt(slotOffset(f) + 7));
    QByteArray block(total, '\0');
    char* out = block.data();
    std::memcpy(out, frameFile.data(), size_t(std::min<qsizetype>(frameFile.size(), kFrameFileHeaderBytes)));
    qsizetype table = kFrameFileHeaderBytes;
    qsizetype record = table + 6 * qsizetype(n);
    for (int f = 1; f <= n; ++f) {
        const qsizetype at = slotOffset(f);
        const int L = byteAt(at + 6) << 8 | byteAt(at + 7);
        const quint32 offset = blockOffset + quint32(record);
        const uint8_t entry[6] = {uint8_t(offset >> 24), uint8_t(offset >> 16), uint8_t(offset >> 8),
                                  uint8_t(offset),       uint8_t(L >> 8),       uint8_t(L)};
        std::memcpy(out + table, entry, 6);
        table += 6;
        const qsizetype available = std::clamp<qsizetype>(frameFile.size() - at, 0, kFrameHeaderBytes + L);
        if (available > 0) std::memcpy(out + record, frameFile.data() + at, size_t(available));
        record += kFrameHeaderBytes + L;
    }
    return block;
}

bool writePlaybackFile(QIODevice& out, const std::function<std::optional<QByteArray>(int)>& frameFile,
                       const PlaybackInfo& info) {
    if (out.write(QByteArray(kDirectoryBytes, '\0')) != kDirectoryBytes) return false;
    quint32 w = kDirectoryBytes;
    std::array<Entry, kDirectoryEntries + 1> entries{};
    for (int k = 1; k <= kDirectoryEntries; ++k) {
        const std::optional<QByteArray> file = frameFile(k);
        if (!file) continue;
        const QByteArray block = encodeMaterialBlock(*file, w);
        entries[size_t(k)] = {w, quint32(file->size()), quint16(frameCountOf(*file)),
                              quint8(file->size() > 5 ? uint8_t((*file)[5]) : 0), true};
        if (out.write(block) != block.size()) return false;
        w += quint32(block.size());
    }
    const QByteArray infoBlock = encodeInformationBlock(info);
    if (out.write(infoBlock) != infoBlock.size()) return false;
    const QByteArray directory = encodeDirectory(entries, w);
    return out.seek(0) && out.write(directory) == directory.size();
}

QString playbackFolder(const QString& appFolder) {
    return appFolder + QStringLiteral("/Q_glow/KQ-510");
}

QString playbackFilePath(const QString& appFolder, int machine) {
    return playbackFolder(appFolder) + QStringLiteral("/ID-") + Fun_Pad2(machine) + QStringLiteral(".KQ4");
}

QString computerName() {
    for (const char* name : {"computername", "COMPUTERNAME"}) {
        const QString v = qEnvironmentVariable(name);
        if (!v.isEmpty()) return v;
    }
    return QSysInfo::machineHostName();
}

} // namespace kq::show

using namespace kq::show;

bool Fun_BuildPlaybackFile(int machine, int filter, QStringList* damaged) {
    QDir().mkpath(playbackFolder(g_AppFolder));
    const QString target = playbackFilePath(g_AppFolder, machine);
    if (!QFileInfo(frameFolder(g_AppFolder, machine)).isDir()) {
        QFile::remove(target);
        return true;
    }
    PlaybackInfo info{QStringLiteral("KQ510-") + Fun_Pad2(machine), g_AppTitle, g_AppFolder, computerName(),
                      QDateTime::currentDateTime()};
    kq::AtomicFile out(target);
    if (!out.open()) return false;

    // A frame file read and checked, or why it stays out.
    struct Loaded {
        std::optional<QByteArray> file;
        QString problem;
    };
    const QString appFolder = g_AppFolder;
    const auto load = [appFolder, machine, filter](int k) -> Loaded {
        if (filter != 0 && filter != k) return {};
        const QString path = frameFilePath(appFolder, machine, k);
        std::optional<QByteArray> file = kq::readWholeFile(path);
        if (!file)
            return {std::nullopt, QFileInfo::exists(path)
                                      ? QCoreApplication::translate("kq", "%1：文件无法读取").arg(path)
                                      : QString()};
        // A damaged file would reach the SD card as a show of zeros or of garbage: it stays out.
        if (const Inspection check = inspectFrameFile(*file); !check.ok())
            return {std::nullopt, QCoreApplication::translate("kq", "%1：%2").arg(path, check.problem)};
        return {std::move(file), {}};
    };
    // The next material's file is read and checked on a second thread while this one's block is
    // written, so that the build takes about as long as writing its output. Most of the directory's
    // entries have no file: those are looked at when their turn comes, without a thread.
    const auto prepare = [&](int k) {
        const bool worthAThread =
            (filter == 0 || filter == k) && QFileInfo::exists(frameFilePath(appFolder, machine, k));
        return std::async(worthAThread ? std::launch::async : std::launch::deferred, load, k);
    };
    std::future<Loaded> next = prepare(1);
    const bool ok = writePlaybackFile(
        out.device(),
        [&](int k) -> std::optional<QByteArray> {
            Loaded loaded = next.get();
            if (k < kDirectoryEntries) next = prepare(k + 1);
            if (damaged && !loaded.problem.isEmpty()) *damaged << loaded.problem;
            return std::move(loaded.file);
        },
        info);
    return ok && out.commit();
}
