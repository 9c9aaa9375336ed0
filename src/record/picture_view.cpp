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
    pictureSize_ = picture.size();
    lines_.clear();
    const QRect target = pictureRect();
    if (target.isEmpty()) {
        shown_ = QImage();
    } else {
        if (shown_.size() != target.size()) shown_ = QImage(target.size(), QImage::Format_RGB32);
        // Nearest pixels, with no filtering: the picture is for the eye, and this runs in the frame step.
        QPainter p(&shown_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QRect(QPoint(0, 0), target.size()), picture);
    }
    update();
}

void PictureView::addLine(const QLine& line) {
    lines_.push_back(line);
}

QRect PictureView::pictureRect() const {
    return pictureSize_.isEmpty() ? QRect() : kq::record::fitPicture(pictureSize_, size());
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xC0, 0xC0, 0xFF));
    if (shown_.isNull()) return;
    const QRect target = pictureRect();
    p.drawImage(target.topLeft(), shown_);
    // The lines are in picture pixels: mapped as the picture was.
    p.translate(target.topLeft());
    p.scale(double(target.width()) / pictureSize_.width(), double(target.height()) / pictureSize_.height());
    QPen pen(QColor(255, 0, 0));
    pen.setCosmetic(true); // one screen pixel wide at any scale
    p.setPen(pen);
    for (const QLine& l : lines_)
        p.drawLine(l);
}
