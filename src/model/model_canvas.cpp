#include "model_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kq::model {
namespace {

int roundHalfEven(double v) {
    return int(std::nearbyint(v));
}

void drawMaterial(QPainter& p, const CanvasView& view, const T_Material& t) {
    const QPoint a = view.toCanvas(t.Coord[1], t.Coord[2]), b = view.toCanvas(t.Coord[3], t.Coord[4]);
    if (a == b)
        p.fillRect(a.x(), a.y(), 2, 2, p.pen().color());
    else
        p.drawLine(a, b);
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double u = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + u * ab);
    return std::sqrt(QPointF::dotProduct(d, d));
}

} // namespace

namespace {

// The step in or out from a scale: whole numbers above 1, 1/n below.
double stepIn(double scale) {
    return scale >= 1 ? scale + 1 : 1.0 / double(std::lround(1.0 / scale) - 1);
}
double stepOut(double scale) {
    if (scale > 1) return scale - 1;
    const long n = std::lround(1.0 / scale);
    return n < CanvasView::kMaxZoomOut ? 1.0 / double(n + 1) : scale;
}

// The model's extent with its frame (-1 .. length + 1) and a few pixels around it.
constexpr int kFitMarginPixels = 8;
bool fitsAt(double scale, const QSize& canvas, int length, int width) {
    return (length + 2) * scale <= canvas.width() - 2 * kFitMarginPixels &&
           (width + 2) * scale <= canvas.height() - 2 * kFitMarginPixels;
}

void zoomTo(CanvasView& v, double next, int mx, int my) {
    const double ratio = next / v.scale;
    v.ox = roundHalfEven(mx - (mx - v.ox) * ratio);
    v.oy = roundHalfEven(my - (my - v.oy) * ratio);
    v.scale = next;
}

} // namespace

void CanvasView::zoomIn(int mx, int my) {
    zoomTo(*this, stepIn(scale), mx, my);
}

void CanvasView::zoomOut(int mx, int my) {
    const double next = stepOut(scale);
    if (next != scale) zoomTo(*this, next, mx, my);
}

void CanvasView::centre(const QSize& canvasPixels, int modelLength, int modelWidth) {
    scale = 1;
    ox = roundHalfEven(roundHalfEven(canvasPixels.width() / 2.0) - modelLength / 2.0);
    oy = roundHalfEven(roundHalfEven(canvasPixels.height() / 2.0) - modelWidth / 2.0);
}

void CanvasView::fit(const QSize& canvasPixels, int modelLength, int modelWidth) {
    // Zoomed in as far as the model allows (up to 16:1), else out as far as it needs (down to 1:16).
    double s = 1;
    if (fitsAt(1, canvasPixels, modelLength, modelWidth)) {
        while (s < kMaxZoomOut && fitsAt(stepIn(s), canvasPixels, modelLength, modelWidth))
            s = stepIn(s);
    } else {
        while (stepOut(s) != s && !fitsAt(s, canvasPixels, modelLength, modelWidth))
            s = stepOut(s);
    }
    scale = s;
    ox = roundHalfEven(canvasPixels.width() / 2.0 - modelLength * s / 2.0);
    oy = roundHalfEven(canvasPixels.height() / 2.0 - modelWidth * s / 2.0);
}

bool CanvasView::fitsAtOneToOne(const QSize& canvasPixels, int modelLength, int modelWidth) {
    return fitsAt(1, canvasPixels, modelLength, modelWidth);
}

void paintModel(QPainter& p, const CanvasView& view, std::span<const T_Material> materials, int current, int length,
                int width) {
    p.setPen(QPen(QColor(128, 128, 128), 1));
    const QPoint tl = view.toCanvas(-1, -1), br = view.toCanvas(length + 1, width + 1);
    p.drawLine(tl.x(), tl.y(), br.x(), tl.y());
    p.drawLine(br.x(), tl.y(), br.x(), br.y());
    p.drawLine(br.x(), br.y(), tl.x(), br.y());
    p.drawLine(tl.x(), br.y(), tl.x(), tl.y());
    p.setPen(QPen(QColor(0, 255, 0), 1));
    for (size_t i = 1; i < materials.size(); ++i)
        if (materials[i].used()) drawMaterial(p, view, materials[i]);
    // The current material on top, three pixels wide (a dot four), so that it stands out at any zoom.
    if (current >= 1 && size_t(current) < materials.size()) {
        const T_Material& t = materials[size_t(current)];
        const QPoint a = view.toCanvas(t.Coord[1], t.Coord[2]), b = view.toCanvas(t.Coord[3], t.Coord[4]);
        if (a == b) {
            p.fillRect(a.x() - 1, a.y() - 1, 4, 4, QColor(255, 0, 0));
        } else {
            p.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(a, b);
        }
    }
}

int materialAt(const CanvasView& view, std::span<const T_Material> materials, QPoint at, int tolerance) {
    int best = 0;
    double bestDistance = tolerance + 0.5;
    for (size_t i = 1; i < materials.size(); ++i) {
        const T_Material& t = materials[i];
        if (!t.used()) continue;
        const double d =
            distanceToSegment(at, view.toCanvas(t.Coord[1], t.Coord[2]), view.toCanvas(t.Coord[3], t.Coord[4]));
        if (d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

} // namespace kq::model

ModelCanvas::ModelCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture模型"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
}

void ModelCanvas::Fun_放大_Click() {
    view_.zoomIn(mouse_.x(), mouse_.y());
    update();
}

void ModelCanvas::Fun_缩小_Click() {
    view_.zoomOut(mouse_.x(), mouse_.y());
    update();
}

void ModelCanvas::Command原点_Click() {
    const int m = currentModel();
    view_.centre(size(), g_ModelLength[m], g_ModelWidth[m]);
    update();
}

void ModelCanvas::fitModel() {
    const int m = currentModel();
    view_.fit(size(), g_ModelLength[m], g_ModelWidth[m]);
    update();
}

void ModelCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int m = currentModel();
    kq::model::paintModel(p, view_, g_Materials[m], g_CurMaterial, g_ModelLength[m], g_ModelWidth[m]);
}

void ModelCanvas::mousePressEvent(QMouseEvent* e) {
    dragging_ = !dragging_;
    moved_ = false;
    pressAt_ = e->position().toPoint();
    pressOffset_ = {view_.ox, view_.oy};
}

void ModelCanvas::mouseMoveEvent(QMouseEvent* e) {
    mouse_ = e->position().toPoint();
    if (!dragging_) return;
    if (mouse_ != pressAt_) moved_ = true;
    view_.ox = mouse_.x() - pressAt_.x() + pressOffset_.x();
    view_.oy = mouse_.y() - pressAt_.y() + pressOffset_.y();
    update();
}

void ModelCanvas::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    if (moved_) return;
    // A click without a drag picks the material drawn there.
    const int m = currentModel();
    if (const int n = kq::model::materialAt(view_, g_Materials[m], e->position().toPoint(), 4)) emit materialClicked(n);
}

void ModelCanvas::wheelEvent(QWheelEvent* e) {
    e->accept();
    // Only a plain notch zooms; a turn with a key held is swallowed.
    if (e->modifiers() != Qt::NoModifier) return;
    mouse_ = e->position().toPoint();
    if (e->angleDelta().y() == 120)
        Fun_放大_Click();
    else if (e->angleDelta().y() == -120)
        Fun_缩小_Click();
}
