#include "screen_capture.h"

#include <algorithm>
#include <cstring>

namespace kq::record {

CaptureGeometry captureGeometry(const QRect& wanted, const QSize& screen) {
    const QRect onScreen = wanted.intersected(QRect(QPoint(0, 0), screen));
    return {onScreen, onScreen.isEmpty() ? QPoint() : onScreen.topLeft() - wanted.topLeft()};
}

void placeIntoPicture(CapturedPicture& picture, const QSize& size, const CaptureGeometry& g, const uint8_t* sourceBits,
                      qsizetype sourceBytesPerRow) {
    picture.width = size.width();
    picture.height = size.height();
    const qsizetype bytes = qsizetype(size.width()) * size.height() * 4;
    if (picture.bits.size() != bytes) picture.bits.resize(bytes);
    auto* px = reinterpret_cast<uint32_t*>(picture.bits.data());
    const bool whole = g.source.size() == size;
    if (!whole) std::fill(px, px + bytes / 4, kPictureBackground);
    if (g.source.isEmpty() || !sourceBits) return;
    for (int row = 0; row < g.source.height(); ++row)
        std::memcpy(picture.bits.data() + (qsizetype(g.destination.y()) + row) * picture.bytesPerRow() +
                        qsizetype(g.destination.x()) * 4,
                    sourceBits + qsizetype(row) * sourceBytesPerRow, size_t(g.source.width()) * 4);
}

} // namespace kq::record
