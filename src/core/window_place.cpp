#include "window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <vector>

namespace kq {

QRect keepOnScreen(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() + 1 - r.height()));
    return r;
}

QPoint placeBeside(const QRect& frame, const QRect& available, const QRect& area) {
    if (available.isEmpty()) return frame.topLeft();
    const int w = frame.width(), h = frame.height();
    // Clamped to the screen without shrinking: a frame larger than the screen starts at its corner.
    const auto onScreen = [&](int x, int y) {
        return QPoint(std::max(available.left(), std::min(x, available.right() + 1 - w)),
                      std::max(available.top(), std::min(y, available.bottom() + 1 - h)));
    };
    const QPoint wanted = onScreen(frame.left(), frame.top());
    const auto covered = [&](QPoint at) {
        const QRect r = QRect(at, frame.size()).intersected(area);
        return r.isEmpty() ? 0LL : qint64(r.width()) * r.height();
    };
    if (area.isEmpty() || covered(wanted) == 0) return wanted;
    // Beside each side of the area, along the wanted place and the screen's edges.
    const std::vector<int> xs{wanted.x(), area.right() + 1, area.left() - w, available.left(),
                              available.right() + 1 - w};
    const std::vector<int> ys{wanted.y(), area.bottom() + 1, area.top() - h, available.top(),
                              available.bottom() + 1 - h};
    QPoint best = wanted;
    qint64 bestCovered = covered(wanted), bestDistance = 0;
    for (const int x : xs)
        for (const int y : ys) {
            const QPoint at = onScreen(x, y);
            const qint64 c = covered(at);
            const qint64 d = qint64(at.x() - wanted.x()) * (at.x() - wanted.x()) +
                             qint64(at.y() - wanted.y()) * (at.y() - wanted.y());
            if (c < bestCovered || (c == bestCovered && d < bestDistance)) {
                best = at;
                bestCovered = c;
                bestDistance = d;
            }
        }
    return best;
}

QRect availableAreaOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

WindowsOnScreen::WindowsOnScreen(QStringList keepPlace, QObject* parent)
    : QObject(parent), keepPlace_(std::move(keepPlace)) {}

bool WindowsOnScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const Qt::WindowType type = w->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) && !keepPlace_.contains(w->objectName()) && !w->isMaximized() &&
            !w->isFullScreen()) {
            const QRect frame = w->frameGeometry();
            const QRect placed = keepOnScreen(frame, availableAreaOf(*w));
            if (placed.size() != frame.size()) w->resize(w->size() - (frame.size() - placed.size()));
            if (placed.topLeft() != frame.topLeft()) w->move(placed.topLeft());
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kq
