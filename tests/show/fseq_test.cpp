#include "show/fseq.h"
#include "support/in_language.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zlib.h>
#include <zstd.h>

namespace {

using namespace kq::show;

// The damage is asserted in English.
class Fseq : public testing::Test {
    kq::test::InLanguage english{kq::Language::English};
};

QByteArray le(quint64 v, int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i, v >>= 8)
        b[i] = char(v & 0xFF);
    return b;
}

QByteArray zstdOf(const QByteArray& raw) {
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(raw.size()))), '\0');
    out.resize(qsizetype(ZSTD_compress(out.data(), size_t(out.size()), raw.constData(), size_t(raw.size()), 3)));
    return out;
}

QByteArray zlibOf(const QByteArray& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    QByteArray out(qsizetype(n), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.constData()),
              uLong(raw.size()), 6);
    out.resize(qsizetype(n));
    return out;
}

// Channel k of frame f in the generated shows: every frame and channel differs from its neighbours.
char level(quint32 f, qsizetype k) {
    return char((f * 31 + quint32(k) * 7 + f / 256) & 0xFF);
}

QByteArray frameBytes(quint32 f, qsizetype channels) {
    QByteArray b(channels, '\0');
    for (qsizetype k = 0; k < channels; ++k)
        b[k] = level(f, k);
    return b;
}

// The tiny file of the writer test, byte by byte: channels 5-7 and 20-21, two frames, 25 ms.
QByteArray handWrittenSparseFile() {
    return QByteArray::fromHex("50534551"              // PSEQ
                               "3C00"                  // channel data at 60
                               "00 02"                 // version 2.0
                               "2C00"                  // the variable headers from 44
                               "05000000"              // 5 channels a frame
                               "02000000"              // 2 frames
                               "19 00 00 00 02 00"     // 25 ms, flags, no compression, no blocks, 2 ranges
                               "0807060504030201"      // unique id
                               "050000 030000"         // channels 5, 6, 7
                               "140000 020000"         // channels 20, 21
                               "0E00 7370"             // 'sp', 14 bytes
                               "6B7135313020312E38 00" // "kq510 1.8"
                               "0000"                  // to a multiple of 4
                               "0102030405"            // frame 0
                               "060708090A");          // frame 1
}

// A compressed version 2 file made by hand around the given block streams: channels per frame, frames,
// the index's (first frame, stream) entries, no ranges, no variable headers.
QByteArray handCompressedFile(FseqCompression compression, quint32 channels, quint32 frames,
                              const QList<std::pair<quint32, QByteArray>>& blocks, int minor = 0) {
    const qsizetype count = blocks.size();
    const qsizetype dataOffset = 32 + 8 * count;
    QByteArray f = "PSEQ" + le(quint64(dataOffset), 2) + char(minor) + char(2) + le(quint64(dataOffset), 2) +
                   le(channels, 4) + le(frames, 4) + char(50) + char(0) +
                   char(int(compression) | (minor >= 1 ? (count >> 8) << 4 : 0)) + char(count & 0xFF) + char(0) +
                   char(0) + le(0x1122334455667788u, 8);
    for (const auto& [first, stream] : blocks)
        f += le(first, 4) + le(quint64(stream.size()), 4);
    for (const auto& block : blocks)
        f += block.second;
    return f;
}

// All of a file's frames, or the first damage, read from the bytes and from a device alike.
struct Read {
    bool ok = false;
    QString error;
    FseqInfo info;
    QList<QByteArray> frames;
};
Read readAll(const QByteArray& file, bool viaDevice = false) {
    FseqReader reader;
    QBuffer device;
    Read r;
    if (viaDevice) {
        device.setData(file);
        device.open(QIODevice::ReadOnly);
    }
    if (!(viaDevice ? reader.open(device) : reader.open(QByteArrayView(file)))) {
        r.error = reader.error();
        return r;
    }
    r.info = reader.info();
    for (quint32 k = 0; k < r.info.frameCount; ++k) {
        const std::optional<QByteArrayView> frame = reader.frame(k);
        if (!frame) {
            r.error = reader.error();
            return r;
        }
        r.frames.append(frame->toByteArray());
    }
    r.ok = true;
    return r;
}

QByteArray write(const FseqWriteOptions& options, QString* error = nullptr) {
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    QString why;
    const bool ok = writeFseqFile(
        out, options, [](quint32 k, QByteArray& channels) { channels = frameBytes(k, channels.size()); }, &why);
    EXPECT_EQ(ok, error == nullptr) << why.toStdString();
    if (error) *error = why;
    return out.data();
}

