#include "core/gbk_codec.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "support/fakes.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using kq::gbk::encode;

QByteArray gbkFile(const QString& text) {
    return encode(text);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct LookupCase {
    const char* name;
    QByteArray file;
    QString key;
    std::optional<QString> expected;
};

TEST(IniLookup, MatchesKeyFollowedByEqualsAndTakesTheLastLine) {
    const QString frame = QStringLiteral("帧时间");
    const LookupCase cases[] = {
        {"last of two lines wins", gbkFile("帧时间=40\r\n颜色选择=2\r\n帧时间=50\r\n"), frame, QStringLiteral("50")},
        {"blank before = does not match", gbkFile("帧时间 =40\r\n"), frame, std::nullopt},
        {"blank line after a match", gbkFile("帧时间=40\r\n帧时间 =50\r\n"), frame, QStringLiteral("40")},
        {"value keeps its blanks", gbkFile("帧时间= 40 \r\n"), frame, QStringLiteral(" 40 ")},
        {"empty value", gbkFile("帧时间=\r\n"), frame, QString()},
        {"value holds a further =", gbkFile("帧时间=a=b\r\n"), frame, QStringLiteral("a=b")},
        {"longer key is another key", gbkFile("帧时间2=40\r\n"), frame, std::nullopt},
        {"last line without ending", gbkFile("a=1\r\n帧时间=44"), frame, QStringLiteral("44")},
        {"LF and lone CR endings", gbkFile("a=1\n帧时间=45\rb=2\n"), frame, QStringLiteral("45")},
        {"lines without =", gbkFile("junk\r\n\r\n帧时间\r\n"), frame, std::nullopt},
        {"hand-edited UTF-8", QStringLiteral("最后打开文件1=/home/安装/模型.mx20\n").toUtf8(),
         QStringLiteral("最后打开文件1"), QStringLiteral("/home/安装/模型.mx20")},
        {"UTF-8 with byte-order mark", QByteArray("\xEF\xBB\xBF") + QStringLiteral("帧时间=60\r\n").toUtf8(), frame,
         QStringLiteral("60")},
        {"empty file", QByteArray(), frame, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kq::ini::lookup(c.file, c.key), c.expected) << c.name;
    }
}

TEST(IniReplace, RewritesEveryLineStartingWithTheKeyAndKeepsTheRest) {
    struct Case {
        const char* name;
        QByteArray before;
        QString key, value;
        QByteArray after;
    };
    const Case cases[] = {
        {"append keeps order", gbkFile("a=1\r\nb=2\r\n"), "c", "3", gbkFile("a=1\r\nb=2\r\nc=3\r\n")},
        {"new file gets one line", QByteArray(), "帧时间", "40", gbkFile("帧时间=40\r\n")},
        {"both spellings replaced, = not tested", gbkFile("帧时间=40\r\nx=1\r\n帧时间 =50\r\n"), "帧时间", "36",
         gbkFile("帧时间=36\r\nx=1\r\n帧时间=36\r\n")},
        {"LF file comes back CR LF", "a=1\nb=2", "a", "9", "a=9\r\nb=2\r\n"},
        {"empty lines stay", "a=1\r\n\r\nb=2\r\n", "b", "3", "a=1\r\n\r\nb=3\r\n"},
        {"unreadable bytes of other lines stay", QByteArray("x=\x81\x20\xFF\r\n", 7), "a", "1",
         QByteArray("x=\x81\x20\xFF\r\na=1\r\n", 12)},
        {"UTF-8 file stays UTF-8", QStringLiteral("素材01=[5-9] 红\r\n").toUtf8(), QStringLiteral("素材02"),
         QStringLiteral("[10-14] 蓝"), QStringLiteral("素材01=[5-9] 红\r\n素材02=[10-14] 蓝\r\n").toUtf8()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kq::ini::replace(c.before, c.key, c.value), c.after) << c.name;
    }
}

TEST(IniReplace, KeepsTheFirst500LinesOfALongerFile) {
    QByteArray before;
    for (int i = 1; i <= 600; ++i)
        before += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    const QList<QByteArray> replaced = kq::ini::replace(before, "k10", "x").split('\n');
    ASSERT_EQ(replaced.size(), 501); // 500 lines and the empty rest after the last ending
    EXPECT_EQ(replaced[9], "k10=x\r");
    EXPECT_EQ(replaced[499], "k500=500\r");

    const QList<QByteArray> appended = kq::ini::replace(before, "new", "1").split('\n');
    ASSERT_EQ(appended.size(), 502);
    EXPECT_EQ(appended[0], "k1=1\r");
    EXPECT_EQ(appended[499], "k500=500\r");
    EXPECT_EQ(appended[500], "new=1\r");
}

TEST(SettingsFile, ChineseKeyAndValueRoundTripInGbk) {
    kq::test::TempHome home;
    const QString path = home.path("system.ini");
    ASSERT_TRUE(Fun_WriteIni(path, QStringLiteral("最后打开文件1"), QStringLiteral("/安装/模型.mx20")));
    ASSERT_TRUE(Fun_WriteIni(path, QStringLiteral("帧时间"), QStringLiteral("40")));
    // 最后打开文件1 = D7 EE BA F3 B4 F2 BF AA CE C4 BC FE 31; 安装 = B0 B2 D7 B0; 模型 = C4 A3 D0 CD;
    // 帧时间 = D6 A1 CA B1 BC E4.
    const QByteArray expected("\xD7\xEE\xBA\xF3\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE"
                              "1=/\xB0\xB2\xD7\xB0/\xC4\xA3\xD0\xCD.mx20\r\n"
                              "\xD6\xA1\xCA\xB1\xBC\xE4=40\r\n");
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(Fun_ReadIni(path, QStringLiteral("最后打开文件1")), QStringLiteral("/安装/模型.mx20"));
    EXPECT_EQ(Fun_ReadIni(path, QStringLiteral("帧时间")), QStringLiteral("40"));
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(QDir(home.dir.path()).entryList(QDir::Files), QStringList{"system.ini"});
}

TEST(SettingsFile, MissingFileReadsEmptyAndIsCreatedOnWrite) {
    kq::test::TempHome home;
    const QString path = home.path("system.ini");
    EXPECT_EQ(Fun_ReadIni(path, QStringLiteral("帧时间")), QString());
    Fun_WriteIni(path, QStringLiteral("颜色选择"), QStringLiteral("5"));
    EXPECT_EQ(readBytes(path), gbkFile("颜色选择=5\r\n"));
}

TEST(SettingsFile, AFileThatCannotBeReadIsNeverReplaced) {
    kq::test::TempHome home;
    const QString path = home.path("system.ini");
    const QByteArray settings = gbkFile("帧时间=40\r\n颜色选择=2\r\n");
    writeBytes(path, settings);
    {
        kq::test::NoReadAccess guard(home.dir.path(), path);
        EXPECT_FALSE(Fun_WriteIni(path, QStringLiteral("当前素材"), QStringLiteral("3")));
        EXPECT_FALSE(Fun_WriteIni(path, QStringLiteral("当前模型"), QStringLiteral("4")));
    }
    EXPECT_EQ(readBytes(path), settings);
    ASSERT_EQ(home.dialogs.shown.size(), 1); // told once, not at every write
    EXPECT_TRUE(home.dialogs.shown[0].text.startsWith(QStringLiteral("设置文件无法读取，设置没有保存！")));
    EXPECT_TRUE(home.dialogs.shown[0].text.endsWith(path));
}

TEST(SettingsFile, AWholeFileIsReadIntoABufferWithoutShrinkingIt) {
    kq::test::TempHome home;
    const QString path = home.path(QStringLiteral("data"));
    ASSERT_TRUE(kq::writeFileAtomically(path, QByteArrayView("abcdef")));
    QByteArray buffer(10, 'x');
    EXPECT_EQ(kq::readWholeFileInto(path, buffer), 6);
    EXPECT_EQ(buffer, QByteArray("abcdefxxxx")); // the rest is left as it was
    QByteArray small(2, 'x');
    EXPECT_EQ(kq::readWholeFileInto(path, small), 6);
    EXPECT_EQ(small, QByteArray("abcdef")); // grown to the file
    EXPECT_EQ(kq::readWholeFileInto(home.path(QStringLiteral("missing")), buffer), std::nullopt);
    {
        kq::test::NoReadAccess locked(home.dir.path(), path);
        EXPECT_EQ(kq::readWholeFileInto(path, buffer), std::nullopt);
    }
}

TEST(SettingsFile, WriteTextFileEndsWithCrLfInGbk) {
    kq::test::TempHome home;
    const QString path = home.path("note.txt");
    writeBytes(path, "old contents that are longer\r\n");
    ASSERT_TRUE(Fun_WriteTextFile(path, QStringLiteral("红")));
    EXPECT_EQ(readBytes(path), QByteArray("\xBA\xEC\r\n"));
}

TEST(SettingsFile, ProgramKeysInGbkAreNeverTakenForUtf8) {
    const char* keys[] = {
        "帧时间",           "位置窗体透明度", "位置窗体top", "位置窗体left", "主窗体top",      "主窗体left",
        "位置窗体显示方式", "颜色选择",       "当前模型",    "当前素材",     "继续上次录制",   "自动查找相似帧",
        "相似度阈值",       "相似度最少帧",   "相似度正负",  "使用外挂程序", "素材对应模型01", "最后打开文件1",
        "参数文件自动备份", "移动步进",       "移动数量",    "素材01"};
    for (const char* key : keys) {
        const QByteArray line = encode(QString::fromUtf8(key)) + "=1\r\n";
        EXPECT_EQ(kq::detectTextEncoding(line), kq::TextEncoding::Gbk) << key;
    }
}

TEST(FramePeriod, ComesFromTheSettingsWithin30To200) {
    struct Case {
        QByteArray file;
        int expected;
    };
    const Case cases[] = {
        {gbkFile("帧时间=29\r\n"), 36},
        {gbkFile("帧时间=201\r\n"), 36},
        {gbkFile("帧时间=30\r\n"), 30},
        {gbkFile("帧时间=200\r\n"), 200},
        {gbkFile("帧时间=abc\r\n"), 36},
        {gbkFile("帧时间=\r\n"), 36},
        {gbkFile("帧时间=4.5\r\n"), 36},
        {gbkFile("帧时间=99999999999999\r\n"), 36},
        {gbkFile("帧时间=-40\r\n"), 36},
        {gbkFile("帧时间= 40\r\n"), 40},
        {QByteArray("\xD6\xA1\xCA\xB1\xBC\xE4=\xFF\xFE\x81\r\n"), 36}, // invalid GBK in the value
        {QByteArray(), 36},
    };
    for (const auto& c : cases) {
        kq::test::TempHome home;
        if (!c.file.isEmpty()) writeBytes(g_IniPath, c.file);
        EXPECT_EQ(Fun_ReadFramePeriod(), c.expected) << c.file.toHex().constData();
    }
    kq::test::TempHome noFile;
    EXPECT_EQ(Fun_ReadFramePeriod(), 36);
}

TEST(FramePeriod, BinaryJunkAndHugeFilesYieldTheDefaultOrTheLastGoodLine) {
    kq::test::TempHome home;
    QRandomGenerator rng(510);
    QByteArray junk(10 * 1024 * 1024, '\0');
    for (auto& b : junk)
        b = char(rng.bounded(256));
    writeBytes(g_IniPath, junk);
    EXPECT_EQ(Fun_ReadFramePeriod(), 36);

    writeBytes(g_IniPath, junk + "\r\n" + gbkFile("帧时间=50\r\n"));
    EXPECT_EQ(Fun_ReadFramePeriod(), 50);

    // Rewriting such a file keeps its first 500 lines and the new value is read back.
    Fun_WriteIni(g_IniPath, QStringLiteral("帧时间"), QStringLiteral("60"));
    EXPECT_EQ(Fun_ReadFramePeriod(), 60);
}

} // namespace
