#include "app/main_window.h"
#include "core/clock.h"
#include "core/common_functions.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "link/transport.h"
#include "model/model_file.h"
#include "model/model_menus.h"
#include "record/picture_view.h"
#include "record/position_window.h"
#include "record/recording_panel.h"
#include "show/file_panel.h"
#include "show/review_panel.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/open_window.h"
#include "support/pattern_capture.h"
#include "support/widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegion>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

using kq::test::child;
using kq::test::only;

// A control's place in the window's coordinates, as text for a readable failure.
std::string placeIn(const QWidget& window, const QWidget& control) {
    const QPoint p = control.mapTo(&window, QPoint(0, 0));
    return std::to_string(control.width()) + "x" + std::to_string(control.height()) + " at " + std::to_string(p.x()) +
           "," + std::to_string(p.y());
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override { Fun_ClearAllModels(); }
    void TearDown() override {
        window.reset();
        Fun_ClearAllModels();
        kq::schedulerHooks() = {};
    }
    void writeIni(const char* key, const char* value) {
        Fun_WriteIni(g_IniPath, QString::fromUtf8(key), QString::fromUtf8(value));
    }
    MainWindow& open() {
        window = kq::test::openMainWindow(capture);
        return *window;
    }
    kq::test::TempHome home;
    kq::test::PatternCapture capture;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, ShowsItsTitleAndInitialisesShortlyAfter) {
    kq::test::TempHome::usePrivatePluginListener();
    window = std::make_unique<MainWindow>(&capture);
    MainWindow& w = *window;
    EXPECT_EQ(w.objectName(), QStringLiteral("Form_主界面"));
    child<QFrame>(w, "Frame遮挡").move(0, 40);
    w.show();
    EXPECT_EQ(w.windowTitle(), "KQ-510 V1.8");
    EXPECT_FALSE(w.initialised());
    EXPECT_TRUE(child<QTimer>(w, "Timer主界面初始化").isActive());
    EXPECT_EQ(child<QTimer>(w, "Timer主界面初始化").interval(), 10);
    for (int i = 0; i < 200 && !w.initialised(); ++i)
        Fun_Delay(10);
    EXPECT_TRUE(w.initialised());
    EXPECT_FALSE(child<QTimer>(w, "Timer主界面初始化").isActive());
    EXPECT_EQ(child<QFrame>(w, "Frame遮挡").y(), 0);
    ASSERT_EQ(home.dialogs.shown.size(), 1);
    EXPECT_EQ(home.dialogs.shown[0].text, QStringLiteral("模型不存在"));
    for (const char* name : {"Combo素材", "Combo素材对应模型", "Combo显示位置窗口", "Combo_文件备份", "Combo素材编辑",
                             "Check重新录制", "Check线条显示", "Picture_显示", "Label计数", "Frame素材录制",
                             "Command_读取文件", "Command_保存文件", "Text素材说明", "CD_选择模型", "CD颜色调整"})
        EXPECT_TRUE(w.findChild<QObject*>(QString::fromUtf8(name))) << name;
}

// What the window shows is Chinese. Latin letters stay only where they are names: the colour
// channels (R, G, B, W), DMX, ID and the FSEQ file format.
TEST_F(MainWindowTest, ShowsNoEnglishWords) {
    MainWindow& w = open();
    QStringList texts;
    for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
        texts << b->text() << b->toolTip();
    for (const QLabel* l : w.findChildren<QLabel*>())
        texts << l->text();
    for (const QGroupBox* g : w.findChildren<QGroupBox*>())
        texts << g->title();
    for (const QMenu* m : w.findChildren<QMenu*>())
        texts << m->title();
    for (const QAction* a : w.findChildren<QAction*>())
        // The adapters are the system's; the language menu names each language in itself.
        if (!a->objectName().startsWith(QStringLiteral("CD语言")) &&
            (!a->parent() || a->parent()->objectName() != QStringLiteral("CD网卡")))
            texts << a->text();
    for (const QComboBox* c : w.findChildren<QComboBox*>())
        for (int i = 0; i < c->count(); ++i)
            texts << c->itemText(i);
    ASSERT_GT(texts.size(), 100);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QRegularExpression name(QStringLiteral("^(?:[RGBW]+|DMX|Dmx|ID|FSEQ)$"));
    for (const QString& text : texts)
        for (const QRegularExpressionMatch& m : word.globalMatch(text))
            EXPECT_TRUE(name.match(m.captured()).hasMatch()) << text.toStdString();
}