TEST_F(Fseq, WritesTheBytesOfAHandWrittenFile) {
    FseqWriteOptions o;
    o.ranges = {{5, 3}, {20, 2}};
    o.frameCount = 2;
    o.stepMs = 25;
    o.uniqueId = 0x0102030405060708u;
    o.producer = QStringLiteral("kq510 1.8");
    o.compression = FseqCompression::None;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    FseqWriter writer;
    ASSERT_TRUE(writer.begin(out, o)) << writer.error().toStdString();
    EXPECT_EQ(writer.channelsPerFrame(), 5u);
    EXPECT_TRUE(writer.addFrame(QByteArray::fromHex("0102030405")));
    EXPECT_TRUE(writer.addFrame(QByteArray::fromHex("060708090A")));
    ASSERT_TRUE(writer.finish()) << writer.error().toStdString();
    EXPECT_EQ(out.data().toHex(' ').toStdString(), handWrittenSparseFile().toHex(' ').toStdString());
}

TEST_F(Fseq, ReadsHandMadeFilesOfEveryKind) {
    const QByteArray a = QByteArray::fromHex("112233445566"), b = QByteArray::fromHex("778899AABBCC");
    struct Case {
        const char* name;
        QByteArray file;
        int major, minor;
        FseqCompression compression;
        QList<FseqRange> ranges;
        QList<QByteArray> frames;
        QString producer;
        qsizetype blocks;
    };
    // Version 1: the 28-byte header, an 'mf' variable header, padding, two frames of three channels.
    const QByteArray v1 = QByteArray::fromHex("50534551 2800 00 01 1C00 03000000 02000000 32 00"
                                              "0000 0000 01 02 0000"   // universes, gamma, colours
                                              "0A00 6D66 612E6D703300" // 'mf' "a.mp3"
                                              "0000 112233 445566");
    const QByteArray plain = QByteArray::fromHex("50534551 2000 00 02 2000 03000000 02000000 19 00 00 00 00 00"
                                                 "0000000000000000 112233 445566");
    // Version 2.2 with an unused slot at the end of the index, as players reserve them.
    QList<std::pair<quint32, QByteArray>> zstdBlocks = {{0, zstdOf(a + b)}, {2, zstdOf(b + a + b)}, {0, {}}};
    const QList<std::pair<quint32, QByteArray>> zlibBlocks = {{0, zlibOf(a)}, {1, zlibOf(b + a)}};
    // Version 2.1 counts 257 blocks, one frame each, with the high nibble of byte 20.
    QList<std::pair<quint32, QByteArray>> many;
    QList<QByteArray> manyFrames;
    for (quint32 k = 0; k < 257; ++k) {
        manyFrames << frameBytes(k, 3);
        many.append({k, zstdOf(manyFrames.last())});
    }
    const QList<QByteArray> ab = {a.left(3), a.mid(3)};
    const Case cases[] = {
        {"version 1", v1, 1, 0, FseqCompression::None, {{0, 3}}, ab, {}, 0},
        {"version 2, plain", plain, 2, 0, FseqCompression::None, {{0, 3}}, ab, {}, 0},
        {"version 2, sparse",
         handWrittenSparseFile(),
         2,
         0,
         FseqCompression::None,
         {{5, 3}, {20, 2}},
         {QByteArray::fromHex("0102030405"), QByteArray::fromHex("060708090A")},
         QStringLiteral("kq510 1.8"),
         0},
        {"zstd",
         handCompressedFile(FseqCompression::Zstd, 6, 5, zstdBlocks, 2),
         2,
         2,
         FseqCompression::Zstd,
         {{0, 6}},
         {a, b, b, a, b},
         {},
         2},
        {"zlib",
         handCompressedFile(FseqCompression::Zlib, 6, 3, zlibBlocks),
         2,
         0,
         FseqCompression::Zlib,
         {{0, 6}},
         {a, b, a},
         {},
         2},
        {"257 blocks",
         handCompressedFile(FseqCompression::Zstd, 3, 257, many, 1),
         2,
         1,
         FseqCompression::Zstd,
         {{0, 3}},
         manyFrames,
         {},
         257},
    };
    for (const Case& c : cases) {
        for (const bool viaDevice : {false, true}) {
            const Read r = readAll(c.file, viaDevice);
            ASSERT_TRUE(r.ok) << c.name << ": " << r.error.toStdString();
            EXPECT_EQ(r.info.majorVersion, c.major) << c.name;
            EXPECT_EQ(r.info.minorVersion, c.minor) << c.name;
            EXPECT_EQ(r.info.compression, c.compression) << c.name;
            EXPECT_EQ(r.info.ranges, c.ranges) << c.name;
            EXPECT_EQ(r.frames, c.frames) << c.name;
            EXPECT_EQ(r.info.producer(), c.producer) << c.name;
            EXPECT_EQ(r.info.blocks.size(), c.blocks) << c.name;
        }
    }
    const Read one = readAll(v1);
    ASSERT_EQ(one.info.variableHeaders.size(), 1);
    EXPECT_EQ(one.info.variableHeaders[0].code, "mf");
    EXPECT_EQ(one.info.variableHeaders[0].text(), QStringLiteral("a.mp3"));
    EXPECT_EQ(one.info.stepMs, 50);
    EXPECT_EQ(readAll(handWrittenSparseFile()).info.uniqueId, 0x0102030405060708u);
    EXPECT_TRUE(readAll(handWrittenSparseFile()).info.sparse);
}

