// The modelling editor as a user drives it: opened from the main window's menu, on the offscreen
// platform, with the stand-in machines for the test output.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
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
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
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
    EXPECT_EQ(home.dialogs.shown.back().text, QStringLiteral("保存完成!!!"));
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
    ASSERT_EQ(findings.count(), 1);
    EXPECT_EQ(findings.item(0)->text(), QStringLiteral("[7] 与 [1] 地址重叠（机器1 端口1）"));
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

} // namespace
