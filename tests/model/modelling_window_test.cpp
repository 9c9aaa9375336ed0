// The modelling editor as a user drives it: opened from the main window's menu, on the offscreen
// platform, with the stand-in machines for the test output.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/panel_widgets.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "link/udp_host.h"
#include "model/model_canvas.h"
#include "model/model_data.h"
#include "model/model_file.h"
#include "model/model_undo.h"
#include "model/modelling_test.h"
#include "model/modelling_window.h"
#include "record/position_window.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QUndoStack>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace {

using kq::test::child;

class Modelling : public testing::Test {
protected:
    void SetUp() override {
        Fun_ClearAllModels();
        window = kq::test::openMainWindow(capture);
        home.dialogs.shown.clear();
        window->CD建模_Click();
        editor = window->modellingWindow();
        for (int i = 0; i < 200 && !editor->initialised(); ++i)
            Fun_Delay(10);
        ASSERT_TRUE(editor->initialised());
    }
    void TearDown() override {
        if (editor && editor->isVisible()) editor->close();
        window.reset();
        Fun_ClearAllModels();
        g_ModellingOpen = 0;
    }
    template <typename T> T& control(const char* name) { return child<T>(*editor, QString::fromUtf8(name)); }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QCoreApplication::sendEvent(&control<QListWidget>("List素材列表"), &press);
    }
    void selectRow(int material) {
        control<QListWidget>("List素材列表").setCurrentRow(material - 1, QItemSelectionModel::ClearAndSelect);
    }
    void type(const char* box, const QString& text) { control<QLineEdit>(box).setText(text); }
    // What a person presses in a box: named keys, and text typed a character at a time.
    struct Stroke {
        Qt::Key key = Qt::Key_unknown;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        QString text;
        Stroke(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) : key(k), mods(m) {}
        Stroke(const char* typed) : text(QString::fromUtf8(typed)) {}
    };
    static void press(QWidget& box, const std::vector<Stroke>& strokes) {
        for (const Stroke& s : strokes) {
            if (s.text.isEmpty()) {
                QKeyEvent e(QEvent::KeyPress, s.key, s.mods);
                QCoreApplication::sendEvent(&box, &e);
                continue;
            }
            // One event a character; a character outside the BMP is one key press of two units.
            for (qsizetype i = 0; i < s.text.size(); ++i) {
                const qsizetype n = s.text[i].isHighSurrogate() ? 2 : 1;
                QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, s.text.mid(i, n));
                QCoreApplication::sendEvent(&box, &e);
                i += n - 1;
            }
        }
    }
    QLineEdit& lineOf(const char* name) {
        if (auto* combo = editor->findChild<QComboBox*>(QString::fromUtf8(name))) return *combo->lineEdit();
        return control<QLineEdit>(name);
    }
    QByteArray modelFileBytes() {
        const QString path = home.path(QStringLiteral("snapshot.mx20"));
        EXPECT_TRUE(Fun_WriteModelFile(path));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    static T_Material& m(int n) { return g_Materials[1][n]; }

    kq::test::TempHome home;
    kq::test::PatternCapture capture;
    std::unique_ptr<MainWindow> window;
    ModellingWindow* editor = nullptr;
};

