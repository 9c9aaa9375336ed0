// The show preview of a full model: 2,000 materials on 10 machines x 6 ports x 750 pixels over a
// 1,000 x 800 area, every machine with a recorded show. Prints the per-frame time of reading the ten
// frames, mapping them back and drawing at 1:1 (percentiles), and the export of 300 frames as GIF and
// lossless WebP.
// Usage: preview_bench [frames]   (default 300)
#include "bench_support.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "show/preview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace kq::show;

namespace {

// 2,000 materials: rows, columns and slants, 22 pixels each, filling every port's 750 addresses.
void fullModel(ModelStore& s) {
    s.length[1] = 1000;
    s.width[1] = 800;
    int i = 0;
    for (int machine = 1; machine <= 10; ++machine)
        for (int port = 1; port <= 6; ++port)
            for (int k = 0; k < 34 && i < kMaterialCount; ++k) {
                const int start = 1 + k * 22;
                const int length = std::min(22, 750 - start + 1);
                const int row = (((machine - 1) * 6 + port - 1) * 16 + k % 16) * 790 / 960 + 5;
                const int x = (k / 16) * 330 + (i % 7) * 3 + 10;
                const int shape = i % 3;
                ++i;
                s.materials[1][i] = makeMaterial(machine, port, start, shape, x, row, shape == 1 ? x : x + length - 1,
                                                 shape == 1 ? row + length - 1 : row + (shape == 2 ? 5 : 0), i % 2);
            }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    QTemporaryDir dir;
    Fun_SetAppFolder(dir.path());
    auto store = std::make_unique<ModelStore>();
    fullModel(*store);
    // A moving gradient on every machine, recorded as RGB.
    for (int m = 1; m <= kMaxMachine; ++m) {
        QDir().mkpath(frameFolder(g_AppFolder, m));
        QByteArray file = encodeFrameFileHeader(RecordingMode::Rgb, frames);
        for (int k = 1; k <= frames; ++k) {
            FrameImage image{};
            for (int port = 1; port <= kRecordedPorts; ++port)
                for (int plane = 0; plane < 3; ++plane)
                    for (int a = 0; a < 750; ++a)
                        image[size_t(kFrameHeaderBytes + Fun_PortOffset(port) + plane * 750 + a)] =
                            uint8_t((a * (plane + 1) + k * 5 + m * 20) % 256);
            QByteArray slot = encodeSlot(k, packFrame(image));
            slot.resize(kSlotBytes, '\0');
            file += slot;
        }
        kq::writeFileAtomically(frameFilePath(g_AppFolder, m, 1), file);
    }
    const PreviewLayout layout = previewLayout(store->materials[1], 1000, 800);

    ShowReader reader;
    QString error;
    if (!reader.open(g_AppFolder, 1, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QImage picture(1000, 800, QImage::Format_RGB32);
    ShowFrame frame;
    std::vector<QRgb> colours;
    std::vector<double> readMs, mapMs, drawMs, totalMs;
    QElapsedTimer t;
    for (int round = 0; round < 3; ++round)
        for (int k = 1; k <= frames; ++k) {
            t.start();
            reader.read(k, frame);
            const qint64 a = t.nsecsElapsed();
            mapBack(layout, frame, colours);
            const qint64 b = t.nsecsElapsed();
            drawPreview(picture, 1, 0, 0, layout, colours, true);
            const qint64 c = t.nsecsElapsed();
            readMs.push_back(double(a) / 1e6);
            mapMs.push_back(double(b - a) / 1e6);
            drawMs.push_back(double(c - b) / 1e6);
            totalMs.push_back(double(c) / 1e6);
        }
    std::printf("preview frame, %zu pixels of 2000 materials on 10 machines, 1000 x 800 at 1:1 (%zu frames):\n",
                layout.points.size(), totalMs.size());
    std::printf("  read p50 %.2f p99 %.2f ms, map back p50 %.2f p99 %.2f ms, draw p50 %.2f p99 %.2f ms\n",
                bench::percentile(readMs, 0.5), bench::percentile(readMs, 0.99), bench::percentile(mapMs, 0.5),
                bench::percentile(mapMs, 0.99), bench::percentile(drawMs, 0.5), bench::percentile(drawMs, 0.99));
    const double p99 = bench::percentile(totalMs, 0.99);
    std::printf("  whole frame p50 %.2f ms, p99 %.2f ms (%.2f x the 5 ms target)\n", bench::percentile(totalMs, 0.5),
                p99, p99 / 5);

    for (const char* name : {"show.gif", "show.webp"}) {
        ExportOptions options;
        options.lastFrame = frames;
        options.out = dir.filePath(QString::fromLatin1(name));
        t.start();
        const bool ok = exportPreview(reader, layout, options, {}, &error);
        const double s = double(t.nsecsElapsed()) / 1e9;
        std::printf("export %d frames to %s: %s %.2f s (%.1f ms a frame), %.1f MB%s\n", frames, name,
                    ok ? "" : "FAILED", s, s * 1000 / frames, double(QFileInfo(options.out).size()) / 1e6,
                    QByteArray(name).endsWith(".gif")
                        ? qPrintable(QStringLiteral(", %1 x the 10 s target").arg(s / 10, 0, 'f', 2))
                        : "");
    }
    return 0;
}
