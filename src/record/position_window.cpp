#include "position_window.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/shared_state.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace {
constexpr int kEdgeMarginTwips = 1500;
constexpr int kFallbackTwips = 100;
const QColor kKeyColour(255, 128, 128); // 0x8080FF: the see-through colour of the Windows program
const QColor kLineColour(0, 0, 0);

int toPixels(int twips) { return twips / kTwipsPerPixel; }
} // namespace

PositionWindow::PositionWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    setObjectName(QStringLiteral("Form位置示意"));
    setWindowTitle(QStringLiteral("位置示意"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    transparency_ = Fun_ReadIniNumber(g_IniPath, QStringLiteral("位置窗体透明度"), 30, 0, 100);
    const auto placement = [](const QString& key, int screenTwips) {
        const int v = Fun_ReadIniNumber(g_IniPath, key, kFallbackTwips, INT32_MIN, INT32_MAX);
        return v < 1 || v >= screenTwips - kEdgeMarginTwips ? kFallbackTwips : v;
    };
    const int top = placement(QStringLiteral("位置窗体top"), Fun_ScreenSize(4));
    const int left = placement(QStringLiteral("位置窗体left"), Fun_ScreenSize(3));
    move(toPixels(left), toPixels(top));
    g_PosWinSavedTop = top;
    g_PosWinSavedLeft = left;
    setCanvasSize(canvas_);
}

int PositionWindow::alphaForTransparency(int percent) { return int((100 - percent) * 2.55); }

void PositionWindow::setCanvasSize(const QSize& canvas) {
    if (canvas == canvas_ && size() == canvas + QSize(1, 1)) return;
    canvas_ = canvas;
    setFixedSize(canvas + QSize(1, 1));
    applyShape();
}

void PositionWindow::applyShape() {
    // Only the lines on the bottom and right edges, just outside the sampled area, belong to the
    // window; the area itself is see-through in every mode. Covering it with the last picture between
    // captures (mode 3 on Windows) cannot work on X11: without a compositor the server keeps nothing of
    // what lies under a window, so the uncovered area would still hold the window's old picture when it
    // is copied, and the capture would freeze. The last picture shows in "Picture_显示" instead.
    const int w = canvas_.width(), h = canvas_.height();
    setMask(QRegion(0, h, w + 1, 1) + QRegion(w, 0, 1, h + 1));
}

void PositionWindow::Fun_改变位置窗显示方式() {
    setWindowOpacity(g_PosWinMode == 1 ? alphaForTransparency(transparency_) / 255.0 : 1.0);
    applyShape();
    update();
}

void PositionWindow::Fun_截图的时候透明化(bool) {
    // The sampled area is see-through at all times (see applyShape): nothing to change for a copy.
}

void PositionWindow::Fun_Form位置示意_保存(QWidget* mainWindow) {
    const int top = y() * kTwipsPerPixel, left = x() * kTwipsPerPixel;
    if (top != g_PosWinSavedTop || left != g_PosWinSavedLeft) {
        g_PosWinSavedTop = top;
        g_PosWinSavedLeft = left;
        Fun_WriteIni(g_IniPath, QStringLiteral("位置窗体top"), QString::number(top));
        Fun_WriteIni(g_IniPath, QStringLiteral("位置窗体left"), QString::number(left));
    }
    if (!mainWindow) return;
    const int mainTop = mainWindow->y() * kTwipsPerPixel, mainLeft = mainWindow->x() * kTwipsPerPixel;
    if (mainTop != g_MainWinSavedTop || mainLeft != g_MainWinSavedLeft) {
        g_MainWinSavedTop = mainTop;
        g_MainWinSavedLeft = mainLeft;
        if (!g_MainClosing) {
            Fun_WriteIni(g_IniPath, QStringLiteral("主窗体top"), QString::number(mainTop));
            Fun_WriteIni(g_IniPath, QStringLiteral("主窗体left"), QString::number(mainLeft));
        }
    }
}

void PositionWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kKeyColour);
    p.setPen(kLineColour);
    p.drawLine(0, canvas_.height(), canvas_.width(), canvas_.height());
    p.drawLine(canvas_.width(), 0, canvas_.width(), canvas_.height());
}

void PositionWindow::mousePressEvent(QMouseEvent* e) {
    dragging_ = !dragging_;
    pressPoint_ = e->position().toPoint();
}

void PositionWindow::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(pos() + e->position().toPoint() - pressPoint_);
}

void PositionWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void PositionWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_W: move(x(), y() - 1); break;
    case Qt::Key_S: move(x(), y() + 1); break;
    case Qt::Key_A: move(x() - 1, y()); break;
    case Qt::Key_D: move(x() + 1, y()); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: g_StepFlag = true; break;
    default: QWidget::keyPressEvent(e);
    }
}
