#include "fseq.h"

#include <QCoreApplication>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <utility>

#define ZLIB_CONST
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

namespace kq::show {
namespace {

constexpr qint64 kV1HeaderBytes = 28;
constexpr qint64 kV2HeaderBytes = 32;
constexpr qint64 kBlockEntryBytes = 8;
constexpr qint64 kRangeBytes = 6;
constexpr qint64 kMaxDataOffset = 0xFFFF;
// Where frames are small, a block gathers at least this much and at least as many frames as the first
// block, so that the compressor has enough to work on and the index stays short.
constexpr quint64 kBlockTargetBytes = 64 * 1024;
// The reader keeps one unpacked block in memory; no player writes blocks anywhere near this.
constexpr quint64 kMaxBlockBytes = quint64(512) << 20;
// The most one stored byte can unpack to: a zstd block of 128 KiB is at least a 3-byte header and one
// repeated byte; deflate's longest matches cost a bit or two for 258 bytes. A block whose frames need
// more is damaged, and is refused before anything is allocated for it.
constexpr quint64 kZstdMaxRatio = 32768;
constexpr quint64 kZlibMaxRatio = 1032;
constexpr int kZstdLevel = 1;
constexpr int kZlibLevel = 1;
constexpr qsizetype kOutChunkBytes = 256 * 1024;

quint64 le(QByteArrayView b, qint64 at, int size) {
    quint64 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | uint8_t(b[qsizetype(at) + i]);
    return v;
}

void putLe(QByteArray& b, qint64 at, quint64 v, int size) {
    for (int i = 0; i < size; ++i, v >>= 8)
        b[qsizetype(at) + i] = char(v & 0xFF);
}

} // namespace

QList<FseqRange> mergedFseqRanges(QList<FseqRange> ranges) {
    ranges.removeIf([](const FseqRange& r) { return r.count == 0; });
    std::sort(ranges.begin(), ranges.end(), [](const FseqRange& a, const FseqRange& b) { return a.start < b.start; });
    QList<FseqRange> out;
    for (const FseqRange& r : ranges) {
        const quint64 end = quint64(r.start) + r.count;
        if (!out.isEmpty() && r.start <= quint64(out.last().start) + out.last().count) {
            FseqRange& last = out.last();
            const quint64 joined = std::max(quint64(last.start) + last.count, end) - last.start;
            last.count = quint32(std::min<quint64>(joined, 0xFFFFFFFFu));
        } else {
            out.append(r);
        }
    }
    return out;
}

FseqBlockPlan fseqBlockPlan(quint32 frameCount, quint64 channelsPerFrame) {
    if (frameCount == 0) return {};
    const quint32 first = std::min(frameCount, kFseqFirstBlockFrames);
    const quint64 rest = frameCount - first;
    if (rest == 0) return {first, 0, 1};
    const quint64 forCount = (rest + kFseqMaxBlocks - 2) / (kFseqMaxBlocks - 1);
    const quint64 channels = std::max<quint64>(channelsPerFrame, 1);
    const quint64 forBytes = (kBlockTargetBytes + channels - 1) / channels;
    const quint64 per = std::min(std::max({forCount, forBytes, quint64(kFseqFirstBlockFrames)}), rest);
    return {first, quint32(per), int(1 + (rest + per - 1) / per)};
}

// ---------------------------------------------------------------------------------------------------
// Writing

struct FseqWriter::State {
    QIODevice* out = nullptr;
    FseqCompression compression = FseqCompression::None;
    quint32 frameCount = 0, channels = 0, written = 0;
    FseqBlockPlan plan;
    qint64 start = 0;                         // the device's position of the file's byte 0
    quint32 blockFrames = 0;                  // frames in the open block so far
    quint32 blockWants = 0;                   // frames the open block takes
    quint64 blockBytes = 0;                   // its compressed bytes so far
    QList<std::pair<quint32, quint32>> index; // per block: first frame, compressed bytes
    ZSTD_CCtx* zstd = nullptr;
    z_stream zlib{};
    bool zlibOpen = false;
    bool broken = false, finished = false;
    QByteArray chunk;

