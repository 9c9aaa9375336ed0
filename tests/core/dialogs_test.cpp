#include "core/dialogs.h"
#include "core/shared_state.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogs, AskForOneExtensionInTheApplicationFolder) {
    kq::test::TempHome home;
    home.dialogs.fileNames = {"/tmp/a.mx20"};
    EXPECT_EQ(Fun_OpenFileDialog("mx20"), "/tmp/a.mx20");
    ASSERT_EQ(home.dialogs.fileRequests.size(), 1);
    const kq::FileDialogRequest expected{QStringLiteral("打开文件"), QStringLiteral("文件 (*.mx20)"), g_AppFolder,
                                         true};
    EXPECT_EQ(home.dialogs.fileRequests[0], expected);
    EXPECT_EQ(Fun_OpenFileDialog("mx20"), ""); // cancelled
}

TEST(FileDialogs, SaveAppendsTheExtensionWhenMissing) {
    struct Case {
        const char* chosen;
        const char* expected;
    };
    const Case cases[] = {
        {"/m/show", "/m/show.mb10"},
        {"/m/show.mb10", "/m/show.mb10"},
        {"/m/show.MB10", "/m/show.MB10.mb10"},
        {"/m/show.mb10  ", "/m/show.mb10"},
        {"", ""},
    };
    for (const auto& c : cases) {
        kq::test::TempHome home;
        home.dialogs.fileNames = {c.chosen};
        EXPECT_EQ(Fun_SaveFileDialog("mb10"), c.expected) << c.chosen;
        ASSERT_EQ(home.dialogs.fileRequests.size(), 1);
        EXPECT_EQ(home.dialogs.fileRequests[0].title, QStringLiteral("打开文件"));
        EXPECT_FALSE(home.dialogs.fileRequests[0].mustExist);
    }
}

TEST(MessageBoxes, ShowTheTextUnderTheProgramNameAndTakeTheAnswer) {
    kq::test::TempHome home;
    home.dialogs.answers = {kq::MessageAnswer::Ok, kq::MessageAnswer::Yes};
    Fun_MsgBox(QStringLiteral("保存完成!!!"));
    EXPECT_TRUE(Fun_AskYesNo(QStringLiteral("确定?")));
    EXPECT_FALSE(Fun_AskYesNo(QStringLiteral("确定?"))); // nobody answered: No
    ASSERT_EQ(home.dialogs.shown.size(), 3);
    EXPECT_EQ(home.dialogs.shown[0].text, QStringLiteral("保存完成!!!"));
    EXPECT_EQ(home.dialogs.shown[0].title, "KQ-510");
    EXPECT_EQ(home.dialogs.shown[0].buttons, kq::MessageButtons::Ok);
    EXPECT_EQ(home.dialogs.shown[1].buttons, kq::MessageButtons::YesNo);
}

} // namespace
