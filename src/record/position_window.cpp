#include "position_window.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

PositionWindow::PositionWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    setObjectName(QStringLiteral("Form位置示意"));
    setWindowTitle(tr("位置示意"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // XWayland keeps a window's shape for input only and draws the whole rectangle. There the area is
    // see-through because it is never painted: the window has an alpha channel and no mask (a mask
    // would keep the area from ever being cleared, and it would show what was drawn there before).
    setAttribute(Qt::WA_TranslucentBackground);
    shaped_ = qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland") &&
              qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    setCursor(Qt::SizeAllCursor);
    setToolTip(tr("拖动移动位置；W A S D 每次移动一个像素；回车键单步录制"));
    transparency_ = Fun_ReadIniNumber(g_IniPath, kq::key::PositionWindowTransparency, 30, 0, 100);
    const auto placement = [](const QString& key, int screenTwips) {
        const int v = Fun_ReadIniNumber(g_IniPath, key, kFallbackPlaceTwips, INT32_MIN, INT32_MAX);
        return v < 1 || v >= screenTwips - kEdgeMarginTwips ? kFallbackPlaceTwips : v;
    };
    const int top = placement(kq::key::PositionWindowTop, Fun_ScreenSize(4));
    const int left = placement(kq::key::PositionWindowLeft, Fun_ScreenSize(3));
    moveArea(QPoint(twipsToPixels(left), twipsToPixels(top)));
    g_PosWinSavedTop = top;
    g_PosWinSavedLeft = left;
    setCanvasSize(canvas_);
}

int PositionWindow::alphaForTransparency(int percent) {
    return int((100 - percent) * 2.55);
}

namespace {
QSize windowSizeFor(const QSize& canvas) {
    return {std::max(canvas.width() + 2, PositionWindow::kHandleMinWidth),
            canvas.height() + 2 + PositionWindow::kHandleHeight};
}
} // namespace

QRect PositionWindow::handleRect() const {
    return QRect(0, canvas_.height() + 2, windowSizeFor(canvas_).width(), kHandleHeight);
}

void PositionWindow::setCanvasSize(const QSize& canvas) {
    if (canvas == canvas_ && size() == windowSizeFor(canvas)) return;
    canvas_ = canvas;
    setFixedSize(windowSizeFor(canvas));
    applyShape();
}

void PositionWindow::applyShape() {
    // The outline one pixel outside the area and the handle below it belong to the window; the area
    // itself is see-through in every mode. Covering it with the last picture between captures (mode 3
    // on Windows) cannot work on X11: without a compositor the server keeps nothing of what lies under
    // a window, so the uncovered area would still hold the window's old picture when it is copied, and
    // the capture would freeze. The last picture shows in "Picture_显示" instead.
    if (!shaped_) {
        clearMask();
        update();
        return;
    }
    const int w = canvas_.width() + 2, h = canvas_.height() + 2;
    setMask(QRegion(0, 0, w, 1) + QRegion(0, h - 1, w, 1) + QRegion(0, 0, 1, h) + QRegion(w - 1, 0, 1, h) +
            QRegion(handleRect()));
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
    const QPoint area = areaTopLeft();
    const int top = area.y() * kTwipsPerPixel, left = area.x() * kTwipsPerPixel;
    if (top != g_PosWinSavedTop || left != g_PosWinSavedLeft) {
        g_PosWinSavedTop = top;
        g_PosWinSavedLeft = left;
        Fun_WriteIni(g_IniPath, kq::key::PositionWindowTop, QString::number(top));
        Fun_WriteIni(g_IniPath, kq::key::PositionWindowLeft, QString::number(left));
    }
    if (!mainWindow) return;
    const int mainTop = mainWindow->y() * kTwipsPerPixel, mainLeft = mainWindow->x() * kTwipsPerPixel;
    if (mainTop != g_MainWinSavedTop || mainLeft != g_MainWinSavedLeft) {
        g_MainWinSavedTop = mainTop;
        g_MainWinSavedLeft = mainLeft;
        if (!g_MainClosing) {
            Fun_WriteIni(g_IniPath, kq::key::MainWindowTop, QString::number(mainTop));
            Fun_WriteIni(g_IniPath, kq::key::MainWindowLeft, QString::number(mainLeft));
        }
    }
}

void PositionWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The outline: white with black dashes, seen on dark and on light animations alike.
    const QRect outline(0, 0, canvas_.width() + 1, canvas_.height() + 1);
    p.setPen(QPen(Qt::white, 0));
    p.drawRect(outline);
    p.setPen(QPen(Qt::black, 0, Qt::DashLine));
    p.drawRect(outline);
    const QRect handle = handleRect();
    p.fillRect(handle, hasFocus() ? QColor(0, 96, 192) : QColor(64, 64, 64));
    p.setPen(Qt::white);
    p.drawText(handle.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
               tr("位置示意 %1×%2  (%3, %4)")
                   .arg(canvas_.width())
                   .arg(canvas_.height())
                   .arg(areaTopLeft().x())
                   .arg(areaTopLeft().y()));
}

void PositionWindow::mousePressEvent(QMouseEvent* e) {
    dragging_ = !dragging_;
    pressPoint_ = e->position().toPoint();
    // A click on the handle gives the window the keyboard, for W/A/S/D and Enter.
    activateWindow();
    setFocus(Qt::MouseFocusReason);
    update();
}

void PositionWindow::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(pos() + e->position().toPoint() - pressPoint_);
}

void PositionWindow::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void PositionWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    update(handleRect()); // the handle shows where the area lies
}

void PositionWindow::moveBy(int dx, int dy) {
    move(x() + dx, y() + dy);
}

void PositionWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_W:
        moveBy(0, -1);
        break;
    case Qt::Key_S:
        moveBy(0, 1);
        break;
    case Qt::Key_A:
        moveBy(-1, 0);
        break;
    case Qt::Key_D:
        moveBy(1, 0);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        g_StepFlag = true;
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}
