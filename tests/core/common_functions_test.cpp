#include "core/clock.h"
#include "core/common_functions.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(Padding, KeepsTheRightmostCharacters) {
    EXPECT_EQ(Fun_Pad2(7), "07");
    EXPECT_EQ(Fun_Pad2(123), "23");
    EXPECT_EQ(Fun_ZeroPad(5, 3), "005");
    EXPECT_EQ(Fun_PadLeft("ab", 4, QLatin1Char(' ')), "  ab");
    EXPECT_EQ(Fun_PadLeft("abcdef", 4, QLatin1Char(' ')), "cdef");
    EXPECT_EQ(Fun_PadLeft("ab", 0, QLatin1Char('0')), "");
}

TEST(HexText, BytesOfWordsAndWordsOfBytes) {
    struct Case {
        int32_t value;
        int which;
        const char* expected;
    };
    const Case cases[] = {
        {300, 1, "&H01"}, {300, 2, "&H2C"},   {300, 0, ""},       {300, 3, ""},
        {0, 1, "&H00"},   {65535, 2, "&HFF"}, {70000, 1, "&H11"}, // only the low 16 bits count
        {-1, 1, "&HFF"},                                          // the two's complement of the word
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fun_HexByteOfWord(c.value, c.which), c.expected) << c.value << " " << c.which;

    EXPECT_EQ(Fun_HexWordOfBytes(1, 44), "&H012C");
    EXPECT_EQ(Fun_HexWordOfBytes(255, 10), "&HFF0A");
    EXPECT_EQ(Fun_HexWordOfBytes(0x1AB, 0x2CD), "&HABCD");
}

TEST(HexText, FourDigitsPerCodeUnitBothWays) {
    EXPECT_EQ(Fun_TextToHex4("A"), "0041");
    EXPECT_EQ(Fun_TextToHex4(QStringLiteral("灯a")), "706F0061");
    EXPECT_EQ(Fun_Hex4ToText("0041706F"), QStringLiteral("A灯"));
    const QString text = QStringLiteral("模型 1 \U0001F600 é");
    EXPECT_EQ(Fun_Hex4ToText(Fun_TextToHex4(text)), text);
    EXPECT_EQ(Fun_Hex4ToText(""), "");
}

TEST(ScreenSize, PixelsAndTwips) {
    EXPECT_EQ(kq::screenSizeValue(1, 1920, 1080), 1920);
    EXPECT_EQ(kq::screenSizeValue(2, 1920, 1080), 1080);
    EXPECT_EQ(kq::screenSizeValue(3, 1920, 1080), 28800);
    EXPECT_EQ(kq::screenSizeValue(4, 1920, 1080), 16200);
    EXPECT_EQ(kq::screenSizeValue(0, 1920, 1080), 0);
    EXPECT_EQ(kq::screenSizeValue(5, 1920, 1080), 0);
    EXPECT_GT(Fun_ScreenSize(1), 0);
    EXPECT_EQ(Fun_ScreenSize(3), Fun_ScreenSize(1) * 15);
}

// Real clock, real event loop.
TEST(Delay, ReturnsAfterMoreThanTheTimeAndHandlesEventsMeanwhile) {
    kq::MonotonicClock clock;
    bool fired = false;
    QTimer::singleShot(2, [&] { fired = true; });
    const int64_t start = kq::MonotonicClock::nowNs();
    const uint32_t startMs = clock.nowMs();
    Fun_Delay(10);
    EXPECT_GE(uint32_t(clock.nowMs() - startMs), 11u);
    EXPECT_GT(kq::MonotonicClock::nowNs() - start, 10'000'000);
    EXPECT_TRUE(fired);
}

TEST(Delay, NestsInsideAnEventHandledByAnOuterDelay) {
    kq::MonotonicClock clock;
    uint32_t innerElapsed = 0;
    QTimer::singleShot(5, [&] {
        const uint32_t s = clock.nowMs();
        Fun_Delay(20);
        innerElapsed = clock.nowMs() - s;
    });
    const uint32_t start = clock.nowMs();
    Fun_Delay(10);
    EXPECT_GE(innerElapsed, 21u);
    // The outer wait ends once the inner one lets its event handler return.
    EXPECT_GE(uint32_t(clock.nowMs() - start), 25u);
}

TEST(ApplicationFolder, AnInstalledProgramKeepsItsFilesInTheUsersDataFolder) {
    QTemporaryDir own;
    EXPECT_EQ(kq::defaultApplicationFolder(own.path()), own.path());
    qputenv("XDG_DATA_HOME", "/tmp/xdg-data");
    EXPECT_EQ(kq::defaultApplicationFolder("/usr/bin"), "/tmp/xdg-data/kq510");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(kq::defaultApplicationFolder("/usr/bin"), QDir::homePath() + "/.local/share/kq510");
}

} // namespace
