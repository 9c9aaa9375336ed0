#include "feeder.h"

#include "link/plugin_protocol.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace feeder {
namespace {

void readAll(const QString& path, QList<QImage>& out, QStringList& problems) {
    QImageReader reader(path);
    const int before = int(out.size());
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        out << image;
        if (!reader.supportsAnimation() && reader.imageCount() <= 1) break;
        if (!reader.jumpToNextImage() && !reader.supportsAnimation()) break;
    }
    if (out.size() == before) problems << QStringLiteral("%1: %2").arg(path, reader.errorString());
}

} // namespace

QList<QByteArray> pictureMessages(const QImage& picture, const QSize& area) {
    const QImage scaled =
        picture.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    QByteArray pixels;
    pixels.reserve(qsizetype(area.width()) * area.height() * 4);
    for (int y = 0; y < scaled.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(scaled.constScanLine(y)), qsizetype(scaled.width()) * 4);
    QList<QByteArray> messages;
    for (qsizetype at = 0; at < pixels.size(); at += kChunkBytes) {
        const QByteArray part = pixels.mid(at, kChunkBytes);
        messages << kq::link::encodePictureChunk(int32_t(at), int32_t(part.size()), part);
    }
    messages << kq::link::encodePictureDone(int32_t(pixels.size()), scaled.width(), scaled.height());
    return messages;
}

bool fitsRecorder(const QSize& area) {
    return area.width() >= 1 && area.height() >= 1 &&
           qint64(area.width()) * area.height() * 4 <= kq::link::kPluginImageBytes;
}

int largestHeight(int width) {
    return width < 1 ? 0 : kq::link::kPluginImageBytes / 4 / width;
}

bool sendWhole(const QList<QByteArray>& messages, const std::function<bool(const QByteArray&)>& send) {
    for (const QByteArray& message : messages)
        if (!send(message)) return false;
    return true;
}

QList<QImage> loadPictures(const QStringList& sources, QStringList& problems) {
    QList<QImage> pictures;
    for (const QString& source : sources) {
        if (QFileInfo(source).isDir()) {
            const QDir dir(source);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                readAll(dir.filePath(name), pictures, problems);
        } else {
            readAll(source, pictures, problems);
        }
    }
    return pictures;
}

} // namespace feeder
