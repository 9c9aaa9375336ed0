// Writes a few small, valid inputs of every kind for the fuzzers to start from: seeds/<target>/...
#include "admin/machine_parameters.h"
#include "core/gbk_codec.h"
#include "link/open_protocols.h"
#include "link/plugin_protocol.h"
#include "model/model_file.h"
#include "show/frame_store.h"
#include "show/fseq.h"
#include "show/playback_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <array>
#include <memory>
#include <utility>

namespace {

void save(const QString& dir, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

QByteArray frameFile(int frames, uint8_t level) {
    using namespace kq::show;
    QByteArray file = encodeFrameFileHeader(RecordingMode::Rgb, frames);
    for (int k = 1; k <= frames; ++k) {
        FrameImage image{};
        for (int j = 20; j < 13520; j += 97)
            image[size_t(j)] = uint8_t(level + k);
        QByteArray slot = encodeSlot(k, packFrame(image));
        if (k < frames) slot.resize(kSlotBytes, '\0');
        file += slot;
    }
    return file;
}

// Datagrams as the plug-in fuzzer splits its input: each after its two-byte big-endian length.
QByteArray datagrams(const QList<QByteArray>& messages) {
    QByteArray out;
    for (const QByteArray& m : messages)
        out.append(char(m.size() >> 8)).append(char(m.size() & 0xFF)).append(m);
    return out;
}

// One tick of a controller as the open-protocol fuzzer reads it: the two layout bytes 00 21 (one port of
// 100 pixels, universe 1, DDP offset 33), then the tick's datagrams and what follows it.
QByteArray openTick(kq::link::open::Protocol protocol, bool synchronise) {
    using namespace kq::link::open;
    static MachinePlanes planes{};
    for (int i = 0; i < kPortBlockBytes; ++i)
        planes[1][i] = uint8_t(i * 7);
    const PortLayout layout{protocol, 1, 100, 1, 510, 33, 1};
    FrameOptions options;
    options.synchronise = synchronise;
    options.syncAddress = 1;
    Sequences sequences;
    QList<QByteArray> out;
    for (const Datagram& d : planFrame(layout, options, {false, true}, planes, sequences))
        out << d.bytes;
    if (synchronise)
        out << (protocol == Protocol::E131     ? e131SyncPacket(options.cid, 0, 1)
                : protocol == Protocol::ArtNet ? artSyncPacket()
                                               : ddpPushPacket(0));
    for (const Datagram& d : planStop(layout, options, {false, true}, planes, sequences))
        out << d.bytes;
    return QByteArray::fromHex("0021") + datagrams(out);
}

} // namespace

int main(int argc, char** argv) {
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("seeds");
    auto models = std::make_unique<ModelStore>();
    models->note[1] = QStringLiteral("模型");
    models->materials[1][1] = {1, 2, 3, 0, 1, {0, 1, 2, 30, 2}, {0, 100, 200, 3000, 200}, 0, 0, QStringLiteral("灯"),
                               0};
    models->materials[1][2] = {2, 1, 1, 3, 0, {0, 5, 5, 9, 9}, {}, 45, 45, {}, 12};
    const QByteArray tpl = kq::model::encodeTemplateFile(*models, 1);
    save(out + "/model_reader", "template.mb10", tpl);
    save(out + "/model_reader", "model-head.mx20", kq::model::encodeModelFile(*models).left(4096));

    const QByteArray frames = frameFile(2, 40);
    kq::show::FrameImage image{};
    for (int j = 20; j < 400; ++j)
        image[size_t(j)] = uint8_t(j % 3 ? 0 : 120);
    save(out + "/frame_unpack", "chase.bin", kq::show::packFrame(image));
    save(out + "/frame_unpack", "packed.bin", QByteArray::fromHex("FE05 00 10 FEFA FE02 00 FA"));
    save(out + "/frame_file", "two-frames.KQ3", frames);
    save(out + "/frame_file", "empty.KQ3", kq::show::encodeFrameFileHeader(kq::show::RecordingMode::Red, 0));

    QBuffer playback;
    playback.open(QIODevice::ReadWrite);
    kq::show::writePlaybackFile(playback, [&](int k) { return k == 3 ? std::optional(frames) : std::nullopt; },
                                {QStringLiteral("KQ510-01"), QStringLiteral("KQ-510 V1.8"), QStringLiteral("/安装"),
                                 QStringLiteral("PC"), QDateTime(QDate(2026, 12, 6), QTime(9, 5))});
    save(out + "/playback_file", "ID-01.KQ4", playback.data());

    // Sequence files: two sparse ranges in two zstd blocks, the same in zlib and plain, and a version 1
    // file with a media file's name.
    kq::show::FseqWriteOptions sequence;
    sequence.ranges = {{0, 4}, {10, 2}};
    sequence.frameCount = 25;
    sequence.producer = QStringLiteral("kq510 1.8");
    for (const auto& [name, compression] : {std::pair{"zstd.fseq", kq::show::FseqCompression::Zstd},
                                            std::pair{"zlib.fseq", kq::show::FseqCompression::Zlib},
                                            std::pair{"plain.fseq", kq::show::FseqCompression::None}}) {
        QBuffer file;
        file.open(QIODevice::ReadWrite);
        sequence.compression = compression;
        kq::show::writeFseqFile(
            file, sequence,
            [](quint32 k, QByteArray& channels) {
                for (qsizetype j = 0; j < channels.size(); ++j)
                    channels[j] = char(k * 8 + quint32(j));
            },
            nullptr);
        save(out + "/fseq", QString::fromLatin1(name), file.data());
    }
    save(out + "/fseq", "v1.fseq",
         QByteArray::fromHex("50534551 2800 00 01 1C00 03000000 02000000 32 00 0000 0000 01 02 0000"
                             "0A00 6D66 612E6D703300 0000 112233 445566"));

    // Pictures of 2 x 2 pixels in two chunks: the warm-up's 20, then one whose second chunk is lost.
    using namespace kq::link;
    const QByteArray pixels = QByteArray::fromHex("10203000 40506000 708090A0 B0C0D0E0");
    QList<QByteArray> pictures;
    for (int i = 0; i < kPluginWarmUp; ++i)
        pictures << encodePictureChunk(0, 8, pixels.left(8)) << encodePictureChunk(8, 8, pixels.mid(8))
                 << encodePictureDone(16, 2, 2);
    pictures << encodePictureChunk(0, 8, pixels.left(8)) << encodePictureDone(16, 2, 2);
    save(out + "/plugin_messages", "pictures.bin", datagrams(pictures));
    save(out + "/plugin_messages", "dropped.bin",
         datagrams({encodePictureChunk(kPluginImageBytes - 2, 4, "abcd"), encodePictureDone(16, 0x7FFFFFFF, 2),
                    encodeMessage(msg::NextPicture)}));

    // Two chip records, the second without its marker; a parameter block; a version in code page 936.
    std::array<uint8_t, kq::admin::kParameterSentBytes> parameters{};
    parameters[6] = 0x01;
    parameters[7] = 0x02;
    parameters[9] = 3;
    parameters[10] = 7;
    parameters[12] = 60;
    const QByteArray serial = QByteArray::fromHex("0123456789ABCDEF01234567");
    QByteArray second = kq::admin::setByChipPayload(8, serial, parameters.data());
    second[0] = 0;
    save(out + "/machine_replies", "chips.bin", kq::admin::setByChipPayload(7, serial, parameters.data()) + second);
    save(out + "/machine_replies", "parameters.bin",
         QByteArray(reinterpret_cast<const char*>(parameters.data()), qsizetype(parameters.size())));
    save(out + "/machine_replies", "version.bin", kq::gbk::encode(QStringLiteral("KQ-510 V1.8 控制器")));

    using kq::link::open::Protocol;
    save(out + "/open_receivers", "e131.bin", openTick(Protocol::E131, false));
    save(out + "/open_receivers", "e131-sync.bin", openTick(Protocol::E131, true));
    save(out + "/open_receivers", "artnet-sync.bin", openTick(Protocol::ArtNet, true));
    save(out + "/open_receivers", "ddp.bin", openTick(Protocol::Ddp, false));
    save(out + "/open_receivers", "ddp-sync.bin", openTick(Protocol::Ddp, true));
    return 0;
}
