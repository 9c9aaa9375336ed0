#pragma once

#include <QObject>
#include <QRect>
#include <QStringList>

class QWidget;

// Where windows open: wholly on the screen's available area, whatever place was saved for them on a
// larger screen or before a window grew.
namespace kq {

// The frame moved in, and shrunk to the area where it is larger, so that it lies wholly in `available`.
QRect keepOnScreen(const QRect& frame, const QRect& available);

// The main window's place (its frame's top-left) beside the sampled area: where it wants to be when that
// lies wholly on the screen and clear of the area; else the place on the screen, clear of the area,
// nearest to it; where there is none, the place on the screen that covers least of the area. A frame
// larger than the screen lies at the screen's top-left. An empty area is no obstacle.
QPoint placeBeside(const QRect& frame, const QRect& available, const QRect& area);

// The available area of the screen a window is on (the primary screen's when it is on none).
QRect availableAreaOf(const QWidget& window);

// Moves every top-level window and dialog that is shown wholly onto its screen, except those named in
// `keepPlace` (a window that marks a place on the screen itself).
class WindowsOnScreen : public QObject {
    Q_OBJECT
public:
    explicit WindowsOnScreen(QStringList keepPlace, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList keepPlace_;
};

} // namespace kq
