// Where "Picture_显示" draws a picture in its box.
#include "record/picture_view.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureView, APictureIsShrunkIntoItsBoxButNeverEnlarged) {
    struct Case {
        QSize picture, box;
        QRect drawn;
    };
    const Case cases[] = {
        {{400, 300}, {400, 300}, {0, 0, 400, 300}},  // exactly the box
        {{100, 100}, {400, 300}, {0, 0, 100, 100}},  // smaller: 1:1
        {{800, 300}, {400, 300}, {0, 0, 400, 150}},  // too wide
        {{400, 600}, {400, 300}, {0, 0, 200, 300}},  // too tall
        {{1000, 500}, {400, 300}, {0, 0, 400, 200}}, // both, the width more
        {{401, 300}, {400, 300}, {0, 0, 400, 299}},  // 299.25 rounds down
        {{300, 401}, {400, 300}, {0, 0, 224, 300}},  // 224.44
        {{600, 301}, {400, 300}, {0, 0, 400, 201}},  // 200.67 rounds up
        {{4000, 1}, {400, 300}, {0, 0, 400, 1}},     // a thin strip keeps a pixel
        {{0, 0}, {400, 300}, {}},                    // no picture
        {{100, 100}, {0, 0}, {}},                    // no box
    };
    for (const Case& c : cases)
        EXPECT_EQ(kq::record::fitPicture(c.picture, c.box), c.drawn)
            << c.picture.width() << "x" << c.picture.height() << " in " << c.box.width() << "x" << c.box.height();
}

TEST(PictureView, TheBoxKeepsItsSizeWhateverThePicture) {
    PictureView view;
    EXPECT_EQ(view.size(), PictureView::kBoxSize);
    EXPECT_TRUE(view.pictureRect().isEmpty());
    view.setPicture(QImage(1200, 300, QImage::Format_RGB32));
    EXPECT_EQ(view.size(), PictureView::kBoxSize);
    EXPECT_EQ(view.minimumSize(), PictureView::kBoxSize);
    EXPECT_EQ(view.maximumSize(), PictureView::kBoxSize);
    EXPECT_EQ(view.pictureRect(), QRect(0, 0, 400, 100));
}

TEST(PictureView, APictureIsShrunkOnceAsItComesAndKeepsItsColours) {
    PictureView view;
    // 1,000 x 500: red on the left half, blue on the right, one green row in the middle.
    QImage picture(1000, 500, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 500; ++y)
        for (int x = 500; x < 1000; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    view.setPicture(picture);
    picture.fill(Qt::black); // the capture's memory is not kept
    ASSERT_EQ(view.shown().size(), QSize(400, 200));
    EXPECT_EQ(view.shown().pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(view.shown().pixel(390, 190), qRgb(0, 0, 255));
    EXPECT_EQ(view.pictureSize(), QSize(1000, 500));
    // A smaller picture is shown 1:1, the buffer following its size.
    view.setPicture(QImage(100, 50, QImage::Format_RGB32));
    EXPECT_EQ(view.shown().size(), QSize(100, 50));
}

} // namespace