TEST_F(MainWindowTest, FirstStartUsesTheDefaults) {
    MainWindow& w = open();
    EXPECT_EQ(g_ColourOrder, 3);
    EXPECT_EQ(g_CurModel, 1);
    EXPECT_EQ(g_PosWinMode, 1);
    EXPECT_EQ(child<QComboBox>(w, "Combo显示位置窗口").currentText(), QStringLiteral("显示方式1"));
    EXPECT_EQ(only<RecordingPanel>(w).similarityThreshold(), 97);
    EXPECT_EQ(only<RecordingPanel>(w).similarityMinFrames(), 6);
    EXPECT_EQ(only<RecordingPanel>(w).similarityMargin(), 10);
    EXPECT_EQ(only<RecordingPanel>(w).currentMaterial(), 1);
    EXPECT_EQ(g_ModelLength[1], 100);
    EXPECT_EQ(w.positionWindow()->transparencyPercent(), 30);
    EXPECT_TRUE(w.positionWindow()->isVisible());
    EXPECT_TRUE(child<QRadioButton>(w, "Option颜色选择1").isChecked()); // the LED test starts on red
}

TEST_F(MainWindowTest, SettingsInRangeAreTakenAndOthersLeaveDefaults) {
    writeIni("颜色选择", "9");
    writeIni("当前模型", "25"); // no model 25: taken as 1
    writeIni("位置窗体显示方式", "0");
    writeIni("相似度阈值", "101");
    writeIni("相似度最少帧", "12");
    writeIni("相似度正负", "0");
    writeIni("当前素材", "7");
    writeIni("素材对应模型07", "25");
    writeIni("素材对应模型08", "4");
    writeIni("继续上次录制", "1");
    writeIni("位置窗体透明度", "150");
    MainWindow& w = open();
    EXPECT_EQ(g_ColourOrder, 3);
    EXPECT_EQ(g_CurModel, 1);
    EXPECT_EQ(g_PosWinMode, 0);
    EXPECT_FALSE(w.positionWindow()->isVisible());
    EXPECT_EQ(only<RecordingPanel>(w).similarityThreshold(), 97);
    EXPECT_EQ(only<RecordingPanel>(w).similarityMinFrames(), 12);
    EXPECT_EQ(only<RecordingPanel>(w).similarityMargin(), 10);
    EXPECT_EQ(only<RecordingPanel>(w).currentMaterial(), 7);
    EXPECT_EQ(child<QComboBox>(w, "Combo素材").currentText(), "7");
    EXPECT_EQ(only<ModelMenus>(w).materialModel(7), 1);
    EXPECT_EQ(only<ModelMenus>(w).materialModel(8), 4);
    EXPECT_TRUE(child<QCheckBox>(w, "Check重新录制").isChecked());
    EXPECT_EQ(w.positionWindow()->transparencyPercent(), 30);
    EXPECT_EQ(PositionWindow::alphaForTransparency(30), 178);
    EXPECT_EQ(PositionWindow::alphaForTransparency(0), 254);
    EXPECT_EQ(PositionWindow::alphaForTransparency(100), 0);
}