TEST_F(Fseq, PlansAShortFirstBlockAndAtMost255) {
    struct Case {
        quint32 frames;
        quint64 channels;
        FseqBlockPlan plan;
    };
    const Case cases[] = {
        {0, 7, {0, 0, 0}},
        {1, 7, {1, 0, 1}},
        {10, 7, {10, 0, 1}},
        {11, 7, {10, 1, 2}},
        {1000, 7, {10, 990, 2}},         // small frames: blocks of 64 KiB and more
        {1000, 135000, {10, 10, 100}},   // ten frames a block at least
        {36000, 135000, {10, 142, 255}}, // half an hour at 20 frames a second
        {0xFFFFFFFFu, 1, {10, 16909321, 255}},
    };
    for (const Case& c : cases) {
        const FseqBlockPlan p = fseqBlockPlan(c.frames, c.channels);
        EXPECT_EQ(p, c.plan) << c.frames << " x " << c.channels << ": " << p.firstBlockFrames << ", "
                             << p.framesPerBlock << ", " << p.blockCount;
        EXPECT_LE(p.blockCount, kFseqMaxBlocks);
        // The blocks hold every frame, the last one no more than the others.
        if (p.blockCount > 1) {
            const quint64 beforeLast = p.firstBlockFrames + quint64(p.framesPerBlock) * quint64(p.blockCount - 2);
            EXPECT_LT(beforeLast, c.frames);
            EXPECT_LE(c.frames - beforeLast, p.framesPerBlock);
        }
    }
}

TEST_F(Fseq, MergesRanges) {
    EXPECT_EQ(mergedFseqRanges({{20, 2}, {0, 0}, {5, 3}, {8, 4}, {6, 1}, {30, 5}, {33, 10}}),
              (QList<FseqRange>{{5, 7}, {20, 2}, {30, 13}}));
    EXPECT_EQ(mergedFseqRanges({}), QList<FseqRange>{});
}

