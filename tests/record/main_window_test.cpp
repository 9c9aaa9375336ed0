#include "core/clock.h"
#include "core/common_functions.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "record/main_window.h"
#include "support/fakes.h"

#include <QFrame>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(MainWindow, ShowsItsTitleAndInitialisesShortlyAfter) {
    kq::test::TempHome home;
    MainWindow w;
    EXPECT_EQ(w.objectName(), QStringLiteral("Form_主界面"));
    w.Frame遮挡->move(0, 40);
    w.show();
    EXPECT_EQ(w.windowTitle(), "KQ-510 V1.8");
    EXPECT_FALSE(w.initialised());
    EXPECT_TRUE(w.Timer主界面初始化->isActive());
    EXPECT_EQ(w.Timer主界面初始化->interval(), 10);
    Fun_Delay(30);
    EXPECT_TRUE(w.initialised());
    EXPECT_FALSE(w.Timer主界面初始化->isActive());
    EXPECT_EQ(w.Frame遮挡->y(), 0);
}

TEST(MainWindow, ClosingRequestsTheExit) {
    kq::test::TempHome home;
    MainWindow w;
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(g_MainClosing);
    EXPECT_TRUE(g_ExitRequested);
}

TEST(MainWindow, RestoresItsPlacementUnlessNearTheScreenEdge) {
    const int heightTwips = Fun_ScreenSize(4);
    const int widthTwips = Fun_ScreenSize(3);
    struct Case {
        QString top, left;
        int expectTop, expectLeft; // twips
    };
    const Case cases[] = {
        {"1500", "3000", 1500, 3000},
        {QString::number(heightTwips - 1000), "3000", 100, 100},
        {"1500", QString::number(widthTwips - 1499), 100, 100},
        {"0", "abc", 300, 450}, // not above 0: the window stays where it was
    };
    for (const auto& c : cases) {
        kq::test::TempHome home;
        Fun_WriteIni(g_IniPath, QStringLiteral("主窗体top"), c.top);
        Fun_WriteIni(g_IniPath, QStringLiteral("主窗体left"), c.left);
        MainWindow w;
        w.move(30, 20);
        w.Fun_主界面位置();
        EXPECT_EQ(g_MainWinSavedTop, c.expectTop) << c.top.toStdString();
        EXPECT_EQ(g_MainWinSavedLeft, c.expectLeft) << c.left.toStdString();
        EXPECT_EQ(w.pos(), QPoint(c.expectLeft / 15, c.expectTop / 15));
    }
}

// The real loop on the real clock: closing the window ends it after the exit command.
TEST(MainWindow, ClosingEndsTheRealLoop) {
    kq::test::TempHome home;
    MainWindow w;
    w.show();
    int frames = 0;
    bool exitSent = false;
    kq::schedulerHooks().frameCapture = [&] { ++frames; };
    kq::schedulerHooks().sendExitCommand = [&] { exitSent = true; };
    QTimer::singleShot(200, &w, [&] { w.close(); });
    kq::MonotonicClock clock;
    const uint32_t start = clock.nowMs();
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    const uint32_t elapsed = clock.nowMs() - start;
    kq::schedulerHooks() = {};
    EXPECT_TRUE(exitSent);
    EXPECT_GE(elapsed, 210u);
    EXPECT_GE(frames, 2);
    EXPECT_TRUE(w.isHidden());
}

} // namespace
