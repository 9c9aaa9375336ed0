#pragma once

#include <QImage>
#include <QLine>
#include <QRect>
#include <QWidget>
#include <vector>

namespace kq::record {
// Where a picture is drawn in a box: at its top left, shrunk to fit with its aspect ratio kept. A
// picture that fits is drawn 1:1 and never enlarged, so that it looks like the screen area it samples.
QRect fitPicture(const QSize& picture, const QSize& box);
} // namespace kq::record

// "Picture_显示": the last captured picture in a box of fixed size, with the material lines drawn over
// it when "Check线条显示" is ticked. Its size does not follow the picture's, so neither does the window's.
class PictureView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kBoxSize{400, 300};

    explicit PictureView(QWidget* parent = nullptr);
    // Takes the picture as it will be shown, shrunk into the box once here: painting then draws no more
    // than the box, and `picture` may be the capture's own memory, which is not kept.
    void setPicture(const QImage& picture);
    // A line in picture pixels, drawn with the next paint.
    void addLine(const QLine& line);
    QSize pictureSize() const { return pictureSize_; }
    const QImage& shown() const { return shown_; }
    // Where the picture is drawn in the box (empty without one).
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize pictureSize_;
    QImage shown_; // the picture at pictureRect()'s size, kept from one picture to the next
    std::vector<QLine> lines_;
};
