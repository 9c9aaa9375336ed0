// Which screen copy a session gets, and cutting the area from a shared screen's frames. The portal
// itself is exercised on a real desktop in tests/wayland.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "record/pipewire_stream.h"
#include "record/platform_capture.h"
#include "record/portal_capture.h"
#include "record/recording_panel.h"
#include "record/screen_capture.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/widgets.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace kq::record;

TEST(CaptureChoice, TheSessionDecidesUnlessForced) {
    const struct {
        const char* forced;
        const char* session;
        bool waylandDisplay;
        const char* platform;
        CaptureKind kind;
    } cases[] = {
        {"", "wayland", true, "xcb", CaptureKind::Portal}, // windows on XWayland, the screen from the portal
        {"", "", true, "xcb", CaptureKind::Portal},        // no session type, but a Wayland display
        {"", "x11", false, "xcb", CaptureKind::X11},
        {"", "x11", true, "xcb", CaptureKind::X11}, // the session type wins over a stray variable
        {"", "", false, "offscreen", CaptureKind::QtGrab},
        {"x11", "wayland", true, "xcb", CaptureKind::X11},
        {"portal", "x11", false, "xcb", CaptureKind::Portal},
        {"gdi", "x11", false, "xcb", CaptureKind::X11}, // an unknown name is the automatic choice
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseCapture(QString::fromUtf8(c.forced), QString::fromUtf8(c.session), c.waylandDisplay,
                                QString::fromUtf8(c.platform)),
                  c.kind)
            << c.forced << " " << c.session << " " << c.waylandDisplay << " " << c.platform;
}

TEST(CaptureChoice, TheSettingAndTheOptionPickTheCopy) {
    kq::test::TempHome home;
    // No settings file, no desktop (the tests' offscreen platform): Qt's own grab.
    EXPECT_EQ(platformCapture()->name(), QStringLiteral("Qt屏幕截图"));
    Fun_WriteIni(g_IniPath, kq::key::ScreenCapture, QStringLiteral("portal"));
    EXPECT_EQ(platformCapture()->name(), QStringLiteral("屏幕共享"));
    setCaptureOption(QStringLiteral("x11")); // --capture x11: no X server here, so Qt's grab again
    EXPECT_EQ(platformCapture()->name(), QStringLiteral("Qt屏幕截图"));
    setCaptureOption(QString());
}

TEST(PortalRequests, PathsFollowTheCallersBusName) {
    EXPECT_EQ(portalRequestPath(QStringLiteral(":1.42"), QStringLiteral("kq510_7")),
              QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/kq510_7"));
}

// A frame of w x h pixels, stride bytes a row, whose pixel (x, y) holds bytes (x, y, 100 + x + y, 0)
// in memory order; the padding at each row's end is 0xEE.
struct Frame {
    Frame(int w, int h, int stride) : bytes(qsizetype(stride) * h, char(0xEE)) {
        view = {reinterpret_cast<const uint8_t*>(bytes.constData()), w, h, stride, PixelOrder::BGRx};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                char* p = bytes.data() + qsizetype(y) * stride + x * 4;
                p[0] = char(x), p[1] = char(y), p[2] = char(100 + x + y), p[3] = 0;
            }
    }
    QByteArray bytes;
    FrameView view;
};

QByteArray pixels(std::initializer_list<uint32_t> bgrx) { // each as 0xBBGGRRXX, memory order
    QByteArray out;
    for (uint32_t v : bgrx)
        for (int shift : {24, 16, 8, 0})
            out.append(char((v >> shift) & 0xFF));
    return out;
}