    ~State() {
        ZSTD_freeCCtx(zstd);
        if (zlibOpen) deflateEnd(&zlib);
    }
};

FseqWriter::FseqWriter() = default;
FseqWriter::~FseqWriter() = default;

quint32 FseqWriter::channelsPerFrame() const {
    return d_ ? d_->channels : 0;
}

bool FseqWriter::fail(const QString& why) {
    error_ = why;
    if (d_) d_->broken = true;
    return false;
}

bool FseqWriter::begin(QIODevice& out, const FseqWriteOptions& o) {
    d_ = std::make_unique<State>();
    error_.clear();
    if (o.stepMs < 1 || o.stepMs > 255)
        return fail(QCoreApplication::translate("kq", "帧间隔%1毫秒不在1到255毫秒之间").arg(o.stepMs));
    // One range from channel 0 says nothing a plain file does not, and some players take only those.
    const bool sparse = !(o.ranges.size() == 1 && o.ranges[0].start == 0);
    quint64 channels = 0;
    if (sparse) {
        if (o.ranges.size() > kFseqMaxRanges)
            return fail(QCoreApplication::translate("kq", "稀疏范围多于255个（%1个）").arg(o.ranges.size()));
        for (qsizetype i = 0; i < o.ranges.size(); ++i) {
            const FseqRange& r = o.ranges[i];
            if (r.count == 0) return fail(QCoreApplication::translate("kq", "稀疏范围%1没有通道").arg(i));
            if (quint64(r.start) + r.count > kFseqChannelLimit)
                return fail(QCoreApplication::translate("kq", "稀疏范围%1（从通道%2起%3个通道）超出了通道16,777,215")
                                .arg(i)
                                .arg(r.start)
                                .arg(r.count));
            channels += r.count;
        }
    } else {
        channels = o.ranges[0].count;
    }
    if (channels == 0) return fail(QCoreApplication::translate("kq", "帧没有通道"));

    State& d = *d_;
    d.out = &out;
    d.compression = o.compression;
    d.frameCount = o.frameCount;
    d.channels = quint32(channels);
    if (o.compression != FseqCompression::None) d.plan = fseqBlockPlan(o.frameCount, channels);
    // What the reader would refuse to unpack is not written.
    if (quint64(std::max(d.plan.firstBlockFrames, d.plan.framesPerBlock)) * channels > kMaxBlockBytes)
        return fail(QCoreApplication::translate("kq", "%1帧每帧%2个通道放不进255个不超过512 MiB的块")
                        .arg(o.frameCount)
                        .arg(channels));

    const QByteArray producer = o.producer.toUtf8();
    const qint64 rangeCount = sparse ? o.ranges.size() : 0;
    const qint64 indexEnd = kV2HeaderBytes + kBlockEntryBytes * d.plan.blockCount + kRangeBytes * rangeCount;
    const qint64 producerBytes = producer.isEmpty() ? 0 : 4 + producer.size() + 1;
    // The players pad the headers to a multiple of 4 so that the frames start aligned.
    const qint64 dataOffset = (indexEnd + producerBytes + 3) & ~qint64(3);
    if (dataOffset > kMaxDataOffset)
        return fail(QCoreApplication::translate("kq", "文件头要%1字节，超过了65,535字节").arg(dataOffset));
    if (o.compression != FseqCompression::None && out.isSequential())
        return fail(QCoreApplication::translate("kq", "压缩的文件要写到能回到它块索引的地方"));

    QByteArray h(dataOffset, '\0');
    std::memcpy(h.data(), "PSEQ", 4);
    putLe(h, 4, quint64(dataOffset), 2);
    h[6] = 0; // minor version
    h[7] = 2; // major version
    putLe(h, 8, quint64(indexEnd), 2);
    putLe(h, 10, channels, 4);
    putLe(h, 14, o.frameCount, 4);
    h[18] = char(o.stepMs);
    h[20] = char(o.compression);
    h[21] = char(d.plan.blockCount);
    h[22] = char(rangeCount);
    putLe(h, 24, o.uniqueId, 8);
    // The block index stays zero until finish() knows the blocks' sizes.
    qint64 at = kV2HeaderBytes + kBlockEntryBytes * d.plan.blockCount;
    for (qint64 i = 0; i < rangeCount; ++i, at += kRangeBytes) {
        putLe(h, at, o.ranges[qsizetype(i)].start, 3);
        putLe(h, at + 3, o.ranges[qsizetype(i)].count, 3);
    }
    if (!producer.isEmpty()) {
        putLe(h, at, quint64(producerBytes), 2);
        h[qsizetype(at) + 2] = 's';
        h[qsizetype(at) + 3] = 'p';
        std::memcpy(h.data() + at + 4, producer.constData(), size_t(producer.size()));
    }

    d.start = out.pos();
    if (out.write(h) != h.size()) return fail(QCoreApplication::translate("kq", "写入失败：%1").arg(out.errorString()));
    if (o.compression == FseqCompression::Zstd) {
        d.zstd = ZSTD_createCCtx();
        if (!d.zstd || ZSTD_isError(ZSTD_CCtx_setParameter(d.zstd, ZSTD_c_compressionLevel, kZstdLevel)) ||
            ZSTD_isError(ZSTD_CCtx_setParameter(d.zstd, ZSTD_c_checksumFlag, 1)))
            return fail(QCoreApplication::translate("kq", "压缩失败：%1").arg(QStringLiteral("zstd")));
    } else if (o.compression == FseqCompression::Zlib) {
        if (deflateInit(&d.zlib, kZlibLevel) != Z_OK)
            return fail(QCoreApplication::translate("kq", "压缩失败：%1").arg(QStringLiteral("zlib")));
        d.zlibOpen = true;
    }
    if (o.compression != FseqCompression::None) d.chunk.resize(kOutChunkBytes);
    return true;
}

bool FseqWriter::addFrame(QByteArrayView channels) {
    if (!d_ || d_->broken || d_->finished) return false;
    State& d = *d_;
    if (d.written >= d.frameCount) return fail(QCoreApplication::translate("kq", "帧多于宣布的%1帧").arg(d.frameCount));
    if (channels.size() != qsizetype(d.channels))
        return fail(QCoreApplication::translate("kq", "第%1帧有%2字节，应为%3字节")
                        .arg(d.written)
                        .arg(channels.size())
                        .arg(d.channels));
    if (d.compression == FseqCompression::None) {
        if (d.out->write(channels.data(), channels.size()) != channels.size())
            return fail(QCoreApplication::translate("kq", "写入失败：%1").arg(d.out->errorString()));
        ++d.written;
        return true;
    }

    const auto put = [&](qsizetype n) {
        if (n > 0 && d.out->write(d.chunk.constData(), n) != n)
            return fail(QCoreApplication::translate("kq", "写入失败：%1").arg(d.out->errorString()));
        d.blockBytes += quint64(n);
        return true;
    };
    const auto compress = [&](QByteArrayView in, bool end) {
        if (d.compression == FseqCompression::Zstd) {
            ZSTD_inBuffer src{in.data(), size_t(in.size()), 0};
            for (;;) {
                ZSTD_outBuffer dst{d.chunk.data(), size_t(d.chunk.size()), 0};
                const size_t left = ZSTD_compressStream2(d.zstd, &dst, &src, end ? ZSTD_e_end : ZSTD_e_continue);
                if (ZSTD_isError(left))
                    return fail(QCoreApplication::translate("kq", "压缩失败：%1")
                                    .arg(QString::fromUtf8(ZSTD_getErrorName(left))));
                if (!put(qsizetype(dst.pos))) return false;
                if (end ? left == 0 : src.pos == src.size) return true;
            }
        }
        d.zlib.next_in = reinterpret_cast<const Bytef*>(in.data());
        d.zlib.avail_in = uInt(in.size());
        int r = Z_OK;
        do {
            d.zlib.next_out = reinterpret_cast<Bytef*>(d.chunk.data());
            d.zlib.avail_out = uInt(d.chunk.size());
            r = deflate(&d.zlib, end ? Z_FINISH : Z_NO_FLUSH);
            if (r == Z_STREAM_ERROR)
                return fail(QCoreApplication::translate("kq", "压缩失败：%1").arg(QStringLiteral("zlib")));
            if (!put(d.chunk.size() - qsizetype(d.zlib.avail_out))) return false;
        } while (d.zlib.avail_out == 0);
        if (end && (r != Z_STREAM_END || deflateReset(&d.zlib) != Z_OK))
            return fail(QCoreApplication::translate("kq", "压缩失败：%1").arg(QStringLiteral("zlib")));
        return true;
    };

    if (d.blockFrames == 0) {
        d.blockWants =
            std::min(d.index.isEmpty() ? d.plan.firstBlockFrames : d.plan.framesPerBlock, d.frameCount - d.written);
        d.blockBytes = 0;
        d.index.append({d.written, 0});
        // The block's size in its zstd frame header lets a reader check it before unpacking.
        if (d.zstd && (ZSTD_isError(ZSTD_CCtx_reset(d.zstd, ZSTD_reset_session_only)) ||
                       ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(d.zstd, quint64(d.blockWants) * d.channels))))
            return fail(QCoreApplication::translate("kq", "压缩失败：%1").arg(QStringLiteral("zstd")));
    }
    if (!compress(channels, false)) return false;
    ++d.blockFrames;
    ++d.written;
    if (d.blockFrames == d.blockWants) {
        if (!compress({}, true)) return false;
        if (d.blockBytes > 0xFFFFFFFFu)
            return fail(QCoreApplication::translate("kq", "块%1压缩后超过了4 GiB").arg(d.index.size() - 1));
        d.index.last().second = quint32(d.blockBytes);
        d.blockFrames = 0;
    }
    return true;
}

