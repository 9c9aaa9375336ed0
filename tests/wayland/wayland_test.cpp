// On a private headless Wayland desktop: the screen shared through the portal, cut at the area, and the
// live output of a pattern on the screen reaching the stand-in machines through the position window.
// The pattern is a Wayland window filling the desktop's one output; the program's windows run on
// XWayland, as they do for a user.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "record/platform_capture.h"
#include "record/portal_capture.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/screen_pattern.h"
#include "support/widgets.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using kq::record::CapturedPicture;
using kq::record::PortalCapture;
using kq::test::pixel;
using kq::test::screenPattern;

// Repeats step every 20 ms until it returns true or seconds have passed.
template <typename Step> bool within(int seconds, Step step) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        if (step()) return true;
        Fun_Delay(20);
    }
    return false;
}

class OnWayland : public testing::Test {
protected:
    // One pattern window for all tests: a Wayland client that the compositor lays over its whole output.
    static void SetUpTestSuite() {
        pattern_ = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        pattern_->setProcessEnvironment(env);
        pattern_->setProcessChannelMode(QProcess::ForwardedChannels);
        pattern_->start(QStringLiteral(KQ510_PATTERN_PROGRAM), {QStringLiteral("--static")});
        pattern_->waitForStarted();
    }
    static void TearDownTestSuite() {
        pattern_->kill();
        pattern_->waitForFinished();
        delete pattern_;
    }
    static QProcess* pattern_;
};
QProcess* OnWayland::pattern_ = nullptr;

TEST_F(OnWayland, TheSessionSharesItsScreenThroughThePortal) {
    EXPECT_EQ(kq::record::chooseCapture(QString(), qEnvironmentVariable("XDG_SESSION_TYPE"),
                                        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), QStringLiteral("xcb")),
              kq::record::CaptureKind::Portal);
}

TEST_F(OnWayland, ThePortalSharesTheScreenAndTheAreaIsCutFromItsNewestFrame) {
    PortalCapture capture{QString()};
    QStringList tokens;
    capture.restoreTokenChanged = [&](const QString& t) { tokens << t; };
    CapturedPicture p;
    EXPECT_FALSE(capture.grab(QRect(10, 20, 50, 40), p)); // the first grab asks the desktop
    EXPECT_TRUE(capture.waiting());
    // The pattern is up once its corner pixels show.
    ASSERT_TRUE(within(20,
                       [&] {
                           return capture.grab(QRect(10, 20, 50, 40), p) && pixel(p, 0, 0) == screenPattern(10, 20) &&
                                  pixel(p, 49, 39) == screenPattern(59, 59);
                       }))
        << "state " << int(capture.state()) << ": " << capture.name().toStdString();
    EXPECT_FALSE(capture.waiting());
    EXPECT_EQ(capture.screen(), QRect(0, 0, 1280, 800));
    ASSERT_EQ(p.width, 50);
    ASSERT_EQ(p.height, 40);
    for (int y : {0, 17, 39})
        for (int x : {0, 23, 49})
            ASSERT_EQ(pixel(p, x, y), screenPattern(10 + x, 20 + y)) << x << "," << y;

    // Partly off the screen: what is off it stays light blue.
    ASSERT_TRUE(capture.grab(QRect(-5, -3, 20, 10), p));
    EXPECT_EQ(pixel(p, 4, 2), qRgb(0xC0, 0xC0, 0xFF));
    EXPECT_EQ(pixel(p, 5, 3), screenPattern(0, 0));
    ASSERT_TRUE(capture.grab(QRect(1275, 795, 10, 10), p));
    EXPECT_EQ(pixel(p, 4, 4), screenPattern(1279, 799));
    EXPECT_EQ(pixel(p, 9, 9), qRgb(0xC0, 0xC0, 0xFF));

    // The desktop hands out a token for the next start, which shares again without asking.
    ASSERT_EQ(tokens.size(), 1);
    PortalCapture again{tokens.first()};
    again.restoreTokenChanged = capture.restoreTokenChanged;
    // A compositor may send a new share's first frame only once something on the screen changes.
    QWidget blink;
    blink.resize(8, 8);
    EXPECT_TRUE(within(20, [&] {
        blink.setVisible(!blink.isVisible());
        return again.grab(QRect(100, 100, 4, 4), p);
    })) << again.name().toStdString();
    EXPECT_EQ(pixel(p, 3, 3), screenPattern(103, 103));
    EXPECT_EQ(tokens.size(), 2); // each share's token serves once
}

TEST_F(OnWayland, TheStandInMachinesReceiveThePatternUnderThePositionWindow) {
    kq::test::TempHome home;
    auto machines = home.startMachines({1, 2, 3});
    ASSERT_TRUE(machines);
    MainWindow w; // its screen copy is the program's own choice: the portal, in this session
    w.show();
    ASSERT_TRUE(within(10, [&] { return w.initialised(); }));
    w.hide(); // the compositor centres it, over the area
    kq::test::placePatternMaterials();
    auto& panel = kq::test::only<RecordingPanel>(w);

    for (int mode : {1, 2, 3}) {
        g_PosWinMode = uint8_t(mode);
        w.positionWindow()->Fun_改变位置窗显示方式();
        w.positionWindow()->show();
        // The compositor places the window; the area is wherever it landed, as X11 tells the program.
        QPoint origin;
        const auto blocksMatch = [&] {
            panel.Fun_截屏操作("0");
            panel.Fun_截屏操作("0"); // the other half of every port block
            Fun_Delay(30);
            origin = w.positionWindow()->areaTopLeft();
            for (const auto& [machine, port] : kq::test::kPatternPorts)
                if (machines->machine(machine)->portBlocks[size_t(port)] !=
                    kq::test::expectedPatternBlock(machine, port, origin))
                    return false;
            return true;
        };
        // Frames arrive a little behind the screen: the blocks must settle on the pattern and stay there.
        EXPECT_TRUE(within(20, blocksMatch)) << "mode " << mode << ", area at " << origin.x() << "," << origin.y();
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(blocksMatch()) << "mode " << mode;
        EXPECT_EQ(machines->badFrames(), 0);
    }
    for (const auto& shown : home.dialogs.shown) // nothing about the screen: it was shared at once
        EXPECT_FALSE(shown.text.contains(QStringLiteral("屏幕"))) << shown.text.toStdString();
    // The desktop's token is kept for the next start.
    EXPECT_FALSE(Fun_ReadIni(g_IniPath, kq::key::ScreenCastToken).isEmpty());
    Fun_ClearAllModels();
}

// Last: it ends the desktop's sharing for good.
TEST_F(OnWayland, WhenTheDesktopStopsSharingTheCaptureFailsAndSaysWhatToDo) {
    PortalCapture capture{QString()};
    CapturedPicture p;
    QWidget blink; // something changing, so that frames come
    blink.resize(8, 8);
    ASSERT_TRUE(within(20, [&] {
        blink.setVisible(!blink.isVisible());
        return capture.grab(QRect(0, 0, 4, 4), p);
    }));
    // The portal's back end goes away (as when the user stops the sharing from the desktop's menu).
    ASSERT_EQ(QProcess::execute(QStringLiteral("kill"), {qEnvironmentVariable("KQ510_XDPW_PID")}), 0);
    EXPECT_TRUE(within(
        10, [&] { return !capture.grab(QRect(0, 0, 4, 4), p) && capture.state() == PortalCapture::State::Failed; }));
    EXPECT_FALSE(capture.waiting());
    EXPECT_FALSE(capture.advice().isEmpty());
    EXPECT_EQ(capture.name(), QStringLiteral("屏幕共享已结束"));
}

} // namespace
