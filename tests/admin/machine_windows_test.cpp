// The machine parameter windows: byte layouts against hand-made vectors, and both windows against the
// stand-in machines over loopback.
#include "admin/chip_id_window.h"
#include "admin/machine_parameters.h"
#include "admin/machine_parameters_window.h"
#include "core/common_functions.h"
#include "core/shared_state.h"
#include "link/reply_query.h"
#include "link/socket_master.h"
#include "link/udp_host.h"
#include "show/download_panel.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace {

using namespace kq::admin;
using kq::test::child;

TEST(MachineParameters, FieldsAndTheirBytes) {
    ParameterBlock b{};
    b[50] = 0x77; // other bytes pass through
    EXPECT_FALSE(writeFields(b.data(), "512", "3", "7", "300"));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(b.data()) + 6, 7), QByteArray::fromHex("0200 00 03 07 012C"));
    EXPECT_EQ(b[50], 0x77);
    const ParameterFields f = readFields(b.data());
    EXPECT_EQ(f.dmxAddress, 512);
    EXPECT_EQ(f.playFile, 3);
    EXPECT_EQ(f.id, 7);
    EXPECT_EQ(f.playTime, 300);

    // Values the block cannot hold are refused, with nothing written, instead of being cut to bytes.
    const struct {
        const char *dmx, *file, *id, *time, *message;
    } refused[] = {
        {"65536", "0", "1", "0", "DMX地址必须是0-65535的数字！"},
        {"-1", "0", "1", "0", "DMX地址必须是0-65535的数字！"},
        {"1", "256", "1", "0", "播放文件必须是0-255的数字！"},
        {"1", "0", "300", "0", "ID必须是1-255的数字！"},
        {"1", "0", "0", "0", "ID必须是1-255的数字！"},
        {"1", "0", "1", "70000", "播放时间必须是0-65535的数字！"},
        {"abc", "0", "1", "0", "DMX地址必须是0-65535的数字！"},
    };
    for (const auto& c : refused) {
        ParameterBlock before = b;
        EXPECT_EQ(writeFields(b.data(), c.dmx, c.file, c.id, c.time), QString::fromUtf8(c.message)) << c.dmx;
        EXPECT_EQ(b, before);
    }
}

TEST(MachineParameters, ChipRecordsAndPayloads) {
    const QByteArray serial = QByteArray::fromHex("05000102030405060708090A");
    QByteArray params(100, '\0');
    params[6] = 0x01;
    params[7] = 0x02;
    const QByteArray good = QByteArray::fromHex("FA03") + serial + params;
    QByteArray unmarked = good;
    unmarked[0] = 0x00;
    // A record without its marker, two good ones, and one cut short at the end.
    const ChipList list =
        parseChipRecords(unmarked + good + QByteArray::fromHex("FA09") + serial + params + good.left(50));
    ASSERT_EQ(list.chips.size(), 2u);
    EXPECT_EQ(list.skipped, 2);
    EXPECT_EQ(list.chips[0].id, 3);
    EXPECT_EQ(list.chips[1].id, 9);
    EXPECT_EQ(list.chips[0].serialText(), "05000102030405060708090A"); // leading zeros kept
    EXPECT_EQ(chipListLine(list.chips[0]), QStringLiteral("序列号=05000102030405060708090A  ID=3  DMX=258"));
    EXPECT_EQ(selectChipPayload(7, serial), QByteArray::fromHex("FA07") + serial + QByteArray::fromHex("FF0100"));
    EXPECT_EQ(setByChipPayload(7, serial, list.chips[0].parameters.data()),
              QByteArray::fromHex("FA07") + serial + params);
    // No more than 31 chips are held.
    QByteArray many;
    for (int i = 0; i < 33; ++i)
        many += good;
    EXPECT_EQ(parseChipRecords(many).chips.size(), 31u);
    EXPECT_EQ(parseChipRecords(many).skipped, 0);
    EXPECT_EQ(parseChipRecords(many).beyond, 2);
}

class MachineWindows : public testing::Test {
protected:
    void SetUp() override {
        machines = home.startMachines({1, 2, 3});
        ASSERT_TRUE(machines);
    }
    QByteArray params(int k) { return machines->machine(k)->parameters; }

    kq::test::TempHome home;
    std::unique_ptr<standin::StandInMachines> machines;
};