TEST_F(Fseq, ReadsBackWhatItWrites) {
    struct Shape {
        quint32 frames;
        QList<FseqRange> ranges;
    };
    const Shape shapes[] = {
        {1, {{0, 7}}},
        {10, {{3, 4}, {100, 5}}},
        {11, {{0, 7}}},
        {1000, {{3, 4}, {100, 5}, {16777200, 16}}},
    };
    for (const FseqCompression compression : {FseqCompression::None, FseqCompression::Zstd, FseqCompression::Zlib}) {
        for (const Shape& s : shapes) {
            const std::string name = std::to_string(int(compression)) + "/" + std::to_string(s.frames);
            FseqWriteOptions o;
            o.ranges = s.ranges;
            o.frameCount = s.frames;
            o.stepMs = 40;
            o.uniqueId = 1765400000123456u;
            o.producer = QStringLiteral("KQ-510 1.8 灯");
            o.compression = compression;
            const QByteArray file = write(o);
            qsizetype channels = 0;
            for (const FseqRange& r : s.ranges)
                channels += r.count;
            for (const bool viaDevice : {false, true}) {
                const Read r = readAll(file, viaDevice);
                ASSERT_TRUE(r.ok) << name << ": " << r.error.toStdString();
                EXPECT_EQ(r.info.majorVersion, 2);
                EXPECT_EQ(r.info.minorVersion, 0);
                EXPECT_EQ(r.info.compression, compression) << name;
                EXPECT_EQ(r.info.ranges, s.ranges) << name;
                EXPECT_EQ(r.info.sparse, s.ranges.size() > 1) << name;
                EXPECT_EQ(qsizetype(r.info.channelsPerFrame), channels);
                EXPECT_EQ(r.info.stepMs, 40);
                EXPECT_EQ(r.info.uniqueId, o.uniqueId);
                EXPECT_EQ(r.info.producer(), o.producer);
                EXPECT_EQ(r.info.dataOffset % 4, 0);
                ASSERT_EQ(r.frames.size(), qsizetype(s.frames)) << name;
                for (quint32 k = 0; k < s.frames; ++k)
                    ASSERT_EQ(r.frames[k], frameBytes(k, channels)) << name << " frame " << k;
                const FseqBlockPlan plan = fseqBlockPlan(s.frames, quint64(channels));
                if (compression == FseqCompression::None) {
                    EXPECT_TRUE(r.info.blocks.isEmpty());
                    EXPECT_EQ(file.size(), r.info.dataOffset + channels * s.frames);
                    continue;
                }
                ASSERT_EQ(r.info.blocks.size(), plan.blockCount) << name;
                EXPECT_LE(r.info.blocks.size(), kFseqMaxBlocks);
                EXPECT_EQ(r.info.blocks[0].frames, std::min(s.frames, kFseqFirstBlockFrames)) << name;
                EXPECT_EQ(r.info.blocks.last().offset + r.info.blocks.last().size, file.size()) << name;
            }
            // Frames out of order: each block unpacked when one of its frames is asked for.
            FseqReader reader;
            ASSERT_TRUE(reader.open(QByteArrayView(file)));
            for (const quint32 k : {s.frames - 1, 0u, s.frames / 2, s.frames - 1})
                EXPECT_EQ(reader.frame(k)->toByteArray(), frameBytes(k, channels)) << name << " frame " << k;
            EXPECT_FALSE(reader.frame(s.frames));
            EXPECT_TRUE(reader.error().contains("there is no frame")) << reader.error().toStdString();
        }
    }
}

TEST_F(Fseq, RefusesWhatItCannotWrite) {
    const auto options = [](QList<FseqRange> ranges, int step = 50) {
        FseqWriteOptions o;
        o.ranges = std::move(ranges);
        o.frameCount = 2;
        o.stepMs = step;
        return o;
    };
    FseqWriteOptions longName = options({{0, 3}});
    longName.producer = QString(70000, QLatin1Char('x'));
    FseqWriteOptions endless = options({{0, 135000}});
    endless.frameCount = 0xFFFFFFFFu;
    QList<FseqRange> tooMany;
    for (quint32 i = 0; i < 256; ++i)
        tooMany.append({i * 2, 1});
    struct Case {
        const char* name;
        FseqWriteOptions options;
        const char* error;
    };
    const Case cases[] = {
        {"step 0", options({{0, 3}}, 0), "step time of 0 ms"},
        {"step 256", options({{0, 3}}, 256), "step time of 256 ms"},
        {"no ranges", options({}), "no channels"},
        {"an empty range", options({{4, 2}, {9, 0}}), "sparse range 1 has no channels"},
        {"past 2^24", options({{4, 2}, {16777210, 7}}), "reaches past channel 16,777,215"},
        {"256 ranges", options(tooMany), "more than 255 sparse ranges"},
        {"a long producer", longName, "more than 65,535"},
        {"blocks too large", endless, "do not fit into 255 blocks of at most 512 MiB"},
    };
    for (const Case& c : cases) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        FseqWriter writer;
        EXPECT_FALSE(writer.begin(out, c.options)) << c.name;
        EXPECT_TRUE(writer.error().contains(c.error)) << c.name << ": " << writer.error().toStdString();
    }

    // Frames of the wrong size or number, and a compressed file to an output that cannot seek.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    FseqWriter writer;
    ASSERT_TRUE(writer.begin(out, options({{0, 3}})));
    EXPECT_FALSE(writer.addFrame("abcd"));
    EXPECT_TRUE(writer.error().contains("frame 0 has 4 bytes, not 3")) << writer.error().toStdString();
    ASSERT_TRUE(writer.begin(out, options({{0, 3}})));
    EXPECT_TRUE(writer.addFrame("abc"));
    EXPECT_FALSE(writer.finish());
    EXPECT_TRUE(writer.error().contains("1 frames were written, not the 2 announced")) << writer.error().toStdString();
    ASSERT_TRUE(writer.begin(out, options({{0, 3}})));
    EXPECT_TRUE(writer.addFrame("abc") && writer.addFrame("def"));
    EXPECT_FALSE(writer.addFrame("ghi"));
    EXPECT_TRUE(writer.error().contains("more frames than the 2 announced")) << writer.error().toStdString();

    class Pipe : public QBuffer {
        bool isSequential() const override { return true; }
    } pipe;
    pipe.open(QIODevice::WriteOnly);
    FseqWriteOptions zstd = options({{0, 3}});
    zstd.compression = FseqCompression::Zstd;
    EXPECT_FALSE(writer.begin(pipe, zstd));
    EXPECT_TRUE(writer.error().contains("seek back")) << writer.error().toStdString();
}