bool FseqWriter::finish() {
    if (!d_ || d_->broken || d_->finished) return false;
    State& d = *d_;
    if (d.written != d.frameCount)
        return fail(QCoreApplication::translate("kq", "写了%1帧，而不是宣布的%2帧").arg(d.written).arg(d.frameCount));
    if (!d.index.isEmpty()) {
        QByteArray index(d.index.size() * kBlockEntryBytes, '\0');
        for (qsizetype i = 0; i < d.index.size(); ++i) {
            putLe(index, i * kBlockEntryBytes, d.index[i].first, 4);
            putLe(index, i * kBlockEntryBytes + 4, d.index[i].second, 4);
        }
        const qint64 end = d.out->pos();
        if (!d.out->seek(d.start + kV2HeaderBytes) || d.out->write(index) != index.size() || !d.out->seek(end))
            return fail(QCoreApplication::translate("kq", "写入失败：%1").arg(d.out->errorString()));
    }
    d.finished = true;
    return true;
}

bool writeFseqFile(QIODevice& out, const FseqWriteOptions& options,
                   const std::function<void(quint32 k, QByteArray& channels)>& fill, QString* error) {
    FseqWriter writer;
    bool ok = writer.begin(out, options);
    QByteArray channels(ok ? qsizetype(writer.channelsPerFrame()) : 0, '\0');
    for (quint32 k = 0; ok && k < options.frameCount; ++k) {
        fill(k, channels);
        ok = writer.addFrame(channels);
    }
    ok = ok && writer.finish();
    if (!ok && error) *error = writer.error();
    return ok;
}

