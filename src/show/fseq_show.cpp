#include "fseq_show.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "frame_store.h"
#include "link/open_protocols.h"
#include "model/model_points.h"
#include "preview.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace kq::show {
namespace {

using kq::link::ControllerKind;

// Per colour order 1..6, the plane (0 red, 1 green, 2 blue) of a pixel's first, second and third channel.
constexpr int kPlanes[7][3] = {{0, 1, 2}, {0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

const int (&planesOf(int order))[3] {
    return kPlanes[order >= 1 && order <= 6 ? order : 1];
}

// A port's 2,250 bytes of a frame (red, green, blue planes of 750), as the recording holds them: a
// single-colour recording has its plane in positions 0..749.
void portLevels(const MachineFrame& frame, int port, uint8_t (&block)[2250]) {
    std::memset(block, 0, sizeof block);
    if (!frame.present) return;
    const uint8_t* from = frame.image.data() + kFrameHeaderBytes + Fun_PortOffset(port);
    switch (frame.mode) {
    case RecordingMode::Rgb:
        std::memcpy(block, from, 2250);
        return;
    case RecordingMode::Red:
    case RecordingMode::Green:
    case RecordingMode::Blue:
        std::memcpy(block + (int(frame.mode) - 1) * 750, from, 750);
        return;
    }
}

} // namespace

std::vector<PortChannels> usedChannels(const kq::link::ControllerTable& table,
                                       const T_Material (&materials)[kMaterialCount + 1]) {
    const kq::model::ModelPoints model = kq::model::modelPoints(materials);
    std::vector<PortChannels> used;
    for (const PortChannels& c : channelMap(table))
        if (model.usedPorts[c.port][c.machine]) used.push_back(c);
    return used;
}

bool exportFseq(const QString& appFolder, const T_Material (&materials)[kMaterialCount + 1],
                const kq::link::ControllerTable& table, const FseqExportOptions& options,
                const std::function<bool(int, int)>& progress, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const std::vector<PortChannels> used = usedChannels(table, materials);
    if (const QString why = channelMapProblem(used); !why.isEmpty()) return fail(why);
    ShowReader reader;
    QString why;
    if (!reader.open(appFolder, options.material, &why)) return fail(why);
    if (options.periodMs < 1 || options.periodMs > 255)
        return fail(
            QCoreApplication::translate("kq", "帧时间%1毫秒不能写进序列文件（1到255毫秒）").arg(options.periodMs));
    if (used.empty())
        return fail(QCoreApplication::translate("kq", "素材%1的模型没有使用任何端口").arg(options.material));
    const int frames = reader.frameCount();
    const quint64 uniqueId = quint64(QDateTime::currentMSecsSinceEpoch()) * 1000;

    // One file: the used ports' channels, or one machine's only.
    const auto write = [&](const QString& path, const std::vector<PortChannels>& ports, FseqCompression compression,
                           int done, int total) -> bool {
        QList<FseqRange> ranges;
        for (const PortChannels& c : ports)
            ranges << FseqRange{c.first, quint32(c.pixels) * 3};
        ranges = mergedFseqRanges(ranges);
        // Where each port's channels lie in a frame's bytes: the ranges one after another.
        std::vector<qsizetype> at;
        for (const PortChannels& c : ports) {
            qsizetype offset = 0;
            for (const FseqRange& r : ranges) {
                if (c.first >= r.start && c.first < r.start + r.count) {
                    at.push_back(offset + (c.first - r.start));
                    break;
                }
                offset += r.count;
            }
        }
        FseqWriteOptions o;
        o.ranges = ranges;
        o.frameCount = quint32(frames);
        o.stepMs = options.periodMs;
        o.uniqueId = uniqueId;
        o.producer = g_AppTitle;
        o.compression = compression;
        kq::AtomicFile out(path);
        if (!out.open()) return fail(QCoreApplication::translate("kq", "%1：无法写入").arg(path));
        ShowFrame frame;
        bool stopped = false;
        QString writeError;
        const bool written = writeFseqFile(
            out.device(), o,
            [&](quint32 k, QByteArray& channels) {
                if (stopped) return;
                reader.read(int(k) + 1, frame);
                char* to = channels.data();
                for (size_t i = 0; i < ports.size(); ++i) {
                    uint8_t block[2250];
                    portLevels(frame[size_t(ports[i].machine)], ports[i].port, block);
                    const QByteArray bytes = kq::link::open::pixelBytes(block, ports[i].colourOrder, ports[i].pixels);
                    std::memcpy(to + at[i], bytes.constData(), size_t(bytes.size()));
                }
                if (progress && !progress(done + int(k) + 1, total)) stopped = true;
            },
            &writeError);
        if (stopped) return fail(QCoreApplication::translate("kq", "已停止"));
        if (!written) return fail(QCoreApplication::translate("kq", "%1：%2").arg(path, writeError));
        if (!out.commit()) return fail(QCoreApplication::translate("kq", "%1：无法写入").arg(path));
        return true;
    };

    std::vector<int> withFrames;
    for (int m = 1; m <= 10; ++m)
        if (reader.machineFrames(m) > 0 &&
            std::any_of(used.begin(), used.end(), [m](const PortChannels& c) { return c.machine == m; }))
            withFrames.push_back(m);
    const int total = frames * (1 + (options.perControllerDir.isEmpty() ? 0 : int(withFrames.size())));
    if (!write(options.out, used, options.compression, 0, total)) return false;
    if (options.perControllerDir.isEmpty()) return true;
    if (!QDir().mkpath(options.perControllerDir))
        return fail(QCoreApplication::translate("kq", "%1：无法建立文件夹").arg(options.perControllerDir));
    int done = frames;
    for (int m : withFrames) {
        std::vector<PortChannels> own;
        std::copy_if(used.begin(), used.end(), std::back_inserter(own),
                     [m](const PortChannels& c) { return c.machine == m; });
        // Some players take only uncompressed files.
        const QString path = QStringLiteral("%1/ID%2.fseq").arg(options.perControllerDir, Fun_Pad2(m));
        if (!write(path, own, FseqCompression::None, done, total)) return false;
        done += frames;
    }
    return true;
}

std::optional<FseqImportResult> importFseq(const QString& appFolder, const T_Material (&materials)[kMaterialCount + 1],
                                           const kq::link::ControllerTable& table, const FseqImportOptions& options,
                                           const std::function<bool(int, int)>& progress, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<FseqImportResult> {
        if (error) *error = why;
        return std::nullopt;
    };
    const std::vector<PortChannels> map = usedChannels(table, materials);
    if (const QString why = channelMapProblem(map); !why.isEmpty()) return fail(why);
    const std::optional<QByteArray> bytes = kq::readWholeFile(options.in);
    if (!bytes) return fail(QCoreApplication::translate("kq", "%1：无法读取").arg(options.in));
    FseqReader reader;
    if (!reader.open(QByteArrayView(*bytes)))
        return fail(QCoreApplication::translate("kq", "%1：%2").arg(options.in, reader.error()));
    const FseqInfo& info = reader.info();
    FseqImportResult result;
    result.periodMs = info.stepMs;
    if (info.stepMs < 30 || info.stepMs > 200) {
        if (!options.periodMs)
            return fail(QCoreApplication::translate(
                            "kq", "%1：步长%2毫秒不是机器能播放的帧时间（30到200毫秒）；用 --period 重新取样")
                            .arg(options.in)
                            .arg(info.stepMs));
        result.periodMs = *options.periodMs;
        result.resampled = true;
    } else if (options.periodMs && *options.periodMs != info.stepMs) {
        result.periodMs = *options.periodMs;
        result.resampled = true;
    }
    if (result.periodMs < 30 || result.periodMs > 200)
        return fail(QCoreApplication::translate("kq", "帧时间只能是30到200毫秒"));
    // Frame j of the show at j x period shows the file's frame nearest in time.
    const int frames = result.resampled
                           ? std::max(1, int(std::llround(double(info.frameCount) * info.stepMs / result.periodMs)))
                           : int(info.frameCount);
    if (frames > 65535)
        return fail(QCoreApplication::translate("kq", "%1：%2帧超过一个素材能录制的帧数").arg(options.in).arg(frames));
    if (frames < 1) return fail(QCoreApplication::translate("kq", "%1：没有帧").arg(options.in));
    const auto sourceFrame = [&](int j) {
        if (!result.resampled) return quint32(j);
        return std::min(info.frameCount - 1, quint32(std::llround(double(j) * result.periodMs / info.stepMs)));
    };

    // Which bytes of a frame go where: for every port, the pieces of it that the file's ranges hold.
    struct Piece {
        int machine, port, colourOrder;
        qsizetype from;  // in the frame's bytes
        quint32 channel; // within the port, 0..2,249
        quint32 count;
    };
    std::vector<Piece> pieces;
    qint64 mapped = 0;
    qsizetype offset = 0;
    for (const FseqRange& r : info.ranges) {
        for (const PortChannels& c : map) {
            const quint32 from = std::max(r.start, c.first), to = std::min(r.start + r.count, c.end());
            if (from >= to) continue;
            pieces.push_back({c.machine, c.port, c.colourOrder, offset + (from - r.start), from - c.first, to - from});
            mapped += to - from;
        }
        offset += r.count;
    }
    result.unmappedChannels = qint64(info.channelsPerFrame) - mapped;
    bool has[11] = {};
    for (const Piece& p : pieces)
        has[p.machine] = true;
    for (int m = 1; m <= 10; ++m)
        if (has[m]) result.machines << m;
    if (result.machines.isEmpty())
        return fail(QCoreApplication::translate("kq", "%1：没有通道属于任何机器").arg(options.in));
    bool recorded = false;
    for (int m = 1; m <= 10; ++m)
        recorded = recorded || QFileInfo::exists(frameFilePath(appFolder, m, options.material));
    if (recorded && !options.replace)
        return fail(QCoreApplication::translate("kq", "素材%1已经有录制的帧文件；要替换它们，用 --force")
                        .arg(options.material));

    std::vector<std::unique_ptr<kq::AtomicFile>> files(11);
    for (int m : result.machines) {
        QDir().mkpath(frameFolder(appFolder, m));
        files[size_t(m)] = std::make_unique<kq::AtomicFile>(frameFilePath(appFolder, m, options.material));
        if (!files[size_t(m)]->open())
            return fail(
                QCoreApplication::translate("kq", "%1：无法写入").arg(frameFilePath(appFolder, m, options.material)));
        // As recording writes it: the header's first 51 bytes, zeros to its end.
        QByteArray header = encodeFrameFileHeader(RecordingMode::Rgb, frames).left(51);
        header.resize(kFrameFileHeaderBytes, '\0');
        files[size_t(m)]->device().write(header);
    }
    std::array<FrameImage, 11> images;
    for (int j = 1; j <= frames; ++j) {
        const std::optional<QByteArrayView> channels = reader.frame(sourceFrame(j - 1));
        if (!channels) return fail(QCoreApplication::translate("kq", "%1：%2").arg(options.in, reader.error()));
        for (int m : result.machines)
            images[size_t(m)].fill(0);
        for (const Piece& p : pieces) {
            uint8_t* block = images[size_t(p.machine)].data() + kFrameHeaderBytes + Fun_PortOffset(p.port);
            const int(&order)[3] = planesOf(p.colourOrder);
            for (quint32 i = 0; i < p.count; ++i) {
                const quint32 ch = p.channel + i;
                block[order[ch % 3] * 750 + ch / 3] = uint8_t((*channels)[p.from + i]);
            }
        }
        for (int m : result.machines) {
            QByteArray slot = encodeSlot(j, packFrame(images[size_t(m)]));
            slot.resize(kSlotBytes, '\0');
            if (files[size_t(m)]->device().write(slot) != slot.size())
                return fail(QCoreApplication::translate("kq", "%1：无法写入")
                                .arg(frameFilePath(appFolder, m, options.material)));
        }
        if (progress && !progress(j, frames)) return fail(QCoreApplication::translate("kq", "已停止"));
    }
    // As recording leaves them: an empty slot and one byte past it.
    for (int m : result.machines) {
        files[size_t(m)]->device().write(QByteArray(kSlotBytes + 1, '\0'));
        if (!files[size_t(m)]->commit())
            return fail(
                QCoreApplication::translate("kq", "%1：无法写入").arg(frameFilePath(appFolder, m, options.material)));
    }
    // The show is the file's now: frame files of machines it has no channels for would mix in.
    for (int m = 1; m <= 10; ++m)
        if (!has[m]) QFile::remove(frameFilePath(appFolder, m, options.material));
    result.frames = frames;
    return result;
}

} // namespace kq::show
