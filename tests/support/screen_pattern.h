#pragma once

#include "record/screen_capture.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>

// The still pattern the screen tests lay the position window over, and what the stand-in machines must
// receive of it.
namespace kq::test {

// Pixel (x, y) of the screen under the pattern (kq510-pattern --static): red x % 256, green y % 256,
// blue 200.
inline QRgb screenPattern(int x, int y) {
    return qRgb(x % 256, y % 256, 200);
}

// Pixel (x, y) of a copied picture.
inline QRgb pixel(const record::CapturedPicture& p, int x, int y) {
    const uint8_t* b = p.data() + (qsizetype(y) * p.width + x) * 4;
    return qRgb(b[2], b[1], b[0]);
}

// Model 1, 200 x 150, with eight materials on machines 1 to 3: every shape, a reversed run, a run
// clamped past address 750 and two runs overlapping on one port. Clears the models first.
void placePatternMaterials();

// The (machine, port) pairs those materials drive.
inline constexpr std::pair<int, int> kPatternPorts[] = {{1, 1}, {1, 2}, {2, 1}, {3, 3}, {3, 4}};

// What a machine's 2,250-byte port block holds when the area's top-left corner lies at origin on the
// screen: the pattern under each material's pixels, quantised.
QByteArray expectedPatternBlock(int machine, int port, const QPoint& origin);

} // namespace kq::test