TEST_F(Modelling, OpensOverTheMainWindowAndSavesOnClose) {
    EXPECT_TRUE(window->isHidden());
    EXPECT_FALSE(window->positionWindow()->isVisible());
    EXPECT_EQ(g_ModellingOpen, 1);
    EXPECT_FALSE(control<QCheckBox>("Check对齐测试").isChecked());
    EXPECT_EQ(control<QGroupBox>("Frame模型").title(), QStringLiteral("1模型"));
    EXPECT_EQ(control<QListWidget>("List素材列表").count(), 2000);
    EXPECT_EQ(control<QGroupBox>("Frame素材").title(), QStringLiteral("1素材"));

    // A material typed in box by box; the list row shows its note.
    control<QComboBox>("Combo机器编号").setEditText("3");
    control<QComboBox>("Combo端口编号").setEditText("2");
    type("Text素材起始地址", "1");
    type("Text素材坐标1", "10");
    type("Text素材坐标3", "40");
    type("Text素材坐标2", "5");
    type("Text素材备注", QStringLiteral("灯带"));
    T_Material expected = makeMaterial(3, 2, 1, kShapeHorizontal, 10, 5, 40, 5);
    std::fill(std::begin(expected.FineCoord), std::end(expected.FineCoord), 0); // typing leaves them
    expected.Note = QStringLiteral("灯带");
    EXPECT_EQ(m(1), expected);
    EXPECT_EQ(control<QLineEdit>("Text素材地址结束").text(), "31");
    EXPECT_EQ(control<QListWidget>("List素材列表").item(0)->text(), QStringLiteral("[1] 灯带"));
    // A machine above 10 is refused and the box shows the stored one again.
    control<QComboBox>("Combo机器编号").setEditText("12");
    EXPECT_EQ(m(1).Machine, 3);
    EXPECT_EQ(control<QComboBox>("Combo机器编号").currentText(), "3");

    const T_Material typed = m(1);
    editor->close();
    EXPECT_EQ(g_ModellingOpen, 0);
    EXPECT_TRUE(window->isVisible());
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    // No model file was there at the start: the models went to the application folder's, and the
    // message says where.
    EXPECT_EQ(home.dialogs.shown.back().text,
              QStringLiteral("保存完成!!!\r\n模型已保存到：") + home.path(QStringLiteral("模型.mx20")));
    EXPECT_EQ(g_ModelFilePath, home.path(QStringLiteral("模型.mx20")));
    // The file written on close reads back to the same tables.
    Fun_ClearAllModels();
    Fun_OpenModel(g_ModelFilePath);
    EXPECT_EQ(m(1), typed);
    // Opened again, the editor starts a fresh history: no step of the last session can be undone over
    // the models as they are now.
    window->CD建模_Click();
    EXPECT_EQ(editor->undo().stack().count(), 0);
    EXPECT_FALSE(control<QPushButton>("Command撤销").isEnabled());
    // A diagonal has no use for the auto-increment copy.
    control<QComboBox>("Combo形状").setCurrentIndex(2);
    emit control<QComboBox>("Combo形状").activated(2);
    EXPECT_FALSE(control<QPushButton>("Command自增复制到下一个").isEnabled());
    EXPECT_FALSE(control<QLineEdit>("Text素材坐标1").isEnabled());
    EXPECT_TRUE(control<QLineEdit>("Text素材坐标2").isEnabled());
}

TEST_F(Modelling, ShapeMovesAndTheKeysOfTheList) {
    m(1) = makeMaterial(1, 1, 1, kShapeHorizontal, 10, 5, 40, 5);
    for (int i = 2; i <= 3; ++i)
        m(i) = makeMaterial(1, 1, 100 * i, kShapeHorizontal, 0, i, 9, i);
    editor->Fun_更新所有();
    control<QComboBox>("Combo形状").setCurrentIndex(1);
    emit control<QComboBox>("Combo形状").activated(1);
    EXPECT_EQ(m(1).Shape, kShapeVertical);
    EXPECT_EQ((std::array<int, 4>{m(1).Coord[1], m(1).Coord[2], m(1).Coord[3], m(1).Coord[4]}),
              (std::array<int, 4>{5, 10, 5, 40}));

    // Move count 3, step 2: "D" on the list moves materials 1..3 two units right.
    control<QComboBox>("Combo一次选择数量").setCurrentIndex(2);
    control<QComboBox>("Combo移动步进").setCurrentIndex(1);
    emit control<QComboBox>("Combo移动步进").activated(1);
    key(Qt::Key_D);
    EXPECT_EQ(m(1).Coord[1], 7);
    EXPECT_EQ(m(3).Coord[3], 11);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "移动步进"), "2");
    // The whole move is one undo step, and Ctrl+Shift+Z takes it back; Ctrl+Y does it again.
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m(1).Coord[1], 5);
    EXPECT_EQ(m(3).Coord[3], 9);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m(3).Coord[3], 11);

    // Note numbering from the digit keys: shortcut row 7, "1" starts at [1], "2" counts on.
    control<QComboBox>("Combo快捷按键").setCurrentIndex(7);
    type("Text素材备注", QStringLiteral("灯带"));
    key(Qt::Key_1);
    EXPECT_EQ(m(1).Note, QStringLiteral("灯带[1]"));
    key(Qt::Key_2);
    EXPECT_EQ(m(1).Note, QStringLiteral("灯带[2]"));
    // Ctrl+Z inserts a row at the current material.
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m(1), T_Material{});
    EXPECT_EQ(m(2).Note, QStringLiteral("灯带[2]"));
}