TEST_F(MainWindowTest, ModelAndColourMenus) {
    g_ModelNote[2] = QStringLiteral("舞台");
    g_ModelLength[2] = 300;
    g_ModelWidth[2] = 200;
    MainWindow& w = open();
    only<RecordingPanel>(w).liveOutput().outputResetRequest = false;
    child<QAction>(w, "CD_模型2").trigger();
    EXPECT_EQ(g_CurModel, 2);
    EXPECT_EQ(child<QAction>(w, "CD_模型1").text(), QStringLiteral("模型1 "));
    EXPECT_EQ(child<QAction>(w, "CD_模型2").text(), QStringLiteral("【模型2】(300,200) 舞台"));
    EXPECT_EQ(child<QMenu>(w, "CD_选择模型").title(), QStringLiteral("【模型2】"));
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "当前模型"), "2");
    EXPECT_TRUE(only<RecordingPanel>(w).liveOutput().outputResetRequest);
    EXPECT_EQ(child<QComboBox>(w, "Combo素材对应模型").itemText(1), QStringLiteral("2 舞台"));
    EXPECT_EQ(child<QMenu>(w, "CD颜色调整").title(), QStringLiteral("【3GRB】"));
    child<QAction>(w, "CD_颜色选择5").trigger();
    EXPECT_EQ(g_ColourOrder, 5);
    EXPECT_EQ(child<QAction>(w, "CD_颜色选择5").text(), QStringLiteral("【5BRG】"));
    EXPECT_EQ(child<QAction>(w, "CD_颜色选择3").text(), QStringLiteral("3GRB"));
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "颜色选择"), "5");
}

TEST_F(MainWindowTest, ChoosingAModelForAMaterial) {
    MainWindow& w = open();
    child<QComboBox>(w, "Combo素材").setCurrentIndex(6);
    emit child<QComboBox>(w, "Combo素材").activated(6);
    child<QComboBox>(w, "Combo素材对应模型").setCurrentIndex(3);
    emit child<QComboBox>(w, "Combo素材对应模型").activated(3);
    EXPECT_EQ(only<ModelMenus>(w).materialModel(7), 4);
    EXPECT_EQ(g_CurModel, 4);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "素材对应模型07"), "4");
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "当前素材"), "7");
    EXPECT_TRUE(child<QGroupBox>(w, "Frame素材录制").title().endsWith(QStringLiteral("素材录制   ")));
    // Typing into a pick list changes nothing.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&child<QComboBox>(w, "Combo素材"), &down);
    EXPECT_EQ(child<QComboBox>(w, "Combo素材").currentIndex(), 6);
}

TEST_F(MainWindowTest, MaterialNotesCarryTheirPrefix) {
    MainWindow& w = open();
    only<ReviewPanel>(w).Fun_素材说明(3, QStringLiteral("红色追逐"));
    EXPECT_EQ(Fun_ReadIni(home.path("素材说明.txt"), "素材03"), QStringLiteral("[15-19] 红色追逐"));
    only<ReviewPanel>(w).Fun_素材说明调入(3);
    EXPECT_EQ(child<QLineEdit>(w, "Text素材说明").text(), QStringLiteral("红色追逐"));
    EXPECT_EQ(Fun_ReadIni(home.path("素材说明.txt"), "素材03"),
              QStringLiteral("[15-19] 红色追逐")); // loading stores nothing
    // Typing a note stores it for the material whose note is shown.
    child<QLineEdit>(w, "Text素材说明").setText(QStringLiteral("蓝"));
    EXPECT_EQ(Fun_ReadIni(home.path("素材说明.txt"), "素材03"), QStringLiteral("[15-19] 蓝"));
    only<ReviewPanel>(w).Fun_素材说明调入(1);
    child<QLineEdit>(w, "Text素材说明").setText(QStringLiteral("绿"));
    EXPECT_EQ(Fun_ReadIni(home.path("素材说明.txt"), "素材01"), QStringLiteral("[5-9] 绿"));
}