TEST(CutFromFrame, TakesTheAreaFromTheScreenWhereverTheScreenLies) {
    Frame f(4, 3, 20); // 4 bytes of padding a row
    CapturedPicture p;
    // The screen lies at (100, 50) on the desktop; the wanted 2 x 2 starts one pixel left of it.
    cutFromFrame(f.view, QRect(100, 50, 4, 3), QRect(99, 51, 2, 2), p);
    ASSERT_EQ(p.width, 2);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.bits, pixels({0xFFC0C000, 0x00016500, 0xFFC0C000, 0x00026600}));
    // Wholly on the screen, in one copy.
    cutFromFrame(f.view, QRect(100, 50, 4, 3), QRect(102, 50, 2, 1), p);
    EXPECT_EQ(p.bits, pixels({0x02006600, 0x03006700}));
    // Nothing of it on the screen: all background.
    cutFromFrame(f.view, QRect(100, 50, 4, 3), QRect(0, 0, 1, 1), p);
    EXPECT_EQ(p.bits, pixels({0xFFC0C000}));
}

TEST(CutFromFrame, SwapsRedAndBlueAndSamplesAScaledScreen) {
    Frame f(4, 2, 16);
    f.view.order = PixelOrder::RGBx;
    CapturedPicture p;
    cutFromFrame(f.view, QRect(0, 0, 4, 2), QRect(1, 1, 2, 1), p);
    EXPECT_EQ(p.bits, pixels({0x66010100, 0x67010200}));
    // A frame of twice the screen's size (a scaled output): each screen pixel is the frame's pixel at
    // twice its place.
    f.view.order = PixelOrder::BGRx;
    cutFromFrame(f.view, QRect(0, 0, 2, 1), QRect(0, 0, 2, 1), p);
    EXPECT_EQ(p.bits, pixels({0x00006400, 0x02006600}));
}

// The live output over a portal capture that fails: the user is told once (failed grabs go on while
// the desktop answers), nothing is sent, and choosing the live output again tries again.
void expectToldOnce(const QString& text) {
    kq::test::TempHome home;
    auto machines = home.startMachines({1});
    ASSERT_TRUE(machines);
    PortalCapture capture{QString()};
    const auto window = kq::test::openMainWindow(capture);
    MainWindow& w = *window;
    g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 9, 0);
    home.dialogs.shown.clear();
    for (int i = 0; i < 100 && capture.state() != PortalCapture::State::Failed; ++i) {
        kq::test::only<RecordingPanel>(w).Fun_截屏操作("0");
        Fun_Delay(20);
    }
    kq::test::only<RecordingPanel>(w).Fun_截屏操作("0");
    kq::test::only<RecordingPanel>(w).Fun_截屏操作("0");
    Fun_Delay(30);
    EXPECT_EQ(capture.state(), PortalCapture::State::Failed);
    ASSERT_EQ(home.dialogs.shown.size(), 1);
    EXPECT_EQ(home.dialogs.shown[0].text, text);
    EXPECT_EQ(machines->machine(1)->received.value(0x8050), 0);
    EXPECT_EQ(machines->machine(1)->received.value(0x8055), 0);
    w.Option连接状态_Click(OperationState::Review);
    w.Option连接状态_Click(OperationState::Recording);
    EXPECT_EQ(capture.state(), PortalCapture::State::Idle);
    for (int i = 0; i < 100 && capture.state() != PortalCapture::State::Failed; ++i) {
        kq::test::only<RecordingPanel>(w).Fun_截屏操作("0");
        Fun_Delay(20);
    }
    kq::test::only<RecordingPanel>(w).Fun_截屏操作("0");
    EXPECT_EQ(home.dialogs.shown.size(), 2);
    Fun_ClearAllModels();
}

