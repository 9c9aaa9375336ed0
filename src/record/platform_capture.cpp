#include "platform_capture.h"

#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "portal_capture.h"
#include "x11_capture.h"

#include <QCoreApplication>
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
        placeIntoPicture(picture, g, shot.isNull() ? nullptr : shot.constBits(), shot.bytesPerLine());
        return true;
    }
    QString name() const override { return QCoreApplication::translate("kq", "Qt屏幕截图"); }
    QString advice() const override {
        return QCoreApplication::translate("kq", "Wayland桌面请在登录时选择X11（Xorg）会话。");
    }
};

QString g_captureOption;

} // namespace

CaptureKind chooseCapture(const QString& forced, const QString& sessionType, bool waylandDisplay,
                          const QString& platform) {
    if (forced == QLatin1String("x11")) return CaptureKind::X11;
    if (forced == QLatin1String("portal")) return CaptureKind::Portal;
    if (sessionType == QLatin1String("wayland") || (sessionType.isEmpty() && waylandDisplay))
        return CaptureKind::Portal;
    return platform == QLatin1String("xcb") ? CaptureKind::X11 : CaptureKind::QtGrab;
}

bool isCaptureName(const QString& name) {
    return name == QLatin1String("x11") || name == QLatin1String("portal");
}

void setCaptureOption(const QString& name) {
    g_captureOption = name;
}

std::unique_ptr<ScreenCapture> platformCapture() {
    const QString forced =
        isCaptureName(g_captureOption) ? g_captureOption : Fun_ReadIni(g_IniPath, key::ScreenCapture);
    const CaptureKind kind =
        chooseCapture(forced, qEnvironmentVariable("XDG_SESSION_TYPE"), !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
                      QGuiApplication::platformName());
    if (kind == CaptureKind::Portal) {
        auto portal = std::make_unique<PortalCapture>(Fun_ReadIni(g_IniPath, key::ScreenCastToken));
        portal->restoreTokenChanged = [](const QString& token) {
            Fun_WriteIni(g_IniPath, key::ScreenCastToken, token);
        };
        return portal;
    }
    if (kind == CaptureKind::X11) {
        auto x11 = std::make_unique<X11Capture>();
        if (x11->available()) return x11;
    }
    return std::make_unique<QtScreenCapture>();
}

} // namespace kq::record
