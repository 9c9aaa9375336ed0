#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/controller_settings.h"
#include "link/controllers_window.h"
#include "link/link_settings.h"
#include "support/fakes.h"
#include "support/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using namespace kq::link;
using kq::test::child;

TEST(ControllerSettings, WithoutTheKeysEveryNumberIsAMachineOfTheFamily) {
    kq::test::TempHome home;
    const ControllerTable t = readControllers(g_IniPath);
    for (int m = 1; m <= 10; ++m)
        EXPECT_EQ(t.machine[size_t(m)], ControllerSetting{}) << m;
    EXPECT_EQ(t.machine[1].kind, ControllerKind::Family);
    EXPECT_EQ(t.machine[1].pixelsPerPort, 750);
    EXPECT_EQ(t.machine[1].channelsPerUniverse, 510);
    EXPECT_EQ(t.priority, 100);
    EXPECT_EQ(t.syncUniverse, 0);
    EXPECT_FALSE(t.artSync);
    EXPECT_FALSE(t.ddpSync);
    EXPECT_TRUE(t.cid.isEmpty());
    EXPECT_FALSE(QFile::exists(g_IniPath)); // nothing written for an installation of machines only
    // Open controllers by default take universes after those of the numbers before them.
    EXPECT_EQ(defaultOpenSetting(ControllerKind::E131, 1).firstUniverse, 1);
    EXPECT_EQ(defaultOpenSetting(ControllerKind::E131, 3).firstUniverse, 61);
    EXPECT_EQ(defaultOpenSetting(ControllerKind::ArtNet, 4).firstUniverse, 90);
}

TEST(ControllerSettings, TheTableIsKeptAndItsCidMadeOnce) {
    kq::test::TempHome home;
    ControllerTable t;
    t.machine[3] = defaultOpenSetting(ControllerKind::E131, 3);
    t.machine[3].multicast = true;
    t.machine[4] = defaultOpenSetting(ControllerKind::ArtNet, 4);
    t.machine[4].channelsPerUniverse = 512;
    t.machine[4].colourOrder = 3;
    t.machine[5] = defaultOpenSetting(ControllerKind::Ddp, 5);
    t.machine[5].ddpOffset = 4000000000LL;
    t.machine[5].pixelsPerPort = 100;
    t.priority = 150;
    t.syncUniverse = 63999;
    t.artSync = true;
    t.ddpSync = true;
    ASSERT_TRUE(writeControllers(g_IniPath, t));
    ControllerTable read = readControllers(g_IniPath);
    // The CID: made on the first reading, a version 4 UUID, the same from then on.
    ASSERT_EQ(read.cid.size(), 16);
    EXPECT_EQ(uint8_t(read.cid[6]) >> 4, 4);
    EXPECT_EQ(uint8_t(read.cid[8]) >> 6, 2);
    EXPECT_EQ(readControllers(g_IniPath).cid, read.cid);
    t.cid = read.cid;
    EXPECT_EQ(read, t);
    // The text file carries the table but not the installation's CID.
    const QString text = exportControllers(t);
    EXPECT_FALSE(text.contains(kKeyE131Cid));
    ControllerTable other;
    other.cid = QByteArray(16, '\x11');
    QString error;
    const std::optional<ControllerTable> back = importControllers(text, other, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->cid, other.cid);
    ControllerTable expected = t;
    expected.cid = other.cid;
    EXPECT_EQ(*back, expected);
    // Values out of range in the settings keep their defaults.
    Fun_WriteIni(g_IniPath, "控制器端口像素05", "751");
    Fun_WriteIni(g_IniPath, "控制器域通道04", "511");
    Fun_WriteIni(g_IniPath, "控制器类型06", "dmx");
    read = readControllers(g_IniPath);
    EXPECT_EQ(read.machine[5].pixelsPerPort, 750);
    EXPECT_EQ(read.machine[4].channelsPerUniverse, 510);
    EXPECT_EQ(read.machine[6].kind, ControllerKind::Family);
}