TEST_F(MainWindowTest, AutomaticBackupNamesAndSettings) {
    const QDateTime at(QDate(2026, 12, 6), QTime(9, 5, 3));
    EXPECT_EQ(FilePanel::backupPath("/h", at), QStringLiteral("/h/自动备份/2026年12月06日/09点05分03秒模型.mx20"));
    MainWindow& w = open();
    g_ModelNote[1] = QStringLiteral("备份");
    const QString inUse = g_ModelFilePath;
    writeIni("最后打开文件1", "/h/模型.mx20");
    const QString path = only<FilePanel>(w).Fun_自动备份(at);
    EXPECT_EQ(path, FilePanel::backupPath(g_AppFolder, at));
    // A backup is a copy: later saves still go to the model file in use.
    EXPECT_EQ(g_ModelFilePath, inUse);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "最后打开文件1"), "/h/模型.mx20");
    EXPECT_EQ(kq::readWholeFile(path).value_or(QByteArray()), kq::model::encodeModelFile(g_Models));
    child<QComboBox>(w, "Combo_文件备份").setCurrentIndex(1);
    emit child<QComboBox>(w, "Combo_文件备份").activated(1);
    EXPECT_EQ(only<FilePanel>(w).backupPeriodTicks(), 30);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "参数文件自动备份"), "1");
}

TEST_F(MainWindowTest, PlacementIsSavedWhenItChangesButNotTheMainWindowsWhileClosing) {
    writeIni("位置窗体top", "1500");
    writeIni("位置窗体left", "3000");
    MainWindow& w = open();
    PositionWindow& p = *w.positionWindow();
    EXPECT_EQ(p.areaTopLeft(), QPoint(200, 100));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, QStringLiteral("s"));
    QCoreApplication::sendEvent(&p, &key);
    p.Fun_Form位置示意_保存(&w);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "位置窗体top"), "1515");
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "位置窗体left"), "3000");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(&p, &enter);
    EXPECT_TRUE(g_StepFlag);

    const QString savedLeft = Fun_ReadIni(g_IniPath, "主窗体left");
    w.move(w.x() + 10, w.y());
    g_MainClosing = true;
    QKeyEvent d(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, QStringLiteral("d"));
    QCoreApplication::sendEvent(&p, &d);
    p.Fun_Form位置示意_保存(&w);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "位置窗体left"), "3015");
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "主窗体left"), savedLeft);
}

TEST_F(MainWindowTest, PositionWindowOutlinesTheAreaAndIsDraggedByItsHandle) {
    writeIni("位置窗体top", "1500");
    writeIni("位置窗体left", "3000");
    MainWindow& w = open();
    PositionWindow& p = *w.positionWindow();
    const QSize canvas(40, 30);
    p.setCanvasSize(canvas);
    ASSERT_EQ(p.areaTopLeft(), QPoint(200, 100));
    EXPECT_EQ(p.pos(), QPoint(199, 99));
    const QRegion mask = p.mask();
    // Nothing of the window lies on the area, in any mode; all four sides of the outline lie just
    // outside it.
    const QRect area(p.areaTopLeft() - p.pos(), canvas);
    EXPECT_TRUE(mask.intersected(area).isEmpty());
    for (const QPoint& onOutline :
         {area.topLeft() - QPoint(1, 1), area.bottomRight() + QPoint(1, 1), QPoint(area.left() - 1, area.center().y()),
          QPoint(area.right() + 1, area.center().y()), QPoint(area.center().x(), area.top() - 1),
          QPoint(area.center().x(), area.bottom() + 1)})
        EXPECT_TRUE(mask.contains(onOutline)) << onOutline.x() << "," << onOutline.y();
    const QRect handle = p.handleRect();
    EXPECT_TRUE(mask.contains(handle));
    EXPECT_GE(handle.width(), 200);
    EXPECT_GE(handle.height(), 22);
    EXPECT_GT(handle.top(), area.bottom() + 1);

    // Dragging the handle moves the area; what is saved and sampled is the area's own place.
    const QPointF grab = handle.center();
    QMouseEvent press(QEvent::MouseButtonPress, grab, p.mapToGlobal(grab), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &press);
    QMouseEvent drag(QEvent::MouseMove, grab + QPointF(10, 5), p.mapToGlobal(grab + QPointF(10, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &drag);
    QMouseEvent release(QEvent::MouseButtonRelease, grab, p.mapToGlobal(grab), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &release);
    EXPECT_EQ(p.areaTopLeft(), QPoint(210, 105));
    EXPECT_EQ(only<RecordingPanel>(w).positionWindowTopLeft(), QPoint(210, 105));
    p.Fun_Form位置示意_保存(&w);
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "位置窗体top"), "1575");
    EXPECT_EQ(Fun_ReadIni(g_IniPath, "位置窗体left"), "3150");
}

