#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QStringList>

// kq510-feeder: a plug-in program that plays pictures from files into the recorder.
namespace feeder {

// The largest picture bytes one "0151" message carries.
inline constexpr int kChunkBytes = 50000;

// The messages that hand one picture to the program: "0151" chunks of its 32-bit pixels (blue,
// green, red, unused; rows top to bottom), scaled to `area`, then "0152" with size, width and height.
QList<QByteArray> pictureMessages(const QImage& picture, const QSize& area);

// The pictures of the sources in playing order: every frame of an animated GIF (or any format with
// several images), a folder's images sorted by name, or single image files. Unreadable files are named
// in `problems`.
QList<QImage> loadPictures(const QStringList& sources, QStringList& problems);

} // namespace feeder