TEST_F(MachineWindows, ParametersAreReadChangedWrittenAndReadAgain) {
    MachineParametersWindow w;
    w.open();
    EXPECT_EQ(child<QComboBox>(w, "TextID").currentText(), "1");
    EXPECT_EQ(child<QLineEdit>(w, "TextDMX地址").text(), "1");
    EXPECT_EQ(child<QLineEdit>(w, "Text播放时间").text(), "300");
    EXPECT_TRUE(child<QPushButton>(w, "Command设置").isEnabled());

    child<QRadioButton>(w, "Option机器2").click();
    EXPECT_EQ(child<QLineEdit>(w, "TextDMX地址").text(), "151");
    child<QComboBox>(w, "TextID").setCurrentIndex(6);
    child<QLineEdit>(w, "TextDMX地址").setText("512");
    child<QLineEdit>(w, "Text播放文件").setText("0");
    child<QPushButton>(w, "Command设置").click();
    EXPECT_EQ(params(2).mid(6, 7), QByteArray::fromHex("0200 00 00 07 012C"));
    EXPECT_EQ(child<QComboBox>(w, "TextID").currentText(), "7"); // as the machine now reports

    // A value out of range is refused with a message; nothing reaches the machine.
    const int writes = machines->machine(2)->received.value(0x8013);
    child<QLineEdit>(w, "TextDMX地址").setText("70000");
    child<QPushButton>(w, "Command设置").click();
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("DMX地址必须是0-65535的数字！"));
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(2)->received.value(0x8013), writes);

    // A machine that does not answer leaves the last values visible but disabled.
    child<QRadioButton>(w, "Option机器5").click();
    EXPECT_FALSE(child<QPushButton>(w, "Command设置").isEnabled());
    EXPECT_EQ(child<QLineEdit>(w, "TextDMX地址").text(), "70000");
}

TEST_F(MachineWindows, ChipsAreListedAndOneGetsANewIdBySerial) {
    machines->machine(3)->parameters[10] = 2; // two machines share ID 2
    ChipIdWindow w;
    w.Fun_Form芯片序列设置ID_show();
    QListWidget& list = child<QListWidget>(w, "List列表");
    ASSERT_EQ(list.count(), 3);
    EXPECT_TRUE(list.item(2)->text().endsWith(QStringLiteral("ID=2  DMX=301"))) << list.item(2)->text().toStdString();
    EXPECT_FALSE(child<QPushButton>(w, "Command设置").isEnabled());
    child<QPushButton>(w, "Command设置").click(); // nothing chosen: nothing happens
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(3)->received.value(0x8016), 0);

    int third = -1; // the list keeps the order the replies came in
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->text().contains("DMX=301")) third = i;
    ASSERT_GE(third, 0);
    emit list.itemClicked(list.item(third));
    EXPECT_EQ(child<QLabel>(w, "Label序列号").text(),
              QString::fromLatin1(machines->machine(3)->serial.toHex().toUpper()));
    Fun_Delay(20);
    EXPECT_EQ(machines->log().filter(QStringLiteral("8014 selected")).size(), 2);

    child<QComboBox>(w, "ComboID").setCurrentIndex(8);
    child<QPushButton>(w, "Command设置").click();
    EXPECT_EQ(uint8_t(params(3)[10]), 9);
    EXPECT_EQ(uint8_t(params(2)[10]), 2); // the other machine with ID 2 is untouched
    ASSERT_EQ(list.count(), 3);           // read again
    bool shown = false;
    for (int i = 0; i < list.count(); ++i)
        shown = shown || list.item(i)->text().endsWith("ID=9  DMX=301");
    EXPECT_TRUE(shown);
}

TEST_F(MachineWindows, ABlockIsWrittenOnlyToTheMachineItWasReadFrom) {
    MachineParametersWindow w;
    w.open();
    const auto writes = [&](int k) { return machines->machine(k)->received.value(0x8013); };
    // While machine 3 is read, the user picks machine 2 and presses "设置"; another window asks too.
    struct {
        bool radio = true, set = true, boxes = true, otherQuery = true;
    } during;
    int versionsAsked = -1;
    QTimer::singleShot(50, &w, [&] {
        during.radio = child<QRadioButton>(w, "Option机器2").isEnabled();
        during.set = child<QPushButton>(w, "Command设置").isEnabled();
        during.boxes = child<QLineEdit>(w, "TextDMX地址").isEnabled();
        child<QRadioButton>(w, "Option机器2").click();
        child<QPushButton>(w, "Command设置").click();
        w.Command设置_Click();
        w.readMachine(2); // as a second route into the read: refused, said
        const kq::link::ReplyQuery other;
        during.otherQuery = other.claimed();
        DownloadPanel panel;
        panel.Command获取版本号_Click();
        versionsAsked = machines->machine(1)->received.value(0x8010);
    });
    child<QRadioButton>(w, "Option机器3").click();
    EXPECT_FALSE(during.radio);
    EXPECT_FALSE(during.set);
    EXPECT_FALSE(during.boxes);
    EXPECT_FALSE(during.otherQuery);
    EXPECT_EQ(versionsAsked, 0);
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("正在等待机器回复，请稍后再试。"));
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(2)->received.value(0x8012), 0);
    EXPECT_EQ(writes(2), 0);
    // Machine 3's block is shown and goes back to machine 3 only.
    EXPECT_TRUE(child<QRadioButton>(w, "Option机器3").isChecked());
    EXPECT_EQ(child<QLineEdit>(w, "TextDMX地址").text(), "301");
    child<QLineEdit>(w, "Text播放文件").setText("4");
    child<QPushButton>(w, "Command设置").click();
    Fun_Delay(20);
    EXPECT_EQ(writes(3), 1);
    EXPECT_EQ(writes(1) + writes(2), 0);
    // After a failed read nothing can be written, by the button or otherwise.
    child<QRadioButton>(w, "Option机器5").click();
    EXPECT_FALSE(child<QPushButton>(w, "Command设置").isEnabled());
    w.Command设置_Click();
    Fun_Delay(20);
    EXPECT_EQ(writes(1) + writes(2) + writes(3), 1);
    // Two answers come for one machine (a second machine with its ID, or a late reply): either block
    // could be the one shown, so neither is taken.
    QUdpSocket second;
    QTimer::singleShot(50, &w, [&] {
        second.writeDatagram(QByteArray(kParameterSentBytes, '\x01'), QHostAddress::LocalHost,
                             quint16(Form_UDP().Client->LocalPort()));
    });
    child<QRadioButton>(w, "Option机器2").click();
    EXPECT_EQ(home.dialogs.shown.back().text,
              QStringLiteral("收到2个回复，无法确定是哪台机器的参数。ID相同的机器请用“通过序列号设置ID”分开设置。"));
    EXPECT_FALSE(child<QPushButton>(w, "Command设置").isEnabled());
}