TEST(CaptureGeometry, APictureLargerThanTheScreenEndsAtTheScreensFarEdge) {
    const QSize screen(1280, 800);
    const struct {
        QRect wanted;
        QSize picture;
    } cases[] = {
        {{10, 10, 100, 50}, {100, 50}},         // on the screen
        {{1250, 780, 100, 50}, {100, 50}},      // past an edge, but no larger than the screen: as wanted
        {{0, 0, 8192, 8192}, {1280, 800}},      // the largest model: no more than the screen
        {{-100, -50, 8192, 4000}, {1380, 850}}, // reaches the screen's far edges from off its corner
        {{2000, 900, 4000, 1000}, {1280, 800}}, // wholly off the screen
    };
    for (const auto& c : cases) {
        const CaptureGeometry g = captureGeometry(c.wanted, screen);
        EXPECT_EQ(g.picture, c.picture) << c.wanted.x() << "," << c.wanted.y();
        CapturedPicture picture;
        const QByteArray screenBits(qsizetype(screen.width()) * screen.height() * 4, '\x7f');
        placeIntoPicture(picture, g,
                         reinterpret_cast<const uint8_t*>(screenBits.constData()) +
                             (qsizetype(g.source.y()) * screen.width() + g.source.x()) * 4,
                         qsizetype(screen.width()) * 4);
        EXPECT_EQ(picture.bits.size(), qsizetype(c.picture.width()) * c.picture.height() * 4);
    }
}

TEST(FrameInMemory, TakesOnlyFramesWhoseRowsAllLieInTheBuffer) {
    const QByteArray memory(1000, '\0');
    const auto* data = reinterpret_cast<const uint8_t*>(memory.constData());
    const struct {
        qsizetype size, offset, stride;
        int width, height;
        bool whole;
    } cases[] = {
        {1000, 0, 0, 10, 25, true},                                 // packed: 40 bytes a row, exactly 1000
        {1000, 0, 0, 10, 26, false},                                // one row more than the memory holds
        {1000, 40, 48, 10, 20, true},                               // padded rows after an offset: 40 + 20 x 48 = 1000
        {1000, 41, 48, 10, 20, false},                              // one byte further
        {1000, 0, 36, 10, 2, false},                                // rows shorter than the width
        {1000, 1001, 40, 10, 1, false},                             // the offset past the memory
        {1000, -4, 40, 10, 1, false},   {1000, 0, 40, 0, 1, false}, // an empty frame
    };
    for (const auto& c : cases) {
        const auto frame = frameInMemory(data, c.size, c.offset, c.stride, QSize(c.width, c.height), PixelOrder::BGRx);
        EXPECT_EQ(frame.has_value(), c.whole) << c.offset << " " << c.stride << " " << c.width << "x" << c.height;
        if (frame) {
            EXPECT_EQ(frame->bits, data + c.offset);
        }
    }
}

TEST(PortalCapture, WithoutADesktopBusTheUserIsToldOnceAndNothingIsSent) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    expectToldOnce(QStringLiteral("无法截取屏幕（没有桌面会话总线（D-Bus）），没有新的画面发送到机器。\r\n"
                                  "请在桌面会话中启动程序，或在X11（Xorg）会话中运行。"));
}

TEST(PortalCapture, ADesktopWithoutThePortalIsNamed) {
    // A private session bus that starts no services: no portal answers on it.
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                "<busconfig><type>session</type><listen>unix:path=%1</listen>"
                                "<auth>EXTERNAL</auth><policy context=\"default\">"
                                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                "<allow own=\"*\"/></policy></busconfig>\n")
                     .arg(dir.filePath(QStringLiteral("bus")))
                     .toUtf8());
    config.close();
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--nofork"), QStringLiteral("--config-file=") + config.fileName()});
    ASSERT_TRUE(bus.waitForStarted());
    for (int i = 0; i < 100 && !QFile::exists(dir.filePath(QStringLiteral("bus"))); ++i)
        Fun_Delay(20);
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.filePath(QStringLiteral("bus"))).toUtf8());
    expectToldOnce(
        QStringLiteral("无法截取屏幕（桌面没有提供屏幕共享（xdg-desktop-portal）），没有新的画面发送到机器。\r\n"
                       "请安装xdg-desktop-portal和桌面对应的后端，或在X11（Xorg）会话中运行。"));
    bus.kill();
    bus.waitForFinished();
}

} // namespace