TEST_F(Modelling, AutoIncrementCopyContinuesTheAddressesAndUndoesInOneStep) {
    m(1) = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 5, 29, 5); // addresses 1..30
    editor->Fun_更新所有();
    control<QComboBox>("Combo移动步进").setCurrentIndex(2);
    control<QCheckBox>("Check自增复制自动下移").setChecked(true);
    control<QCheckBox>("Check自增复制自动反向").setChecked(true);
    const int before = editor->undo().stack().count();
    control<QPushButton>("Command自增复制到下一个").click();
    EXPECT_EQ(g_CurMaterial, 2);
    EXPECT_EQ(m(2).StartAddr, 31);
    EXPECT_EQ(m(2).Coord[2], 8); // one step (3) lower
    EXPECT_EQ(m(2).Reverse, 1);
    EXPECT_EQ(m(1).StartAddr, 1);
    const int steps = editor->undo().stack().count();
    EXPECT_EQ(steps, before + 1); // copy, paste, addresses, move and reverse are one step
    control<QPushButton>("Command撤销").click();
    EXPECT_EQ(m(2), T_Material{});
    EXPECT_EQ(editor->undo().stack().index(), steps - 1);
}

TEST_F(Modelling, DeleteClearsTheSelectedRowsInPlace) {
    for (int i = 1; i <= 6; ++i)
        m(i) = makeMaterial(1, 1, i, kShapeHorizontal, 0, i, 5, i);
    editor->Fun_更新所有();
    QListWidget& list = control<QListWidget>("List素材列表");
    list.clearSelection();
    for (int row : {1, 3, 4})
        list.item(row)->setSelected(true);
    control<QPushButton>("Command删除素材").click();
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(m(i).used(), i != 2 && i != 4 && i != 5) << i;
    EXPECT_EQ(m(6).StartAddr, 6); // nothing moves up
    // Clearing everything asks first; No changes nothing.
    control<QPushButton>("Command清空素材").click();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("确定要清空吗？"));
    EXPECT_TRUE(m(1).used());
}

TEST_F(Modelling, TheWheelStepsBoxesButNeverBelowZeroAndSwallowsOtherTurns) {
    QLineEdit& start = control<QLineEdit>("Text素材起始地址");
    const auto wheel = [&](QWidget& w, int dy, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWheelEvent e(QPointF(2, 2), QPointF(2, 2), QPoint(), QPoint(0, dy), Qt::NoButton, mods, Qt::NoScrollPhase,
                      false);
        QCoreApplication::sendEvent(&w, &e);
    };
    type("Text素材起始地址", "0");
    wheel(start, -120);
    EXPECT_EQ(start.text(), "0");
    wheel(start, 120);
    wheel(start, 120);
    EXPECT_EQ(m(1).StartAddr, 2);
    wheel(start, 120, Qt::ControlModifier); // swallowed
    wheel(start, 60);                       // not a whole notch: swallowed
    EXPECT_EQ(m(1).StartAddr, 2);

    // Over the canvas the wheel zooms about the mouse.
    ModelCanvas& canvas = control<ModelCanvas>("Picture模型");
    canvas.view() = {1, 100, 0};
    QWheelEvent in(QPointF(150, 0), QPointF(150, 0), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&canvas, &in);
    EXPECT_EQ(canvas.view().scale, 2);
    EXPECT_EQ(canvas.view().ox, 50);
    wheel(canvas, 120, Qt::ControlModifier);
    EXPECT_EQ(canvas.view().scale, 2);
}

TEST_F(Modelling, AClickOnTheCanvasAndAWiringFindingSelectAMaterial) {
    m(1) = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 9, 0);
    m(7) = makeMaterial(1, 1, 5, kShapeHorizontal, 0, 20, 9, 20); // addresses 5..14: overlaps material 1
    editor->Fun_更新所有();
    QListWidget& findings = control<QListWidget>("List接线检查");
    ASSERT_EQ(findings.count(), 2);
    EXPECT_EQ(findings.item(0)->text(), QStringLiteral("[7] 与 [1] 地址重叠（机器1 端口1）"));
    // Then what the show puts on the network: one port of machine 1 and the "8055" at 36 ms.
    EXPECT_EQ(findings.item(1)->text(), QStringLiteral("网络：本机型 每秒56个包，0.3 Mbit/s"));
    emit findings.itemClicked(findings.item(1)); // a line about the whole show selects nothing
    EXPECT_EQ(g_CurMaterial, 1);
    // Read whole: wrapped to the column, never behind a horizontal scroll bar, and whole in its tooltip.
    EXPECT_TRUE(findings.wordWrap());
    EXPECT_EQ(findings.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(findings.item(0)->toolTip(), findings.item(0)->text());
    emit findings.itemClicked(findings.item(0));
    EXPECT_EQ(g_CurMaterial, 7);

    ModelCanvas& canvas = control<ModelCanvas>("Picture模型");
    canvas.view() = {2, 10, 10};
    const QPointF at = canvas.view().toCanvas(4, 0);
    QMouseEvent press(QEvent::MouseButtonPress, at, canvas.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, canvas.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &press);
    QCoreApplication::sendEvent(&canvas, &release);
    EXPECT_EQ(g_CurMaterial, 1);
    EXPECT_EQ(control<QListWidget>("List素材列表").currentRow(), 0);
}