TEST_F(Fseq, NamesTheDamageOfDamagedFiles) {
    FseqWriteOptions o;
    o.ranges = {{0, 4}, {10, 2}};
    o.frameCount = 30;
    o.producer = QStringLiteral("kq510");
    o.compression = FseqCompression::Zstd;
    const QByteArray zstd = write(o);
    o.compression = FseqCompression::None;
    const QByteArray plain = write(o);
    const auto with = [](QByteArray file, qsizetype at, const QByteArray& bytes) {
        file.replace(at, bytes.size(), bytes);
        return file;
    };
    const QByteArray four = "abcd", eight = "abcdefgh", two = "ab";
    const auto zstdOne = [](const QByteArray& stream) {
        return handCompressedFile(FseqCompression::Zstd, 4, 1, {{0, stream}});
    };
    const auto zlibOne = [](const QByteArray& stream) {
        return handCompressedFile(FseqCompression::Zlib, 4, 1, {{0, stream}});
    };
    // 2 sparse ranges and 2 blocks: the index from 32, the ranges from 48, 'sp' from 60, frames from 72.
    ASSERT_EQ(readAll(zstd).info.dataOffset, 72);
    ASSERT_EQ(readAll(zstd).info.blocks.size(), 2);
    struct Case {
        const char* name;
        QByteArray file;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "not an FSEQ file"},
        {"another file", "GIF89a", "not an FSEQ file"},
        {"cut inside the header", zstd.left(20), "only 20 bytes, fewer than its 32-byte header"},
        {"version 3", with(zstd, 7, "\x03"), "FSEQ version 3.0 cannot be read"},
        {"data offset past the end", with(plain, 4, le(0xFFFF, 2)), "offset 65535 lies past the end"},
        {"data offset inside the header", with(plain, 4, le(16, 2)), "offset 16 lies inside the 32-byte header"},
        {"header length past the data", with(zstd, 8, le(76, 2)), "header length 76 is not between"},
        {"header length inside the ranges", with(zstd, 8, le(50, 2)), "header length 50 is not between"},
        {"index past the data", with(zstd, 21, "\x05"), "end at byte 84, past the channel data offset 72"},
        {"unknown compression", with(zstd, 20, "\x07"), "unknown compression type 7"},
        {"range past 2^24", with(plain, 32, le(0xFFFFFE, 3)), "sparse range 0 (4 channels from channel 16777214)"},
        {"ranges and channels differ", with(plain, 10, le(7, 4)), "hold 6 channels, the header says 7"},
        {"variable header too long", with(zstd, 60, le(40, 2)), "variable header sp runs past"},
        {"more frames than the file holds", with(plain, 14, le(31, 4)), "31 frames of 6 channels need 186 bytes"},
        {"frames times channels past 2^32",
         with(with(QByteArray::fromHex("50534551 2000 00 02 2000") + QByteArray(22, '\0'), 10, le(0xFFFFFFFFu, 4)), 14,
              le(0xFFFFFFFFu, 4)),
         "need 18446744065119617025 bytes"},
        {"frames without channels", with(with(plain, 22, QByteArray(1, '\0')), 10, le(0, 4)),
         "the frames have no channels"},
        {"block past the end", zstd.chopped(1), "block 1 runs past the end"},
        {"first block not at frame 0", with(zstd, 32, le(1, 4)), "starts at frame 1, not at frame 0"},
        {"blocks out of order", with(zstd, 40, le(0, 4)), "block 1 starts at frame 0"},
        {"block past the frames", with(zstd, 40, le(30, 4)), "block 1 starts at frame 30"},
        {"no block index", handCompressedFile(FseqCompression::Zstd, 4, 1, {{0, {}}}), "without a block index"},
        {"too few bytes for the frames", handCompressedFile(FseqCompression::Zlib, 4, 100000, {{0, "x"}}),
         "only 1 bytes, too few to hold the 400000 bytes of its 100000 frames"},
        {"a block too large to unpack",
         handCompressedFile(FseqCompression::Zstd, 1000, 600000, {{0, QByteArray(20000, 'x')}}),
         "would unpack to 600000000 bytes, more than the 512 MiB"},
        {"zstd block too long", zstdOne(zstdOf(eight)), "block 0 unpacks to more than the 4 bytes of its 1 frames"},
        {"zstd frames joined", zstdOne(zstdOf(two) + zstdOf(four)), "unpacks to more than the 4 bytes"},
        {"zstd block too short", zstdOne(zstdOf(two)), "block 0 unpacks to only 2 bytes, fewer than the 4"},
        {"zstd garbage", zstdOne("not zstd at all"), "block 0 is not sound zstd data"},
        {"zstd cut short", zstdOne(zstdOf(four).chopped(2)), "block 0 is not sound zstd data"},
        {"zlib block too long", zlibOne(zlibOf(eight)), "block 0 unpacks to more than the 4 bytes of its 1 frames"},
        {"zlib block too short", zlibOne(zlibOf(two)), "block 0 unpacks to only 2 bytes, fewer than the 4"},
        {"zlib garbage", zlibOne("not zlib at all"), "block 0 is not sound zlib data"},
        {"zlib cut short", zlibOne(zlibOf(four).chopped(3)), "block 0's compressed data are cut short"},
    };
    for (const Case& c : cases) {
        for (const bool viaDevice : {false, true}) {
            const Read r = readAll(c.file, viaDevice);
            EXPECT_FALSE(r.ok) << c.name;
            EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.error)))
                << c.name << (viaDevice ? " (device)" : "") << ": " << r.error.toStdString();
        }
    }
    EXPECT_TRUE(readAll(zstd).ok);
    EXPECT_TRUE(readAll(plain).ok);

    // A block that does not unpack gives its damage again without being tried again.
    const QByteArray garbage = zstdOne("not zstd at all");
    FseqReader reader;
    ASSERT_TRUE(reader.open(QByteArrayView(garbage)));
    EXPECT_FALSE(reader.frame(0));
    const QString first = reader.error();
    EXPECT_FALSE(reader.frame(1));
    EXPECT_TRUE(reader.error().contains("there is no frame 1"));
    EXPECT_FALSE(reader.frame(0));
    EXPECT_EQ(reader.error(), first);
}

