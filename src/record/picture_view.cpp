#include "picture_view.h"

#include <QPainter>

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture_显示"));
    setMinimumSize(100, 100);
}

void PictureView::setPicture(const QImage& picture) {
    picture_ = picture;
    lines_.clear();
    updateGeometry();
    update();
}

void PictureView::addLine(const QLine& line) {
    lines_.push_back(line);
}

QSize PictureView::sizeHint() const {
    return picture_.isNull() ? QSize(100, 100) : picture_.size();
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xC0, 0xC0, 0xFF));
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
    p.setPen(QColor(255, 0, 0));
    for (const QLine& l : lines_)
        p.drawLine(l);
}