TEST_F(Modelling, TheTestOutputReachesTheMachine) {
    auto machines = home.startMachines({3});
    ASSERT_TRUE(machines);
    Fun_UnloadFormUdp(); // the endpoints follow the stand-in machines' addresses
    m(1) = makeMaterial(3, 2, 1, kShapeHorizontal, 10, 3, 19, 3);
    editor->Fun_更新所有();
    editor->Fun_发送建模测试数据(); // nothing while "测试" is not ticked
    Fun_Delay(20);
    EXPECT_EQ(machines->machine(3)->received.value(0x8054), 0);
    control<QCheckBox>("Check对齐测试").setChecked(true);
    EXPECT_TRUE(window->positionWindow()->isVisible());
    g_MarkerPhase = 1; // the step goes down to 0
    editor->Fun_发送建模测试数据();
    Fun_Delay(30);
    EXPECT_GE(machines->machine(3)->received.value(0x8054), 1);
    EXPECT_GE(machines->machine(3)->received.value(0x8055), 1);
    const QByteArray& block = machines->machine(3)->portBlocks[2];
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(uint8_t(block[i]), i == 8 ? 0 : 255) << i;
    EXPECT_EQ(uint8_t(block[1500 + 8]), 255);
    EXPECT_EQ(uint8_t(block[10]), 0);
}

