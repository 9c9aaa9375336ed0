#include "platform_capture.h"

#include "x11_capture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

namespace kq::record {
namespace {

class QtScreenCapture final : public ScreenCapture {
public:
    bool grab(const QRect& wanted, CapturedPicture& picture) override {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return false;
        const CaptureGeometry g = captureGeometry(wanted, screen->size());
        const QImage shot = g.source.isEmpty()
                                ? QImage()
                                : screen->grabWindow(0, g.source.x(), g.source.y(), g.source.width(), g.source.height())
                                      .toImage()
                                      .convertToFormat(QImage::Format_RGB32);
        // A desktop that lets no program copy the screen (a Wayland session) gives no picture at all.
        if (!g.source.isEmpty() && shot.isNull()) return false;
        placeIntoPicture(picture, wanted.size(), g, shot.isNull() ? nullptr : shot.constBits(), shot.bytesPerLine());
        return true;
    }
    QString name() const override { return QStringLiteral("Qt screen grab"); }
};

} // namespace

std::unique_ptr<ScreenCapture> platformCapture() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<X11Capture>();
        if (x11->available()) return x11;
    }
    return std::make_unique<QtScreenCapture>();
}

} // namespace kq::record
