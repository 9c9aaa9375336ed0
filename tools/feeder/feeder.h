#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QStringList>
#include <functional>

// kq510-feeder: a plug-in program that plays pictures from files into the recorder.
namespace feeder {

// The largest picture bytes one "0151" message carries.
inline constexpr int kChunkBytes = 50000;

// The messages that hand one picture to the program: "0151" chunks of its 32-bit pixels (blue,
// green, red, unused; rows top to bottom), scaled to `area`, then "0152" with size, width and height.
QList<QByteArray> pictureMessages(const QImage& picture, const QSize& area);

// Whether the recorder takes a picture of `area`: its width x height x 4 bytes within kPluginImageBytes.
bool fitsRecorder(const QSize& area);
// The largest height the recorder takes at `width`; 0 when not even one row fits.
int largestHeight(int width);

// Sends one picture's messages in order through `send`, which says whether a message went. It stops at
// the first that did not, as the rest would only make an incomplete picture: true when all of them went.
bool sendWhole(const QList<QByteArray>& messages, const std::function<bool(const QByteArray&)>& send);

// The pictures of the sources in playing order: every frame of an animated GIF (or any format with
// several images), a folder's images sorted by name, or single image files. Unreadable files are named
// in `problems`.
QList<QImage> loadPictures(const QStringList& sources, QStringList& problems);

} // namespace feeder