TEST_F(Modelling, TypingInsideAValueKeepsTheRestOfIt) {
    const auto base = [] {
        T_Material t = makeMaterial(1, 1, 100, kShapeHorizontal, 20, 5, 40, 5);
        t.Note = QStringLiteral("M1P1-5");
        return t;
    };
    const struct {
        const char* box;
        std::vector<Stroke> strokes;
        const char* text;
        int cursor;
        std::function<QString()> stored;
    } cases[] = {
        {"Text素材坐标1", {Qt::Key_Home, "15"}, "1520", 2, [] { return QString::number(m(1).Coord[1]); }},
        {"Text素材起始地址",
         {Qt::Key_Home, Qt::Key_Right, "5"},
         "1500",
         2,
         [] { return QString::number(m(1).StartAddr); }},
        {"Text素材坐标3",
         {Qt::Key_Home, {Qt::Key_Right, Qt::ShiftModifier}, "9"},
         "90",
         1,
         [] { return QString::number(m(1).Coord[3]); }},
        {"Text素材坐标2", {Qt::Key_End, Qt::Key_Backspace, "7"}, "7", 1, [] { return QString::number(m(1).Coord[4]); }},
        {"Text素材备注", {Qt::Key_Home, "AB"}, "ABM1P1-5", 2, [] { return m(1).Note; }},
        {"Text素材备注", {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right, "x"}, "M1xP1-5", 3, [] { return m(1).Note; }},
        {"Text模型备注", {Qt::Key_Home, Qt::Key_Right, "X"}, "aXbc", 2, [] { return g_ModelNote[1]; }},
        {"Text模型长度", {Qt::Key_Home, "2"}, "2100", 1, [] { return QString::number(g_ModelLength[1]); }},
        {"Text模型宽度",
         {{Qt::Key_A, Qt::ControlModifier}, "64"},
         "64",
         2,
         [] { return QString::number(g_ModelWidth[1]); }},
        {"Combo机器编号",
         {Qt::Key_Home, {Qt::Key_End, Qt::ShiftModifier}, "7"},
         "7",
         1,
         [] { return QString::number(m(1).Machine); }},
        {"Combo端口编号", {Qt::Key_Home, Qt::Key_Delete, "3"}, "3", 1, [] { return QString::number(m(1).Port); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        m(1) = base();
        g_ModelLength[1] = 100;
        g_ModelWidth[1] = 100;
        g_ModelNote[1] = QStringLiteral("abc");
        editor->Fun_更新所有();
        QLineEdit& box = lineOf(c.box);
        press(box, c.strokes);
        EXPECT_EQ(box.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(box.cursorPosition(), c.cursor);
        EXPECT_EQ(c.stored(), QString::fromUtf8(c.text)); // what the box shows is what the model holds
    }
    // The other boxes follow the model: a horizontal run keeps both ends on one row.
    m(1) = base();
    editor->Fun_更新所有();
    press(lineOf("Text素材坐标2"), {Qt::Key_Home, "1"});
    EXPECT_EQ(m(1).Coord[4], 15);
    EXPECT_EQ(control<QLineEdit>("Text素材坐标4").text(), "15");
}

TEST_F(Modelling, AModelSizeIsRefusedAsTypedBeyondWhatAScreenAreaCanBe) {
    g_ModelLength[1] = 100;
    editor->Fun_更新所有();
    QLineEdit& length = control<QLineEdit>("Text模型长度");
    press(length, {{Qt::Key_A, Qt::ControlModifier}, "2000000000"});
    EXPECT_EQ(g_ModelLength[1], 2000); // each digit past the bound was refused as it came
    EXPECT_EQ(length.text(), "2000");
    EXPECT_EQ(kq::lastSaid(), QStringLiteral("模型长度和宽度只能是1到8192"));
    for (const char* refused : {"0", "-5", "8193"}) {
        type("Text模型宽度", QString::fromUtf8(refused));
        EXPECT_EQ(g_ModelWidth[1], 100) << refused;
        EXPECT_EQ(control<QLineEdit>("Text模型宽度").text(), "100") << refused;
    }
    type("Text模型宽度", "8192");
    EXPECT_EQ(g_ModelWidth[1], 8192);

    // A file that holds a size no model may have (one written before the bound, wrapped to 16 bits)
    // opens with the size put right and a message that names the model.
    g_ModelLength[3] = -27648;
    g_ModelWidth[3] = 50;
    const QString path = home.path(QStringLiteral("wrapped.mx20"));
    ASSERT_TRUE(Fun_WriteModelFile(path));
    Fun_ClearAllModels();
    home.dialogs.shown.clear();
    Fun_OpenModel(path);
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("模型3的长度或宽度超出范围（1到8192），已改正。"));
    EXPECT_EQ(g_ModelLength[3], 100);
    EXPECT_EQ(g_ModelWidth[3], 50);
}

TEST_F(Modelling, ANoteTakesOnlyCharactersItsFileCanHold) {
    window->show(); // the review panel's note box is the main window's
    QLineEdit* boxes[] = {&control<QLineEdit>("Text素材备注"), &control<QLineEdit>("Text模型备注"),
                          &child<QLineEdit>(*window, QStringLiteral("Text素材说明"))};
    for (QLineEdit* box : boxes) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->clear();
        for (const char* refused : {"😀", "한", "ŵ"}) {
            press(*box, {"灯A", refused});
            EXPECT_EQ(box->text(), QStringLiteral("灯A"));
            EXPECT_TRUE(kq::lastSaid().contains(QString::fromUtf8(refused))) << kq::lastSaid().toStdString();
            box->clear();
        }
        // Pasted text is refused whole, typed text that the file holds is taken.
        box->insert(QStringLiteral("ab😀"));
        EXPECT_EQ(box->text(), QString());
        press(*box, {"灯带①"});
        EXPECT_EQ(box->text(), QStringLiteral("灯带①"));
    }
    EXPECT_EQ(m(1).Note, QStringLiteral("灯带①"));
    EXPECT_EQ(g_ModelNote[1], QStringLiteral("灯带①"));
}

TEST_F(Modelling, EveryActionIsOneUndoStepThatRestoresTheModelByteForByte) {
    QListWidget& list = control<QListWidget>("List素材列表");
    const auto click = [this](const char* name) { return [this, name] { control<QPushButton>(name).click(); }; };
    const auto keyPress = [this](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return [this, k, mods] { key(k, mods); };
    };
    const auto shortcut = [this](int mode, Qt::Key digit) {
        return [this, mode, digit] {
            control<QComboBox>("Combo快捷按键").setCurrentIndex(mode);
            key(digit);
        };
    };
    // The template the open button reads: material 1 as a vertical run.
    m(1) = makeMaterial(4, 4, 4, kShapeVertical, 1, 1, 1, 20);
    home.dialogs.fileNames = {home.path("one.mb10")};
    Fun_SaveTemplate();
    const struct {
        const char* name;
        std::function<void()> prepare; // what the action needs done first (its own step, if any)
        std::function<void()> act;
    } cases[] = {
        {"插入", {}, click("Command插入素材")},
        {"删除", {}, click("Command删除素材")},
        {"清空",
         {},
         [&] {
             home.dialogs.answers = {kq::MessageAnswer::Yes};
             control<QPushButton>("Command清空素材").click();
         }},
        {"粘贴",
         {},
         [&] {
             control<QPushButton>("Command复制素材").click();
             selectRow(5);
             control<QPushButton>("Command粘贴素材").click();
         }},
        {"打开模板",
         {},
         [&] {
             home.dialogs.fileNames = {home.path("one.mb10")};
             control<QPushButton>("Command打开模板").click();
         }},
        {"自增复制到下一个", {}, click("Command自增复制到下一个")},
        {"横竖切换", {}, [&] { control<QCheckBox>("Check横竖切换").click(); }},
        {"所有素材反向", {}, click("Command所有素材反向")},
        {"X轴反向", {}, click("Command_X轴反向")},
        {"Y轴反向", [&] { selectRow(3); }, click("Command_Y轴反向")},
        {"上移", {}, click("Command移动0")},
        {"下移", {}, click("Command移动1")},
        {"左移", {}, click("Command移动2")},
        {"右移", {}, click("Command移动3")},
        {"Ctrl+Z", {}, keyPress(Qt::Key_Z, Qt::ControlModifier)},
        {"Ctrl+X", {}, keyPress(Qt::Key_X, Qt::ControlModifier)},
        {"W", {}, keyPress(Qt::Key_W)},
        {"D", {}, keyPress(Qt::Key_D)},
        {"机器编号", {}, shortcut(1, Qt::Key_5)},
        {"端口编号", {}, shortcut(2, Qt::Key_3)},
        {"类型", {}, shortcut(3, Qt::Key_2)},
        {"方向", {}, shortcut(4, Qt::Key_3)},
        {"备注",
         [&] {
             control<QComboBox>("Combo快捷按键").setCurrentIndex(5);
             key(Qt::Key_1); // remembers, changes nothing
         },
         [&] {
             selectRow(3);
             key(Qt::Key_2);
         }},
        {"位置同步", keyPress(Qt::Key_D), // a move remembers the coordinates
         [&] {
             control<QComboBox>("Combo快捷按键").setCurrentIndex(6);
             selectRow(3);
             key(Qt::Key_1);
         }},
        {"备注编号", {}, shortcut(7, Qt::Key_1)},
        {"自动反向",
         {},
         [&] {
             control<QCheckBox>("Check自增复制自动反向").setChecked(true);
             control<QPushButton>("Command自增复制到下一个").click();
             control<QCheckBox>("Check自增复制自动反向").setChecked(false);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 1; i <= 4; ++i) {
            m(i) = i == 3 ? makeMaterial(1, i, 30, kShapeVertical, 10, 30, 10, 50)
                          : makeMaterial(1, i, 10 * i, kShapeHorizontal, 10, 10 * i, 30, 10 * i);
            m(i).Note = QStringLiteral("N%1").arg(i);
        }
        g_CurMaterial = 2;
        editor->Fun_更新所有();
        list.item(2)->setSelected(true); // rows 2 and 3
        control<QComboBox>("Combo快捷按键").setCurrentIndex(0);
        QUndoStack& stack = editor->undo().stack();
        if (c.prepare) c.prepare();
        const int before = stack.index();
        const QByteArray model = modelFileBytes();
        c.act();
        EXPECT_EQ(stack.index(), before + 1);
        EXPECT_EQ(stack.count(), stack.index());
        EXPECT_NE(modelFileBytes(), model); // the action did change the model
        control<QPushButton>("Command撤销").click();
        EXPECT_EQ(modelFileBytes(), model);
    }
}

TEST_F(Modelling, EveryOpeningInitialisesAsTheFirst) {
    editor->close();
    g_CurModel = 2; // an empty model, and the canvas moved away meanwhile
    auto& canvas = kq::test::only<ModelCanvas>(*editor);
    canvas.view().ox = -5000;
    window->CD建模_Click();
    for (int i = 0; i < 200 && !editor->initialised(); ++i)
        Fun_Delay(10);
    ASSERT_TRUE(editor->initialised());
    EXPECT_EQ(control<QLineEdit>("Text模型长度").text(), "100");
    EXPECT_EQ(control<QLineEdit>("Text模型宽度").text(), "100");
    EXPECT_EQ(control<QGroupBox>("Frame模型").title(), QStringLiteral("2模型"));
    kq::model::CanvasView centred;
    centred.centre(canvas.size(), 100, 100);
    EXPECT_EQ(canvas.view().ox, centred.ox);
    EXPECT_EQ(canvas.view().oy, centred.oy);
}

TEST_F(Modelling, SwitchingSeveralRowsMakesEachCurrentInTurnAndKeepsTheSelection) {
    for (int i = 1; i <= 5; ++i)
        m(i) = makeMaterial(1, 1, 10 * i, kShapeHorizontal, 10, i, 30, i);
    editor->Fun_更新所有();
    QListWidget& list = control<QListWidget>("List素材列表");
    selectRow(4);
    key(Qt::Key_Up, Qt::ShiftModifier); // rows 3 and 4, the list's current row is 3
    ASSERT_EQ(g_CurMaterial, 3);
    control<QCheckBox>("Check横竖切换").click();
    EXPECT_EQ(m(3).Shape, kShapeVertical);
    EXPECT_EQ(m(4).Shape, kShapeVertical);
    EXPECT_EQ(m(2).Shape, kShapeHorizontal);
    EXPECT_EQ(g_CurMaterial, 4);
    EXPECT_EQ(control<QGroupBox>("Frame素材").title(), QStringLiteral("4素材"));
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2);
    const int x = m(4).Coord[1];
    key(Qt::Key_W); // moves from the current material on
    EXPECT_EQ(m(4).Coord[2], 10 - 1);
    EXPECT_EQ(m(4).Coord[1], x);
    EXPECT_EQ(m(3).Coord[2], 10);
}

TEST_F(Modelling, ClosingSavesOnlyToTheFileWhoseModelsAreEdited) {
    // Another installation's file, named by the settings from an earlier run, is never written.
    const QString other = home.path(QStringLiteral("other.mx20"));
    g_ModelNote[1] = QStringLiteral("其他工程");
    ASSERT_TRUE(Fun_WriteModelFile(other));
    const QByteArray otherBytes = [&] {
        QFile f(other);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    Fun_WriteIni(g_IniPath, kq::key::LastModelFile, other);
    g_ModelNote[1].clear();
    type("Text模型备注", QStringLiteral("本工程"));
    editor->close();
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), otherBytes);
    const QString own = home.path(QStringLiteral("模型.mx20"));
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("保存完成!!!\r\n模型已保存到：") + own);
    // A file opened through the menu is the one saved from then on, with the plain message.
    Fun_OpenModel(other);
    window->CD建模_Click();
    for (int i = 0; i < 200 && !editor->initialised(); ++i)
        Fun_Delay(10);
    type("Text模型备注", QStringLiteral("改过"));
    editor->close();
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("保存完成!!!"));
    Fun_ClearAllModels();
    Fun_OpenModel(other);
    EXPECT_EQ(g_ModelNote[1], QStringLiteral("改过"));
    Fun_ClearAllModels();
    Fun_OpenModel(own);
    EXPECT_EQ(g_ModelNote[1], QStringLiteral("本工程"));
}