// ---------------------------------------------------------------------------------------------------
// Reading

QString FseqVariableHeader::text() const {
    const qsizetype nul = data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? data : data.left(nul));
}

QString FseqInfo::producer() const {
    for (const FseqVariableHeader& h : variableHeaders)
        if (h.code == "sp") return h.text();
    return {};
}

FseqReader::FseqReader() = default;
FseqReader::~FseqReader() = default;

bool FseqReader::fail(const QString& why) {
    error_ = why;
    return false;
}

bool FseqReader::open(QByteArrayView bytes) {
    bytes_ = bytes;
    device_ = nullptr;
    return openHead(bytes.size());
}

bool FseqReader::open(QIODevice& device) {
    bytes_ = {};
    device_ = &device;
    if (!device.isReadable() || device.isSequential())
        return fail(QCoreApplication::translate("kq", "在第%1字节处读取失败").arg(0));
    return openHead(device.size());
}

bool FseqReader::readAt(qint64 at, qint64 length, QByteArray& buffer, QByteArrayView& view) {
    if (at < 0 || length < 0 || at > size_ || length > size_ - at)
        return fail(QCoreApplication::translate("kq", "在第%1字节处读取失败").arg(at));
    if (!device_) {
        view = bytes_.sliced(qsizetype(at), qsizetype(length));
        return true;
    }
    buffer.resize(qsizetype(length));
    if (!device_->seek(at) || device_->read(buffer.data(), length) != length)
        return fail(QCoreApplication::translate("kq", "在第%1字节处读取失败").arg(at));
    view = buffer;
    return true;
}