TEST_F(MachineWindows, EveryChipUpTo31IsListedAndTheRestAreCounted) {
    ChipIdWindow w;
    // 40 machines answer: the three stand-ins and 37 more from one socket on loopback.
    QUdpSocket others;
    QTimer::singleShot(50, &w, [&] {
        for (int i = 0; i < 37; ++i) {
            QByteArray record(kChipRecordBytes, '\0');
            record[0] = char(0xFA);
            record[1] = char(20 + i);
            record[2] = char(i);
            others.writeDatagram(record, QHostAddress::LocalHost, quint16(Form_UDP().Client->LocalPort()));
        }
    });
    w.Fun_Form芯片序列设置ID_show();
    EXPECT_EQ(child<QListWidget>(w, "List列表").count(), 31);
    EXPECT_EQ(child<QLabel>(w, "Label跳过").text(), QStringLiteral("另有9台机器超出31台，未列出"));

    // While the chosen machine is told ("8014" twice), no other row can be chosen.
    bool listEnabled = true;
    QTimer::singleShot(30, &w, [&] {
        listEnabled = child<QListWidget>(w, "List列表").isEnabled();
        w.List列表_Click(1); // refused: the first choice's sends are still going
    });
    QListWidget& list = child<QListWidget>(w, "List列表");
    emit list.itemClicked(list.item(0));
    EXPECT_FALSE(listEnabled);
    EXPECT_TRUE(child<QPushButton>(w, "Command设置").isEnabled());
    Fun_Delay(20);
    EXPECT_EQ(machines->log().filter(QStringLiteral("8014 selected")).size(), 2); // the first choice's two
}

TEST_F(MachineWindows, TypingInsideAValueKeepsTheRestOfIt) {
    MachineParametersWindow w;
    w.open(); // machine 1: DMX 1, play time 300, play file 1
    const auto press = [](QLineEdit& box, std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys,
                          const QString& typed) {
        for (const auto& [key, mods] : keys) {
            QKeyEvent e(QEvent::KeyPress, key, mods);
            QCoreApplication::sendEvent(&box, &e);
        }
        for (const QChar c : typed) {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&box, &e);
        }
    };
    const struct {
        const char* box;
        std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        const char* typed;
        const char* text;
        int cursor;
    } cases[] = {
        {"TextDMX地址", {{Qt::Key_Home, Qt::NoModifier}}, "5", "51", 1},
        {"Text播放时间", {{Qt::Key_Home, Qt::NoModifier}, {Qt::Key_Right, Qt::NoModifier}}, "2", "3200", 2},
        {"Text播放文件", {{Qt::Key_A, Qt::ControlModifier}}, "7", "7", 1},
    };
    for (const auto& c : cases) {
        QLineEdit& box = child<QLineEdit>(w, QString::fromUtf8(c.box));
        press(box, c.keys, QString::fromUtf8(c.typed));
        EXPECT_EQ(box.text(), QString::fromUtf8(c.text)) << c.box;
        EXPECT_EQ(box.cursorPosition(), c.cursor) << c.box;
    }
    // What the boxes show is what the machine gets: DMX 51, play file 7, play time 3,200.
    child<QPushButton>(w, "Command设置").click();
    EXPECT_EQ(params(1).mid(6, 2), QByteArray::fromHex("0033"));
    EXPECT_EQ(uint8_t(params(1)[9]), 7);
    EXPECT_EQ(params(1).mid(11, 2), QByteArray::fromHex("0C80"));
    EXPECT_EQ(child<QLineEdit>(w, "TextDMX地址").text(), "51");
    EXPECT_EQ(child<QLineEdit>(w, "Text播放时间").text(), "3200");
    EXPECT_EQ(child<QLineEdit>(w, "Text播放文件").text(), "7");
}

} // namespace
