#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;

// FSEQ, the sequence files the open show players and sequencers play and write: a 32-byte header
// (28 in version 1), the block index, the sparse ranges, the variable headers, and from the data
// offset the frames one after another, each holding the channels of the sparse ranges in turn;
// compressed files hold them in blocks of whole frames, each block its own zstd or zlib stream.
// Numbers are little-endian. Frames and channels count from 0, as the files count them.

namespace kq::show {

enum class FseqCompression : quint8 { None = 0, Zstd = 1, Zlib = 2 };

// A run of channels; a frame's bytes are its ranges' channels one after another, in the ranges' order.
struct FseqRange {
    quint32 start = 0;
    quint32 count = 0;
    bool operator==(const FseqRange&) const = default;
};

// Sparse ranges hold their start and count in 24 bits each and end at this channel at the latest.
inline constexpr quint32 kFseqChannelLimit = 1u << 24;
inline constexpr int kFseqMaxRanges = 255;
// Older players read no more than 255 blocks; the writer stays within them.
inline constexpr int kFseqMaxBlocks = 255;
// The first block's frames: a player has them at once and starts without waiting for a large block.
inline constexpr quint32 kFseqFirstBlockFrames = 10;

// The same channels in the fewest ranges: sorted, overlapping and touching ranges joined, empty ones
// dropped.
QList<FseqRange> mergedFseqRanges(QList<FseqRange> ranges);

// How a compressed file groups its frames: a short first block, then blocks of framesPerBlock frames
// (the last one shorter), at least ten frames and 64 KiB each where that keeps to 255 blocks.
struct FseqBlockPlan {
    quint32 firstBlockFrames = 0;
    quint32 framesPerBlock = 0;
    int blockCount = 0;
    bool operator==(const FseqBlockPlan&) const = default;
};
FseqBlockPlan fseqBlockPlan(quint32 frameCount, quint64 channelsPerFrame);

struct FseqWriteOptions {
    // The channels of every frame. A single range from channel 0 is written as a file without sparse
    // ranges, which every player reads.
    QList<FseqRange> ranges;
    quint32 frameCount = 0;
    int stepMs = 50; // 1 to 255
    quint64 uniqueId = 0;
    QString producer; // the 'sp' variable header, left out when empty
    FseqCompression compression = FseqCompression::Zstd;
};

// Writes a version 2.0 file frame by frame: the header at begin(), each frame's bytes compressed into
// its block as it comes, the block index when the last frame is in. Memory stays at a compressor's
// buffers whatever the show's length. A compressed file's output must be able to seek back to its
// block index; an uncompressed one is written straight through.
class FseqWriter {
public:
    FseqWriter();
    ~FseqWriter();
    FseqWriter(const FseqWriter&) = delete;
    FseqWriter& operator=(const FseqWriter&) = delete;

    // False with the reason in error() when the layout cannot be written or the output fails.
    bool begin(QIODevice& out, const FseqWriteOptions& options);
    // The next frame, channelsPerFrame() bytes.
    bool addFrame(QByteArrayView channels);
    // After exactly the announced frames: the last block closed and the block index filled in.
    bool finish();

    quint32 channelsPerFrame() const;
    const QString& error() const { return error_; }

private:
    struct State;
    bool fail(const QString& why);
    std::unique_ptr<State> d_;
    QString error_;
};

// A whole file from `fill`, called for frames 0, 1, ... with `channels` already channelsPerFrame
// bytes long (holding the frame before), which it overwrites with frame k's channels.
bool writeFseqFile(QIODevice& out, const FseqWriteOptions& options,
                   const std::function<void(quint32 k, QByteArray& channels)>& fill, QString* error);

struct FseqVariableHeader {
    QByteArray code; // two letters: "sp" the producer, "mf" the media file, ...
    QByteArray data; // as stored; text ends in a NUL
    // The data up to its first NUL, as UTF-8.
    QString text() const;
};

// A compressed block: its frames and where its stream lies in the file.
struct FseqBlock {
    quint32 firstFrame = 0;
    quint32 frames = 0;
    qint64 offset = 0;
    quint32 size = 0;
};

struct FseqInfo {
    int majorVersion = 0, minorVersion = 0;
    quint16 dataOffset = 0;
    quint32 channelsPerFrame = 0;
    quint32 frameCount = 0;
    int stepMs = 0;
    FseqCompression compression = FseqCompression::None;
    quint64 uniqueId = 0; // version 1 files have none: 0
    bool sparse = false;  // whether the file has sparse ranges
    // Where a frame's bytes belong: the sparse ranges, or {0, channelsPerFrame} without them.
    QList<FseqRange> ranges;
    QList<FseqVariableHeader> variableHeaders;
    QList<FseqBlock> blocks; // compressed files only, the blocks that hold data
    // The 'sp' variable header's text, or empty.
    QString producer() const;
};

// Reads version 1 and 2 files, a block at a time: opening checks the header, the index and the ranges
// against the file's size; a frame's block is read and unpacked when a frame of it is asked for, and
// kept until a frame of another block is (a block that does not unpack is not tried again). Nothing
// is allocated beyond what the file's size allows, and a damaged file gives its first damage in
// error().
class FseqReader {
public:
    FseqReader();
    ~FseqReader();
    FseqReader(const FseqReader&) = delete;
    FseqReader& operator=(const FseqReader&) = delete;

    // Over bytes that stay the caller's and alive while the reader reads them.
    bool open(QByteArrayView bytes);
    // Over a device open for reading and able to seek, from its byte 0; it stays the caller's.
    bool open(QIODevice& device);

    const FseqInfo& info() const { return info_; }
    const QString& error() const { return error_; }

    // Frame k's channelsPerFrame bytes, the ranges' channels one after another; valid until the next
    // call. Nothing, with the reason in error(), when the frame cannot be read.
    std::optional<QByteArrayView> frame(quint32 k);

private:
    bool openHead(qint64 size);
    bool readAt(qint64 at, qint64 length, QByteArray& buffer, QByteArrayView& view);
    bool loadBlock(qsizetype b);
    bool fail(const QString& why);

    QByteArrayView bytes_;
    QIODevice* device_ = nullptr;
    qint64 size_ = 0;
    FseqInfo info_;
    QString error_;
    qsizetype cachedBlock_ = -1;
    qsizetype damagedBlock_ = -1; // the block that would not unpack, and why: not tried again
    QString damage_;
    QByteArray block_;  // the cached block, unpacked
    QByteArray buffer_; // what was read from the device
};

} // namespace kq::show
