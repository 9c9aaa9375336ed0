#pragma once

#include <QImage>
#include <QLine>
#include <QWidget>
#include <vector>

// "Picture_显示": the last captured picture, one pixel per canvas unit, with the material lines drawn
// over it when "Check线条显示" is ticked.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    void addLine(const QLine& line);
    const QImage& picture() const { return picture_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    std::vector<QLine> lines_;
};
