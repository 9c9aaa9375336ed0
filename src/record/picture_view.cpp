#include "picture_view.h"

#include <QPainter>

namespace kq::record {

QRect fitPicture(const QSize& picture, const QSize& box) {
    if (picture.isEmpty() || box.isEmpty()) return {};
    if (picture.width() <= box.width() && picture.height() <= box.height()) return {QPoint(0, 0), picture};
    // The side that overflows more sets the scale; the other is rounded to the nearest pixel, and a
    // long thin picture keeps at least one.
    const qint64 pw = picture.width(), ph = picture.height(), bw = box.width(), bh = box.height();
    const QSize fitted = pw * bh >= ph * bw ? QSize(box.width(), int((2 * ph * bw + pw) / (2 * pw)))
                                            : QSize(int((2 * pw * bh + ph) / (2 * ph)), box.height());
    return {QPoint(0, 0), fitted.expandedTo(QSize(1, 1))};
}

} // namespace kq::record

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture_显示"));
    setFixedSize(kBoxSize);
}

void PictureView::setPicture(const QImage& picture) {
    picture_ = picture;
    lines_.clear();
    update();
}

void PictureView::addLine(const QLine& line) {
    lines_.push_back(line);
}

QRect PictureView::pictureRect() const {
    return picture_.isNull() ? QRect() : kq::record::fitPicture(picture_.size(), size());
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xC0, 0xC0, 0xFF));
    if (picture_.isNull()) return;
    // One mapping for the picture and its lines, so that the lines stay on what they sample. The
    // picture is scaled while it is drawn: no scaled copy is made.
    const QRect target = pictureRect();
    p.translate(target.topLeft());
    p.scale(double(target.width()) / picture_.width(), double(target.height()) / picture_.height());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QPoint(0, 0), picture_);
    QPen pen(QColor(255, 0, 0));
    pen.setCosmetic(true); // one screen pixel wide at any scale
    p.setPen(pen);
    for (const QLine& l : lines_)
        p.drawLine(l);
}
