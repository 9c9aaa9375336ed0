// The version notes dialog: its two texts, its buttons and the code typed into its text box.
#include "show/version_notes.h"
#include "support/widgets.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using kq::test::child;

TEST(VersionNotes, ChangeLogAndShortcutsAsTheyAreShown) {
    const QStringList log = kq::show::changeLog();
    ASSERT_EQ(log.size(), 40);
    EXPECT_EQ(log[1], QStringLiteral(">>>>>>>>>>>>>>>> 软件版本更新说明 <<<<<<<<<<<<<<<<<<"));
    EXPECT_EQ(log[3], QStringLiteral("--------------【KQ-510 V1.0】-------------"));
    EXPECT_EQ(log[4], QStringLiteral("1.第一版软件！"));
    EXPECT_TRUE(log.contains(QStringLiteral("2.增加可以使用芯片序列号识别并设置机器")));
    EXPECT_TRUE(log.contains(QStringLiteral("4.在模型中增加素材由1000个增加至2000个")));
    QStringList headings = log.filter(QStringLiteral("【KQ-510 "));
    for (QString& h : headings)
        h = h.section(QLatin1Char(' '), 1).section(QStringLiteral("】"), 0, 0);
    EXPECT_EQ(headings, (QStringList{"V1.0", "V1.3", "V1.4A", "V1.5", "V1.6", "V1.7", "V1.8"}));
    EXPECT_EQ(log.last(), " ");
    const QStringList keys = kq::show::modellingShortcuts();
    EXPECT_EQ(keys.first(), QStringLiteral("所有快捷键的使用必须先点击素材列表框"));
    EXPECT_EQ(keys.last(), QStringLiteral("点击素材列表框,按住Ctrl键,选中多个素材,可批量删除"));
    EXPECT_TRUE(keys.contains(QStringLiteral("Ctrl+Z 插入一行")));
}

TEST(VersionNotes, ButtonsAndTheCode) {
    VersionNotesDialog d;
    d.show();
    QPlainTextEdit& text = child<QPlainTextEdit>(d, "Text信息");
    child<QPushButton>(d, "Command建模快捷键").click();
    EXPECT_TRUE(text.toPlainText().startsWith(QStringLiteral("所有快捷键的使用必须先点击素材列表框\n")));
    child<QPushButton>(d, "Command软件版本").click();
    EXPECT_EQ(text.toPlainText(), kq::show::changeLog().join('\n') + '\n');
    text.setPlainText(QStringLiteral("51018"));
    EXPECT_EQ(text.toPlainText(), "51018");
    text.setPlainText(QStringLiteral("510180 and more"));
    EXPECT_EQ(text.toPlainText(), kq::show::changeLog().join('\n') + '\n');
    child<QPushButton>(d, "Command退出").click();
    EXPECT_FALSE(d.isVisible());
}

// It opens at its title, and again so after being read to the end and closed.
TEST(VersionNotes, OpensAtTheTopEveryTime) {
    VersionNotesDialog d;
    QPlainTextEdit& text = child<QPlainTextEdit>(d, "Text信息");
    const QScrollBar& bar = *text.verticalScrollBar();
    for (int shown = 1; shown <= 2; ++shown) {
        d.show();
        QCoreApplication::processEvents();
        ASSERT_GT(bar.maximum(), 0) << "the change log is longer than its box";
        EXPECT_EQ(bar.value(), 0) << "shown " << shown;
        text.moveCursor(QTextCursor::End);
        ASSERT_GT(bar.value(), 0);
        d.close();
    }
}

} // namespace
