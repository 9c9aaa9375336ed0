#include "screen_capture.h"

#include <algorithm>
#include <cstring>

namespace kq::record {

CaptureGeometry captureGeometry(const QRect& wanted, const QSize& screen) {
    const QRect onScreen = wanted.intersected(QRect(QPoint(0, 0), screen));
    const QPoint destination = onScreen.isEmpty() ? QPoint() : onScreen.topLeft() - wanted.topLeft();
    const auto side = [](int want, int screenSide, int reached) {
        return want <= screenSide ? want : std::max(screenSide, reached);
    };
    const QSize picture(side(wanted.width(), screen.width(), destination.x() + onScreen.width()),
                        side(wanted.height(), screen.height(), destination.y() + onScreen.height()));
    return {onScreen, destination, picture};
}

void placeIntoPicture(CapturedPicture& picture, const CaptureGeometry& g, const uint8_t* sourceBits,
                      qsizetype sourceBytesPerRow) {
    const QSize size = g.picture;
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
