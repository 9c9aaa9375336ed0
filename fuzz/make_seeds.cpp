// Writes a few small, valid files of every kind for the fuzzers to start from: seeds/<target>/...
#include "model/model_file.h"
#include "show/frame_store.h"
#include "show/playback_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <memory>

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
    return 0;
}
