#pragma once

#include <QWidget>

// "Form位置示意": marks the screen area that is sampled. Its top-left corner is canvas point (0, 0) and
// the area is the model's canvas, one screen pixel per unit. The window's own lines lie just outside
// the area, and the area itself is see-through (a window shape), so the window never appears in the
// sampled picture.
class PositionWindow : public QWidget {
    Q_OBJECT
public:
    explicit PositionWindow(QWidget* parent = nullptr);

    // Saves this window's and the main window's placement when they changed (every 50 ms).
    void Fun_Form位置示意_保存(QWidget* mainWindow);
    void Fun_改变位置窗显示方式();
    // Called around every screen copy.
    void Fun_截图的时候透明化(bool capturing);
    // The sampled area (canvas) in screen pixels; the window is one pixel larger for its lines.
    void setCanvasSize(const QSize& canvas);
    QSize canvasSize() const { return canvas_; }

    // Alpha of display mode 1: (100 - percent) x 2.55, cut to a whole number.
    static int alphaForTransparency(int percent);
    int transparencyPercent() const { return transparency_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyShape();

    QSize canvas_{100, 100};
    int transparency_ = 30;
    bool dragging_ = false;
    QPoint pressPoint_;
};
