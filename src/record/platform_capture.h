#pragma once

#include "screen_capture.h"

#include <memory>

namespace kq::record {

enum class CaptureKind { X11, Portal, QtGrab };

// Which screen copy the program uses. forced ("x11" or "portal", from --capture or the setting
// "截屏方式") wins; otherwise a Wayland session shares its screen through the desktop's portal (an X11
// copy there would see only the programs that run on XWayland), a program on X11 copies from the X
// server, and anything else takes Qt's own grab.
CaptureKind chooseCapture(const QString& forced, const QString& sessionType, bool waylandDisplay,
                          const QString& platform);
// The values forced may take; anything else (an empty setting included) means the automatic choice.
bool isCaptureName(const QString& name);

// The command line's --capture, ahead of the setting.
void setCaptureOption(const QString& name);

// The screen copy for this session, as chooseCapture picks it from the environment and the settings.
// The portal's restore token is kept in the settings ("屏幕共享令牌").
std::unique_ptr<ScreenCapture> platformCapture();

} // namespace kq::record
