#include "core/window_place.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlace, AFrameIsMovedInAndShrunkToTheScreen) {
    const QRect screen(0, 0, 1280, 800);
    const struct {
        const char* name;
        QRect frame, placed;
    } cases[] = {
        {"wholly on the screen", {100, 50, 400, 300}, {100, 50, 400, 300}},
        {"past the right edge", {500, 20, 922, 600}, {358, 20, 922, 600}},
        {"past the bottom", {10, 700, 300, 200}, {10, 600, 300, 200}},
        {"off the top left", {-50, -30, 300, 200}, {0, 0, 300, 200}},
        {"wider and taller than the screen", {-10, 100, 1500, 900}, {0, 0, 1280, 800}},
        {"on a screen beside it", {1400, 10, 200, 100}, {1080, 10, 200, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kq::keepOnScreen(c.frame, screen), c.placed) << c.name;
    // A screen that starts elsewhere (a second screen, or a panel along the top).
    EXPECT_EQ(kq::keepOnScreen({0, 0, 300, 200}, {1280, 24, 1024, 744}), QRect(1280, 24, 300, 200));
}

TEST(WindowPlace, TheMainWindowLiesBesideTheAreaOrCoversTheLeastOfIt) {
    const QRect screen(0, 0, 1280, 800);
    const QRect area(5, 5, 402, 324); // 400 x 300 with its outline and handle
    const struct {
        const char* name;
        QRect frame;
        QRect area;
        QPoint at;
    } cases[] = {
        {"clear of the area where it was", {500, 20, 700, 600}, area, {500, 20}},
        {"moved in and still clear", {700, 20, 700, 600}, area, {580, 20}},
        // 922 wide it cannot lie beside the area, nor 600 high below it: it covers the least it can.
        {"moved in past the area's right edge", {500, 20, 922, 600}, area, {358, 200}},
        {"over the area: below it, the nearest clear place", {100, 100, 500, 400}, area, {100, 329}},
        {"over the area: right of it, the nearest clear place", {300, 10, 500, 700}, area, {407, 10}},
        {"no area", {500, 20, 922, 600}, {}, {358, 20}},
        // 1,100 wide and 600 high lies clear of the area nowhere: the least of it covered.
        {"too large to lie clear", {300, 20, 1100, 600}, area, {180, 200}},
        {"larger than the screen", {100, 100, 1400, 900}, area, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint at = kq::placeBeside(c.frame, screen, c.area);
        EXPECT_EQ(at, c.at);
        if (c.frame.width() <= screen.width() && c.frame.height() <= screen.height()) {
            EXPECT_TRUE(screen.contains(QRect(at, c.frame.size())));
        }
    }
}

} // namespace
