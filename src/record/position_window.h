#pragma once

#include <QWidget>

// "Form位置示意": marks the screen area that is sampled. The area's top-left corner is canvas point
// (0, 0) and the area is the model's canvas, one screen pixel per unit. The window is an outline one
// pixel outside the area on all four sides and a handle below it to drag it by and to give it the
// keyboard; the area itself is see-through (a window shape), so the window never appears in the
// sampled picture. Placement (saved and sampled) is the area's own position.
class PositionWindow : public QWidget {
    Q_OBJECT
public:
    explicit PositionWindow(QWidget* parent = nullptr);

    // Saves this window's and the main window's placement when they changed (every 50 ms).
    void Fun_Form位置示意_保存(QWidget* mainWindow);
    void Fun_改变位置窗显示方式();
    // Called around every screen copy.
    void Fun_截图的时候透明化(bool capturing);
    // The sampled area (canvas) in screen pixels; the window adds its outline and its handle.
    void setCanvasSize(const QSize& canvas);
    QSize canvasSize() const { return canvas_; }
    // The area's top-left corner on the screen, and moving the window so that the area lies there.
    QPoint areaTopLeft() const { return pos() + kAreaOffset; }
    void moveArea(const QPoint& topLeft) { move(topLeft - kAreaOffset); }
    // Where the handle lies, in window coordinates.
    QRect handleRect() const;

    static constexpr int kHandleHeight = 22;
    static constexpr int kHandleMinWidth = 200;
    static constexpr QPoint kAreaOffset{1, 1}; // the outline's width

    // Alpha of display mode 1: (100 - percent) x 2.55, cut to a whole number.
    static int alphaForTransparency(int percent);
    int transparencyPercent() const { return transparency_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void applyShape();
    void moveBy(int dx, int dy);

    QSize canvas_{100, 100};
    int transparency_ = 30;
    bool shaped_ = true; // the window system cuts the window to its mask
    bool dragging_ = false;
    QPoint pressPoint_;
};