TEST_F(MainWindowTest, ModelChangeMakesTheNextCaptureResetTheOutput) {
    auto machines = home.startMachines({1});
    ASSERT_TRUE(machines);
    MainWindow& w = open();
    g_Materials[1][1].Machine = 1;
    g_Materials[1][1].Port = 1;
    g_Materials[1][1].StartAddr = 1;
    g_Materials[1][1].Coord[3] = 9;
    child<QAction>(w, "CD_模型1").trigger();
    only<RecordingPanel>(w).Fun_截屏操作("0");
    only<RecordingPanel>(w).Fun_截屏操作("0");
    Fun_Delay(30);
    EXPECT_EQ(machines->machine(1)->received.value(0x8054), 2);
    EXPECT_EQ(machines->machine(1)->received.value(0x8055), 2);
    EXPECT_EQ(machines->machine(1)->received.value(0x8050), 2); // both halves of port 1
    // Pixel (x, 0) of the fake screen under the position window at its default place (6, 6).
    const QByteArray& block = machines->machine(1)->portBlocks[1];
    EXPECT_EQ(uint8_t(block[0]), 0);   // red 6 quantises to 0
    EXPECT_EQ(uint8_t(block[9]), 10);  // red 15: 8..15 become 10
    EXPECT_EQ(uint8_t(block[750]), 0); // green 6
    EXPECT_EQ(uint8_t(block[1500]), 200);
}

TEST_F(MainWindowTest, AScreenThatCannotBeCopiedIsReportedOnceAndNothingIsSent) {
    auto machines = home.startMachines({1});
    ASSERT_TRUE(machines);
    MainWindow& w = open();
    g_Materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 9, 0);
    home.dialogs.shown.clear();
    capture.failing = true;
    capture.settingUp = true; // the desktop still asking which screen to share: nothing to say yet
    capture.whatToDo = QStringLiteral("请选择屏幕。");
    for (int i = 0; i < 3; ++i)
        only<RecordingPanel>(w).Fun_截屏操作("0");
    EXPECT_TRUE(home.dialogs.shown.empty());
    capture.settingUp = false;
    for (int i = 0; i < 3; ++i)
        only<RecordingPanel>(w).Fun_截屏操作("0");
    Fun_Delay(30);
    ASSERT_EQ(home.dialogs.shown.size(), 1);
    EXPECT_EQ(home.dialogs.shown[0].text,
              QStringLiteral("无法截取屏幕（pattern），没有新的画面发送到机器。\r\n请选择屏幕。"));
    EXPECT_EQ(machines->machine(1)->received.value(0x8050), 0);
    EXPECT_EQ(machines->machine(1)->received.value(0x8055), 0);
    capture.failing = false;
    only<RecordingPanel>(w).Fun_截屏操作("0");
    Fun_Delay(30);
    EXPECT_EQ(machines->machine(1)->received.value(0x8055), 1);
    EXPECT_EQ(home.dialogs.shown.size(), 1);
}

TEST_F(MainWindowTest, TheFrameIntervalIsShownOnlyBetweenTwoTicks) {
    MainWindow& w = open();
    kq::test::SimulatedTime time(3956053);
    child<QLabel>(w, "Label计数").setText("0");
    only<RecordingPanel>(w).Fun_截屏操作("0"); // the first tick, late behind a message box
    EXPECT_EQ(child<QLabel>(w, "Label计数").text(), "0");
    ASSERT_LT(time.clock.now - 3956053u, 100u);
    time.clock.now = 3956053 + 100;
    only<RecordingPanel>(w).Fun_截屏操作("0");
    EXPECT_EQ(child<QLabel>(w, "Label计数").text(), "100");
}