TEST(ControllerSettings, AnImportedFileIsTakenWholeOrNotAtAll) {
    const struct {
        const char* text;
        const char* error; // nullptr: taken
    } cases[] = {
        {"控制器类型03=e131\n控制器起始域03=200\n# a comment\n\nsACN优先级=90\n", nullptr},
        {"控制器类型03=dmx\n", "第1行的值超出范围：控制器类型03=dmx"},
        {"控制器类型03=e131\n控制器端口像素03=900\n", "第2行的值超出范围：控制器端口像素03=900"},
        {"控制器类型11=e131\n", "第1行不是控制器表的设置：控制器类型11=e131"},
        {"帧时间=36\n", "第1行不是控制器表的设置：帧时间=36"},
        {"garbage\n", "第1行不是控制器表的设置：garbage"},
    };
    for (const auto& c : cases) {
        QString error;
        const auto t = importControllers(QString::fromUtf8(c.text), ControllerTable{}, &error);
        EXPECT_EQ(bool(t), c.error == nullptr) << c.text;
        if (c.error) {
            EXPECT_EQ(error, QString::fromUtf8(c.error));
        }
    }
    QString error;
    const auto t = importControllers(QString::fromUtf8(cases[0].text), ControllerTable{}, &error);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->machine[3].kind, ControllerKind::E131);
    EXPECT_EQ(t->machine[3].firstUniverse, 200);
    EXPECT_EQ(t->priority, 90);
}

class ControllersWindowTest : public testing::Test {
protected:
    void SetUp() override {
        home.useLoopbackMachines();
        window.open();
    }
    template <typename T> T& control(const QString& name) { return child<T>(window, name); }
    void choose(const QString& combo, int index) {
        auto& box = control<QComboBox>(combo);
        box.setCurrentIndex(index);
        emit box.activated(index);
    }
    // Types into a box as a person does: at the end, a key at a time.
    void typeInto(const QString& name, const QString& text, bool clearFirst = true) {
        auto& box = control<QLineEdit>(name);
        if (clearFirst) {
            box.selectAll();
            QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QCoreApplication::sendEvent(&box, &back);
        }
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&box, &press);
        }
    }
    QString said() { return control<QLabel>("Label控制器提示").text(); }

    kq::test::TempHome home;
    ControllersWindow window;
};

