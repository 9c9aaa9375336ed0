#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

class MaterialEditor;
class ModelCanvas;
class ModelUndo;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QTimer;

namespace kq::model {
// Where the editor opens in the screen's free area: where it last was, at its size cut to the area and
// moved inside it, when enough of that lies on the screen; else most of the area, centred.
QRect editorGeometry(const QRect& available, const QRect& saved);
} // namespace kq::model

// "Form建模": the modelling editor. The material list and the canvas on one side, the material's
// boxes on the other, the list's buttons, undo and redo, the wiring check under the list, and the
// test box that lights the edited material on the machines.
class ModellingWindow : public QWidget {
    Q_OBJECT
public:
    explicit ModellingWindow(QWidget* parent = nullptr);
    ~ModellingWindow() override;

    // Opening from the main window's menu "建模": the test box starts unchecked.
    void open();
    void Fun_建模初始化();
    void Fun_select_素材();
    void Fun_list列表初始化();
    void Fun_更新所有();
    // The 100 ms task: while the test box is checked, one modelling-test step of the live output and
    // the material test on the machines.
    void Fun_发送建模测试数据();
    bool initialised() const { return initialised_; }
    ModelUndo& undo() { return *undo_; }

    // The live output's step in modelling-test mode (the main window's "Fun_截屏操作" with "建模测试").
    std::function<void()> liveTestStep;

signals:
    // The editor closed (after saving the model file): the main window shows itself again.
    void closed();
    // "测试" checked or unchecked: the position window shows or hides with it.
    void testToggled(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void refresh(); // after an edit: boxes, canvas, list texts and the wiring check
    void updateWiringCheck();
    void selectMaterial(int material);
    QList<int> selectedMaterials() const;
    void deleteSelected();
    void autoIncrementCopy();
    void switchSelectedOrientation();
    bool listKey(QKeyEvent* key);
    void restoreGeometry();
    void saveGeometry() const;

    ModelUndo* undo_;
    bool initialised_ = false;
    QGroupBox* Frame模型 = nullptr;
    ModelCanvas* Picture模型 = nullptr;
    QListWidget* List素材列表 = nullptr;
    QListWidget* List接线检查 = nullptr;
    MaterialEditor* editor_ = nullptr;
    QCheckBox* Check对齐测试 = nullptr;
    QCheckBox* Check横竖切换 = nullptr;
    std::array<QSplitter*, 3> splitters_{}; // left and right, canvas and lists, list and findings
    bool placed_ = false;                   // the saved place is applied at the first opening
    QTimer* Timer_初始化 = nullptr;
};