// The selector stays where it is in every state, and the window takes the size its panel needs and
// gives it back: after the larger panels, the state it opened in has the height it had.
TEST_F(MainWindowTest, TheSelectorStaysAndTheWindowFitsEveryPanel) {
    MainWindow& w = open();
    Fun_Delay(20);
    const QGroupBox& selector = child<QGroupBox>(w, "Frame操作状态");
    const auto radio = [&w](OperationState state) -> QRadioButton& {
        return child<QRadioButton>(w, QStringLiteral("Option连接状态%1").arg(int(state)));
    };
    ASSERT_TRUE(radio(OperationState::Recording).isChecked());
    const std::string selectorAt = placeIn(w, selector);
    std::array<std::string, kOperationStates> radiosAt;
    for (int k = 0; k < kOperationStates; ++k)
        radiosAt[size_t(k)] = placeIn(w, radio(OperationState(k)));
    const int firstHeight = w.height();

    const struct {
        OperationState state;
        const char* caption;
    } states[] = {
        {OperationState::Review, "素材编辑"},         {OperationState::Dmx512, "DMX512模拟"},
        {OperationState::LedTest, "测试灯带"},        {OperationState::Download, "下载文件"},
        {OperationState::FileOperations, "文件操作"}, {OperationState::Disconnected, "断开"},
        {OperationState::Recording, "录制"},
    };
    std::map<OperationState, int> heights;
    for (const auto& s : states) {
        QRadioButton& r = radio(s.state);
        ASSERT_EQ(r.text(), QString::fromUtf8(s.caption));
        r.click();
        Fun_Delay(20);
        EXPECT_EQ(placeIn(w, selector), selectorAt) << s.caption;
        for (int k = 0; k < kOperationStates; ++k)
            EXPECT_EQ(placeIn(w, radio(OperationState(k))), radiosAt[size_t(k)]) << s.caption << ", button " << k;
        // No room is left over from the panel before.
        EXPECT_EQ(w.size(), w.sizeHint()) << s.caption;
        heights[s.state] = w.height();
    }
    EXPECT_GT(heights[OperationState::Download], heights[OperationState::Disconnected]);
    EXPECT_EQ(heights[OperationState::Recording], firstHeight);
}

// A sampled area larger than the picture's box is shown whole, shrunk into the box, and the window
// keeps its size.
TEST_F(MainWindowTest, ALargePictureIsShownWholeInItsBox) {
    MainWindow& w = open();
    const PictureView& view = child<PictureView>(w, "Picture_显示");
    const QSize windowSize = w.size();
    g_ModelLength[g_CurModel] = 800;
    g_ModelWidth[g_CurModel] = 200;
    only<RecordingPanel>(w).Fun_截屏操作("0");
    Fun_Delay(10);
    ASSERT_EQ(view.pictureSize(), QSize(800, 200));
    EXPECT_EQ(view.shown().size(), QSize(400, 100)); // shrunk once, as it came
    EXPECT_EQ(view.pictureRect(), QRect(0, 0, 400, 100));
    EXPECT_EQ(view.size(), PictureView::kBoxSize);
    EXPECT_TRUE(w.rect().contains(QRect(view.mapTo(&w, QPoint()), view.size())));
    EXPECT_EQ(w.size(), windowSize);
}

TEST_F(MainWindowTest, ClosingRequestsTheExit) {
    MainWindow& w = open();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(g_MainClosing);
    EXPECT_TRUE(g_ExitRequested);
}

