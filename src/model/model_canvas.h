#pragma once

#include "model_data.h"

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <cmath>
#include <span>

class QPainter;

namespace kq::model {

// Where the canvas shows the model: model point (x, y) at canvas pixel (x * scale + ox, y * scale + oy).
// The zoom steps are whole numbers (1, 2, 3, ...) in and their inverses (1/2, 1/3, ... 1/16) out.
struct CanvasView {
    static constexpr int kMaxZoomOut = 16;
    double scale = 1;
    int ox = 0, oy = 0;

    QPoint toCanvas(int x, int y) const { return {int(std::lround(x * scale)) + ox, int(std::lround(y * scale)) + oy}; }
    // Zooming keeps the model point under the mouse (mx, my) where it is; out stops at 1/16.
    void zoomIn(int mx, int my);
    void zoomOut(int mx, int my);
    // Scale 1 with the model's middle in the canvas's middle.
    void centre(const QSize& canvasPixels, int modelLength, int modelWidth);
    // The whole model with its frame in view, centred: the largest zoom step at which it fits.
    void fit(const QSize& canvasPixels, int modelLength, int modelWidth);
    // Whether the model with its frame fits the canvas at 1:1.
    static bool fitsAtOneToOne(const QSize& canvasPixels, int modelLength, int modelWidth);
};

// Draws a model: the grey frame around (-1, -1) .. (length + 1, width + 1), the used materials green,
// the current one red; a material whose points coincide is a 2-pixel dot.
void paintModel(QPainter& p, const CanvasView& view, std::span<const T_Material> materials, int current, int length,
                int width);
// The used material drawn nearest to canvas point `at`, within `tolerance` pixels; 0 when none is.
int materialAt(const CanvasView& view, std::span<const T_Material> materials, QPoint at, int tolerance);

} // namespace kq::model

// "Picture模型": the current model, panned by dragging, zoomed with the wheel, a material chosen by a
// click on it.
class ModelCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ModelCanvas(QWidget* parent = nullptr);

    kq::model::CanvasView& view() { return view_; }
    void Fun_放大_Click();
    void Fun_缩小_Click();
    void Command原点_Click();
    void fitModel(); // "适合窗口": the whole model in view
    QSize sizeHint() const override { return {560, 420}; }

signals:
    void materialClicked(int material);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    kq::model::CanvasView view_;
    QPoint mouse_;
    bool dragging_ = false;
    bool moved_ = false;
    QPoint pressAt_;
    QPoint pressOffset_;
};