TEST_F(Modelling, AfterADamagedFileClosingSavesOnlyWhereTheUserPicks) {
    editor->close();
    const auto bytesOf = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    // The installation's own file, opened as at a start.
    const QString own = home.path(QStringLiteral("模型.mx20"));
    g_ModelNote[1] = QStringLiteral("演示");
    g_ModelNote[2] = QStringLiteral("满载2000");
    ASSERT_TRUE(Fun_WriteModelFile(own));
    const QByteArray ownBytes = bytesOf(own);
    Fun_ForgetModelFile();
    Fun_OpenModel(own);
    // A template, and a model file cut short, opened as model files.
    const QString tpl = home.path(QStringLiteral("one.mb10"));
    g_CurModel = 1;
    home.dialogs.fileNames = {tpl};
    Fun_SaveTemplate();
    const QString cut = home.path(QStringLiteral("cut.mx20"));
    ASSERT_TRUE(kq::writeFileAtomically(cut, ownBytes.left(ownBytes.size() / 3)));
    const struct {
        const char* name;
        QString damaged;
        QString picked; // empty: the dialog is cancelled
    } cases[] = {
        {"a template, the dialog cancelled", tpl, {}},
        {"a file cut short, the dialog cancelled", cut, {}},
        {"a file cut short, saved where the user picks", cut, home.path(QStringLiteral("picked.mx20"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray damagedBytes = bytesOf(c.damaged);
        Fun_OpenModel(c.damaged);
        EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("文件错误！"));
        home.dialogs.fileRequests.clear();
        if (!c.picked.isEmpty()) home.dialogs.fileNames = {c.picked};
        window->CD建模_Click();
        for (int i = 0; i < 200 && !editor->initialised(); ++i)
            Fun_Delay(10);
        editor->close();
        // Closing asked where to save, offering the folder and no file of its own.
        ASSERT_EQ(home.dialogs.fileRequests.size(), 1);
        EXPECT_EQ(home.dialogs.fileRequests[0].directory, g_AppFolder);
        EXPECT_EQ(bytesOf(own), ownBytes);
        EXPECT_EQ(bytesOf(c.damaged), damagedBytes);
        if (c.picked.isEmpty()) {
            EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("模型没有保存。"));
            continue;
        }
        EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("保存完成!!!"));
        EXPECT_EQ(bytesOf(c.picked), kq::model::encodeModelFile(g_Models));
        // From then on the models are that file's: the next close saves there without asking.
        home.dialogs.fileRequests.clear();
        window->CD建模_Click();
        for (int i = 0; i < 200 && !editor->initialised(); ++i)
            Fun_Delay(10);
        editor->close();
        EXPECT_TRUE(home.dialogs.fileRequests.isEmpty());
        EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("保存完成!!!"));
        EXPECT_EQ(bytesOf(own), ownBytes);
    }
}