TEST_F(MainWindowTest, RestoresItsPlacementUnlessNearTheScreenEdge) {
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
        Fun_WriteIni(g_IniPath, QStringLiteral("主窗体top"), c.top);
        Fun_WriteIni(g_IniPath, QStringLiteral("主窗体left"), c.left);
        MainWindow w(&capture);
        w.move(30, 20);
        w.Fun_主界面位置();
        EXPECT_EQ(g_MainWinSavedTop, c.expectTop) << c.top.toStdString();
        EXPECT_EQ(g_MainWinSavedLeft, c.expectLeft) << c.left.toStdString();
        EXPECT_EQ(w.pos(), QPoint(c.expectLeft / 15, c.expectTop / 15));
    }
}

// A place saved on a larger screen, or a window that grew since, never leaves a part of a window off
// the screen; the main window keeps clear of the sampled area where it can.
TEST_F(MainWindowTest, EveryWindowOpensWhollyOnTheScreen) {
    home.useLoopbackMachines();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    writeIni("主窗体left", QByteArray::number((screen.width() - 150) * 15).constData());
    writeIni("主窗体top", "300");
    MainWindow& w = open();
    // Wholly on the screen; a window wider or taller than the test's small screen starts at its edge.
    const auto whole = [&](const QWidget& shown) {
        const QRect f = shown.frameGeometry();
        const bool across = f.width() > screen.width() ? f.left() == screen.left()
                                                       : f.left() >= screen.left() && f.right() <= screen.right();
        const bool down = f.height() > screen.height() ? f.top() == screen.top()
                                                       : f.top() >= screen.top() && f.bottom() <= screen.bottom();
        return across && down
                   ? std::string()
                   : shown.objectName().toStdString() + " lies at " + std::to_string(f.x()) + "," +
                         std::to_string(f.y()) + " " + std::to_string(f.width()) + "x" + std::to_string(f.height());
    };
    EXPECT_EQ(whole(w), "");
    // Every state's panel, the widest included.
    for (int k = 0; k < kOperationStates; ++k) {
        w.Option连接状态_Click(OperationState(k));
        EXPECT_EQ(whole(w), "") << k;
    }
    w.Option连接状态_Click(OperationState::Recording);
    const QRect area = w.positionWindow()->frameGeometry();
    const bool roomBeside = w.width() + area.right() + 1 <= screen.width();
    EXPECT_TRUE(!roomBeside || !w.frameGeometry().intersects(area)) << placeIn(w, w);
    // A window bigger than the screen is made to fit, and one placed off it comes back.
    QWidget big(nullptr, Qt::Window);
    big.resize(screen.width() + 200, screen.height() + 100);
    big.move(-300, screen.height() - 50);
    big.show();
    EXPECT_EQ(whole(big), "");
    // The position window marks the area where it is, on the screen or not.
    w.positionWindow()->move(screen.width() - 20, 10);
    w.positionWindow()->hide();
    w.positionWindow()->show();
    EXPECT_EQ(w.positionWindow()->x(), screen.width() - 20);
}

// The real loop on the real clock: closing the window ends it after the exit command.
TEST_F(MainWindowTest, ClosingEndsTheRealLoop) {
    MainWindow& w = open();
    int frames = 0;
    bool exitSent = false;
    kq::schedulerHooks().frameCapture = [&] { ++frames; };
    kq::schedulerHooks().sendExitCommand = [&] { exitSent = true; };
    // The clock is read before the close is armed, and the close is a precise timer, which never fires
    // early (a coarse one may, by up to 5 %): under load the measure came short of the 200 ms.
    kq::MonotonicClock clock;
    const uint32_t start = clock.nowMs();
    QTimer::singleShot(200, Qt::PreciseTimer, &w, [&] { w.close(); });
    kq::TaskScheduler scheduler(36);
    kq::Fun_RunLoop(scheduler);
    const uint32_t elapsed = clock.nowMs() - start;
    EXPECT_TRUE(exitSent);
    EXPECT_GE(elapsed, 209u); // 200 ms, then the 10 ms wait after the exit command, read in whole ms
    EXPECT_GE(frames, 2);
    EXPECT_TRUE(w.isHidden());
}

} // namespace