TEST_F(ControllersWindowTest, ShowsThePortsRefusesWhatNoProtocolTakesAndSaysOverlaps) {
    auto& save = control<QPushButton>("Command控制器保存");
    // A machine of the family: its first channel in sequence files, (3 - 1) x 13,500 + 1 by default.
    EXPECT_EQ(control<QLabel>("Label控制器端口03").text(), QStringLiteral("8050帧"));
    EXPECT_EQ(control<QLabel>("Label控制器通道03").text(), QStringLiteral("27001–40500"));
    EXPECT_EQ(control<QLineEdit>("Text控制器起始域03").text(), "27001");
    EXPECT_FALSE(control<QLineEdit>("Text控制器端口像素03").isEnabled());
    choose("Combo控制器类型03", 1); // E1.31
    EXPECT_EQ(control<QLineEdit>("Text控制器起始域03").text(), "61");
    EXPECT_EQ(control<QLabel>("Label控制器端口03").text(),
              QStringLiteral("域 1: 61–65  2: 66–70  3: 71–75  4: 76–80  5: 81–85  6: 86–90"));
    EXPECT_EQ(control<QLabel>("Label控制器通道03").text(), QStringLiteral("30601–45600"));
    // 170 pixels are one universe of 510 channels; with 512 the 171st pixel's channels still fit.
    typeInto("Text控制器端口像素03", "170");
    EXPECT_EQ(control<QLabel>("Label控制器端口03").text().toStdString(), "域 1: 61  2: 62  3: 63  4: 64  5: 65  6: 66");
    EXPECT_EQ(control<QLabel>("Label控制器通道03").text(), QStringLiteral("30601–33660"));
    typeInto("Text控制器端口像素03", "171");
    EXPECT_TRUE(control<QLabel>("Label控制器端口03").text().startsWith(QStringLiteral("域 1: 61–62  2: 63–64")));
    choose("Combo控制器域通道03", 1); // 512: 513 channels still take two
    typeInto("Text控制器端口像素03", "170");
    EXPECT_TRUE(control<QLabel>("Label控制器端口03").text().startsWith(QStringLiteral("域 1: 61  2: 62")));
    // Typed past what the protocol takes: refused at once, the box as it was.
    const struct {
        const char* box;
        const char* typed;
        const char* kept;
        const char* message;
    } refused[] = {
        {"Text控制器起始域03", "64000", "6400", "E1.31的域只能是1到63999"},
        {"Text控制器端口像素03", "751", "75", "每端口像素只能是1到750"},
        {"Text控制器起始域03", "6x", "6", "只能输入数字"},
        {"Text优先级", "201", "20", "E1.31优先级只能是0到200"},
        {"Text同步域", "-1", "1", "只能输入数字"}, // the minus refused, the 1 taken
    };
    for (const auto& r : refused) {
        typeInto(QString::fromUtf8(r.box), QString::fromUtf8(r.typed));
        EXPECT_EQ(control<QLineEdit>(QString::fromUtf8(r.box)).text(), QString::fromUtf8(r.kept)) << r.typed;
        EXPECT_EQ(kq::lastSaid(), QString::fromUtf8(r.message)) << r.typed;
    }
    typeInto("Text同步域", "0");
    typeInto("Text优先级", "100");
    typeInto("Text控制器端口像素03", "750");
    // Within range but past the top with six ports: said, and not saved.
    typeInto("Text控制器起始域03", "63990");
    EXPECT_FALSE(save.isEnabled());
    EXPECT_TRUE(said().contains(QStringLiteral("域63990到64019超出E1.31的1到63999"))) << said().toStdString();
    typeInto("Text控制器起始域03", "61");
    EXPECT_TRUE(save.isEnabled());
    // Machine 4 on E1.31 universes that machine 3 holds.
    choose("Combo控制器类型04", 1);
    typeInto("Text控制器起始域04", "90");
    EXPECT_FALSE(save.isEnabled());
    EXPECT_EQ(said(), QStringLiteral("机器3和机器4都用E1.31域90"));
    save.click(); // disabled: nothing happens
    EXPECT_TRUE(home.dialogs.shown.isEmpty());
    window.Command保存_Click(); // and if it were asked all the same, it would say why
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("控制器表没有保存：机器3和机器4都用E1.31域90"));
    EXPECT_EQ(readControllers(g_IniPath).machine[3].kind, ControllerKind::Family); // nothing written
    // Back to a machine of the family, and to E1.31 again: the start box follows the kind, and the same
    // kind picked again keeps what was typed.
    choose("Combo控制器类型04", 0);
    EXPECT_EQ(control<QLineEdit>("Text控制器起始域04").text(), "40501");
    choose("Combo控制器类型04", 1);
    typeInto("Text控制器起始域04", "90");
    choose("Combo控制器类型04", 1);
    EXPECT_EQ(control<QLineEdit>("Text控制器起始域04").text(), "90");
    choose("Combo控制器类型04", 2); // Art-Net has port-addresses of its own: 90 is free there
    EXPECT_TRUE(save.isEnabled()) << said().toStdString();
    // An address that is not a numeric one.
    typeInto("Text控制器地址04", "controller.local");
    EXPECT_FALSE(save.isEnabled());
    typeInto("Text控制器地址04", "127.0.0.4");
    save.click();
    const ControllerTable t = readControllers(g_IniPath);
    EXPECT_EQ(t.machine[3].kind, ControllerKind::E131);
    EXPECT_EQ(t.machine[3].firstUniverse, 61);
    EXPECT_EQ(t.machine[4].kind, ControllerKind::ArtNet);
    EXPECT_EQ(t.machine[4].firstUniverse, 90);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "机器地址04"), "127.0.0.4");
    EXPECT_EQ(said(), QStringLiteral("已保存"));
}

TEST_F(ControllersWindowTest, ExportsAndImportsTheTable) {
    choose("Combo控制器类型05", 3); // DDP
    typeInto("Text控制器起始域05", "4500");
    home.dialogs.fileNames = {home.path("table")};
    control<QPushButton>("Command控制器导出").click();
    ASSERT_TRUE(QFile::exists(home.path("table.txt")));
    choose("Combo控制器类型05", 0);
    home.dialogs.fileNames = {home.path("table.txt")};
    control<QPushButton>("Command控制器导入").click();
    EXPECT_EQ(control<QComboBox>("Combo控制器类型05").currentIndex(), 3);
    EXPECT_EQ(control<QLineEdit>("Text控制器起始域05").text(), "4500");
    EXPECT_EQ(said(), QStringLiteral("已导入，保存后生效"));
    EXPECT_FALSE(QFile::exists(g_IniPath) && readControllers(g_IniPath).anyOpen()); // not saved yet
    // A damaged file changes nothing.
    kq::writeFileAtomically(home.path("bad.txt"), "控制器端口像素05=0\n");
    home.dialogs.fileNames = {home.path("bad.txt")};
    control<QPushButton>("Command控制器导入").click();
    EXPECT_TRUE(home.dialogs.shown.back().text.startsWith(QStringLiteral("文件错误！")))
        << home.dialogs.shown.back().text.toStdString();
    EXPECT_EQ(control<QComboBox>("Combo控制器类型05").currentIndex(), 3);
}

} // namespace