TEST_F(Modelling, ALargeModelOpensWholeAndFitShowsItWholeAgain) {
    editor->close();
    g_CurModel = 2;
    g_ModelLength[2] = 1000;
    g_ModelWidth[2] = 800;
    g_Materials[2][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 999, 0);
    window->CD建模_Click();
    for (int i = 0; i < 200 && !editor->initialised(); ++i)
        Fun_Delay(10);
    ASSERT_TRUE(editor->initialised());
    auto& canvas = kq::test::only<ModelCanvas>(*editor);
    const auto wholeInView = [&] {
        const QRect area(QPoint(0, 0), canvas.size());
        return canvas.view().scale < 1 && area.contains(canvas.view().toCanvas(-1, -1)) &&
               area.contains(canvas.view().toCanvas(1001, 801));
    };
    EXPECT_TRUE(wholeInView());
    const kq::model::CanvasView fitted = canvas.view();
    for (int i = 0; i < 4; ++i) {
        QWheelEvent notch(QPointF(20, 20), canvas.mapToGlobal(QPointF(20, 20)), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&canvas, &notch);
    }
    EXPECT_FALSE(wholeInView());
    key(Qt::Key_F);
    EXPECT_EQ(canvas.view().scale, fitted.scale);
    EXPECT_EQ(canvas.view().ox, fitted.ox);
    canvas.view().ox += 300;
    control<QPushButton>("Command适合窗口").click();
    EXPECT_EQ(canvas.view().ox, fitted.ox);
    EXPECT_TRUE(wholeInView());
}

TEST_F(Modelling, RemembersItsPlaceSizeAndSplitters) {
    editor->setGeometry(40, 30, 700, 500);
    auto& sides = control<QSplitter>("Splitter建模左右");
    Fun_Delay(20);
    const int total = sides.sizes().value(0) + sides.sizes().value(1);
    sides.setSizes({total - 300, 300});
    const QList<int> split = sides.sizes();
    const QRect place = editor->geometry(); // no lower than the boxes need
    editor->close();
    EXPECT_EQ(Fun_ReadIni(g_IniPath, kq::key::EditorWidth), QString::number(700 * 15));
    EXPECT_EQ(Fun_ReadIni(g_IniPath, kq::key::EditorLeft), QString::number(40 * 15));
    // A new run: the editor opens where it was, as large as it was, split as it was.
    window.reset();
    window = kq::test::openMainWindow(capture);
    window->CD建模_Click();
    editor = window->modellingWindow();
    for (int i = 0; i < 200 && !editor->initialised(); ++i)
        Fun_Delay(10);
    ASSERT_TRUE(editor->initialised());
    EXPECT_EQ(editor->geometry(), place);
    EXPECT_EQ(control<QSplitter>("Splitter建模左右").sizes(), split);
}

} // namespace