// The zstd tool, a decoder that owes nothing to this program, unpacks every block to its frames.
TEST_F(Fseq, TheZstdToolUnpacksTheBlocks) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("zstd"));
    if (tool.isEmpty()) GTEST_SKIP() << "the zstd tool is not installed (scripts/deps.sh test installs it)";
    FseqWriteOptions o;
    o.ranges = {{0, 300}};
    o.frameCount = 25;
    const QByteArray file = write(o);
    const Read r = readAll(file);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.info.blocks.size(), 2);
    QTemporaryDir dir;
    for (const FseqBlock& block : r.info.blocks) {
        const QString path = dir.filePath(QStringLiteral("block%1.zst").arg(block.firstFrame));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file.mid(block.offset, block.size));
        f.close();
        QProcess test;
        test.start(tool, {QStringLiteral("-q"), QStringLiteral("-t"), path});
        ASSERT_TRUE(test.waitForFinished(10000));
        EXPECT_EQ(test.exitCode(), 0) << test.readAllStandardError().toStdString();
        QProcess unpack;
        unpack.start(tool, {QStringLiteral("-q"), QStringLiteral("-d"), QStringLiteral("-c"), path});
        ASSERT_TRUE(unpack.waitForFinished(10000));
        EXPECT_EQ(unpack.exitCode(), 0) << unpack.readAllStandardError().toStdString();
        QByteArray expected;
        for (quint32 k = block.firstFrame; k < block.firstFrame + block.frames; ++k)
            expected += frameBytes(k, 300);
        EXPECT_EQ(unpack.readAllStandardOutput(), expected) << "block from frame " << block.firstFrame;
    }
}

} // namespace