bool FseqReader::openHead(qint64 size) {
    size_ = size;
    info_ = {};
    error_.clear();
    cachedBlock_ = damagedBlock_ = -1;
    QByteArrayView head;
    if (!readAt(0, std::min(size_, kV2HeaderBytes), buffer_, head)) return false;
    if (head.size() < 4 || (!head.startsWith("PSEQ") && !head.startsWith("FSEQ")))
        return fail(QCoreApplication::translate("kq", "不是FSEQ文件：不以PSEQ开始"));
    const int major = head.size() > 7 ? uint8_t(head[7]) : 2;
    if (major != 1 && major != 2)
        return fail(QCoreApplication::translate("kq", "无法读取FSEQ版本%1.%2").arg(major).arg(uint8_t(head[6])));
    const qint64 headerBytes = major == 1 ? kV1HeaderBytes : kV2HeaderBytes;
    if (size_ < headerBytes)
        return fail(
            QCoreApplication::translate("kq", "文件只有%1字节，比它%2字节的文件头还短").arg(size_).arg(headerBytes));
    const qint64 dataOffset = qint64(le(head, 4, 2));
    if (dataOffset < headerBytes)
        return fail(
            QCoreApplication::translate("kq", "通道数据的偏移%1落在%2字节的文件头里").arg(dataOffset).arg(headerBytes));
    if (dataOffset > size_)
        return fail(QCoreApplication::translate("kq", "通道数据的偏移%1超出了文件末尾（文件%2字节）")
                        .arg(dataOffset)
                        .arg(size_));
    QByteArray headBuffer;
    if (!readAt(0, dataOffset, headBuffer, head)) return false;

    FseqInfo& f = info_;
    f.majorVersion = major;
    f.minorVersion = uint8_t(head[6]);
    f.dataOffset = quint16(dataOffset);
    f.channelsPerFrame = quint32(le(head, 10, 4));
    f.frameCount = quint32(le(head, 14, 4));
    f.stepMs = uint8_t(head[18]);
    const quint64 channels = f.channelsPerFrame;

    // Version 1 has no compression, no ranges and no id; its variable headers follow the 28 bytes.
    qint64 variableStart = kV1HeaderBytes;
    qint64 blockCount = 0;
    if (major == 2) {
        const uint8_t b20 = uint8_t(head[20]);
        // From 2.1 on the high nibble of byte 20 holds bits 8-11 of the block count.
        const int compression = f.minorVersion >= 1 ? b20 & 0x0F : b20;
        blockCount = qint64(uint8_t(head[21])) | (f.minorVersion >= 1 ? qint64(b20 & 0xF0) << 4 : 0);
        if (compression > 2) return fail(QCoreApplication::translate("kq", "未知的压缩方式%1").arg(compression));
        f.compression = FseqCompression(compression);
        const qint64 rangeCount = uint8_t(head[22]);
        const qint64 indexEnd = kV2HeaderBytes + kBlockEntryBytes * blockCount + kRangeBytes * rangeCount;
        if (indexEnd > dataOffset)
            return fail(QCoreApplication::translate("kq", "块索引和稀疏范围到第%1字节，超过了通道数据的偏移%2")
                            .arg(indexEnd)
                            .arg(dataOffset));
        // Players write the end of the ranges here, older ones the data offset.
        const qint64 headerLength = qint64(le(head, 8, 2));
        if (headerLength < indexEnd || headerLength > dataOffset)
            return fail(
                QCoreApplication::translate("kq", "文件头长度%1不在块索引和稀疏范围的末尾%2与通道数据的偏移%3之间")
                    .arg(headerLength)
                    .arg(indexEnd)
                    .arg(dataOffset));
        f.uniqueId = le(head, 24, 8);
        f.sparse = rangeCount > 0;
        quint64 sum = 0;
        for (qint64 i = 0, at = kV2HeaderBytes + kBlockEntryBytes * blockCount; i < rangeCount;
             ++i, at += kRangeBytes) {
            const FseqRange r{quint32(le(head, at, 3)), quint32(le(head, at + 3, 3))};
            if (quint64(r.start) + r.count > kFseqChannelLimit)
                return fail(QCoreApplication::translate("kq", "稀疏范围%1（从通道%2起%3个通道）超出了通道16,777,215")
                                .arg(i)
                                .arg(r.start)
                                .arg(r.count));
            sum += r.count;
            f.ranges.append(r);
        }
        if (f.sparse && sum != channels)
            return fail(QCoreApplication::translate("kq", "稀疏范围共%1个通道，文件头写的是每帧%2个通道")
                            .arg(sum)
                            .arg(channels));
        variableStart = indexEnd;
    }
    if (!f.sparse) f.ranges = {{0, f.channelsPerFrame}};

    // A length below 4 is the padding before the frames.
    for (qint64 at = variableStart; at + 4 <= dataOffset;) {
        const qint64 length = qint64(le(head, at, 2));
        if (length < 4) break;
        const QByteArray code = head.sliced(qsizetype(at) + 2, 2).toByteArray();
        if (at + length > dataOffset)
            return fail(
                QCoreApplication::translate("kq", "变量头%1超出了通道数据的偏移").arg(QString::fromLatin1(code)));
        f.variableHeaders.append({code, head.sliced(qsizetype(at) + 4, qsizetype(length) - 4).toByteArray()});
        at += length;
    }

    if (f.frameCount > 0 && channels == 0) return fail(QCoreApplication::translate("kq", "帧没有通道"));
    const quint64 stored = quint64(size_ - dataOffset);
    if (f.compression == FseqCompression::None) {
        // Channels and frames are below 2^32 each: their product fits.
        const quint64 needed = quint64(f.frameCount) * channels;
        if (needed > stored)
            return fail(QCoreApplication::translate("kq", "%1帧每帧%2个通道要%3字节，通道数据只有%4字节")
                            .arg(f.frameCount)
                            .arg(channels)
                            .arg(needed)
                            .arg(stored));
        return true;
    }

    // The index holds each block's length; the blocks follow one another from the data offset, and
    // entries of length 0 are slots the writer did not need.
    qint64 at = dataOffset;
    for (qint64 i = 0; i < blockCount; ++i) {
        const qint64 entry = kV2HeaderBytes + kBlockEntryBytes * i;
        const quint32 first = quint32(le(head, entry, 4));
        const quint32 length = quint32(le(head, entry + 4, 4));
        if (length == 0) continue;
        if (f.blocks.isEmpty() && first != 0)
            return fail(QCoreApplication::translate("kq", "第一个有数据的块从第%1帧开始，不是第0帧").arg(first));
        if ((!f.blocks.isEmpty() && first <= f.blocks.last().firstFrame) || first >= f.frameCount)
            return fail(QCoreApplication::translate("kq", "块%1从第%2帧开始，不在前一块之后、共%3帧之内")
                            .arg(i)
                            .arg(first)
                            .arg(f.frameCount));
        if (length > size_ - at) return fail(QCoreApplication::translate("kq", "块%1超出了文件末尾").arg(i));
        f.blocks.append({first, 0, at, length});
        at += length;
    }
    if (f.frameCount > 0 && f.blocks.isEmpty()) return fail(QCoreApplication::translate("kq", "压缩的文件没有块索引"));
    const quint64 ratio = f.compression == FseqCompression::Zstd ? kZstdMaxRatio : kZlibMaxRatio;
    for (qsizetype b = 0; b < f.blocks.size(); ++b) {
        FseqBlock& block = f.blocks[b];
        block.frames = (b + 1 < f.blocks.size() ? f.blocks[b + 1].firstFrame : f.frameCount) - block.firstFrame;
        const quint64 unpacked = quint64(block.frames) * channels;
        if (unpacked > kMaxBlockBytes)
            return fail(
                QCoreApplication::translate("kq", "块%1解压后有%2字节，超过了一次能读的512 MiB").arg(b).arg(unpacked));
        if (unpacked > quint64(block.size) * ratio)
            return fail(QCoreApplication::translate("kq", "块%1只有%2字节，装不下它%3帧的%4字节")
                            .arg(b)
                            .arg(block.size)
                            .arg(block.frames)
                            .arg(unpacked));
    }
    return true;
}

