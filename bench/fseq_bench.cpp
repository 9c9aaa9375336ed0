// FSEQ export and import, timed on this machine: a show written to a file in each compression, then
// every frame read back.
// Usage: fseq_bench [frames channels [noise]]   (default 1000 135000; noise: lit channels at random
// levels, which compress far less than a show's smooth runs)
#include "show/fseq.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

using namespace kq::show;

bool noise = false;

// Channels as a show leaves them: runs of lit pixels drifting along dark stretches.
void showFrame(quint32 k, QByteArray& channels) {
    char* c = channels.data();
    quint32 x = k * 2654435761u + 1;
    for (qsizetype j = 0; j < channels.size(); ++j) {
        const qsizetype phase = (j / 3 + qsizetype(k) * 5) % 300;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c[j] = phase < 140 ? char(noise ? x >> 24 : 16 + (j * 13 + k) % 230) : '\0';
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const quint32 frames = argc > 2 ? quint32(std::strtoul(argv[1], nullptr, 10)) : 1000;
    const quint32 channels = argc > 2 ? quint32(std::strtoul(argv[2], nullptr, 10)) : 135000;
    noise = argc > 3 && qstrcmp(argv[3], "noise") == 0;
    QTemporaryDir dir;
    // What making the frames takes, apart from writing them.
    QElapsedTimer made;
    made.start();
    QByteArray scratch(qsizetype(channels), '\0');
    for (quint32 k = 0; k < frames; ++k)
        showFrame(k, scratch);
    std::printf("%u frames x %u channels (%.1f MB of channel data, %s): the frames alone %.0f ms\n", frames, channels,
                double(frames) * channels / 1e6, noise ? "noise" : "show", double(made.nsecsElapsed()) / 1e6);
    for (const auto& [name, compression] :
         {std::pair{"zstd", FseqCompression::Zstd}, std::pair{"zlib", FseqCompression::Zlib},
          std::pair{"none", FseqCompression::None}}) {
        FseqWriteOptions o;
        o.ranges = {{0, channels}};
        o.frameCount = frames;
        o.stepMs = 50;
        o.producer = QStringLiteral("fseq_bench");
        o.compression = compression;
        QFile file(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".fseq")));
        if (!file.open(QIODevice::ReadWrite)) return 1;
        QString error;
        QElapsedTimer t;
        t.start();
        if (!writeFseqFile(file, o, showFrame, &error)) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(error));
            return 1;
        }
        file.flush();
        const double writeMs = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        FseqReader reader;
        quint64 sum = 0;
        if (!reader.open(file)) return 1;
        for (quint32 k = 0; k < frames; ++k) {
            const std::optional<QByteArrayView> frame = reader.frame(k);
            if (!frame) {
                std::fprintf(stderr, "%s: %s\n", name, qPrintable(reader.error()));
                return 1;
            }
            sum += uint8_t(frame->at(k % frame->size()));
        }
        const double readMs = double(t.nsecsElapsed()) / 1e6;
        std::printf("%s: write %.0f ms (%.0f frames/s), %.1f MB in %lld blocks; read every frame %.0f ms [%llu]\n",
                    name, writeMs, frames / (writeMs / 1000), double(file.size()) / 1e6,
                    qlonglong(reader.info().blocks.size()), readMs, static_cast<unsigned long long>(sum));
    }
    return 0;
}
