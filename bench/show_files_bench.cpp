// Model files, frame packing and the playback build, timed on this machine.
// Usage: show_files_bench [machines materials frames]   (default 10 50 300)
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "model/model_file.h"
#include "show/frame_store.h"
#include "show/fseq_show.h"
#include "show/playback_file.h"
#include "show/preview.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace kq::show;

double medianMs(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A frame as a live show leaves it: runs of lit pixels between dark stretches.
FrameImage showFrame(int seed) {
    FrameImage image{};
    for (int j = 20; j < 13520; ++j) {
        const int phase = (j + seed * 37) % 300;
        image[size_t(j)] = phase < 140 ? uint8_t(16 + (j * 13 + seed) % 230) : 0;
    }
    return image;
}

void benchModels(const QString& dir) {
    auto& s = g_Models;
    for (int m = 1; m <= kModelCount; ++m) {
        s.note[m] = QStringLiteral("模型%1").arg(m);
        for (int i = 1; i <= kMaterialCount; ++i) {
            T_Material& t = s.materials[m][i];
            t = {1 + i % 10,
                 1 + i % 6,
                 1 + i % 700,
                 i % 4,
                 uint8_t(i % 2),
                 {0, i % 500, i % 300, i % 500 + 40, i % 300},
                 {0, i % 500 * 100, i % 300 * 100, (i % 500 + 40) * 100, i % 300 * 100},
                 i % 360,
                 i % 360,
                 QStringLiteral("灯%1").arg(i),
                 i % 30};
        }
    }
    const QString path = dir + QStringLiteral("/full.mx20");
    std::vector<double> save, load;
    for (int r = 0; r < 15; ++r) {
        QElapsedTimer t;
        t.start();
        Fun_WriteModelFile(path);
        save.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        Fun_OpenModel(path);
        load.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    // The floor: writing the same bytes to a new file and renaming it, and reading them back.
    const QByteArray bytes = kq::readWholeFile(path).value_or(QByteArray());
    std::vector<double> write, read;
    for (int r = 0; r < 15; ++r) {
        QElapsedTimer t;
        t.start();
        kq::writeFileAtomically(dir + QStringLiteral("/plain.bin"), bytes);
        write.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        QByteArray back(bytes.size(), Qt::Uninitialized);
        kq::readWholeFileInto(dir + QStringLiteral("/plain.bin"), back);
        read.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("model file, 20 full models (%lld bytes): save %.2f ms, load %.2f ms (median of 15); the same bytes "
                "written %.2f ms and read %.2f ms alone: save %.2fx, load %.2fx of that\n",
                QFile(path).size(), medianMs(save), medianMs(load), medianMs(write), medianMs(read),
                medianMs(save) / medianMs(write), medianMs(load) / medianMs(read));
}

void benchPacking() {
    std::vector<FrameImage> frames;
    for (int i = 0; i < 64; ++i)
        frames.push_back(showFrame(i));
    std::vector<QByteArray> packed;
    const int n = 20000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) {
        FrameImage f = frames[size_t(i % 64)];
        packed.push_back(packFrame(f));
        if (packed.size() > 64) packed.erase(packed.begin());
    }
    const double packS = double(t.nsecsElapsed()) / 1e9;
    FrameImage out;
    t.restart();
    for (int i = 0; i < n; ++i)
        unpackFrame(packed[size_t(i % packed.size())], out);
    const double unpackS = double(t.nsecsElapsed()) / 1e9;
    // The floor: copying the 13,480 image bytes of each frame once, as any packer or unpacker must.
    FrameImage copy;
    t.restart();
    for (int i = 0; i < n; ++i) {
        std::memcpy(copy.data() + kFrameHeaderBytes, frames[size_t(i % 64)].data() + kFrameHeaderBytes,
                    kMaxPackedBytes);
        asm volatile("" : : "r"(copy.data()) : "memory");
    }
    const double copyS = double(t.nsecsElapsed()) / 1e9;
    std::printf("frame packing: %.0f frames/s (%.2fx the 100k target); unpacking: %.0f frames/s (%.2fx the 500k "
                "target); copying the image bytes alone: %.0f frames/s (show-like frames, L about %lld bytes)\n",
                n / packS, n / packS / 100000, n / unpackS, n / unpackS / 500000, n / copyS,
                qlonglong(packed.back().size()));
}

void benchPlayback(const QString& dir, int machines, int materials, int frames) {
    Fun_SetAppFolder(dir);
    std::vector<QByteArray> slotSamples;
    for (int i = 0; i < 16; ++i) {
        FrameImage f = showFrame(i);
        QByteArray slot = encodeSlot(i + 1, packFrame(f));
        slot.resize(kSlotBytes, '\0');
        slotSamples.push_back(slot);
    }
    qint64 frameBytes = 0;
    for (int m = 1; m <= machines; ++m) {
        QDir().mkpath(frameFolder(dir, m));
        for (int k = 1; k <= materials; ++k) {
            QByteArray file = encodeFrameFileHeader(RecordingMode::Rgb, frames);
            file.reserve(kFrameFileHeaderBytes + qsizetype(kSlotBytes) * (frames + 1) + 1);
            for (int f = 0; f < frames; ++f)
                file += slotSamples[size_t((f + k + m) % 16)];
            file += QByteArray(kSlotBytes + 1, '\0');
            kq::writeFileAtomically(frameFilePath(dir, m, k), file);
            frameBytes += file.size();
        }
    }
    // Each timed part starts with nothing waiting to be written back, so that none pays for another's.
    // A plain copy of the same frame files, read whole and written whole, as the reference.
    ::sync();
    QElapsedTimer t;
    t.start();
    for (int m = 1; m <= machines; ++m) {
        QFile out(dir + QStringLiteral("/copy-%1.bin").arg(m));
        out.open(QIODevice::WriteOnly);
        for (int k = 1; k <= materials; ++k)
            out.write(kq::readWholeFile(frameFilePath(dir, m, k)).value());
    }
    const double copyS = double(t.nsecsElapsed()) / 1e9;
    for (int m = 1; m <= machines; ++m)
        QFile::remove(dir + QStringLiteral("/copy-%1.bin").arg(m));
    // The build and writing its output alone, taken in turns, three times: the system's write-back
    // varies a lot from one run to the next. The output's bytes are read once, untimed.
    std::vector<QByteArray> outputs;
    std::vector<double> builds, writes;
    qint64 playbackBytes = 0;
    for (int round = 0; round < 3; ++round) {
        ::sync();
        t.restart();
        for (int m = 1; m <= machines; ++m)
            Fun_BuildPlaybackFile(m, 0);
        builds.push_back(double(t.nsecsElapsed()) / 1e9);
        if (outputs.empty()) {
            for (int m = 1; m <= machines; ++m) {
                outputs.push_back(kq::readWholeFile(playbackFilePath(dir, m)).value());
                playbackBytes += outputs.back().size();
            }
        }
        // The files are kept until all are written, as the build's are.
        ::sync();
        t.restart();
        for (int m = 1; m <= machines; ++m)
            kq::writeFileAtomically(dir + QStringLiteral("/write-%1.bin").arg(m), outputs[size_t(m - 1)]);
        writes.push_back(double(t.nsecsElapsed()) / 1e9);
        for (int m = 1; m <= machines; ++m)
            QFile::remove(dir + QStringLiteral("/write-%1.bin").arg(m));
    }
    std::sort(builds.begin(), builds.end());
    std::sort(writes.begin(), writes.end());
    const double buildS = builds[1], writeS = writes[1];
    std::printf("playback build, %d machines x %d materials x %d frames: %.2f s for %.0f MB of frame files "
                "(%.0f MB written); plain copy %.2f s: build speed %.2f x the copy's; writing the output alone "
                "%.2f s: build speed %.2f x that write's (medians of 3, each after a sync; builds %.2f/%.2f/%.2f s, "
                "writes %.2f/%.2f/%.2f s)\n",
                machines, materials, frames, buildS, double(frameBytes) / 1e6, double(playbackBytes) / 1e6, copyS,
                copyS / buildS, writeS, writeS / buildS, builds[0], builds[1], builds[2], writes[0], writes[1],
                writes[2]);
}

} // namespace

// 1,000 frames x 10 machines, every port in use: the frame files read alone, then exported to a zstd
// sequence file and imported back, in the same run.
void benchFseq(const QString& dir) {
    constexpr int kFrames = 1000;
    const QString home = dir + QStringLiteral("/fseq");
    QDir().mkpath(home);
    Fun_SetAppFolder(home);
    qint64 frameBytes = 0;
    for (int m = 1; m <= 10; ++m) {
        QByteArray file = encodeFrameFileHeader(RecordingMode::Rgb, kFrames).left(51);
        file.resize(kFrameFileHeaderBytes, '\0');
        for (int k = 1; k <= kFrames; ++k) {
            FrameImage image = showFrame(k * 11 + m);
            QByteArray slot = encodeSlot(k, packFrame(image));
            slot.resize(kSlotBytes, '\0');
            file += slot;
        }
        file += QByteArray(kSlotBytes + 1, '\0');
        QDir().mkpath(frameFolder(home, m));
        kq::writeFileAtomically(frameFilePath(home, m, 1), file);
        frameBytes += file.size();
    }
    static T_Material materials[kMaterialCount + 1];
    for (int m = 1, i = 1; m <= 10; ++m)
        for (int p = 1; p <= 6; ++p, ++i)
            materials[i] = makeMaterial(m, p, 1, kShapeHorizontal, 0, i, 749, i);
    QElapsedTimer t;
    // The frame files alone: every frame of every machine read and unpacked.
    t.start();
    ShowReader reader;
    QString error;
    reader.open(home, 1, &error);
    ShowFrame frame;
    for (int k = 1; k <= kFrames; ++k)
        reader.read(k, frame);
    const double readS = double(t.nsecsElapsed()) / 1e9;
    const kq::link::ControllerTable table;
    for (const auto compression : {FseqCompression::Zstd, FseqCompression::None}) {
        FseqExportOptions o;
        o.material = 1;
        o.out = dir + QStringLiteral("/show.fseq");
        o.compression = compression;
        t.restart();
        if (!exportFseq(home, materials, table, o, {}, &error)) std::printf("export failed: %s\n", qPrintable(error));
        const double exportS = double(t.nsecsElapsed()) / 1e9;
        const qint64 size = QFileInfo(o.out).size();
        FseqImportOptions in;
        in.in = o.out;
        in.material = 2;
        in.replace = true;
        t.restart();
        if (!importFseq(home, materials, table, in, {}, &error)) std::printf("import failed: %s\n", qPrintable(error));
        const double importS = double(t.nsecsElapsed()) / 1e9;
        std::printf("fseq %s, %d frames x 10 machines x 6 ports: export %.0f frames/s (%.2f s), import %.0f frames/s "
                    "(%.2f s); reading the frame files alone %.0f frames/s: export %.2f x that\n",
                    compression == FseqCompression::Zstd ? "zstd" : "none", kFrames, kFrames / exportS, exportS,
                    kFrames / importS, importS, kFrames / readS, readS / exportS);
        std::printf("                 file %.1f MB against %.1f MB of frame files (%.2f x)\n", double(size) / 1e6,
                    double(frameBytes) / 1e6, double(size) / double(frameBytes));
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int machines = argc > 3 ? atoi(argv[1]) : 10;
    const int materials = argc > 3 ? atoi(argv[2]) : 50;
    const int frames = argc > 3 ? atoi(argv[3]) : 300;
    // In memory where the system has a memory file system, so that the disk's write-back, which varies
    // several-fold from one run to the next on a virtual machine, does not hide the program's own time.
    // KQ510_BENCH_DIR names another folder.
    const QString parent = qEnvironmentVariable(
        "KQ510_BENCH_DIR", QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath());
    QTemporaryDir dir(parent + QStringLiteral("/kq510-bench-XXXXXX"));
    std::printf("files in %s\n", qPrintable(parent));
    Fun_SetAppFolder(dir.path());
    benchModels(dir.path());
    // "show_files_bench models" or "packing": that part alone, for a profiler.
    if (argc == 2 && QByteArray(argv[1]) == "models") return 0;
    benchPacking();
    if (argc == 2 && QByteArray(argv[1]) == "packing") return 0;
    // "show_files_bench fseq": the sequence files alone.
    benchFseq(dir.path());
    if (argc == 2 && QByteArray(argv[1]) == "fseq") return 0;
    Fun_SetAppFolder(dir.path());
    benchPlayback(dir.path(), machines, materials, frames);
    return 0;
}