bool FseqReader::loadBlock(qsizetype b) {
    cachedBlock_ = -1;
    const FseqBlock& block = info_.blocks[b];
    const qsizetype expected = qsizetype(block.frames) * qsizetype(info_.channelsPerFrame);
    const auto more = [&] {
        return fail(
            QCoreApplication::translate("kq", "块%1解压后多于它%2帧的%3字节").arg(b).arg(block.frames).arg(expected));
    };
    QByteArrayView packed;
    if (!readAt(block.offset, block.size, buffer_, packed)) return false;

    // One byte more than the frames need shows a block that holds more.
    qsizetype got = 0;
    if (info_.compression == FseqCompression::Zstd) {
        const unsigned long long declared = ZSTD_getFrameContentSize(packed.data(), size_t(packed.size()));
        if (declared != ZSTD_CONTENTSIZE_UNKNOWN && declared != ZSTD_CONTENTSIZE_ERROR && declared > quint64(expected))
            return more();
        block_.resize(expected + 1);
        const size_t n = ZSTD_decompress(block_.data(), size_t(block_.size()), packed.data(), size_t(packed.size()));
        if (ZSTD_isError(n)) {
            if (ZSTD_getErrorCode(n) == ZSTD_error_dstSize_tooSmall) return more();
            return fail(QCoreApplication::translate("kq", "块%1不是完好的%2数据：%3")
                            .arg(b)
                            .arg(QStringLiteral("zstd"), QString::fromUtf8(ZSTD_getErrorName(n))));
        }
        got = qsizetype(n);
    } else {
        block_.resize(expected + 1);
        z_stream s{};
        if (inflateInit(&s) != Z_OK)
            return fail(QCoreApplication::translate("kq", "块%1不是完好的%2数据：%3")
                            .arg(b)
                            .arg(QStringLiteral("zlib"), QString::fromUtf8(zError(Z_MEM_ERROR))));
        s.next_in = reinterpret_cast<const Bytef*>(packed.data());
        s.avail_in = uInt(packed.size());
        s.next_out = reinterpret_cast<Bytef*>(block_.data());
        s.avail_out = uInt(block_.size());
        const int r = inflate(&s, Z_FINISH);
        const QString why = QString::fromUtf8(s.msg ? s.msg : zError(r));
        got = qsizetype(s.total_out);
        inflateEnd(&s);
        if (got > expected) return more();
        if (r == Z_BUF_ERROR) return fail(QCoreApplication::translate("kq", "块%1的压缩数据不完整").arg(b));
        if (r != Z_STREAM_END)
            return fail(
                QCoreApplication::translate("kq", "块%1不是完好的%2数据：%3").arg(b).arg(QStringLiteral("zlib"), why));
    }
    if (got > expected) return more();
    if (got < expected)
        return fail(QCoreApplication::translate("kq", "块%1解压后只有%2字节，少于它%3帧的%4字节")
                        .arg(b)
                        .arg(got)
                        .arg(block.frames)
                        .arg(expected));
    block_.resize(expected);
    cachedBlock_ = b;
    return true;
}

std::optional<QByteArrayView> FseqReader::frame(quint32 k) {
    if (k >= info_.frameCount) {
        fail(QCoreApplication::translate("kq", "没有第%1帧（共%2帧）").arg(k).arg(info_.frameCount));
        return std::nullopt;
    }
    const qint64 channels = info_.channelsPerFrame;
    if (info_.compression == FseqCompression::None) {
        QByteArrayView view;
        if (!readAt(info_.dataOffset + qint64(k) * channels, channels, buffer_, view)) return std::nullopt;
        return view;
    }
    const auto after = std::upper_bound(info_.blocks.cbegin(), info_.blocks.cend(), k,
                                        [](quint32 wanted, const FseqBlock& blk) { return wanted < blk.firstFrame; });
    const qsizetype b = (after - info_.blocks.cbegin()) - 1;
    if (b < 0) return std::nullopt; // not reached: the first block starts at frame 0
    if (b == damagedBlock_) {
        error_ = damage_;
        return std::nullopt;
    }
    if (b != cachedBlock_ && !loadBlock(b)) {
        damagedBlock_ = b;
        damage_ = error_;
        return std::nullopt;
    }
    return QByteArrayView(block_).sliced(qsizetype(k - info_.blocks[b].firstFrame) * channels, channels);
}

} // namespace kq::show
